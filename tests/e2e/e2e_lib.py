"""Helpers for driving the real vivivoz binary on the virtual X display.

The display comes from tests/e2e/with_display (scripts/xdisplay): a
1920x1080 primary monitor at 0,0, a 1280x1024 second monitor at 1920,0,
openbox as window manager and trayer as system tray.  Everything here uses
the standard library and the X command-line tools (xwininfo, xdotool, xprop,
ImageMagick's import/convert/display).
"""

import hashlib
import json
import os
import re
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest

# The monitors of each layout tests/e2e/with_display can make (--layout),
# in root pixels: the primary, the second (where the output goes), the root's
# size, and a spot on the root that belongs to no monitor: the pointer is
# parked there so that it is drawn into no captured picture.
LAYOUTS = {
    "right": ((0, 0, 1920, 1080), (1920, 0, 1280, 1024), (3200, 1080), (3190, 1070)),
    "left": ((1280, 0, 1920, 1080), (0, 0, 1280, 1024), (3200, 1080), (1270, 1070)),
    "above": ((0, 1024, 1920, 1080), (0, 0, 1280, 1024), (1920, 2104), (1910, 10)),
    "three": ((1280, 0, 1920, 1080), (0, 0, 1280, 1024), (4224, 1080), (4214, 1070)),
}
LAYOUT = os.environ.get("VIVIVOZ_E2E_LAYOUT", "right")
PRIMARY, SECOND, ROOT_SIZE, POINTER_PARK = LAYOUTS.get(LAYOUT, LAYOUTS["right"])
# Xft.dpi of the display; the program's scale is DPI / 96.
DPI = int(os.environ.get("VIVIVOZ_E2E_DPI", "96") or 96)
# The desktop around the program (scripts/xdisplay --desk): "openbox" with
# trayer's XEmbed tray, or "xfce", xfwm4 with xfce4-panel's
# StatusNotifierItem tray on a private session bus (VIVIVOZ_E2E_BUS).
DESK = os.environ.get("VIVIVOZ_E2E_DESK", "openbox")
DESK_BUS = os.environ.get("VIVIVOZ_E2E_BUS", "")

COMMAND_TIMEOUT = 20


