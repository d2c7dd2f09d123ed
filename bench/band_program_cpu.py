#!/usr/bin/env python3
"""CPU of the whole vivivoz program while only the scrolling banner runs on
the second monitor, beside the same program with the output window up and
nothing running, measured in the same run from /proc/<pid>/stat.

Usage (on an X display with a tray, as scripts/bench-band runs it):
    band_program_cpu.py PATH-TO-VIVIVOZ [SECONDS]
"""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import e2e_lib as e2e  # noqa: E402
import test_scrolltext as scrolltext  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime, stime


def measure(pid, seconds):
    start, t0 = cpu_seconds(pid), time.monotonic()
    time.sleep(seconds)
    return (cpu_seconds(pid) - start) / (time.monotonic() - t0) * 100


def main():
    binary = os.path.abspath(sys.argv[1])
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 10
    test = scrolltext.ScrollTextTest()
    with e2e.Vivivoz(binary) as app:
        icon = app.wait_for_tray_icon()
        tray = e2e.TrayMenu(app)
        tray.choose_item(icon, "Enable Secondary Monitor")
        sx, _, sw, _ = e2e.SECOND
        e2e.wait_until("the output window on the second monitor",
                       lambda: any(g[0] == sx and g[2] == sw
                                   for g in e2e.top_level_windows(app.proc.pid).values()), 30)
        time.sleep(1)
        e2e.park_pointer()
        idle = measure(app.proc.pid, seconds)

        tray.choose_item(icon, "Quick start mirroring", "Scroll Text")
        dialog = e2e.wait_until("the scrolling-text dialog", test.dialog, 20)
        test.click_in(dialog, scrolltext.TEXT_EDIT)
        e2e.run(["xdotool", "type", "--delay", "10", "Vivivoz scrolling text banner | end"])
        test.click_in(dialog, scrolltext.SEND_TEXT)
        e2e.keys("Escape")  # the dialog closes (its preview keeps its timer, as it does)
        e2e.park_pointer()
        e2e.wait_until("the banner", lambda: scrolltext.has_text(scrolltext.banner_rows()), 20, interval=0.5)
        time.sleep(1)
        banner = measure(app.proc.pid, seconds)
    print(f"vivivoz CPU, output up and nothing running: {idle:.2f} % of a core")
    print(f"vivivoz CPU, banner scrolling (Step 1, Interval 10, 1280 px): {banner:.2f} % of a core")
    print(f"difference (the banner's own cost): {banner - idle:.2f} % of a core")


if __name__ == "__main__":
    main()
