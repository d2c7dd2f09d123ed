#!/usr/bin/env python3
"""Single Application and Clipboard sources from the tray menu.

A test program's window is picked in the window picker and mirrored onto the
second monitor, also while another window covers it; a picture put on the
clipboard appears on the second monitor and text leaves it alone."""

import os
import subprocess
import tempfile
import time

import e2e_lib as e2e

# Four large cells of distinct colours: sampling their centres is immune to
# the window frame and to filtering.
QUADRANTS = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0)]
COVER = (255, 0, 255)
TOLERANCE = 40
PICKER_SIZE = (384, 546)


def quadrant_picture(path, width, height):
    (a, b, c, d) = QUADRANTS
    e2e.run(["convert", "-size", f"{width}x{height}", "xc:rgb(%d,%d,%d)" % d,
             "-fill", "rgb(%d,%d,%d)" % a, "-draw", f"rectangle 0,0 {width // 2 - 1},{height // 2 - 1}",
             "-fill", "rgb(%d,%d,%d)" % b, "-draw", f"rectangle {width // 2},0 {width - 1},{height // 2 - 1}",
             "-fill", "rgb(%d,%d,%d)" % c, "-draw", f"rectangle 0,{height // 2} {width // 2 - 1},{height - 1}",
             path])


def second_monitor_quadrants():
    """Colours at the centres of the second monitor's four quarters."""
    sx, sy, sw, sh = e2e.SECOND
    second = e2e.grab(sx, sy, sw, sh)
    return [e2e.pixel(second, x, y) for y in (sh // 4, 3 * sh // 4) for x in (sw // 4, 3 * sw // 4)]


def shows_quadrants():
    return all(e2e.close_to(got, want, TOLERANCE) for got, want in zip(second_monitor_quadrants(), QUADRANTS))


class ShowWindow:
    """An ImageMagick `display` window showing a picture, with a title."""

    def __init__(self, picture, title, at):
        self.title = title
        self.proc = subprocess.Popen(["display", "-title", title, "-geometry", f"+{at[0]}+{at[1]}", picture],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        out = e2e.wait_until(f"the window {title!r}", lambda: e2e.run(
            ["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"], check=False).split(), 20)
        self.wid = int(out[0])
        # display does not say which process it is; applications that do set
        # _NET_WM_PID, and the picker shows that process's program.
        e2e.run(["xprop", "-id", str(self.wid), "-f", "_NET_WM_PID", "32c", "-set", "_NET_WM_PID",
                 str(self.proc.pid)])
        self.program = os.path.realpath(f"/proc/{self.proc.pid}/exe")

    def close(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            self.proc.wait(timeout=10)


class SourcesTest(e2e.DisplayTest):
    def setUp(self):
        super().setUp()
        self.folder = tempfile.TemporaryDirectory(prefix="vivivoz-e2e-src-")
        self.cleanups = []

    def tearDown(self):
        for close in reversed(self.cleanups):
            close()
        self.folder.cleanup()

    def quick_start(self, app, icon, source):
        """Chooses Quick start mirroring > `source` in the tray menu."""
        e2e.TrayMenu(app).choose_item(icon, "Quick start mirroring", source)

    def picker_window(self, app):
        def find():
            for wid, geo in e2e.top_level_windows(app.proc.pid).items():
                if geo[2:] == PICKER_SIZE:
                    return wid, geo
            return None
        return e2e.wait_until("the window picker", find, 30)

    def test_picked_window_is_mirrored_also_when_covered(self):
        target_png = os.path.join(self.folder.name, "target.png")
        quadrant_picture(target_png, 600, 400)
        target = ShowWindow(target_png, "Picker Target", (100, 100))
        self.cleanups.append(target.close)

        with self.vivivoz() as app:
            icon = app.wait_for_tray_icon()
            self.quick_start(app, icon, "Single Application")
            _, (px, py, pw, ph) = self.picker_window(app)
            # The first entry's thumbnail: below the 20-pixel header, its
            # separator, title bar and path row, in the list's middle.
            thumb_x, thumb_y = px + (pw - 16) // 2, py + 20 + 1 + 13 + 18 + 55

            def thumbnail_shown():
                shot = e2e.grab(px, py, pw, ph)
                # 600 x 400 plus the frame: about 120 x 85; its quarters' centres.
                got = [e2e.pixel(shot, thumb_x - px + dx, thumb_y - py + dy)
                       for dy in (-18, 22) for dx in (-30, 30)]
                return all(e2e.close_to(g, w, TOLERANCE) for g, w in zip(got, QUADRANTS))
            e2e.wait_until("the target's thumbnail as the picker's first entry", thumbnail_shown, 20, 0.5)
            # Its title bar carries white text on the bar colour, and its path
            # row dark text on white: both rows hold text across their middle.
            shot = e2e.grab(px, py, pw, ph)
            row = lambda y: [e2e.pixel(shot, x, y - py) for x in range(px + 40 - px, pw - 60)]
            title_y, path_y = py + 20 + 1 + 6, py + 20 + 1 + 13 + 9
            self.assertTrue(any(e2e.close_to(p, (255, 255, 255), 60) for p in row(title_y)), "no title text")
            bar = sum(e2e.close_to(p, (101, 104, 120), 20) for p in row(title_y))
            self.assertGreater(bar, len(row(title_y)) // 2, "the title bar's colour")
            path_pixels = row(path_y)
            self.assertTrue(any(not e2e.close_to(p, (255, 255, 255), 40) for p in path_pixels),
                            f"no program path drawn for {target.program}")

            e2e.click(thumb_x, thumb_y)
            e2e.park_pointer()
            e2e.wait_until("the picked window on the second monitor", shows_quadrants, 30, 0.5)

            cover_png = os.path.join(self.folder.name, "cover.png")
            e2e.run(["convert", "-size", "700x500", "xc:rgb(%d,%d,%d)" % COVER, cover_png])
            cover = ShowWindow(cover_png, "Picker Cover", (50, 50))
            self.cleanups.append(cover.close)
            e2e.run(["xdotool", "windowactivate", "--sync", str(cover.wid)], check=False)
            time.sleep(1.5)
            screen = e2e.grab(0, 0, 800, 600)
            self.assertTrue(e2e.close_to(e2e.pixel(screen, 400, 300), COVER, TOLERANCE),
                            "the cover window does not cover the target")
            self.assertTrue(shows_quadrants(), f"covered window not mirrored: {second_monitor_quadrants()}")

            # The mirrored window closes: the output keeps the last picture.
            target.close()
            time.sleep(1.5)
            self.assertTrue(app.running(), app.log())
            self.assertTrue(shows_quadrants(), f"last frame lost: {second_monitor_quadrants()}")

    def test_clipboard_picture_is_shown_and_text_changes_nothing(self):
        picture_png = os.path.join(self.folder.name, "clip.png")
        quadrant_picture(picture_png, 320, 200)
        with self.vivivoz() as app:
            icon = app.wait_for_tray_icon()
            self.quick_start(app, icon, "Clipboard")
            e2e.park_pointer()
            time.sleep(1)

            def own_clipboard(*args, data=None):
                # -quiet keeps xclip in the foreground, serving the selection
                # until another owner takes it.
                proc = subprocess.Popen(["xclip", "-quiet", "-selection", "clipboard", *args],
                                        stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
                proc.stdin.write(data)
                proc.stdin.close()
                self.cleanups.append(lambda: proc.poll() is None and (proc.kill(), proc.wait()))

            with open(picture_png, "rb") as f:
                own_clipboard("-t", "image/png", data=f.read())
            e2e.wait_until("the clipboard picture on the second monitor", shows_quadrants, 30, 0.5)

            own_clipboard(data=b"some text")
            time.sleep(2)
            self.assertTrue(app.running(), app.log())
            self.assertTrue(shows_quadrants(), f"text changed the output: {second_monitor_quadrants()}")

            # An owner that never answers: the output keeps its picture, the
            # program keeps answering while its reader waits for the owner,
            # and the next owner's picture shows.
            silent = e2e.SelectionOwner(b"CLIPBOARD")
            self.cleanups.append(silent.close)
            time.sleep(1)
            self.assertTrue(shows_quadrants(), "a silent owner changed the output")
            asked = time.monotonic()
            self.assertIsNotNone(app.ask(["--rate", "0"], 10), app.log())
            answered = time.monotonic() - asked
            self.assertLess(answered, 1.0, "a later start waited for the silent clipboard owner")
            other_png = os.path.join(self.folder.name, "other.png")
            e2e.run(["convert", "-size", "320x200", "xc:rgb(%d,%d,%d)" % COVER, other_png])
            started = time.monotonic()
            with open(other_png, "rb") as f:
                own_clipboard("-t", "image/png", data=f.read())

            def shows_other():
                return all(e2e.close_to(got, COVER, TOLERANCE) for got in second_monitor_quadrants())
            e2e.wait_until("the next picture after the silent owner", shows_other, 30, 0.5)
            self.assertTrue(app.running(), app.log())
            print(f"later start answered in {answered:.2f} s while the silent owner held the clipboard; "
                  f"next picture shown {time.monotonic() - started:.1f} s after the silent owner's turn")


if __name__ == "__main__":
    e2e.main()
