#!/usr/bin/env python3
"""The tray icon in a Wayland session (StatusNotifierItem): the tray host's
Activate shows the output window full screen on the second output, and a menu
entry clicked by its label opens its window."""

import dbus

import wayland_lib as wl


class TrayHost:
    """Does what a tray host does over D-Bus with the one registered item."""

    def __init__(self):
        self.bus = dbus.SessionBus()
        watcher = self.bus.get_object("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher")
        items = dbus.Interface(watcher, "org.freedesktop.DBus.Properties").Get(
            "org.kde.StatusNotifierWatcher", "RegisteredStatusNotifierItems")
        service, _, path = str(items[0]).partition("/")
        self.item = self.bus.get_object(service, "/" + path if path else "/StatusNotifierItem")
        menu_path = dbus.Interface(self.item, "org.freedesktop.DBus.Properties").Get(
            "org.kde.StatusNotifierItem", "Menu")
        self.menu = dbus.Interface(self.bus.get_object(service, str(menu_path)), "com.canonical.dbusmenu")

    def activate(self):
        dbus.Interface(self.item, "org.kde.StatusNotifierItem").Activate(10, 10)

    def click(self, label):
        """Clicks the menu entry with that label (mnemonic marks left out)."""
        _, layout = self.menu.GetLayout(0, -1, ["label"])
        found = []

        def walk(node):
            entry, properties, children = node
            if str(properties.get("label", "")).replace("&", "").replace("_", "") == label:
                found.append(int(entry))
            for child in children:
                walk(child)
        walk(layout)
        if not found:
            raise AssertionError(f"no menu entry {label!r}")
        self.menu.AboutToShow(0)
        self.menu.Event(found[0], "clicked", dbus.String("", variant_level=1), dbus.UInt32(0))


class SessionTrayTest(wl.SessionTest):
    def test_activate_and_a_menu_entry(self):
        name, _, _, sw, sh = wl.OUTPUT2
        with self.vivivoz() as app:
            app.wait_for_tray_item()
            host = TrayHost()
            host.activate()

            def output_full_screen():
                return [(o, n["rect"]) for o, n in wl.windows_of(app.proc.pid) if n.get("fullscreen_mode") == 1]
            try:
                full = wl.wait_until("a full-screen window after Activate", output_full_screen, 30)
            except AssertionError as e:
                raise AssertionError(f"{e}\n{app.log()}") from None
            self.assertEqual(full, [(name, {"x": 1920, "y": 0, "width": sw, "height": sh})])

            host.click("Monitor Details")

            def details_shown():
                return any(n.get("name") == "Vivivoz - Monitor Details" for _, n in wl.windows_of(app.proc.pid))
            try:
                wl.wait_until("the Monitor Details window", details_shown, 30)
            except AssertionError as e:
                names = [n.get("name") for _, n in wl.windows_of(app.proc.pid)]
                raise AssertionError(f"{e}; windows: {names}\n{app.log()}") from None


if __name__ == "__main__":
    wl.main()
