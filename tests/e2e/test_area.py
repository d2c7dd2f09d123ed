#!/usr/bin/env python3
"""Part of Desktop and the cursor lock on the virtual display.

A dragged rectangle is mirrored exactly on the second monitor; Escape leaves
the overlay; with the lock on, relative motion stops at the edge of the mouse
area, a warp out is undone by the lock's tick, Ctrl lets the pointer through,
and the lock switched off frees it.
"""

import ctypes
import os
import re
import tempfile
import time

import e2e_lib as e2e
import test_mirror as mirror

RED, GREEN, MAGENTA, CYAN = (255, 0, 0), (0, 255, 0), (255, 0, 255), (0, 255, 255)

# The dragged area: 200 x 160 pixels (the second monitor's 5:4), from
# (380, 260) to (580, 420) of the primary monitor. Its inner corner at
# (480, 360) is where four cells of the test grid meet, 100 pixels from its
# left and top.
AREA = (380, 260, 580, 420)
CORNER = (480, 360)


def on_primary(x, y):
    """A point of the primary monitor in root coordinates (it may stand anywhere)."""
    return (e2e.PRIMARY[0] + x, e2e.PRIMARY[1] + y)


def pointer():
    out = e2e.run(["xdotool", "getmouselocation"])
    m = re.search(r"x:(-?\d+) y:(-?\d+)", out)
    return int(m.group(1)), int(m.group(2))


def move_by(dx, dy):
    """Relative motion, as a mouse makes it: the motion fences stop."""
    e2e.run(["xdotool", "mousemove_relative", "--", str(dx), str(dy)])


def settled_pointer():
    time.sleep(0.15)
    return pointer()


class _Xlib:
    """XWarpPointer through libX11: a warp passes every barrier, as another
    program's warp would."""

    def __init__(self):
        self.lib = ctypes.CDLL("libX11.so.6")
        self.lib.XOpenDisplay.restype = ctypes.c_void_p
        self.lib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.lib.XDefaultRootWindow.restype = ctypes.c_ulong
        self.lib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.lib.XWarpPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int,
                                          ctypes.c_int, ctypes.c_uint, ctypes.c_uint, ctypes.c_int, ctypes.c_int]
        self.lib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.display = self.lib.XOpenDisplay(None)
        if not self.display:
            raise AssertionError("cannot open the display with libX11")
        self.root = self.lib.XDefaultRootWindow(self.display)

    def warp(self, x, y):
        self.lib.XWarpPointer(self.display, 0, self.root, 0, 0, 0, 0, x, y)
        self.lib.XSync(self.display, 0)


def write_config(folder, text):
    with open(os.path.join(folder, "Vivivoz.cfg"), "wb") as f:
        f.write(text.replace("\n", "\r\n").encode())


