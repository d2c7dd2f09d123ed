#!/usr/bin/env python3
"""--start desktop: the primary monitor's picture appears stretched on the second monitor.

Run on every layout and scale of tests/e2e/with_display (--layout, --dpi):
the output window covers exactly the second monitor's pixels wherever it
stands, and the mirror maps the primary's pixels onto them."""

import os
import tempfile

import e2e_lib as e2e

# A 4 x 3 grid of distinct colours covers the primary monitor; cells are large
# so that sampling their centres is immune to filtering at the edges.
COLS, ROWS = 4, 3
COLOURS = [
    (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0),
    (255, 0, 255), (0, 255, 255), (255, 255, 255), (255, 128, 0),
    (128, 0, 255), (0, 128, 64), (128, 128, 255), (64, 64, 64),
]
BACKGROUND = (128, 128, 128)  # the root outside the primary monitor
TOLERANCE = 40


# Distance of the samples beside a cell edge, in pixels of the second monitor:
# far enough from the edge for linear filtering, near enough that a picture
# kept at its own size, letterboxed or shifted puts them in the wrong cell.
EDGE_GAP = 12


def cell_centre(col, row, width, height):
    return (int((col + 0.5) * width / COLS), int((row + 0.5) * height / ROWS))


def sample_points(width, height):
    """Cell centres plus points on both sides of every inner cell edge."""
    def axis(size, cells):
        points = {int((i + 0.5) * size / cells) for i in range(cells)}
        for i in range(1, cells):
            edge = i * size / cells
            points |= {int(edge - EDGE_GAP), int(edge + EDGE_GAP)}
        return sorted(points)
    return [(x, y) for y in axis(height, ROWS) for x in axis(width, COLS)]


def expected_colour(x, y):
    """Colour at a point of the second monitor when the primary is stretched onto it."""
    _, _, pw, ph = e2e.PRIMARY
    _, _, sw, sh = e2e.SECOND
    col = int((x + 0.5) * pw / sw * COLS / pw)
    row = int((y + 0.5) * ph / sh * ROWS / ph)
    return COLOURS[row * COLS + col]


def put_test_picture_on_root(folder):
    """Makes the root window's background the colour grid (primary) on grey."""
    px, py, pw, ph = e2e.PRIMARY
    draw = []
    for i, (r, g, b) in enumerate(COLOURS):
        col, row = i % COLS, i // COLS
        x0, y0 = px + col * pw // COLS, py + row * ph // ROWS
        x1, y1 = px + (col + 1) * pw // COLS - 1, py + (row + 1) * ph // ROWS - 1
        draw += ["-fill", f"rgb({r},{g},{b})", "-draw", f"rectangle {x0},{y0} {x1},{y1}"]
    path = os.path.join(folder, "grid.png")
    rw, rh = e2e.ROOT_SIZE
    e2e.run(["convert", "-size", f"{rw}x{rh}", "xc:rgb(%d,%d,%d)" % BACKGROUND, *draw, path])
    # display sets the root background and exits; it reports status 1 even when
    # it worked, so the caller checks the root's pixels instead.
    e2e.run(["display", "-window", "root", path], timeout=30, check=False)


class MirrorTest(e2e.DisplayTest):
    def test_start_desktop_stretches_primary_onto_second_monitor(self):
        with tempfile.TemporaryDirectory(prefix="vivivoz-e2e-pic-") as folder:
            put_test_picture_on_root(folder)
        px, py, pw, ph = e2e.PRIMARY
        primary = e2e.grab(px, py, pw, ph)
        for i, colour in enumerate(COLOURS):
            x, y = cell_centre(i % COLS, i // COLS, pw, ph)
            self.assertTrue(e2e.close_to(e2e.pixel(primary, x, y), colour, 0),
                            f"test picture not on the root at {x},{y}")

        sx, sy, sw, sh = e2e.SECOND
        with self.vivivoz("--start", "desktop") as app:
            app.wait_for_tray_icon()

            def output_window():
                return [geo for geo in e2e.top_level_windows(app.proc.pid).values() if geo == e2e.SECOND]
            try:
                e2e.wait_until(f"the output window over the second monitor {e2e.SECOND}", output_window, 30)
            except AssertionError as e:
                raise AssertionError(f"{e}; windows of vivivoz: {e2e.top_level_windows(app.proc.pid)}\n"
                                     f"{app.log()}") from None

            def mismatches():
                second = e2e.grab(sx, sy, sw, sh)
                wrong = []
                for x, y in sample_points(sw, sh):
                    want = expected_colour(x, y)
                    got = e2e.pixel(second, x, y)
                    if not e2e.close_to(got, want, TOLERANCE):
                        wrong.append(f"at {sx + x},{sy + y}: want {want}, got {got}")
                return wrong

            # The capture runs on a timer: poll until the mirror settles.
            last = []

            def settled():
                nonlocal last
                if not app.running():
                    raise AssertionError(f"vivivoz ended with status {app.proc.returncode}\n{app.log()}")
                last = mismatches()
                return not last
            try:
                e2e.wait_until("the mirrored picture on the second monitor", settled, 45, interval=1)
            except AssertionError as e:
                total = len(sample_points(sw, sh))
                raise AssertionError(f"{e}: {len(last)} of {total} samples wrong:\n  "
                                     + "\n  ".join(last[:12]) + f"\n{app.log()}") from None


if __name__ == "__main__":
    e2e.main()
