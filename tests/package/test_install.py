#!/usr/bin/env python3
"""The installed tree, from `cmake --install` or from the Debian package.

  test_install.py install BUILD VERSION   DESTDIR install, then the checks
  test_install.py deb BUILD VERSION       cpack, dpkg-deb -x, then the checks

The checks: only the expected folders; the program runs from the tree and
prints its version; the desktop entry, the AppStream file, every icon size
and the SVG, the manual page (which names every option of --help) and the
documentation. desktop-file-validate, appstreamcli, groff and lexgrog are
used when installed.
"""

import gzip
import os
import re
import shutil
import stat
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
import zlib

ICON_SIZES = [16, 22, 24, 32, 48, 64, 128, 256]
TOP_FOLDERS = {"bin", "share/applications", "share/metainfo", "share/icons", "share/man", "share/doc"}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def run(cmd, **kw):
    env = dict(os.environ, ASAN_OPTIONS="detect_leaks=0")
    env.pop("DISPLAY", None)  # --help and --version need no display
    return subprocess.run(cmd, capture_output=True, text=True, env=env, timeout=120, **kw)


def tool(name):
    found = shutil.which(name)
    if not found:
        print("(%s not installed: its check is skipped)" % name)
    return found


def png_pixels(path):
    """(width, height, rows of (r, g, b, a)) of an 8-bit RGB(A) PNG."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise ValueError("unexpected PNG kind (depth %d, colour %d, interlace %d)" % (depth, colour, interlace))
    channels = 4 if colour == 6 else 3
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = previous[i]
            c = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[x:x + channels]) + ((255,) if channels == 3 else ()) for x in range(0, stride, channels)])
        previous = line
    return width, height, rows


def svg_pixels(path, size):
    """The SVG's rectangles (the shape the icon tool writes) as a pixel mask
    with their colours."""
    root = ET.parse(path).getroot()
    check(root.tag == "{http://www.w3.org/2000/svg}svg", "%s: not an SVG document" % path)
    check(root.get("viewBox") == "0 0 %d %d" % (size, size), "%s: viewBox is %s" % (path, root.get("viewBox")))
    grid = [[None] * size for _ in range(size)]
    for element in root.iter("{http://www.w3.org/2000/svg}path"):
        fill = element.get("fill")
        d = element.get("d")
        rects = re.findall(r"M(\d+) (\d+)h(\d+)v(\d+)h-\d+z", d)
        check("".join("M%s %sh%sv%sh-%sz" % (x, y, w, h, w) for x, y, w, h in rects) == d,
              "%s: a path is not made of rectangles: %s" % (path, d[:60]))
        for x, y, w, h in rects:
            for yy in range(int(y), int(y) + int(h)):
                for xx in range(int(x), int(x) + int(w)):
                    check(grid[yy][xx] is None, "%s: rectangles overlap at %d,%d" % (path, xx, yy))
                    grid[yy][xx] = fill
    return grid


def check_icons(share):
    pictures = {}
    for size in ICON_SIZES:
        path = os.path.join(share, "icons/hicolor/%dx%d/apps/vivivoz.png" % (size, size))
        if not check(os.path.isfile(path), "icon missing: " + path):
            continue
        try:
            width, height, rows = png_pixels(path)
        except (ValueError, zlib.error, struct.error, TypeError) as e:
            check(False, "%s: unreadable: %s" % (path, e))
            continue
        check((width, height) == (size, size), "%s: %dx%d" % (path, width, height))
        opaque = [(x, y, p) for y, row in enumerate(rows) for x, p in enumerate(row) if p[3] > 0]
        if not check(opaque, path + ": fully transparent"):
            continue
        # Red outlines; the picture fills the icon instead of a corner of it.
        check(all(p[0] >= 180 and p[1] <= 80 and p[2] <= 80 for _, _, p in opaque),
              path + ": pixels other than the red outline")
        xs = [x for x, _, _ in opaque]
        check(max(xs) - min(xs) + 1 >= size * 0.8, "%s: the picture spans %d of %d columns" % (path, max(xs) - min(xs) + 1, size))
        pictures[size] = rows
    svg = os.path.join(share, "icons/hicolor/scalable/apps/vivivoz.svg")
    if check(os.path.isfile(svg), "icon missing: " + svg) and 32 in pictures:
        # The scalable icon is the 32 px picture, pixel for pixel.
        grid = svg_pixels(svg, 32)
        for y, row in enumerate(pictures[32]):
            for x, p in enumerate(row):
                expected = "#%02x%02x%02x" % p[:3] if p[3] else None
                if not check(grid[y][x] == expected, "%s: pixel %d,%d is %s, the PNG has %s" % (svg, x, y, grid[y][x], expected)):
                    return


def desktop_entry(path):
    keys = {}
    with open(path, encoding="utf-8") as f:
        for raw in f:
            if "=" in raw and not raw.startswith("#"):
                key, _, value = raw.rstrip("\n").partition("=")
                keys[key] = value
    return keys


def check_desktop_entry(share):
    path = os.path.join(share, "applications/vivivoz.desktop")
    if not check(os.path.isfile(path), "desktop entry missing: " + path):
        return
    keys = desktop_entry(path)
    for key, value in [("Type", "Application"), ("Name", "Vivivoz"), ("Exec", "vivivoz"), ("Icon", "vivivoz"), ("Terminal", "false")]:
        check(keys.get(key) == value, "%s: %s=%s, expected %s" % (path, key, keys.get(key), value))
    categories = keys.get("Categories", "").split(";")
    check("Utility" in categories and "Presentation" in categories, "%s: Categories=%s" % (path, keys.get("Categories")))
    if tool("desktop-file-validate"):
        r = run(["desktop-file-validate", path])
        problems = [l for l in r.stdout.splitlines() if "error:" in l or "warning:" in l]
        check(r.returncode == 0 and not problems, "desktop-file-validate: " + (r.stdout + r.stderr).strip())


def check_metainfo(share):
    folder = os.path.join(share, "metainfo")
    files = sorted(os.listdir(folder)) if os.path.isdir(folder) else []
    if not check(len(files) == 1 and files[0].endswith(".metainfo.xml"), "%s: expected one .metainfo.xml, found %s" % (folder, files)):
        return
    path = os.path.join(folder, files[0])
    root = ET.parse(path).getroot()
    app_id = root.findtext("id")
    check(files[0] == "%s.metainfo.xml" % app_id, "%s: file name does not match id %s" % (path, app_id))
    check(re.fullmatch(r"[a-z0-9-]+(\.[a-z0-9_-]+)+", app_id or "") is not None, "%s: id %s is not a reverse domain" % (path, app_id))
    launchable = root.findtext("launchable")
    check(os.path.isfile(os.path.join(share, "applications", launchable or "-")), "%s: launchable %s is not installed" % (path, launchable))
    if tool("appstreamcli"):
        r = run(["appstreamcli", "validate", "--no-net", path])
        check(r.returncode == 0, "appstreamcli validate: " + (r.stdout + r.stderr).strip())


def check_manpage(share, program):
    path = os.path.join(share, "man/man1/vivivoz.1.gz")
    if not check(os.path.isfile(path), "manual page missing: " + path):
        return
    with gzip.open(path, "rt", encoding="utf-8") as f:
        page = f.read()
    heads = re.findall(r'^\.SH "?([A-Z ]+)"?$', page, re.M)
    for section in ["NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "FILES", "SEE ALSO"]:
        check(section in heads, "%s: no %s section (has %s)" % (path, section, heads))
    check("@" not in page.replace("\\@", ""), path + ": a placeholder was not filled in")
    # Follows the program's help: every option it lists is in OPTIONS.
    r = run([program, "--help"])
    check(r.returncode == 0, "vivivoz --help failed: " + r.stderr)
    options = page.split(".SH OPTIONS", 1)[-1].split("\n.SH", 1)[0]
    for option in sorted(set(re.findall(r"^\s+(-[-\w]+)", r.stdout, re.M))):
        check("\\fB" + option.replace("-", "\\-") + "\\fR" in options, "%s: option %s of --help is not in OPTIONS" % (path, option))
    if tool("groff"):
        g = subprocess.run(["groff", "-man", "-ww", "-z"], input=page, capture_output=True, text=True)
        check(g.returncode == 0 and not g.stderr.strip(), "groff warnings: " + g.stderr.strip())
    if tool("lexgrog"):
        g = run(["lexgrog", path])
        check(g.returncode == 0 and "vivivoz - " in g.stdout, "lexgrog cannot read NAME: " + (g.stdout + g.stderr).strip())


def check_tree(usr, version):
    present = set()
    for folder, dirs, files in os.walk(usr):
        for name in files:
            relative = os.path.relpath(os.path.join(folder, name), usr)
            top = [t for t in TOP_FOLDERS if relative.startswith(t + "/")]
            check(top, "unexpected file installed: " + relative)
            present.update(top)
            mode = stat.S_IMODE(os.lstat(os.path.join(folder, name)).st_mode)
            expected = 0o755 if relative.startswith("bin/") else 0o644
            check(mode == expected, "%s: mode %o, expected %o" % (relative, mode, expected))
    check(present == TOP_FOLDERS, "folders missing: %s" % sorted(TOP_FOLDERS - present))
    program = os.path.join(usr, "bin/vivivoz")
    if check(os.access(program, os.X_OK), "program missing: " + program):
        r = run([program, "--version"])
        check(r.returncode == 0 and r.stdout.strip() == "Vivivoz " + version,
              "installed vivivoz --version: status %d, %r %r" % (r.returncode, r.stdout, r.stderr))
    share = os.path.join(usr, "share")
    check_desktop_entry(share)
    check_metainfo(share)
    check_icons(share)
    check_manpage(share, program)
    check(os.path.isfile(os.path.join(share, "doc/vivivoz/README.md")), "README.md not installed")


def install(build, root):
    env = dict(os.environ, DESTDIR=root)
    r = subprocess.run(["cmake", "--install", build, "--prefix", "/usr"], capture_output=True, text=True, env=env)
    if not check(r.returncode == 0, "cmake --install failed: " + r.stdout + r.stderr):
        return None
    return os.path.join(root, "usr")


def debian_package(build, root):
    out = os.path.join(root, "out")
    # Uncompressed: packing the test build's large program stays quick.
    r = subprocess.run(["cpack", "--config", os.path.join(build, "CPackConfig.cmake"), "-B", out,
                        "-D", "CPACK_DEBIAN_COMPRESSION_TYPE=none"], capture_output=True, text=True)
    if not check(r.returncode == 0, "cpack failed: " + r.stdout + r.stderr):
        return None
    debs = [f for f in os.listdir(out) if f.endswith(".deb")]
    if not check(len(debs) == 1 and re.fullmatch(r"vivivoz_[^_]+_[a-z0-9]+\.deb", debs[0]), "packages made: %s" % debs):
        return None
    deb = os.path.join(out, debs[0])
    info = subprocess.run(["dpkg-deb", "-f", deb], capture_output=True, text=True, check=True).stdout
    fields = dict(re.findall(r"^([\w-]+): (.*)$", info, re.M))
    # A Homepage only when the build names a website (none by default).
    cache = open(os.path.join(build, "CMakeCache.txt")).read()
    website = re.search(r"^VIVIVOZ_WEBSITE:STRING=(.*)$", cache, re.M)
    required = ["Package", "Version", "Architecture", "Maintainer", "Section", "Description", "Depends"]
    if website and website.group(1):
        required.append("Homepage")
    else:
        check("Homepage" not in fields, "Homepage without a website: %s" % fields.get("Homepage"))
    for name in required:
        check(fields.get(name), "package field %s missing" % name)
    check(fields.get("Package") == "vivivoz", "Package: %s" % fields.get("Package"))
    check(re.search(r"<[^@>]+@[^>]+>", fields.get("Maintainer", "")), "Maintainer has no mail address")
    # Derived from the linked libraries, not written by hand.
    depends = fields.get("Depends", "")
    for library in ["libc6", "libqt6core6", "libqt6gui6", "libqt6widgets6", "libx11-6", "libjpeg", "libpng16"]:
        check(library in depends, "Depends lacks %s: %s" % (library, depends))
    listing = subprocess.run(["dpkg-deb", "-c", deb], capture_output=True, text=True, check=True).stdout
    for entry in listing.splitlines():
        check(entry.split()[1] == "root/root", "not owned by root: " + entry)
    usr = os.path.join(root, "tree")
    subprocess.run(["dpkg-deb", "-x", deb, usr], check=True)
    return os.path.join(usr, "usr")


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in ("install", "deb"):
        print(__doc__, file=sys.stderr)
        return 2
    mode, build, version = sys.argv[1:]
    with tempfile.TemporaryDirectory(prefix="vivivoz-package-") as root:
        usr = install(build, root) if mode == "install" else debian_package(build, root)
        if usr:
            check_tree(usr, version)
    for f in failures:
        print("FAIL: " + f)
    print("%s: %s" % (mode, "failed" if failures else "passed"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
