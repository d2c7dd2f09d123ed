#!/usr/bin/env python3
"""A system tray that starts after the program still gets the icon, and one
that is stopped and started again (a panel restarted) still opens the menu.

The display's own tray (trayer, started by scripts/xdisplay) is stopped
first and a new one started later; the new one is entered in the display's
list of processes, so that `scripts/xdisplay stop` ends it as usual."""

import os
import time

import e2e_lib as e2e


class LateTrayTest(e2e.DisplayTest):
    def test_icon_appears_when_the_tray_starts_later(self):
        if not os.path.exists(e2e.display_pids_file()):
            self.skipTest("needs a display from scripts/xdisplay")
        e2e.stop_tray()

        with self.vivivoz() as app:
            # No tray: the program shows its windows instead, and keeps running.
            e2e.wait_until("the windows shown without a tray",
                           lambda: e2e.top_level_windows(app.proc.pid), 30)
            time.sleep(2)
            self.assertTrue(app.running(), app.log())
            # Said once, on stderr.
            self.assertEqual(app.log().count("no notification area (system tray) is available"), 1, app.log())
            e2e.start_tray()
            icon = app.wait_for_tray_icon(timeout=15)
            self.assertGreater(icon.w, 1)

    def test_menu_opens_after_the_panel_restarts(self):
        if not os.path.exists(e2e.display_pids_file()):
            self.skipTest("needs a display from scripts/xdisplay")
        with self.vivivoz() as app:
            first = app.wait_for_tray_icon()
            e2e.stop_tray()
            e2e.start_tray()
            icon = app.wait_for_tray_icon(timeout=15)
            self.assertNotEqual(icon.id, first.id, "the icon was not docked anew")
            # The right click on the new icon opens the menu; Escape closes it.
            menu = e2e.TrayMenu(app)
            menu.open(icon)
            e2e.keys("Escape")
            e2e.wait_until("the menu to close", lambda: not menu.windows(), 10)
            # And the left click brings the output up on the second monitor.
            e2e.click(*e2e.centre(icon), button=1)
            e2e.wait_until("the output window over the second monitor",
                           lambda: e2e.SECOND in e2e.top_level_windows(app.proc.pid).values(), 30)


if __name__ == "__main__":
    e2e.main()
