#!/usr/bin/env python3
"""Checks who includes whom under src/, the layers of docs/architecture.md.

    include_rules.py SRC_DIR     lists every include that breaks a rule; exit 1 if any
    include_rules.py --self-test checks the rules themselves on a small made-up tree

The rules:
  - nothing in core/ or platform/ includes ui/ or app/; nothing in ui/ includes app/
  - nothing in platform/ includes core/
  - a window folder ui/<window>/ includes no other window folder (ui/widgets/
    is shared); ui/widgets/ includes no window folder
  - only app/ and platform/ include a platform backend (platform/x11/,
    platform/wayland/, platform/posix/, platform/fake/); the interface
    (platform/*.h) includes none
  - only platform/x11/ includes X11 headers; only platform/wayland/ includes
    PipeWire's (pipewire/, spa/)
"""

import pathlib
import re
import sys
import tempfile

SOURCE_SUFFIXES = {".h", ".hpp", ".cpp", ".cc", ".in"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]')
LAYERS = {"app", "core", "platform", "ui"}
BACKENDS = {"x11", "wayland", "posix", "fake"}
SHARED_UI = "widgets"


def resolve(src: pathlib.Path, source: pathlib.Path, target: str):
    """The included file's path below src/ as a tuple of parts, or None."""
    beside = (source.parent / target).resolve()
    try:
        if beside.is_file():
            return beside.relative_to(src.resolve()).parts
    except ValueError:
        return None
    parts = pathlib.PurePosixPath(target).parts
    return parts if parts and parts[0] in LAYERS else None


def broken_rule(where, kind, target, what):
    """Why `where` (parts below src/) may not include `target`, or None."""
    layer = where[0]
    if kind == "<":
        if target.startswith("X11/") and where[:2] != ("platform", "x11"):
            return "only platform/x11/ may include X11 headers"
        if target.startswith(("pipewire/", "spa/")) and where[:2] != ("platform", "wayland"):
            return "only platform/wayland/ may include PipeWire headers"
        return None
    if what is None:
        return None
    other = what[0]
    if layer in ("core", "platform") and other in ("ui", "app"):
        return f"{layer}/ must not include {other}/ (it lies below ui/ and app/)"
    if layer == "ui" and other == "app":
        return "ui/ must not include app/ (it lies below app/)"
    if layer == "platform" and other == "core":
        return "platform/ must not include core/ (it lies below core/)"
    if layer == "ui" and other == "ui" and len(where) > 2 and len(what) > 2:
        mine, theirs = where[1], what[1]
        if mine != theirs and theirs != SHARED_UI:
            if mine == SHARED_UI:
                return "ui/widgets/ must not include a window folder (the windows share it)"
            return f"ui/{mine}/ must not include another window folder (only ui/widgets/)"
    if other == "platform" and len(what) > 2 and what[1] in BACKENDS:
        if layer not in ("app", "platform"):
            return f"{layer}/ must not include a platform backend (only platform/*.h)"
        if layer == "platform" and len(where) == 2:
            return "the platform interface must not include a backend"
    return None


def check(src: pathlib.Path):
    """Returns (offending lines, files read, includes read)."""
    offending = []
    files = includes = 0
    for source in sorted(src.rglob("*")):
        if not source.is_file() or source.suffix not in SOURCE_SUFFIXES:
            continue
        where = source.relative_to(src).parts
        if where[0] not in LAYERS:
            continue
        files += 1
        text = source.read_text(encoding="utf-8", errors="replace")
        for number, line in enumerate(text.splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            includes += 1
            kind, target = match.groups()
            what = resolve(src, source, target) if kind == '"' else None
            reason = broken_rule(where, kind, target, what)
            if reason:
                offending.append(f"{source.relative_to(src.parent)}:{number}: {line.strip()}\n    {reason}")
    return offending, files, includes


def self_test():
    """Every rule catches its own example and lets the allowed ones through."""
    cases = {
        # file: (include line, must be reported)
        "core/a/a.cpp": [('"ui/output/output_window.h"', True), ('"app/app.h"', True),
                         ('"platform/platform.h"', False), ('"platform/x11/x11_platform.h"', True),
                         ('<X11/Xlib.h>', True), ('"core/b/b.h"', False), ('<QImage>', False)],
        "platform/platform.h": [('"core/a/a.h"', True), ('"platform/fake/fake_platform.h"', True),
                                ('"platform/band_sink.h"', False)],
        "platform/x11/x.cpp": [('<X11/Xlib.h>', False), ('"platform/posix/paths.h"', False),
                               ('"core/a/a.h"', True), ('"ui/widgets/w.h"', True)],
        "platform/fake/f.cpp": [('<X11/Xlib.h>', True), ('"app/app.h"', True), ('<pipewire/pipewire.h>', True)],
        "platform/wayland/w.cpp": [('<pipewire/pipewire.h>', False), ('<spa/pod/builder.h>', False),
                                   ('"core/a/a.h"', True), ('<X11/Xlib.h>', True)],
        "ui/output/o.cpp": [('"ui/widgets/w.h"', False), ('"ui/output/o.h"', False),
                            ('"ui/preview/p.h"', True), ('"app/app.h"', True),
                            ('"core/a/a.h"', False), ('"platform/fake/fake_platform.h"', True),
                            ('"platform/wayland/wayland_platform.h"', True), ('"../preview/p.h"', True)],
        "ui/widgets/w.cpp": [('"ui/output/o.h"', True), ('"ui/widgets/x.h"', False)],
        "app/main.cpp": [('"ui/output/o.h"', False), ('"platform/x11/x11_platform.h"', False),
                         ('"platform/wayland/wayland_platform.h"', False), ('<X11/Xlib.h>', True)],
    }
    with tempfile.TemporaryDirectory() as tmp:
        src = pathlib.Path(tmp) / "src"
        expected = set()
        for name, lines in cases.items():
            path = src / name
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text("".join(f"#include {target}\n" for target, _ in lines))
            expected |= {f"src/{name}:{n}" for n, (_, bad) in enumerate(lines, 1) if bad}
        (src / "ui/preview").mkdir(parents=True, exist_ok=True)
        (src / "ui/preview/p.h").write_text("#pragma once\n")
        offending, _, _ = check(src)
        found = {entry.split(": ", 1)[0] for entry in offending}
    missed, wrong = sorted(expected - found), sorted(found - expected)
    for entry in missed:
        print(f"not reported: {entry}")
    for entry in wrong:
        print(f"reported but allowed: {entry}")
    if missed or wrong:
        return 1
    print(f"include rules: {len(expected)} wrong includes reported, the allowed ones not")
    return 0


def main(argv):
    if argv[1:] == ["--self-test"]:
        return self_test()
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    src = pathlib.Path(argv[1])
    offending, files, includes = check(src)
    for entry in offending:
        print(entry)
    if offending:
        print(f"include rules: {len(offending)} offending line(s) in {files} files "
              "(the layers: docs/architecture.md)")
        return 1
    print(f"include rules: {files} files, {includes} includes, none offending")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
