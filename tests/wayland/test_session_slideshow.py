#!/usr/bin/env python3
"""In a Wayland session: a slideshow started from the command line plays its
pictures in turn, centred on the second output, in the output window full
screen there."""

import os
import tempfile

import wayland_lib as wl

import test_slideshow as show  # noqa: E402  (tests/e2e is on the path through wayland_lib)


class SessionSlideshowTest(wl.SessionTest):
    def test_slideshow_plays_in_turn_on_output_2(self):
        name, _, _, sw, sh = wl.OUTPUT2
        with tempfile.TemporaryDirectory(prefix="vivivoz-wl-show-") as folder:
            path = show.write_slideshow(folder, 3)
            config = os.path.join(folder, "config")
            os.makedirs(config)
            with self.vivivoz("--start", "slideshow", path, config_dir=config) as app:
                seen = []

                def middle():
                    if not app.running():
                        raise AssertionError(f"vivivoz ended with status {app.proc.returncode}\n{app.log()}")
                    got = wl.pixel(wl.grab_output(name), sw // 2, sh // 2)
                    # First appearances only: some transitions draw a new
                    # random pattern on every frame.
                    for _, _, colour in show.PICTURES:
                        if wl.close_to(got, colour, 12) and colour not in seen:
                            seen.append(colour)
                    return len(seen) == len(show.PICTURES)
                try:
                    wl.wait_until("the three pictures in turn on HEADLESS-2", middle, 60, interval=0.3)
                except AssertionError as e:
                    raise AssertionError(f"{e}; seen {seen}\n{app.log()}") from None
                self.assertEqual(seen, [c for _, _, c in show.PICTURES])
                # Outside the 640x480 picture the output stays black.
                corner = wl.pixel(wl.grab_output(name), 10, 10)
                self.assertTrue(wl.close_to(corner, (0, 0, 0), 8), corner)
                full = [(o, n["rect"]) for o, n in wl.windows_of(app.proc.pid) if n.get("fullscreen_mode") == 1]
                self.assertEqual(full, [(name, {"x": 1920, "y": 0, "width": sw, "height": sh})])


if __name__ == "__main__":
    wl.main()
