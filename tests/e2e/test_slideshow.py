#!/usr/bin/env python3
"""A slideshow file opened from the tray menu plays on the second monitor."""

import os
import tempfile

import e2e_lib as e2e

# Solid pictures: what each looks like in the middle of the second monitor.
PICTURES = [("red.png", "red", (255, 0, 0)), ("green.png", "lime", (0, 255, 0)), ("blue.png", "blue", (0, 0, 255))]


def write_slideshow(folder, seconds):
    paths = []
    for name, colour, _ in PICTURES:
        path = os.path.join(folder, name)
        e2e.run(["convert", "-size", "640x480", f"xc:{colour}", f"PNG24:{path}"])
        paths.append(path)
    show = os.path.join(folder, "three.vsl")
    with open(show, "wb") as f:
        f.write("".join(line + "\r\n" for line in [str(seconds), "Off", *paths]).encode())
    return show


class SlideshowTest(e2e.DisplayTest):
    def dialog_window(self, app):
        for wid in e2e.visible_windows_of(app.proc.pid):
            name = e2e.run(["xdotool", "getwindowname", str(wid)], check=False).strip()
            if name == "Open":
                return wid
        return None

    def test_open_slideshow_from_the_tray_plays_the_pictures_in_turn(self):
        with tempfile.TemporaryDirectory(prefix="vivivoz-e2e-show-") as folder:
            show = write_slideshow(folder, 3)
            with self.vivivoz() as app:
                icon = app.wait_for_tray_icon()
                e2e.TrayMenu(app).choose_item(icon, "Quick start mirroring", "Slideshow", "Open Slideshow")
                wid = e2e.wait_until("the file dialog", lambda: self.dialog_window(app), 30)
                e2e.run(["xdotool", "windowactivate", "--sync", str(wid)], check=False)
                e2e.run(["xdotool", "type", "--delay", "20", show])
                e2e.keys("Return")
                e2e.park_pointer()

                sx, sy, sw, sh = e2e.SECOND
                seen = []

                def middle():
                    self.assertTrue(app.running(), app.log())
                    got = e2e.pixel(e2e.grab(sx + sw // 2 - 2, sy + sh // 2 - 2, 4, 4), 2, 2)
                    # The order of first appearances: during a transition some
                    # effects (shreds, speckles) draw a fresh random pattern on
                    # every frame, so one pixel may go back and forth between
                    # the old and the new picture.
                    for _, _, colour in PICTURES:
                        if e2e.close_to(got, colour, 12) and colour not in seen:
                            seen.append(colour)
                    return len(seen) == len(PICTURES)
                try:
                    e2e.wait_until("the three pictures in turn on the second monitor", middle, 60, interval=0.3)
                except AssertionError as e:
                    raise AssertionError(f"{e}; seen {seen}\n{app.log()}") from None
                self.assertEqual(seen, [c for _, _, c in PICTURES])
                # Outside the 640x480 picture, centred on the monitor, stays black.
                corner = e2e.pixel(e2e.grab(sx + 10, sy + 10, 4, 4), 1, 1)
                self.assertTrue(e2e.close_to(corner, (0, 0, 0), 8), corner)


if __name__ == "__main__":
    e2e.main()
