#!/usr/bin/env python3
"""Message boxes and dialogs come up above the windows that stay on top.

The window picker stays on top of everything; its help message belongs to
it and must come up above it, where the mouse can close it, after which the
picker's own Close button works again."""

import re

import e2e_lib as e2e

DIALOG_TITLE = "Vivivoz - Settings"
# The settings dialog's "Single Application" button, client coordinates.
WINDOW_BUTTON = (316, 34)
PICKER_SIZE = (384, 546)
HELP_CAPTION = "ReroRadiza"
PREVIEW_TITLE = "Preview-105202"
EDITOR_TITLE = "Vivivoz - Slideshow"


def stacking_order():
    """Client windows from the bottom of the stack to the top."""
    out = e2e.run(["xprop", "-root", "_NET_CLIENT_LIST_STACKING"], check=False)
    return [int(tok, 16) for tok in re.findall(r"0x[0-9a-f]+", out)]


def settled(wid):
    """The window's geometry once two looks a moment apart agree, else None."""
    first = e2e.geometry_of(wid)
    e2e.time.sleep(0.3)
    return first if first == e2e.geometry_of(wid) else None


def above(upper, lower):
    order = stacking_order()
    return upper in order and lower in order and order.index(upper) > order.index(lower)


class StackingTest(e2e.DisplayTest):
    def picker(self, app):
        def find():
            for wid, geo in e2e.top_level_windows(app.proc.pid).items():
                if geo[2:] == PICKER_SIZE and "_NET_WM_WINDOW_TYPE_DIALOG" not in e2e.window_types(wid):
                    return wid, geo
            return None
        return e2e.wait_until("the window picker", find, 30)

    def test_picker_help_comes_up_above_the_picker_and_closes_with_the_mouse(self):
        with self.vivivoz() as app:
            icon = app.wait_for_tray_icon()
            e2e.TrayMenu(app).choose_item(icon, "Settings")
            dialog = e2e.wait_until("the settings dialog",
                                    lambda: e2e.named_windows(app.proc.pid, DIALOG_TITLE), 20)[0]
            dx, dy, _, _ = e2e.geometry_of(dialog)
            e2e.click(dx + WINDOW_BUTTON[0], dy + WINDOW_BUTTON[1])
            picker, (px, py, pw, ph) = self.picker(app)

            # The help button, bottom left in the picker's bar.
            e2e.click(px + 8 + 14, py + ph - 41 + 6 + 14)
            box = e2e.wait_until("the help message",
                                 lambda: e2e.named_windows(app.proc.pid, HELP_CAPTION), 20)[0]
            e2e.wait_until("the help message above the picker", lambda: above(box, picker), 10)
            out = e2e.run(["xprop", "-id", str(box), "WM_TRANSIENT_FOR"], check=False)
            self.assertIn(hex(picker), out, "the help message belongs to the picker")

            # Its OK button: the default button, bottom right of the box.
            bx, by, bw, bh = e2e.geometry_of(box)
            e2e.click(bx + bw - 50, by + bh - 25)
            e2e.wait_until("the help message to close",
                           lambda: not e2e.named_windows(app.proc.pid, HELP_CAPTION), 10)

            # The picker answers again: its Close button, bottom right (the
            # picker centres itself anew when it is activated again).
            e2e.wait_until("the picker back on top", lambda: above(picker, dialog), 10)
            px, py, pw, ph = e2e.wait_until("the picker in its place", lambda: settled(picker), 10)
            e2e.click(px + pw - 8 - 37, py + ph - 41 + 6 + 14)
            e2e.wait_until("the picker to close",
                           lambda: picker not in e2e.top_level_windows(app.proc.pid), 10)
            self.assertTrue(app.running(), app.log())

    def test_preview_stays_below_the_slideshow_editor(self):
        with self.vivivoz() as app:
            icon = app.wait_for_tray_icon()
            menu = e2e.TrayMenu(app)
            if not e2e.named_windows(app.proc.pid, PREVIEW_TITLE):
                menu.choose_item(icon, "Show Preview")
            preview = e2e.wait_until("the preview",
                                     lambda: e2e.named_windows(app.proc.pid, PREVIEW_TITLE), 20)[0]
            menu.choose_item(icon, "Quick start mirroring", "Slideshow", "Make Slideshow")
            editor = e2e.wait_until("the slideshow editor",
                                    lambda: e2e.named_windows(app.proc.pid, EDITOR_TITLE), 20)[0]
            e2e.wait_until("the editor above the preview", lambda: above(editor, preview), 10)
            # The once-a-second keep-on-top raise leaves it there.
            deadline = e2e.time.monotonic() + 3
            while e2e.time.monotonic() < deadline:
                self.assertTrue(above(editor, preview), "the preview came up over the editor")
                e2e.time.sleep(0.3)
            self.assertTrue(app.running(), app.log())


if __name__ == "__main__":
    e2e.main()
