#!/usr/bin/env python3
"""Activation on a real window manager: the display-size slider resizes the
output at every step, and auto-hide loaded from the settings file fades a
toolbar that was shown without being activated."""

import os
import re
import tempfile
import time

import e2e_lib as e2e

DIALOG_TITLE = "Vivivoz - Settings"
# Where the slider sits in the settings dialog's client area.
SLIDER = (374, 362, 220, 30)
TOOLBAR_SIZE = (248, 42)
TOOLBAR_COLOUR = (67, 74, 84)
# Places that keep the toolbar and the dialog apart on the primary monitor.
SETTINGS = ("[Velikost]\r\nLevo=1400\r\nGor=900\r\n\r\n"
            "[Options]\r\noptLeft=300\r\noptTop=200\r\n{extra}\r\n")


def windowed_size(percent):
    """Client size of the output at a slider position below full screen."""
    _, _, sw, sh = e2e.SECOND
    return (round(sw / 100 * percent), round(sh / 100 * percent))


def percent_of(size):
    """The slider position an output client size stands for, or None."""
    for p in range(1, 96):
        if windowed_size(p) == tuple(size):
            return p
    return None


def parent_of(wid):
    out = e2e.run(["xwininfo", "-id", str(wid), "-children"], check=False)
    m = re.search(r"Parent window id: (0x[0-9a-f]+)", out)
    return int(m.group(1), 16) if m else None


def own_top_levels(pid):
    """{id: geometry} of pid's windows that are not inside another of its
    windows: the output's view may be a native window of its own, as large
    as the output."""
    windows = e2e.top_level_windows(pid)
    return {wid: geo for wid, geo in windows.items() if parent_of(wid) not in windows}


