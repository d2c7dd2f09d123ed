#!/usr/bin/env python3
"""SIGTERM at any moment of a `--start desktop` start-up ends the program
with the settings saved; Qt's own options are accepted. How fast it ends is
printed, not asserted (a loaded machine slows the start-up it interrupts);
a program still running after HANG_LIMIT is a hang."""

import os
import random
import signal
import time

import e2e_lib as e2e

RUNS = 30
HANG_LIMIT = 20.0
SIGTERM_BIT = 1 << (signal.SIGTERM - 1)


def catches_sigterm(pid):
    """True once the process has its SIGTERM handler (SigCgt in /proc)."""
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("SigCgt:"):
                    return bool(int(line.split()[1], 16) & SIGTERM_BIT)
    except OSError:
        pass
    return False


class SignalTest(e2e.DisplayTest):
    def output_up(self, app):
        return any(geo == e2e.SECOND for geo in e2e.top_level_windows(app.proc.pid).values())

    def test_sigterm_during_start_up_always_ends_with_the_file_saved(self):
        # One start measured to the output window sets the range of the moments.
        with self.vivivoz("--start", "desktop") as app:
            e2e.wait_until("the handler", lambda: catches_sigterm(app.proc.pid), 30, interval=0.005)
            handled = time.monotonic()
            e2e.wait_until("the output window", lambda: self.output_up(app), 30, interval=0.05)
            span = time.monotonic() - handled + 0.5
        rng = random.Random(int(os.environ.get("VIVIVOZ_E2E_SEED", time.time())))
        # Early moments are where the faults were: half of the runs fall in
        # the first fifth, the others anywhere up to just after the output shows.
        delays = [rng.uniform(0, span / 5) if i % 2 else rng.uniform(0, span) for i in range(RUNS)]
        failures = []
        slowest = 0.0
        print(f"\n{RUNS} runs, SIGTERM 0..{span:.2f} s after the handler is installed", flush=True)
        for delay in delays:
            with self.vivivoz("--start", "desktop") as app:
                e2e.wait_until("the handler", lambda: catches_sigterm(app.proc.pid), 30, interval=0.002)
                time.sleep(delay)
                app.proc.send_signal(signal.SIGTERM)
                sent = time.monotonic()
                try:
                    status = app.proc.wait(timeout=HANG_LIMIT)
                except Exception:
                    failures.append(f"{delay:.3f} s: still running {HANG_LIMIT} s after SIGTERM")
                    continue
                took = time.monotonic() - sent
                slowest = max(slowest, took)
                saved = os.path.isfile(app.config_file) and os.path.getsize(app.config_file) > 0
                if status != 0 or not saved:
                    failures.append(f"{delay:.3f} s: status {status}, settings saved: {saved}, "
                                    f"ended after {took:.2f} s\n{app.log()}")
                else:
                    with open(app.config_file, "rb") as f:
                        sections = e2e.simple_sections(f.read().decode("latin-1"))
                    if "Options" not in sections or "Config" not in sections:
                        failures.append(f"{delay:.3f} s: saved file lacks sections: {sorted(sections)}")
        print(f"slowest end after SIGTERM: {slowest:.2f} s", flush=True)
        self.assertEqual(failures, [], f"{len(failures)} of {RUNS} runs (moments 0..{span:.2f} s) failed")

    def test_qt_options_are_accepted(self):
        display = os.environ["DISPLAY"]
        for label, args, unset_display in (("-display", ("-display", display), True),
                                           ("-platform", ("-platform", "xcb"), False)):
            with self.subTest(option=label):
                app = self.vivivoz(*args)
                saved = os.environ.pop("DISPLAY") if unset_display else None
                try:
                    app.start()
                finally:
                    if saved is not None:
                        os.environ["DISPLAY"] = saved
                try:
                    app.wait_for_tray_icon(timeout=30)
                    app.stop()
                    self.assertEqual(app.proc.returncode, 0, app.log())
                finally:
                    app.__exit__(None, None, None)

if __name__ == "__main__":
    e2e.main()
