#!/usr/bin/env python3
"""One running copy; Exit from the tray menu and SIGTERM both save the settings and end with 0."""

import os
import signal
import time

import e2e_lib as e2e


class LifecycleTest(e2e.DisplayTest):
    def assert_settings_written(self, app):
        self.assertTrue(os.path.isfile(app.config_file),
                        f"{app.config_file} was not written\n{app.log()}")
        with open(app.config_file, encoding="utf-8", errors="replace") as f:
            text = f.read()
        self.assertRegex(text, r"(?m)^\[[^\]]+\]", f"Vivivoz.cfg has no INI section:\n{text[:500]}")

    def test_second_instance_exits_at_once_and_first_keeps_running(self):
        with self.vivivoz() as first:
            first.wait_for_tray_icon()
            with self.vivivoz(config_dir=first.config_dir) as second:
                status = second.wait(timeout=30)
                self.assertEqual(status, 0, f"second instance status\n{second.log()}")
            time.sleep(1)
            self.assertTrue(first.running(), f"the first instance ended\n{first.log()}")
            self.assertIsNotNone(e2e.tray_icon(), "the first instance's tray icon is gone")

    # Each ending is tried with only the tray icon up and while the output
    # window shows the mirrored desktop: a visible window must not hold the
    # program back from ending.
    STARTS = (("tray only", ()), ("mirroring", ("--start", "desktop")))

    def exit_from_tray_menu(self, app, icon):
        before = set(e2e.visible_windows_of(app.proc.pid))
        e2e.click(*e2e.centre(icon), button=3)
        e2e.wait_until("the tray menu",
                       lambda: set(e2e.visible_windows_of(app.proc.pid)) - before, 20)
        # The menu has the keyboard: Up from no selection wraps to the last item, "Exit".
        e2e.keys("Up", "Return")

    def sigterm(self, app, icon):
        app.proc.send_signal(signal.SIGTERM)

    def check_ending(self, end):
        for label, args in self.STARTS:
            with self.subTest(start=label), self.vivivoz(*args) as app:
                icon = app.wait_for_tray_icon()
                if args:
                    e2e.wait_until("the output window", lambda: any(
                        geo == e2e.SECOND for geo in e2e.top_level_windows(app.proc.pid).values()), 30)
                self.assertFalse(os.path.exists(app.config_file))
                end(app, icon)
                status = app.wait(timeout=30)
                self.assertEqual(status, 0, f"exit status\n{app.log()}")
                self.assert_settings_written(app)

    def test_exit_from_tray_menu_saves_settings_and_ends_with_0(self):
        self.check_ending(self.exit_from_tray_menu)

    def test_sigterm_saves_settings_and_ends_with_0(self):
        self.check_ending(self.sigterm)

if __name__ == "__main__":
    e2e.main()