class ActivationTest(e2e.DisplayTest):
    def start(self, extra=""):
        config = tempfile.mkdtemp(prefix="vivivoz-e2e-cfg-")
        with open(os.path.join(config, "Vivivoz.cfg"), "w", newline="") as f:
            f.write(SETTINGS.format(extra=extra))
        return self.vivivoz(config_dir=config)

    def bring_up_windows(self, app):
        """Left click on the icon: the output, the toolbar and the settings dialog."""
        icon = app.wait_for_tray_icon()
        e2e.click(*e2e.centre(icon))
        e2e.park_pointer()
        dialog = e2e.wait_until("the settings dialog",
                                lambda: e2e.named_windows(app.proc.pid, DIALOG_TITLE), 30)[0]
        e2e.wait_until("the output on the second monitor",
                       lambda: e2e.SECOND in self.output_geometries(app, dialog), 30)
        return dialog

    def toolbar(self, app):
        found = [wid for wid, geo in e2e.top_level_windows(app.proc.pid).items() if geo[2:] == TOOLBAR_SIZE]
        return found[0] if found else None

    def output_geometries(self, app, dialog):
        return [geo for wid, geo in own_top_levels(app.proc.pid).items()
                if wid != dialog and geo[2:] != TOOLBAR_SIZE]

    def output_size(self, app, dialog):
        geos = self.output_geometries(app, dialog)
        return geos[0][2:] if len(geos) == 1 else None

    def wait_for_new_size(self, app, dialog, old, what):
        def changed():
            self.assertTrue(app.running(), app.log())
            size = self.output_size(app, dialog)
            return size if size is not None and size != old else None
        return e2e.wait_until(what, changed, 8)

    def assert_dialog_active(self, dialog, when):
        self.assertEqual(e2e.active_window(), dialog,
                         f"the settings dialog lost the activation {when} "
                         f"(active: {e2e.active_window()}, {e2e.window_name(e2e.active_window() or 0)!r})")

    def test_every_slider_step_resizes_the_output(self):
        with self.start() as app:
            dialog = self.bring_up_windows(app)
            e2e.activate(dialog)
            self.assert_dialog_active(dialog, "before the slider was touched")
            dx, dy, _, _ = e2e.geometry_of(dialog)
            sx, sy, sw, sh = SLIDER
            y = dy + sy + sh // 2
            # The handle stands at the right end (100 %): drag it left in steps.
            x = dx + sx + sw - 5
            e2e.move_pointer(x, y)
            e2e.press(1)
            size = e2e.SECOND[2:]
            percents = []
            try:
                for step in range(5):
                    x -= 16
                    e2e.move_pointer(x, y)
                    size = self.wait_for_new_size(app, dialog, size, f"the output to resize at drag step {step + 1}")
                    p = percent_of(size)
                    self.assertIsNotNone(p, f"output client size {size} belongs to no slider position")
                    percents.append(p)
                    self.assert_dialog_active(dialog, f"at drag step {step + 1}")
            finally:
                e2e.release(1)
            self.assertEqual(percents, sorted(percents, reverse=True), "the drag went left all the way")

            # The slider keeps the keyboard: each arrow key is one percent.
            for key, change in (("Left", -1), ("Left", -1), ("Left", -1), ("Right", +1)):
                expected = windowed_size(percents[-1] + change)
                e2e.keys(key)
                size = self.wait_for_new_size(app, dialog, size, f"the output to resize after {key}")
                self.assertEqual(size, expected, f"output after {key} from {percents[-1]} %")
                percents.append(percents[-1] + change)
                self.assert_dialog_active(dialog, f"after {key}")

            # End: 100 %, full screen on the second monitor again.
            e2e.keys("End")
            e2e.wait_until("the output full screen again",
                           lambda: e2e.SECOND in self.output_geometries(app, dialog), 8)
            self.assert_dialog_active(dialog, "after End")

    # The fade shows only where a compositing manager runs; without one the
    # toolbar vanishes instead. The virtual display has none of its own.
    def test_auto_hide_from_the_settings_file_fades_the_toolbar_with_compositing(self):
        with e2e.FakeCompositor(), self.start("optAutohide=1\r\noptAutohideagain=1\r\n") as app:
            dialog = self.bring_up_windows(app)
            toolbar = e2e.wait_until("the toolbar", lambda: self.toolbar(app), 20)
            self.assertNotEqual(e2e.active_window(), toolbar, "the toolbar was activated")
            shown = time.monotonic()
            self.assertEqual(e2e.opacity_of(toolbar), 255, "the toolbar starts opaque")

            # About 11 s opaque, then the fade.
            e2e.wait_until("the toolbar to fade with the pointer away",
                           lambda: e2e.opacity_of(toolbar) < 255, 25, interval=0.5)
            self.assertGreater(time.monotonic() - shown, 8, "the toolbar faded before its opaque time")
            first = e2e.opacity_of(toolbar)
            e2e.wait_until("the fade to go on", lambda: e2e.opacity_of(toolbar) < first, 5)
            self.assertTrue(self.toolbar_drawn(toolbar), "the fading toolbar vanished")

            # The pointer on the toolbar brings it back at once.
            tx, ty, tw, th = e2e.geometry_of(toolbar)
            e2e.move_pointer(tx + tw // 2, ty + th // 2)
            e2e.wait_until("the toolbar opaque with the pointer on it",
                           lambda: e2e.opacity_of(toolbar) == 255, 5)
            self.assertTrue(app.running(), app.log())

    def test_auto_hide_without_compositing_makes_the_toolbar_vanish(self):
        with self.start("optAutohide=1\r\noptAutohideagain=1\r\n") as app:
            self.bring_up_windows(app)
            toolbar = e2e.wait_until("the toolbar", lambda: self.toolbar(app), 20)
            shown = time.monotonic()
            self.assertTrue(self.toolbar_drawn(toolbar), "the toolbar starts drawn")
            e2e.wait_until("the toolbar to vanish with the pointer away",
                           lambda: not self.toolbar_drawn(toolbar), 25, interval=0.5)
            self.assertGreater(time.monotonic() - shown, 8, "the toolbar vanished before its opaque time")
            self.assertIn(toolbar, self.toolbar_ids(app), "the vanished toolbar's window stays mapped")
            self.assertEqual(e2e.opacity_of(toolbar), 255, "no opacity without a compositing manager")

            # The pointer where it was brings it back.
            tx, ty, tw, th = e2e.geometry_of(toolbar)
            e2e.move_pointer(tx + tw // 2, ty + th // 2)
            e2e.wait_until("the toolbar back with the pointer on its place",
                           lambda: self.toolbar_drawn(toolbar), 5)
            self.assertTrue(app.running(), app.log())

    def toolbar_ids(self, app):
        return list(e2e.top_level_windows(app.proc.pid))

    def toolbar_drawn(self, toolbar):
        """Whether the toolbar's panel colour is on the screen at its left end."""
        tx, ty, tw, th = e2e.geometry_of(toolbar)
        shot = e2e.grab(tx, ty, tw, th)
        return e2e.close_to(e2e.pixel(shot, 6, th // 2), TOOLBAR_COLOUR, 6)


if __name__ == "__main__":
    e2e.main()
