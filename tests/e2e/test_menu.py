#!/usr/bin/env python3
"""The tray menu drives the mirror: Quick start > Desktop mirrors, Stop All blanks, Exit saves and ends."""

import os
import re
import tempfile

import e2e_lib as e2e
import test_mirror as mirror


def sections_of(text):
    result, current = {}, None
    for line in text.split("\r\n"):
        m = re.match(r"^\[(.+)\]$", line)
        if m:
            current = result.setdefault(m.group(1), [])
        elif "=" in line and current is not None:
            current.append(line.split("=", 1)[0])
    return result


class MenuTest(e2e.DisplayTest):
    def open_menu(self, app, icon):
        if not hasattr(self, "menu"):
            self.menu = e2e.TrayMenu(app)
        return self.menu.open(icon)

    def second_monitor_samples(self):
        sx, sy, sw, sh = e2e.SECOND
        second = e2e.grab(sx, sy, sw, sh)
        return [(x, y, e2e.pixel(second, x, y)) for x, y in mirror.sample_points(sw, sh)]

    def test_quick_start_stop_all_and_exit(self):
        with tempfile.TemporaryDirectory(prefix="vivivoz-e2e-pic-") as folder:
            mirror.put_test_picture_on_root(folder)
        with self.vivivoz() as app:
            icon = app.wait_for_tray_icon()

            # "Quick start mirroring" is the first item, "Desktop" the first of its submenu.
            self.open_menu(app, icon)
            e2e.keys("Down", "Right", "Return")
            e2e.park_pointer()

            def mirrored():
                self.assertTrue(app.running(), app.log())
                return all(e2e.close_to(got, mirror.expected_colour(x, y), mirror.TOLERANCE)
                           for x, y, got in self.second_monitor_samples())
            e2e.wait_until("the mirrored desktop on the second monitor", mirrored, 45, interval=1)

            # "Stop All" is the ninth enabled item from the bottom; the keyboard
            # skips disabled items.
            self.open_menu(app, icon)
            e2e.keys(*(["Up"] * 9), "Return")

            def blank():
                return all(e2e.close_to(got, (0, 0, 0), 8) for _, _, got in self.second_monitor_samples())
            e2e.wait_until("a black second monitor after Stop All", blank, 30, interval=1)

            self.open_menu(app, icon)
            e2e.keys("Up", "Return")  # "Exit"
            self.assertEqual(app.wait(timeout=30), 0, app.log())
            with open(app.config_file, "rb") as f:
                text = f.read().decode("latin-1")
            found = sections_of(text)
            for section, keys in e2e.SAVED_KEYS.items():
                self.assertEqual(found.get(section), keys, f"[{section}] of Vivivoz.cfg:\n{text}")

    def test_toolbar_saved_beyond_the_screen_comes_back_at_left_5(self):
        config = tempfile.mkdtemp(prefix="vivivoz-e2e-cfg-")
        with open(os.path.join(config, "Vivivoz.cfg"), "wb") as f:
            f.write(b"[Velikost]\r\nLevo=5000\r\nGor=300\r\n\r\n")
        with self.vivivoz(config_dir=config) as app:
            icon = app.wait_for_tray_icon()
            e2e.click(*e2e.centre(icon))

            def toolbar():
                return [geo for geo in e2e.top_level_windows(app.proc.pid).values() if geo[2:] == (248, 42)]
            found = e2e.wait_until("the toolbar", toolbar, 30)
            self.assertEqual(found[0][:2], (5, 300), f"toolbar at {found[0]}\n{app.log()}")


if __name__ == "__main__":
    e2e.main()
