#!/usr/bin/env python3
"""The command line drives every source; a second start hands its options to
the running copy; the output leaves with the second monitor and comes back
with it, full screen, while the mirror runs."""

import os
import subprocess
import tempfile

import e2e_lib as e2e
import test_sources

# The rectangle asked for, and a picture of four quadrants inside it on a
# grey root: only an exact mirror of the rectangle fills the second monitor
# with the four colours and no grey.
AREA = (100, 100, 400, 300)
QUADRANTS = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0)]  # TL, TR, BL, BR
GREY = (128, 128, 128)
CLIP = (255, 0, 255)
TOLERANCE = 40


def put_quadrants_on_root(folder):
    x, y, w, h = AREA
    draw = []
    for i, (r, g, b) in enumerate(QUADRANTS):
        qx, qy = x + (i % 2) * w // 2, y + (i // 2) * h // 2
        draw += ["-fill", f"rgb({r},{g},{b})", "-draw", f"rectangle {qx},{qy} {qx + w // 2 - 1},{qy + h // 2 - 1}"]
    path = os.path.join(folder, "quadrants.png")
    e2e.run(["convert", "-size", "3200x1080", "xc:rgb(%d,%d,%d)" % GREY, *draw, path])
    e2e.run(["display", "-window", "root", path], timeout=30, check=False)


def second_monitor_wrong(want_at):
    """Samples of the second monitor that differ from want_at(x, y)."""
    sx, sy, sw, sh = e2e.SECOND
    shot = e2e.grab(sx, sy, sw, sh)
    wrong = []
    # Quadrant centres and points 4 % inside each edge of the monitor.
    for fx in (0.04, 0.25, 0.75, 0.96):
        for fy in (0.04, 0.25, 0.75, 0.96):
            x, y = int(fx * sw), int(fy * sh)
            want, got = want_at(x, y), e2e.pixel(shot, x, y)
            if not e2e.close_to(got, want, TOLERANCE):
                wrong.append(f"at {sx + x},{sy + y}: want {want}, got {got}")
    return wrong


def area_stretched(x, y):
    _, _, sw, sh = e2e.SECOND
    return QUADRANTS[(2 if y >= sh // 2 else 0) + (1 if x >= sw // 2 else 0)]


class CommandLineTest(e2e.DisplayTest):
    def wait_for_picture(self, app, what, want_at, timeout=45):
        last = []

        def matches():
            nonlocal last
            if not app.running():
                raise AssertionError(f"vivivoz ended with status {app.proc.returncode}\n{app.log()}")
            last = second_monitor_wrong(want_at)
            return not last
        try:
            e2e.wait_until(what, matches, timeout, interval=1)
        except AssertionError as e:
            raise AssertionError(f"{e}:\n  " + "\n  ".join(last[:8]) + f"\n{app.log()}") from None

    def second_start(self, app, *args):
        """Runs a second copy in the first one's session; returns its exit
        status and its error output."""
        env = dict(os.environ, QT_QPA_PLATFORM="xcb", XDG_RUNTIME_DIR=app.config_dir)
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        started = subprocess.run([self.binary, *args], capture_output=True, text=True, timeout=60, env=env)
        return started.returncode, started.stderr

    def output_window(self, app):
        """The output window: full screen on the second monitor."""
        for wid, geo in e2e.top_level_windows(app.proc.pid).items():
            if geo == e2e.SECOND:
                return wid
        return None

    def test_sources_from_the_command_line_and_a_second_start(self):
        with tempfile.TemporaryDirectory(prefix="vivivoz-e2e-cl-") as folder:
            put_quadrants_on_root(folder)
            clip = os.path.join(folder, "clip.png")
            e2e.run(["convert", "-size", "64x48", "xc:rgb(%d,%d,%d)" % CLIP, clip])

            with self.vivivoz("--start", "area", ",".join(map(str, AREA))) as app:
                app.wait_for_tray_icon()
                self.wait_for_picture(app, "the rectangle stretched onto the second monitor", area_stretched)

                # The second monitor goes: the output goes with it; it comes
                # back: the output is on it again, full screen, still mirroring.
                e2e.run(["xrandr", "--delmonitor", "SECOND"])
                e2e.wait_until("the output window hidden",
                               lambda: not any(geo[0] >= 1920 for geo in e2e.top_level_windows(app.proc.pid).values()),
                               20)
                self.assertTrue(app.running(), app.log())
                sx, sy, sw, sh = e2e.SECOND
                e2e.run(["xrandr", "--setmonitor", "SECOND", f"{sw}/338x{sh}/270+{sx}+{sy}", "none"])
                e2e.wait_until("the output window full screen on the second monitor",
                               lambda: self.output_window(app), 20)
                self.wait_for_picture(app, "the mirror back on the second monitor", area_stretched)
                self.assertIn("The second monitor is gone", app.log())

                # Another resolution of the second monitor (this server replaces
                # a monitor only by deleting it first): the output fills it again.
                smaller = (sx, sy, 1024, 768)

                def resize_second(w, h):
                    e2e.run(["xrandr", "--delmonitor", "SECOND",
                             "--setmonitor", "SECOND", f"{w}/{w * 338 // sw}x{h}/{h * 270 // sh}+{sx}+{sy}", "none"])
                resize_second(1024, 768)
                try:
                    e2e.wait_until("the output window re-fitted to 1024x768",
                                   lambda: smaller in e2e.top_level_windows(app.proc.pid).values(), 20)
                finally:
                    resize_second(sw, sh)
                e2e.wait_until("the output window full screen on the second monitor again",
                               lambda: self.output_window(app), 20)

                # A second start switches the running copy to the clipboard and ends.
                status, err = self.second_start(app, "--start", "clipboard")
                self.assertEqual((status, err), (0, ""))
                copier = subprocess.Popen(["xclip", "-selection", "clipboard", "-t", "image/png", "-i", clip])
                try:
                    self.wait_for_picture(app, "the clipboard's picture on the second monitor", lambda x, y: CLIP)

                    # Wrong values: status 2, a message, nothing changes.
                    for args in (["--start", "area", "1,2"], ["--start", "window", "no window is called this"],
                                 ["--rate", "0"], ["--start", "slideshow", os.path.join(folder, "missing.vsl")]):
                        status, err = self.second_start(app, *args)
                        self.assertEqual(status, 2, f"{args}: {err}")
                        self.assertIn("vivivoz: ", err)
                    self.assertEqual(second_monitor_wrong(lambda x, y: CLIP), [])
                    self.assertTrue(app.running(), app.log())
                finally:
                    copier.terminate()
                    copier.wait(10)

                # A window named by a part of its title, case ignored.
                picture = os.path.join(folder, "window.png")
                test_sources.quadrant_picture(picture, 400, 300)
                window = test_sources.ShowWindow(picture, "Quarterly Figures", (300, 200))
                try:
                    status, err = self.second_start(app, "--start", "window", "quarterly figures")
                    self.assertEqual((status, err), (0, ""))
                    e2e.wait_until("the window mirrored on the second monitor", test_sources.shows_quadrants, 45,
                                   interval=1)
                finally:
                    window.close()


if __name__ == "__main__":
    e2e.main()
