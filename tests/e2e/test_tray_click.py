#!/usr/bin/env python3
"""The tray icon's right button opens the menu on the whole click only, and
the settings dialog's toggles follow the windows shown from the tray menu."""

import os
import tempfile
import time

import e2e_lib as e2e

DIALOG_TITLE = "Vivivoz - Settings"
# The dialog's toggles (client coordinates, 60 x 22).
TOGGLES = {"preview": (250, 96), "toolbar": (250, 124), "output": (250, 152)}
# Menu items counted from the top; Down from no selection lands on the first.
MENU_DOWNS = {"Enable Secondary Monitor": 3, "Show Preview": 4, "Show Toolbar": 5}
SETTINGS = "[Velikost]\r\nLevo=1400\r\nGor=900\r\n\r\n[Options]\r\noptLeft=300\r\noptTop=200\r\n\r\n"


class TrayClickTest(e2e.DisplayTest):
    def test_right_press_alone_leaves_the_menu_closed(self):
        with self.vivivoz() as app:
            icon = app.wait_for_tray_icon()
            menu = e2e.TrayMenu(app)
            e2e.move_pointer(*e2e.centre(icon))
            e2e.press(3)
            try:
                time.sleep(1.5)
                self.assertEqual(menu.windows(), [], "the menu opened at the press of the right button")
            finally:
                e2e.release(3)
            e2e.wait_until("the menu after the release", menu.windows, 8)
            e2e.keys("Escape")
            e2e.wait_until("the menu to close", lambda: not menu.windows(), 8)

    def toggle_picture(self, dialog, name):
        """The inside of a toggle (its focus frame left out)."""
        dx, dy, _, _ = e2e.geometry_of(dialog)
        x, y = TOGGLES[name]
        return e2e.grab(dx + x + 2, dy + y + 2, 56, 18)

    def test_dialog_toggles_follow_tray_commands(self):
        config = tempfile.mkdtemp(prefix="vivivoz-e2e-cfg-")
        with open(os.path.join(config, "Vivivoz.cfg"), "w", newline="") as f:
            f.write(SETTINGS)
        with self.vivivoz(config_dir=config) as app:
            icon = app.wait_for_tray_icon()
            menu = e2e.TrayMenu(app)
            e2e.click(*e2e.centre(icon))
            e2e.park_pointer()
            dialog = e2e.wait_until("the settings dialog",
                                    lambda: e2e.named_windows(app.proc.pid, DIALOG_TITLE), 30)[0]
            # Output and toolbar up, preview hidden: the two looks of a toggle.
            on = e2e.wait_until("the output toggle on",
                                lambda: self.toggle_picture(dialog, "output") == self.toggle_picture(dialog, "toolbar")
                                and self.toggle_picture(dialog, "toolbar"), 20)
            off = self.toggle_picture(dialog, "preview")
            self.assertTrue(on != off, "a ticked and an unticked toggle look the same")

            for command, toggle, expected in (("Show Preview", "preview", on),
                                              ("Show Toolbar", "toolbar", off),
                                              ("Enable Secondary Monitor", "output", off),
                                              ("Enable Secondary Monitor", "output", on),
                                              ("Show Preview", "preview", off)):
                menu.choose(icon, *(["Down"] * MENU_DOWNS[command]), "Return")
                e2e.park_pointer()
                e2e.wait_until(f"the {toggle} toggle to read {'On' if expected is on else 'Off'} after {command}",
                               lambda: self.toggle_picture(dialog, toggle) == expected, 8)
            self.assertTrue(app.running(), app.log())


if __name__ == "__main__":
    e2e.main()
