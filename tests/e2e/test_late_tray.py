#!/usr/bin/env python3
"""A system tray that starts after the program still gets the icon.

The display's own tray (trayer, started by scripts/xdisplay) is stopped
first and a new one started later; the new one is entered in the display's
list of processes, so that `scripts/xdisplay stop` ends it as usual."""

import os
import time

import e2e_lib as e2e

TRAYER = ["trayer", "--edge", "bottom", "--align", "left", "--widthtype", "pixel", "--width", "64",
          "--height", "32", "--SetDockType", "true", "--transparent", "false"]


def display_pids_file():
    return f"/tmp/vivivoz-xdisplay-{os.environ['DISPLAY'].lstrip(':').split('.')[0]}.pids"


def display_trayer_pids():
    with open(display_pids_file()) as f:
        return [int(line.split()[0]) for line in f if line.split()[1:] == ["trayer"]]


class LateTrayTest(e2e.DisplayTest):
    def test_icon_appears_when_the_tray_starts_later(self):
        if not os.path.exists(display_pids_file()):
            self.skipTest("needs a display from scripts/xdisplay")
        for pid in display_trayer_pids():
            try:
                os.kill(pid, 15)
            except ProcessLookupError:
                pass
        e2e.wait_until("the tray to go", lambda: e2e.tray_panel() is None, 10)

        with self.vivivoz() as app:
            # No tray: the program shows its windows instead, and keeps running.
            e2e.wait_until("the windows shown without a tray",
                           lambda: e2e.top_level_windows(app.proc.pid), 30)
            time.sleep(2)
            self.assertTrue(app.running(), app.log())
            # Started apart from this script (its shell ends at once), as the display's own.
            pid = e2e.run(["bash", "-c", 'setsid "$@" </dev/null >/dev/null 2>&1 & echo $!', "trayer", *TRAYER])
            with open(display_pids_file(), "a") as f:
                f.write(f"{int(pid)} trayer\n")
            e2e.wait_until("the new tray's panel", e2e.tray_panel, 15)
            icon = app.wait_for_tray_icon(timeout=15)
            self.assertGreater(icon.w, 1)


if __name__ == "__main__":
    e2e.main()