class AreaTest(e2e.DisplayTest):
    def choose(self, app, icon, *path):
        """Chooses the tray menu's item at `path` (captions from the top level down)."""
        if not hasattr(self, "menu"):
            self.menu = e2e.TrayMenu(app)
        self.menu.choose_item(icon, *path)

    def setUp(self):
        super().setUp()
        self.config = tempfile.TemporaryDirectory(prefix="vivivoz-e2e-area-")
        self.addCleanup(self.config.cleanup)
        self.addCleanup(lambda: e2e.run(["xdotool", "keyup", "ctrl"], check=False))

    def overlay(self, app):
        """The overlay's window: the whole primary monitor."""
        for wid, geo in e2e.top_level_windows(app.proc.pid).items():
            if geo == e2e.PRIMARY:
                return wid
        return None

    def wait_for_overlay(self, app):
        def shown():
            self.assertTrue(app.running(), app.log())
            return self.overlay(app)
        try:
            e2e.wait_until("the area overlay over the primary monitor", shown, 20)
        except AssertionError as e:
            raise AssertionError(f"{e}; windows of vivivoz: {e2e.top_level_windows(app.proc.pid)}\n"
                                 f"{app.log()}") from None
        time.sleep(0.3)  # mapped: give it the time to take the keyboard and paint

    def drag(self, start, end):
        e2e.run(["xdotool", "mousemove", str(start[0]), str(start[1]), "mousedown", "1"])
        mid = ((start[0] + end[0]) // 2, (start[1] + end[1]) // 2)
        for x, y in (mid, end):
            e2e.run(["xdotool", "mousemove", str(x), str(y)])
            time.sleep(0.05)
        e2e.run(["xdotool", "mouseup", "1"])

    def test_dragged_area_is_mirrored_exactly_and_escape_cancels(self):
        with tempfile.TemporaryDirectory(prefix="vivivoz-e2e-pic-") as folder:
            mirror.put_test_picture_on_root(folder)
        write_config(self.config.name, "[Display]\nDaf=2\n")  # Stretch
        with self.vivivoz(config_dir=self.config.name) as app:
            icon = app.wait_for_tray_icon()

            # Escape first: the overlay goes and nothing is mirrored.
            self.choose(app, icon, "Quick start mirroring", "Part of Desktop")
            self.wait_for_overlay(app)
            # The banner stands at 32, 40 in the overlay's logical pixels.
            scale = e2e.DPI / 96
            banner = e2e.grab(*on_primary(int(34 * scale), int(42 * scale)), 4, 4)
            self.assertTrue(e2e.close_to(e2e.pixel(banner, 0, 0), RED, 8), "the red banner")
            e2e.keys("Escape")
            e2e.wait_until("the overlay to close on Escape", lambda: not self.overlay(app), 10)

            # Then a drag up and to the left, from the bottom right corner.
            self.choose(app, icon, "Quick start mirroring", "Part of Desktop")
            self.wait_for_overlay(app)
            self.drag(on_primary(AREA[2], AREA[3]), on_primary(AREA[0], AREA[1]))
            e2e.park_pointer()
            e2e.wait_until("the overlay to close at the release", lambda: not self.overlay(app), 10)

            # Stretched 6.4 times: the cells meet at 640, 640 on the second
            # monitor. Samples 3 pixels from there tell a rectangle one pixel
            # off in place or size.
            sx, sy, sw, sh = e2e.SECOND
            meet_x = round((CORNER[0] - AREA[0]) * sw / (AREA[2] - AREA[0]))
            meet_y = round((CORNER[1] - AREA[1]) * sh / (AREA[3] - AREA[1]))
            xs = [3, meet_x // 2, meet_x - 3, meet_x + 3, (meet_x + sw) // 2, sw - 4]
            ys = [3, meet_y // 2, meet_y - 3, meet_y + 3, (meet_y + sh) // 2, sh - 4]

            def want(x, y):
                return [[RED, GREEN], [MAGENTA, CYAN]][y >= meet_y][x >= meet_x]
            last = []

            def mirrored():
                nonlocal last
                self.assertTrue(app.running(), app.log())
                second = e2e.grab(sx, sy, sw, sh)
                last = [f"at {x},{y}: want {want(x, y)}, got {e2e.pixel(second, x, y)}"
                        for y in ys for x in xs
                        if not e2e.close_to(e2e.pixel(second, x, y), want(x, y), mirror.TOLERANCE)]
                return not last
            try:
                e2e.wait_until("the dragged area on the second monitor", mirrored, 45, interval=1)
            except AssertionError as e:
                raise AssertionError(f"{e}:\n  " + "\n  ".join(last) + f"\n{app.log()}") from None

    def test_cursor_lock(self):
        x11 = _Xlib()
        # Locked from the start onto the default mouse area: the primary monitor.
        write_config(self.config.name, "[Options]\nOptCursorLimit=1\n")
        with self.vivivoz(config_dir=self.config.name) as app:
            icon = app.wait_for_tray_icon()

            # The first tick brings the parked pointer in.
            e2e.wait_until("the pointer on the primary monitor", lambda: pointer()[0] < 1920, 10, 0.05)

            # Relative motion toward the second monitor stops at the edge.
            x11.warp(1800, 500)
            move_by(400, 0)
            self.assertEqual(settled_pointer(), (1919, 500), app.log())

            # A warp onto the second monitor is undone by the next tick.
            delays = []
            for y in (300, 400, 500, 600, 700):
                time.sleep(0.1 * (y % 3))
                x11.warp(2500, y)
                began = time.monotonic()
                e2e.wait_until("the warp to be undone", lambda: pointer()[0] < 1920, 3, 0.01)
                delays.append(time.monotonic() - began)
                self.assertEqual(pointer(), (1919, y))
            print(f"warp undone after {', '.join(f'{d * 1000:.0f}' for d in delays)} ms", flush=True)
            # One tick is 250 ms; the margin is for a loaded machine.
            self.assertLess(max(delays), 0.75, delays)

            # Ctrl held lets the pointer through; it stays out when let go.
            x11.warp(1800, 500)
            e2e.run(["xdotool", "keydown", "ctrl"])
            move_by(200, 0)
            time.sleep(0.3)
            move_by(200, 0)
            e2e.run(["xdotool", "keyup", "ctrl"])  # let go at once: no check sees Ctrl outside
            out = settled_pointer()
            self.assertGreater(out[0], 1920, "Ctrl held")
            time.sleep(0.6)
            self.assertEqual(pointer(), out, "still out after two ticks")

            # The lock off frees the pointer at the next tick.
            self.choose(app, icon, "Lock / Unlock cursor onto screen")

            def free():
                x11.warp(1800, 500)
                move_by(400, 0)
                return settled_pointer()[0] > 1920
            e2e.wait_until("the pointer free after the lock is off", free, 5, 0)

            # A mouse area dragged on the overlay, released beyond it over
            # the second monitor; then the lock on again: the pointer is held
            # in that area, which reaches onto the second monitor.
            self.choose(app, icon, "Set Mouse Area", "Select Screen Area")
            self.wait_for_overlay(app)
            self.drag((1800, 900), (2500, 1000))
            e2e.wait_until("the overlay to close", lambda: not self.overlay(app), 10)
            self.choose(app, icon, "Lock / Unlock cursor onto screen")

            def held_in_area():
                x11.warp(1850, 950)
                move_by(1000, 1000)
                return settled_pointer() == (2499, 999)
            e2e.wait_until("the pointer held in the dragged area", held_in_area, 5, 0)

            # A termination signal saves the lock and its area and leaves no
            # fence behind.
            app.stop()
            self.assertEqual(app.proc.returncode, 0, app.log())
        with open(os.path.join(self.config.name, "Vivivoz.cfg"), "rb") as f:
            saved = f.read().decode("latin-1")
        for line in ("OptCursorLimit=1", "Cursorx0=1800", "Cursory0=900", "Cursorx9=2500", "Cursory9=1000"):
            self.assertIn(line + "\r\n", saved)
        x11.warp(400, 350)
        move_by(2000, 0)
        self.assertGreater(settled_pointer()[0], 1920, "free after the program ended")


if __name__ == "__main__":
    e2e.main()