def run(args, timeout=COMMAND_TIMEOUT, check=True, binary=False):
    """Runs a tool and returns its stdout; raises with its stderr on failure."""
    try:
        done = subprocess.run(args, capture_output=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        raise AssertionError(f"{args[0]} did not finish within {timeout} s: {' '.join(args)}")
    if check and done.returncode != 0:
        raise AssertionError(
            f"{' '.join(args)} failed with status {done.returncode}: "
            f"{done.stderr.decode(errors='replace').strip()}")
    return done.stdout if binary else done.stdout.decode(errors="replace")


def wait_until(what, probe, timeout, interval=0.2):
    """Polls probe() until it returns a true value, which is returned.

    Raises AssertionError naming `what` when the time runs out."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


# --- windows -----------------------------------------------------------------

# One line of `xwininfo -tree`:
#   0x600006 "vivivoz": ("vivivoz" "vivivoz")  22x30+0+0  +1+1049
TREE_LINE = re.compile(
    r'^(?P<indent>\s*)(?P<id>0x[0-9a-f]+) (?P<name>.*?): \((?P<cls>[^)]*)\)\s+'
    r'(?P<w>\d+)x(?P<h>\d+)[+-]-?\d+[+-]-?\d+\s+\+?(?P<x>-?\d+)\+?(?P<y>-?\d+)\s*$')


class Window:
    def __init__(self, wid, name, cls, x, y, w, h, depth):
        self.id, self.name, self.cls = wid, name, cls
        self.x, self.y, self.w, self.h, self.depth = x, y, w, h, depth
        self.children = []

    @property
    def geometry(self):
        return (self.x, self.y, self.w, self.h)

    def walk(self):
        yield self
        for child in self.children:
            yield from child.walk()

    def __repr__(self):
        return f"Window({self.id} {self.name} ({self.cls}) {self.w}x{self.h}+{self.x}+{self.y})"


def window_tree():
    """The whole window tree of the root with absolute geometries."""
    # xwininfo gives up with BadDrawable when a window goes away while it
    # walks the tree (a message box closing): the walk is repeated.
    for attempt in range(5):
        try:
            text = run(["xwininfo", "-root", "-tree"])
            break
        except AssertionError:
            if attempt == 4:
                raise
            time.sleep(0.1)
    root = Window("root", "root", "", 0, 0, 0, 0, -1)
    stack = [root]
    for line in text.splitlines():
        m = TREE_LINE.match(line)
        if not m:
            continue
        depth = len(m.group("indent"))
        win = Window(int(m.group("id"), 16), m.group("name"), m.group("cls"),
                     int(m.group("x")), int(m.group("y")),
                     int(m.group("w")), int(m.group("h")), depth)
        while len(stack) > 1 and stack[-1].depth >= depth:
            stack.pop()
        stack[-1].children.append(win)
        stack.append(win)
    return root


def tray_panel(tree=None):
    tree = tree or window_tree()
    for win in tree.walk():
        if win.cls == '"panel" "trayer"':
            return win
    return None


def status_notifier_items(bus=None):
    """The items registered with the StatusNotifierItem watcher on `bus`
    (the desk's by default; "" for the session bus of the environment)."""
    bus = DESK_BUS if bus is None else bus
    env = dict(os.environ, DBUS_SESSION_BUS_ADDRESS=bus) if bus else None
    done = subprocess.run(["gdbus", "call", "--session", "--dest", "org.kde.StatusNotifierWatcher",
                           "--object-path", "/StatusNotifierWatcher", "--method",
                           "org.freedesktop.DBus.Properties.Get", "org.kde.StatusNotifierWatcher",
                           "RegisteredStatusNotifierItems"],
                          capture_output=True, text=True, timeout=COMMAND_TIMEOUT, env=env)
    return re.findall(r"'([^']+)'", done.stdout) if done.returncode == 0 else []


def xfce_tray_icon():
    """Where xfce4-panel's tray shows the program's icon (the tray's own
    area in the panel; the program's is the only item there), or None while
    the program has no item registered."""
    if not status_notifier_items():
        return None
    for win in window_tree().walk():
        if win.cls == '"xfce4-panel" "Xfce4-panel"' and win.h >= 20:
            for child in win.walk():
                if child is not win and child.w > 1 and child.h > 1:
                    return child
    return None


def tray_icon():
    """The vivivoz icon embedded in trayer's panel (on the xfce desk: shown
    by xfce4-panel's tray), or None."""
    if DESK == "xfce":
        return xfce_tray_icon()
    panel = tray_panel()
    if panel is None:
        raise AssertionError("trayer's panel window is missing from the display")
    for win in panel.walk():
        if win is not panel and "vivivoz" in win.cls.lower() and win.w > 1 and win.h > 1:
            return win
    return None


def panel_window_ids():
    panel = tray_panel()
    return {w.id for w in panel.walk()} if panel else set()


def visible_windows_of(pid):
    """Ids of the viewable windows that carry the process id `pid`."""
    out = run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(pid)], check=False)
    return [int(tok) for tok in out.split() if tok.isdigit()]


def geometry_of(wid):
    """Absolute (x, y, width, height) of a window, or None when it is gone."""
    out = run(["xwininfo", "-id", str(wid)], check=False)
    values = {}
    for key, label in (("x", "Absolute upper-left X"), ("y", "Absolute upper-left Y"),
                       ("w", "Width"), ("h", "Height")):
        m = re.search(rf"^\s*{label}:\s+(-?\d+)", out, re.M)
        if not m:
            return None
        values[key] = int(m.group(1))
    return (values["x"], values["y"], values["w"], values["h"])


def frame_extents(wid):
    """The window manager's frame extents (left, right, top, bottom), or None."""
    out = run(["xprop", "-id", str(wid), "_NET_FRAME_EXTENTS"], check=False)
    m = re.search(r"=\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+)", out)
    return tuple(int(v) for v in m.groups()) if m else None


