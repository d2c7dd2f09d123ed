#!/usr/bin/env python3
"""Scroll Text: Send Text puts a moving banner at the bottom of the second
monitor, Hide takes it away."""

import time

import e2e_lib as e2e

BANNER_HEIGHT = 20        # the dialog's height at its start position
SEND_TEXT = (452, 489)    # button centres in the dialog's client area
HIDE = (344, 489)
TEXT_EDIT = (290, 243)
MAX_SHIFT = 400           # at 100 px/s, between two screenshots


def banner_rows():
    sx, sy, sw, sh = e2e.SECOND
    return e2e.grab(sx, sy + sh - BANNER_HEIGHT, sw, BANNER_HEIGHT)


def shift_between(before, after):
    """The s > 0 for which `after` is `before` moved s pixels to the left
    (the s new columns at the right edge aside), or None."""
    w, h, a = before
    _, _, b = after
    if a == b:
        return None
    for s in range(1, MAX_SHIFT):
        keep = (w - s) * 3
        if all(b[y * w * 3:y * w * 3 + keep] == a[y * w * 3 + s * 3:y * w * 3 + s * 3 + keep] for y in range(h)):
            return s
    return None


def has_text(picture, background=(255, 255, 255)):
    """A band on the white background with some dark (text) pixels."""
    w, h, _ = picture
    values = [e2e.pixel(picture, x, y) for y in range(h) for x in range(0, w, 2)]
    white = sum(1 for v in values if e2e.close_to(v, background, 10))
    dark = sum(1 for v in values if max(v) < 100)
    return white > len(values) // 2 and dark > 20


class ScrollTextTest(e2e.DisplayTest):
    def dialog(self):
        out = e2e.run(["xdotool", "search", "--onlyvisible", "--name", "^Vivivoz - Scrolling text$"], check=False)
        ids = [int(v) for v in out.split()]
        return ids[0] if ids else None

    def click_in(self, wid, at):
        x, y, _, _ = e2e.geometry_of(wid)
        e2e.click(x + at[0], y + at[1])

    def test_send_text_scrolls_a_banner_on_the_second_monitor_and_hide_removes_it(self):
        with self.vivivoz() as app:
            icon = app.wait_for_tray_icon()
            tray = e2e.TrayMenu(app)
            tray.choose_item(icon, "Enable Secondary Monitor")
            sx, sy, sw, sh = e2e.SECOND

            def output_up():
                return any(g[0] == sx and g[2] == sw for g in e2e.top_level_windows(app.proc.pid).values())
            e2e.wait_until("the output window on the second monitor", output_up, 30)

            tray.choose_item(icon, "Quick start mirroring", "Scroll Text")
            dialog = e2e.wait_until("the scrolling-text dialog", self.dialog, 20)

            self.click_in(dialog, TEXT_EDIT)
            e2e.run(["xdotool", "type", "--delay", "10", "Vivivoz banner | end"])
            self.click_in(dialog, SEND_TEXT)
            e2e.park_pointer()

            e2e.wait_until("the banner's text at the bottom of the second monitor",
                           lambda: has_text(banner_rows()), 20, interval=0.5)
            # The banner keeps moving: each pair of screenshots a moment apart
            # shows the same pixels shifted left.
            for attempt in range(3):
                first = banner_rows()
                time.sleep(0.3)
                second = banner_rows()
                shift = shift_between(first, second)
                self.assertIsNotNone(shift, f"no left shift between two screenshots (attempt {attempt})\n{app.log()}")
                self.assertGreaterEqual(shift, 5, "the banner moves at about 100 pixels per second")
            # The output's picture area above the banner stays black.
            above = e2e.grab(sx, sy + sh - BANNER_HEIGHT - 10, sw, 10)
            self.assertTrue(all(e2e.close_to(e2e.pixel(above, x, y), (0, 0, 0), 8)
                                for y in range(10) for x in range(0, sw, 16)))

            self.click_in(dialog, HIDE)
            e2e.park_pointer()

            def gone():
                rows = banner_rows()
                return all(e2e.close_to(e2e.pixel(rows, x, y), (0, 0, 0), 8)
                           for y in range(BANNER_HEIGHT) for x in range(0, sw, 8))
            e2e.wait_until("the banner gone after Hide", gone, 20, interval=0.5)
            self.assertTrue(app.running(), app.log())


if __name__ == "__main__":
    e2e.main()
