#!/usr/bin/env python3
"""The tray icon: alone at start, and its left click brings up the output window."""

import time

import e2e_lib as e2e


class TrayTest(e2e.DisplayTest):
    def test_only_the_tray_icon_is_shown_at_start(self):
        with self.vivivoz() as app:
            icon = app.wait_for_tray_icon()
            self.assertGreater(icon.w, 1)
            # Give late windows a moment to map before looking.
            time.sleep(2)
            self.assertTrue(app.running(), f"vivivoz ended after showing its icon\n{app.log()}")
            shown = e2e.top_level_windows(app.proc.pid)
            self.assertEqual(shown, {}, f"windows mapped besides the tray icon: {shown}\n{app.log()}")

    def test_left_click_shows_borderless_output_on_second_monitor(self):
        with self.vivivoz() as app:
            icon = app.wait_for_tray_icon()
            e2e.click(*e2e.centre(icon), button=1)

            def output_window():
                for wid, geo in e2e.top_level_windows(app.proc.pid).items():
                    if geo == e2e.SECOND:
                        return wid
                return None
            try:
                wid = e2e.wait_until("a window at 1920,0 1280x1024", output_window, 30)
            except AssertionError as e:
                shown = e2e.top_level_windows(app.proc.pid)
                raise AssertionError(f"{e}; windows of vivivoz: {shown}\n{app.log()}") from None
            extents = e2e.frame_extents(wid)
            if extents is not None:
                self.assertEqual(extents, (0, 0, 0, 0), "the output window has a frame")


if __name__ == "__main__":
    e2e.main()
