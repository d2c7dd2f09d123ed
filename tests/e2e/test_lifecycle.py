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

    def test_exit_from_tray_menu_saves_settings_and_ends_with_0(self):
        with self.vivivoz() as app:
            icon = app.wait_for_tray_icon()
            self.assertFalse(os.path.exists(app.config_file))
            before = set(e2e.visible_windows_of(app.proc.pid))
            e2e.click(*e2e.centre(icon), button=3)
            e2e.wait_until("the tray menu",
                           lambda: set(e2e.visible_windows_of(app.proc.pid)) - before, 20)
            # The menu has the keyboard: Up from no selection wraps to the last item, "Exit".
            e2e.keys("Up", "Return")
            status = app.wait(timeout=30)
            self.assertEqual(status, 0, f"exit status after Exit\n{app.log()}")
            self.assert_settings_written(app)

    def test_sigterm_saves_settings_and_ends_with_0(self):
        with self.vivivoz() as app:
            app.wait_for_tray_icon()
            self.assertFalse(os.path.exists(app.config_file))
            app.proc.send_signal(signal.SIGTERM)
            status = app.wait(timeout=30)
            self.assertEqual(status, 0, f"exit status after SIGTERM\n{app.log()}")
            self.assert_settings_written(app)


if __name__ == "__main__":
    e2e.main()
