#!/usr/bin/env python3
"""In a Wayland session without an X server: --start desktop shows what a
Wayland client paints on the primary output, stretched, on the second output,
and the output window is full screen there."""

import os
import subprocess
import tempfile

import wayland_lib as wl

# The same colour grid as the X11 mirror test: large cells, sampled at their
# centres and on both sides of each inner edge.
import test_mirror as grid  # noqa: E402  (tests/e2e is on the path through wayland_lib)


def paint_grid_on_output1(folder):
    """swaybg, a Wayland client, paints the grid as HEADLESS-1's background."""
    _, _, _, pw, ph = wl.OUTPUT1
    draw = []
    for i, (r, g, b) in enumerate(grid.COLOURS):
        col, row = i % grid.COLS, i // grid.COLS
        x0, y0 = col * pw // grid.COLS, row * ph // grid.ROWS
        x1, y1 = (col + 1) * pw // grid.COLS - 1, (row + 1) * ph // grid.ROWS - 1
        draw += ["-fill", f"rgb({r},{g},{b})", "-draw", f"rectangle {x0},{y0} {x1},{y1}"]
    path = os.path.join(folder, "grid.png")
    wl.run(["convert", "-size", f"{pw}x{ph}", "xc:black", *draw, path])
    return subprocess.Popen(["swaybg", "-o", wl.OUTPUT1[0], "-i", path, "-m", "stretch"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def expected_colour(x, y):
    _, _, _, pw, ph = wl.OUTPUT1
    _, _, _, sw, sh = wl.OUTPUT2
    col = int((x + 0.5) * pw / sw * grid.COLS / pw)
    row = int((y + 0.5) * ph / sh * grid.ROWS / ph)
    return grid.COLOURS[row * grid.COLS + col]


class SessionMirrorTest(wl.SessionTest):
    def test_desktop_mirror_of_a_wayland_client_full_screen_on_output_2(self):
        with tempfile.TemporaryDirectory(prefix="vivivoz-wl-") as folder:
            painter = paint_grid_on_output1(folder)
            try:
                _, _, _, pw, ph = wl.OUTPUT1

                def grid_shown():
                    shot = wl.grab_output(wl.OUTPUT1[0])
                    return all(wl.close_to(wl.pixel(shot, *grid.cell_centre(i % grid.COLS, i // grid.COLS, pw, ph)),
                                           c, 0) for i, c in enumerate(grid.COLOURS))
                wl.wait_until("the grid on HEADLESS-1", grid_shown, 20)
                self.check_mirror(folder)
            finally:
                painter.terminate()
                painter.wait(timeout=10)

    def check_mirror(self, folder):
        name, _, _, sw, sh = wl.OUTPUT2
        config = os.path.join(folder, "config")
        os.makedirs(config)
        with self.vivivoz("--start", "desktop", config_dir=config) as app:
            last = []

            def mirrored():
                if not app.running():
                    raise AssertionError(f"vivivoz ended with status {app.proc.returncode}\n{app.log()}")
                shot = wl.grab_output(name)
                last[:] = [f"at {x},{y}: want {expected_colour(x, y)}, got {wl.pixel(shot, x, y)}"
                           for x, y in grid.sample_points(sw, sh)
                           if not wl.close_to(wl.pixel(shot, x, y), expected_colour(x, y), grid.TOLERANCE)]
                return not last
            try:
                wl.wait_until("the mirrored grid on HEADLESS-2", mirrored, 60, interval=0.5)
            except AssertionError as e:
                app.stop()
                raise AssertionError(f"{e}: {len(last)} samples wrong:\n  " + "\n  ".join(last[:12])
                                     + f"\n{app.log()}") from None

            # The output window: full screen, on the second output.
            windows = wl.windows_of(app.proc.pid)
            full = [(output, node["rect"]) for output, node in windows if node.get("fullscreen_mode") == 1]
            self.assertEqual(full, [(name, {"x": 1920, "y": 0, "width": sw, "height": sh})],
                             f"windows: {[(o, n.get('name'), n.get('fullscreen_mode'), n['rect']) for o, n in windows]}")


if __name__ == "__main__":
    wl.main()
