#!/usr/bin/env python3
"""One monitor (tests/e2e/with_display --single): the left click, "Enable
Secondary Monitor" and the quick starts ask the simulation question; No shows
nothing, Yes a sizeable quarter-screen output at the top-left corner."""

import os
import signal
import time

import e2e_lib as e2e

DIALOG_TITLE = "Vivivoz - Settings"
OUTPUT_TITLES = ("Vivivoz ", "Vivivoz  - Simulation Mode")
TOOLBAR_SIZE = (248, 42)
QUARTER = (1920 // 4, 1080 // 4)


class SingleMonitorTest(e2e.DisplayTest):
    def setUp(self):
        size = e2e.run(["xdpyinfo"])
        if "dimensions:    1920x1080 pixels" not in size:
            self.skipTest("needs the one-monitor display (with_display --single)")
        super().setUp()

    def outputs(self, app):
        return [wid for title in OUTPUT_TITLES for wid in e2e.named_windows(app.proc.pid, title)]

    def others(self, app):
        """Windows besides the output: the toolbar and the settings dialog."""
        return {wid: geo for wid, geo in e2e.top_level_windows(app.proc.pid).items()
                if geo[2:] == TOOLBAR_SIZE or e2e.window_name(wid) == DIALOG_TITLE}

    def answer(self, app, key):
        """Answers the simulation question with "y" or "n"."""
        box = e2e.wait_until("the simulation question", lambda: e2e.message_boxes(app.proc.pid), 20)[0]
        e2e.activate(box)
        e2e.keys(key)
        e2e.wait_until("the question to close", lambda: not e2e.message_boxes(app.proc.pid), 10)
        e2e.park_pointer()

    def assert_simulated_output(self, app):
        wid = e2e.wait_until("the simulated output", lambda: self.outputs(app), 20)[0]
        self.assertEqual(e2e.window_name(wid), OUTPUT_TITLES[1], "caption of the simulated output")
        extents = e2e.wait_until("the output's frame", lambda: e2e.frame_extents(wid), 10)
        self.assertNotEqual(extents, (0, 0, 0, 0), "the simulated output has no border")
        left, _, top, _ = extents
        geo = e2e.wait_until("the output at the top-left corner",
                             lambda: e2e.geometry_of(wid) == (left, top, *QUARTER), 10) and e2e.geometry_of(wid)
        self.assertEqual(geo, (left, top, *QUARTER))
        return wid

    def assert_nothing_shown(self, app):
        self.assertTrue(app.running(), app.log())
        self.assertEqual(e2e.top_level_windows(app.proc.pid), {}, "windows shown after No")

    def test_left_click_and_enable_secondary_monitor(self):
        with self.vivivoz() as app:
            icon = app.wait_for_tray_icon()
            menu = e2e.TrayMenu(app)

            e2e.click(*e2e.centre(icon))
            self.answer(app, "n")
            self.assert_nothing_shown(app)

            e2e.click(*e2e.centre(icon))
            self.answer(app, "y")
            self.assert_simulated_output(app)
            e2e.wait_until("the toolbar and the settings dialog", lambda: len(self.others(app)) == 2, 20)

            # "Enable Secondary Monitor" (third item) hides the output, then asks again.
            menu.choose(icon, "Down", "Down", "Down", "Return")
            e2e.wait_until("the output hidden", lambda: not self.outputs(app), 10)
            menu.choose(icon, "Down", "Down", "Down", "Return")
            self.answer(app, "n")
            self.assertEqual(self.outputs(app), [], "the output shown after No")
            menu.choose(icon, "Down", "Down", "Down", "Return")
            self.answer(app, "y")
            self.assert_simulated_output(app)

    def test_quick_starts_ask_the_question(self):
        with self.vivivoz("--start", "desktop") as app:
            self.answer(app, "y")
            self.assert_simulated_output(app)
            icon = app.wait_for_tray_icon()
            menu = e2e.TrayMenu(app)
            menu.choose(icon, "Down", "Down", "Down", "Return")  # output off
            e2e.wait_until("the output hidden", lambda: not self.outputs(app), 10)
            # "Quick start mirroring" > "Desktop" with the output hidden: the question again.
            menu.choose(icon, "Down", "Right", "Return")
            self.answer(app, "n")
            self.assertEqual(self.outputs(app), [], "the output shown after No")
            menu.choose(icon, "Down", "Right", "Return")
            self.answer(app, "y")
            self.assert_simulated_output(app)

    def test_sigterm_while_the_question_is_open_ends_with_the_file_saved(self):
        # The question of `--start desktop` runs before the main event loop.
        with self.vivivoz("--start", "desktop") as app:
            e2e.wait_until("the simulation question", lambda: e2e.message_boxes(app.proc.pid), 20)
            app.proc.send_signal(signal.SIGTERM)
            sent = time.monotonic()
            self.assertEqual(app.wait(timeout=10), 0, app.log())
            self.assertLess(time.monotonic() - sent, 2.0, "the ending took longer than 2 s")
            with open(app.config_file, "rb") as f:
                self.assertIn("Options", e2e.simple_sections(f.read().decode("latin-1")))


if __name__ == "__main__":
    e2e.main()