def top_level_windows(pid):
    """Viewable windows of pid outside the tray, as {id: geometry}."""
    in_tray = panel_window_ids()
    result = {}
    for wid in visible_windows_of(pid):
        if wid in in_tray:
            continue
        geo = geometry_of(wid)
        if geo:
            result[wid] = geo
    return result


def window_name(wid):
    return run(["xdotool", "getwindowname", str(wid)], check=False).rstrip("\n")


def window_types(wid):
    """The _NET_WM_WINDOW_TYPE atoms of a window, as a string."""
    return run(["xprop", "-id", str(wid), "_NET_WM_WINDOW_TYPE"], check=False)


def is_override_redirect(wid):
    return bool(re.search(r"Override Redirect State:\s+yes", run(["xwininfo", "-id", str(wid)], check=False)))


def named_windows(pid, name):
    """Viewable top-level windows of pid (outside the tray) with this exact title."""
    return [wid for wid in top_level_windows(pid) if window_name(wid) == name]


def message_boxes(pid):
    """The program's open message boxes: dialogs captioned "Vivivoz"."""
    return [wid for wid in named_windows(pid, "Vivivoz") if "_NET_WM_WINDOW_TYPE_DIALOG" in window_types(wid)]


def active_window():
    out = run(["xdotool", "getactivewindow"], check=False).strip()
    return int(out) if out.isdigit() else None


def opacity_of(wid):
    """The window's _NET_WM_WINDOW_OPACITY as 0..255 (255 when not set)."""
    out = run(["xprop", "-id", str(wid), "_NET_WM_WINDOW_OPACITY"], check=False)
    m = re.search(r"=\s*(\d+)", out)
    return 255 if not m else round(int(m.group(1)) * 255 / 0xFFFFFFFF)


class SelectionOwner:
    """A client that owns the X selection `name` and never answers a request
    for its content, until close(). Talks to the server through libX11 with
    ctypes."""

    def __init__(self, name):
        import ctypes
        import ctypes.util
        x = ctypes.CDLL(ctypes.util.find_library("X11"))
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XCreateSimpleWindow.restype = ctypes.c_ulong
        x.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 2 + \
            [ctypes.c_uint] * 3 + [ctypes.c_ulong] * 2
        x.XInternAtom.restype = ctypes.c_ulong
        x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x.XSetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong]
        x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.x = x
        self.display = x.XOpenDisplay(None)
        if not self.display:
            raise AssertionError(f"cannot open the display to own the selection {name}")
        window = x.XCreateSimpleWindow(self.display, x.XDefaultRootWindow(self.display), 0, 0, 1, 1, 0, 0, 0)
        x.XSetSelectionOwner(self.display, x.XInternAtom(self.display, name, 0), window, 0)
        x.XSync(self.display, 0)

    def close(self):
        # Closing the connection destroys the window and so gives the selection up.
        if self.display:
            self.x.XCloseDisplay(self.display)
            self.display = None


class FakeCompositor:
    """Owns the screen's _NET_WM_CM_S0 selection while the block runs, which
    is how a compositing manager makes itself known; nothing is composited."""

    def __enter__(self):
        self.owner = SelectionOwner(b"_NET_WM_CM_S0")
        return self

    def __exit__(self, *exc):
        self.owner.close()
        return False


def activate(wid):
    run(["xdotool", "windowactivate", "--sync", str(wid)], check=False)


# --- the display's tray ---------------------------------------------------------

# As scripts/xdisplay starts it: on the primary monitor.
TRAYER = ["trayer", "--edge", "bottom", "--align", "left",
          "--monitor", "0" if LAYOUT in ("right", "single") else "1",
          "--widthtype", "pixel", "--width", "64", "--height", "32", "--SetDockType", "true",
          "--transparent", "false"]


def display_pids_file():
    """scripts/xdisplay's list of the display's processes."""
    return f"/tmp/vivivoz-xdisplay-{os.environ['DISPLAY'].lstrip(':').split('.')[0]}.pids"


