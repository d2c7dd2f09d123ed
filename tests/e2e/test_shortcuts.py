#!/usr/bin/env python3
"""Global keys: a shortcut set in the shortcuts dialog runs its action when
pressed; the capture key writes numbered files of the output's picture; a
combination another client holds is reported."""

import ctypes
import ctypes.util
import os
import re
import tempfile

import e2e_lib as e2e
import test_mirror as mirror

# Client-area positions of controls in the dialogs (fixed layouts).
SEND_BOX = (200, 104)              # shortcuts dialog, left column, first row
STOP_ALL_BOX = (200, 272)          # shortcuts dialog, left column, fourth row
SHORTCUTS_OK = (619, 396)
CAPTURE_TYPE_BOX = (300, 170)      # capture dialog, "File type:"
CAPTURE_START = (370, 347)


def find_window(title, timeout=20):
    def probe():
        out = e2e.run(["xdotool", "search", "--onlyvisible", "--name", f"^{re.escape(title)}$"], check=False)
        ids = [int(t) for t in out.split() if t.isdigit()]
        return ids[0] if ids else None
    return e2e.wait_until(f"the window {title!r}", probe, timeout)


def click_in(wid, pos):
    x, y, _, _ = e2e.geometry_of(wid)
    e2e.click(x + pos[0], y + pos[1])


def read_picture(path):
    """A picture file as (width, height, RGB bytes), through ImageMagick."""
    return e2e.parse_ppm(e2e.run(["convert", path, "-depth", "8", "ppm:-"], binary=True, timeout=30))


class KeyHolder:
    """Another X client that holds a key combination on the root window."""

    def __init__(self, keysym, modifiers):
        self.x = ctypes.CDLL(ctypes.util.find_library("X11"))
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.x.XGrabKey.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_uint, ctypes.c_ulong,
                                    ctypes.c_int, ctypes.c_int, ctypes.c_int]
        self.x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.dpy = self.x.XOpenDisplay(None)
        assert self.dpy, "cannot open the display"
        root = self.x.XDefaultRootWindow(self.dpy)
        code = self.x.XKeysymToKeycode(self.dpy, keysym)
        # GrabModeAsync = 1; owner_events False.
        self.x.XGrabKey(self.dpy, code, modifiers, root, 0, 1, 1)
        self.x.XSync(self.dpy, 0)

    def close(self):
        self.x.XCloseDisplay(self.dpy)