def stop_tray():
    """Stops the display's trayer (every one in its list) and waits until its panel is gone."""
    with open(display_pids_file()) as f:
        pids = [int(line.split()[0]) for line in f if line.split()[1:] == ["trayer"]]
    for pid in pids:
        try:
            os.kill(pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
    wait_until("the tray to go", lambda: tray_panel() is None, 10)


def start_tray():
    """Starts a new trayer, entered in the display's list of processes so that
    `scripts/xdisplay stop` ends it like the first one, and waits for its panel."""
    # Started apart from the test (its shell ends at once), as the display's own.
    pid = run(["bash", "-c", 'setsid "$@" </dev/null >/dev/null 2>&1 & echo $!', "trayer", *TRAYER])
    with open(display_pids_file(), "a") as f:
        f.write(f"{int(pid)} trayer\n")
    return wait_until("the new tray's panel", tray_panel, 15)


# --- input -------------------------------------------------------------------

def centre(win):
    return (win.x + win.w // 2, win.y + win.h // 2)


def click(x, y, button=1):
    run(["xdotool", "mousemove", str(x), str(y), "click", str(button)])


def park_pointer():
    run(["xdotool", "mousemove", str(POINTER_PARK[0]), str(POINTER_PARK[1])])


def keys(*names):
    run(["xdotool", "key", *names])


def press(button=1):
    run(["xdotool", "mousedown", str(button)])


def release(button=1):
    run(["xdotool", "mouseup", str(button)])


def move_pointer(x, y):
    run(["xdotool", "mousemove", str(x), str(y)])


# --- pictures ----------------------------------------------------------------

def grab(x, y, w, h):
    """Pixels of a root rectangle as (width, height, bytes of RGB triples)."""
    data = run(["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "+repage",
                "-depth", "8", "ppm:-"], binary=True, timeout=30)
    return parse_ppm(data)


def parse_ppm(data):
    m = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
    if not m:
        raise AssertionError("import did not produce a PPM picture")
    w, h, maxval = (int(v) for v in m.groups())
    if maxval != 255:
        raise AssertionError(f"unexpected PPM depth {maxval}")
    pixels = data[m.end():]
    if len(pixels) < w * h * 3:
        raise AssertionError(f"short PPM picture: {len(pixels)} bytes for {w}x{h}")
    return w, h, pixels


def pixel(picture, x, y):
    w, _, pixels = picture
    i = (y * w + x) * 3
    return tuple(pixels[i:i + 3])


def close_to(a, b, tolerance):
    return all(abs(p - q) <= tolerance for p, q in zip(a, b))


# --- the program under test ----------------------------------------------------

def binary_from_argv():
    """Takes the binary path from argv[1] (CMake passes $<TARGET_FILE:vivivoz>)."""
    if len(sys.argv) < 2 or not os.path.isfile(sys.argv[1]):
        sys.exit(f"usage: {sys.argv[0]} PATH-TO-VIVIVOZ [unittest args]")
    path = os.path.abspath(sys.argv.pop(1))
    if "DISPLAY" not in os.environ:
        sys.exit(f"{sys.argv[0]}: DISPLAY is not set; run through tests/e2e/with_display")
    return path


def channel_path(binary, runtime_dir):
    """Where the running copy of `binary` listens for later starts."""
    digest = hashlib.sha256(os.path.realpath(binary).encode()).hexdigest()[:16]
    return os.path.join(runtime_dir, f"vivivoz-{digest}.socket")


def ask_running(channel, arguments, timeout):
    """Hands a later start's arguments to the copy listening on `channel`;
    its answer line, or None when none came within `timeout` seconds."""
    try:
        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
            s.settimeout(timeout)
            s.connect(channel)
            s.sendall(json.dumps(arguments, separators=(",", ":")).encode() + b"\n")
            answer = b""
            while not answer.endswith(b"\n"):
                chunk = s.recv(4096)
                if not chunk:
                    break
                answer += chunk
            return answer.decode(errors="replace").strip() or None
    except OSError:
        return None


class Vivivoz:
    """One vivivoz process with its own config folder and log.

    Used as a context manager: leaving the block ends the process if it still
    runs (TERM, then KILL), so no test leaves one behind."""

    def __init__(self, binary, args=(), config_dir=None):
        self.binary = binary
        self._own_dir = None
        if config_dir is None:
            self._own_dir = tempfile.TemporaryDirectory(prefix="vivivoz-e2e-")
            config_dir = self._own_dir.name
        self.config_dir = config_dir
        self.args = ["--config-dir", config_dir, *args]
        self.log_path = os.path.join(config_dir, "vivivoz-e2e.log")
        self.proc = None

    @property
    def config_file(self):
        return os.path.join(self.config_dir, "Vivivoz.cfg")

    def start(self):
        env = dict(os.environ)
        # No session bus: Qt then docks the icon in trayer by XEmbed instead of
        # looking for a StatusNotifier host that is not there. The xfce desk's
        # bus has one.
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        if DESK_BUS:
            env["DBUS_SESSION_BUS_ADDRESS"] = DESK_BUS
        env["QT_QPA_PLATFORM"] = "xcb"
        env.setdefault("XDG_RUNTIME_DIR", self.config_dir)
        self.channel = channel_path(self.binary, env["XDG_RUNTIME_DIR"])
        self._log = open(self.log_path, "ab")
        self.proc = subprocess.Popen([self.binary, *self.args], env=env,
                                     stdin=subprocess.DEVNULL, stdout=self._log,
                                     stderr=subprocess.STDOUT)
        return self

    def ask(self, arguments, timeout):
        """A later start's answer line (see ask_running)."""
        return ask_running(self.channel, arguments, timeout)

    def running(self):
        return self.proc is not None and self.proc.poll() is None

    def wait(self, timeout):
        """Waits for the end of the process and returns its status."""
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"vivivoz still runs {timeout} s later\n{self.log()}")

    def log(self):
        try:
            with open(self.log_path, "rb") as f:
                text = f.read().decode(errors="replace")
        except OSError:
            return ""
        return "--- vivivoz output ---\n" + text[-4000:] if text else ""

    def wait_for_tray_icon(self, timeout=60):
        def probe():
            if not self.running():
                raise AssertionError(
                    f"vivivoz ended with status {self.proc.returncode} before its tray icon "
                    f"appeared\n{self.log()}")
            return tray_icon()
        try:
            return wait_until("the tray icon in trayer's panel", probe, timeout)
        except AssertionError as e:
            raise AssertionError(f"{e}\n{self.log()}") from None

    def stop(self):
        if self.running():
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait(timeout=10)
        if self.proc is not None and getattr(self, "_log", None):
            self._log.close()
            self._log = None

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
        if self._own_dir is not None:
            self._own_dir.cleanup()
        return False


# The tray menu's layout: (caption, submenu or None); None alone is a
# separator, which the keyboard skips.  Every item is enabled.
TRAY_MENU = [
    ("Quick start mirroring", [
        ("Desktop", None), ("Part of Desktop", None), ("Single Application", None), ("Clipboard", None),
        ("Slideshow", [("Open Slideshow", None), ("Make Slideshow", None)]),
        ("Scroll Text", None)]),
    ("View Mode", [("Normal", None), ("Stretch", None), ("Optimal", None), ("Resize", None), ("Scale", None)]),
    None,
    ("Enable Secondary Monitor", None), ("Show Preview", None), ("Show Toolbar", None),
    ("Auto Hide Toolbar", None),
    None,
    ("Capture an Image", None), ("Lock / Unlock cursor onto screen", None),
    ("Set Mouse Area", [("Select Screen Area", None), ("Primary Monitor", None)]),
    None,
    ("Stop All", None), ("Reset All Settings", None), ("Load at Startup", None),
    None,
    ("Settings", None), ("Shortcuts", None), ("Monitor Details", None),
    None,
    ("Visit the Vivivoz website", None), ("About", None),
    None,
    ("Exit", None),
]


def menu_keys(*path):
    """The key presses that choose the item at `path` (captions from the top
    level down) in the just opened tray menu, ending with Return.

    The open menu has no current item: Down makes the first one current, Up
    the last; the shorter way is taken.  Right opens a submenu with its first
    item current."""
    moves, items, top = [], TRAY_MENU, True
    for depth, caption in enumerate(path):
        entries = [item for item in items if item is not None]
        names = [name for name, _ in entries]
        if caption not in names:
            raise AssertionError(f"no item {caption!r} in the tray menu among {names}")
        index = names.index(caption)
        if top:
            down, up = index + 1, len(entries) - index
            moves += ["Down"] * down if down <= up else ["Up"] * up
            top = False
        else:
            moves += ["Down"] * index
        submenu = entries[index][1]
        if depth + 1 < len(path):
            if submenu is None:
                raise AssertionError(f"{caption!r} has no submenu")
            moves.append("Right")
            items = submenu
    return [*moves, "Return"]


class TrayMenu:
    """Opens the program's tray menu and tells when it is open.

    A menu is an override-redirect window of the program that was not there
    before the first opening (the program's other override-redirect windows,
    such as the embedded icon, stay)."""

    def __init__(self, app):
        self.app = app
        self.resident = set(self.override_windows())

    def override_windows(self):
        if DESK == "xfce":
            # The panel shows the menu it read from the program over D-Bus.
            out = run(["xdotool", "search", "--all", "--onlyvisible", "--class", "wrapper-2.0"], check=False)
            owned = [int(tok) for tok in out.split() if tok.isdigit()]
        else:
            owned = visible_windows_of(self.app.proc.pid)
        return [wid for wid in owned if is_override_redirect(wid)]

    def windows(self):
        return [wid for wid in self.override_windows() if wid not in self.resident]

    def open(self, icon):
        # The menu's window is reused from one opening to the next; a click that
        # lands while the last one is still closing is lost, so it is repeated.
        for attempt in range(3):
            wait_until("the menu to close", lambda: not self.windows(), 10)
            click(*centre(icon), button=3)
            try:
                return wait_until("the tray menu", self.windows, 8)
            except AssertionError:
                if attempt == 2:
                    raise

    def choose(self, icon, *key_names):
        """Opens the menu, walks it with the keys and waits for it to close."""
        self.open(icon)
        keys(*key_names)
        wait_until("the menu to close after the command", lambda: not self.windows(), 10)

    def choose_item(self, icon, *path):
        """Opens the menu and chooses the item at `path`, e.g.
        ("Quick start mirroring", "Clipboard")."""
        self.choose(icon, *menu_keys(*path))


# Every key a save of the settings file writes, section by section, in order.
SAVED_KEYS = {
    "Velikost": ["Levo", "Gor"],
    "Options": ["optAutohide", "Cursorx0", "Cursorx9", "Cursory0", "Cursory9", "OptCursorLimit",
                "ImgCounter", "optAutohideagain", "opScaleValue", "optShowcursor", "optShowredpoint",
                "optCenter", "optLeft", "optTop", "refreshRate", "MAXrefreshRate", "optStbar",
                "ImageSavePath", "HotKey", "CbBeep"],
    "Config": ["load"],
    "Display": ["Daf"],
}


def simple_sections(text):
    """{section: {key: value}} of an INI text with any line ends."""
    result, current = {}, None
    for line in text.replace("\r\n", "\n").split("\n"):
        m = re.match(r"^\[(.+)\]$", line)
        if m:
            current = result.setdefault(m.group(1), {})
        elif "=" in line and current is not None:
            key, value = line.split("=", 1)
            current[key] = value
    return result


class DisplayTest(unittest.TestCase):
    """Base of the end-to-end tests: knows the binary and parks the pointer."""

    binary = None

    def setUp(self):
        park_pointer()

    def vivivoz(self, *args, config_dir=None):
        return Vivivoz(self.binary, args, config_dir)


def main():
    DisplayTest.binary = binary_from_argv()
    unittest.main(verbosity=2)