class ShortcutsTest(e2e.DisplayTest):
    def open_menu_item(self, app, icon, *moves):
        e2e.click(*e2e.centre(icon), button=3)
        e2e.wait_until("the tray menu", lambda: self.menu_open(app), 10)
        e2e.keys(*moves, "Return")

    def menu_open(self, app):
        return any(re.search(r"Override Redirect State:\s+yes", e2e.run(["xwininfo", "-id", str(w)], check=False))
                   and (e2e.geometry_of(w) or (0, 0, 0, 0))[3] > 100
                   for w in e2e.visible_windows_of(app.proc.pid))

    def mirrored(self, app):
        sx, sy, sw, sh = e2e.SECOND
        self.assertTrue(app.running(), app.log())
        second = e2e.grab(sx, sy, sw, sh)
        return all(e2e.close_to(e2e.pixel(second, x, y), mirror.expected_colour(x, y), mirror.TOLERANCE)
                   for x, y in mirror.sample_points(sw, sh))

    def wait_mirrored(self, app):
        e2e.wait_until("the mirrored desktop on the second monitor", lambda: self.mirrored(app), 45, interval=1)

    def test_shortcut_set_in_the_dialog_runs_stop_all(self):
        with tempfile.TemporaryDirectory(prefix="vivivoz-e2e-pic-") as folder:
            mirror.put_test_picture_on_root(folder)
        with self.vivivoz("--start", "desktop") as app:
            icon = app.wait_for_tray_icon()
            self.wait_mirrored(app)

            # "Shortcuts" is the fifth item from the bottom.
            self.open_menu_item(app, icon, "Up", "Up", "Up", "Up", "Up")
            dialog = find_window("Vivivoz - Create Shortcuts")
            click_in(dialog, STOP_ALL_BOX)
            e2e.keys("ctrl+F9")
            # The key, not the "!" that Shift makes of it.
            click_in(dialog, SEND_BOX)
            e2e.keys("shift+1")
            click_in(dialog, SHORTCUTS_OK)
            e2e.wait_until("the shortcuts dialog to close",
                           lambda: dialog not in e2e.visible_windows_of(app.proc.pid), 10)
            with open(app.config_file, encoding="latin-1", newline="") as f:
                stored = f.read()
            self.assertIn("HotKey6=Ctrl+F9\r\n", stored)
            self.assertIn("HotKey1=Shift+1\r\n", stored)

            e2e.park_pointer()
            e2e.keys("ctrl+F9")
            sx, sy, sw, sh = e2e.SECOND

            def black():
                second = e2e.grab(sx, sy, sw, sh)
                return all(e2e.close_to(e2e.pixel(second, x, y), (0, 0, 0), 8)
                           for x, y in mirror.sample_points(sw, sh))
            e2e.wait_until("Stop All to blank the second monitor", black, 20, interval=0.5)
            self.assertTrue(app.running(), app.log())

    def test_capture_key_writes_numbered_files_of_the_outputs_picture(self):
        with tempfile.TemporaryDirectory(prefix="vivivoz-e2e-pic-") as folder:
            mirror.put_test_picture_on_root(folder)
        with tempfile.TemporaryDirectory(prefix="vivivoz-e2e-shots-") as shots, \
                tempfile.TemporaryDirectory(prefix="vivivoz-e2e-cfg-") as cfg:
            with open(os.path.join(cfg, "Vivivoz.cfg"), "w", newline="") as f:
                f.write(f"[Options]\r\nImageSavePath={shots}/\r\nHotKey=Ctrl+F10\r\nImgCounter=10\r\n")
            with self.vivivoz("--start", "desktop", config_dir=cfg) as app:
                icon = app.wait_for_tray_icon()
                self.wait_mirrored(app)

                # "Capture an Image" is the seventh item from the top.
                self.open_menu_item(app, icon, *["Down"] * 7)
                dialog = find_window("Vivivoz - Capture an Image")
                # The mirror runs a tick or two behind the desktop: once it
                # shows the dialog, the bare desktop seen after the dialog
                # closes is newer than the dialog in every frame that follows.
                e2e.wait_until("the capture dialog in the mirror", lambda: not self.mirrored(app), 45,
                               interval=0.2)
                # PNG, the second entry: one turn of the wheel over the list.
                x, y, _, _ = e2e.geometry_of(dialog)
                e2e.click(x + CAPTURE_TYPE_BOX[0], y + CAPTURE_TYPE_BOX[1], button=5)
                click_in(dialog, CAPTURE_START)
                e2e.wait_until("the capture dialog to hide after Start",
                               lambda: dialog not in e2e.visible_windows_of(app.proc.pid), 10)

                first, second = (os.path.join(shots, n) for n in ("image10.png", "image11.png"))
                e2e.park_pointer()
                # The output mirrors the desktop again without the dialog in it.
                self.wait_mirrored(app)
                e2e.keys("ctrl+F10")
                e2e.wait_until("image10.png", lambda: os.path.exists(first), 20)
                e2e.keys("ctrl+F10")
                e2e.wait_until("image11.png", lambda: os.path.exists(second), 20)
                self.assertEqual(sorted(os.listdir(shots)), ["image10.png", "image11.png"])

                _, _, pw, ph = e2e.PRIMARY
                for path in (first, second):
                    picture = read_picture(path)
                    self.assertEqual(picture[:2], (pw, ph), path)
                    for i, colour in enumerate(mirror.COLOURS):
                        x, y = mirror.cell_centre(i % mirror.COLS, i // mirror.COLS, pw, ph)
                        self.assertTrue(e2e.close_to(e2e.pixel(picture, x, y), colour, 0),
                                        f"{path} at {x},{y}: {e2e.pixel(picture, x, y)} instead of {colour}")
                app.stop()
                with open(app.config_file, encoding="latin-1", newline="") as f:
                    self.assertIn("ImgCounter=12\r\n", f.read())

    def test_combination_held_by_another_client_is_reported(self):
        holder = KeyHolder(0xFFC5, 1 << 2)  # Ctrl+F8
        try:
            with tempfile.TemporaryDirectory(prefix="vivivoz-e2e-cfg-") as cfg:
                with open(os.path.join(cfg, "Vivivoz.cfg"), "w", newline="") as f:
                    f.write("[Options]\r\nHotKey6=Ctrl+F8\r\nHotKey1=Ctrl+F7\r\n")
                with self.vivivoz(config_dir=cfg) as app:
                    app.wait_for_tray_icon()
                    box = find_window("Vivivoz")
                    log = e2e.wait_until("the report in the log",
                                         lambda: "could not be taken" in app.log() and app.log(), 10)
                    self.assertIn('"Ctrl+F8" (Stop All)', log)
                    self.assertNotIn("Ctrl+F7", log)  # the free combination was taken
                    e2e.run(["xdotool", "windowactivate", "--sync", str(box)], check=False)
                    e2e.keys("Return")
                    e2e.wait_until("the message box to close",
                                   lambda: box not in e2e.visible_windows_of(app.proc.pid), 10)
                    self.assertTrue(app.running(), app.log())
        finally:
            holder.close()


if __name__ == "__main__":
    e2e.main()
