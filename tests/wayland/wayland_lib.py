"""Helpers for driving the real vivivoz binary in the headless Wayland session.

The session comes from tests/wayland/with_wlsession (scripts/wlsession): sway
with HEADLESS-1 1920x1080 at 0,0 (the primary) and HEADLESS-2 1280x1024 at
1920,0, a private session bus, PipeWire, the screen-cast portal handing out
HEADLESS-1 without a dialog, and swaybar's tray. No X server runs. Pictures
are read with grim, windows with swaymsg.
"""

import json
import os
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import e2e_lib  # noqa: E402  (run, wait_until, parse_ppm, pixel, close_to, Vivivoz)

run = e2e_lib.run
wait_until = e2e_lib.wait_until
pixel = e2e_lib.pixel
close_to = e2e_lib.close_to

OUTPUT1 = ("HEADLESS-1", 0, 0, 1920, 1080)
OUTPUT2 = ("HEADLESS-2", 1920, 0, 1280, 1024)


def grab_output(name):
    """The output's pixels as (width, height, RGB bytes)."""
    with tempfile.NamedTemporaryFile(suffix=".ppm") as f:
        run(["grim", "-t", "ppm", "-o", name, f.name], timeout=30)
        with open(f.name, "rb") as picture:
            return e2e_lib.parse_ppm(picture.read())


def sway_tree():
    return json.loads(run(["swaymsg", "-t", "get_tree", "-r"]))


def windows_of(pid):
    """(output name, node) of every window of the process, floating ones too."""
    found = []

    def walk(node, output):
        if node.get("type") == "output":
            output = node.get("name")
        if node.get("pid") == pid:
            found.append((output, node))
        for child in node.get("nodes", []) + node.get("floating_nodes", []):
            walk(child, output)
    walk(sway_tree(), None)
    return found


class Vivivoz(e2e_lib.Vivivoz):
    """vivivoz in the Wayland session: the session's environment as it is."""

    def start(self):
        env = dict(os.environ)
        env.pop("DISPLAY", None)
        self._log = open(self.log_path, "ab")
        self.proc = subprocess.Popen([self.binary, *self.args], env=env, stdin=subprocess.DEVNULL,
                                     stdout=self._log, stderr=subprocess.STDOUT)
        return self

    def wait_for_tray_item(self, timeout=60):
        def registered():
            if not self.running():
                raise AssertionError(f"vivivoz ended with status {self.proc.returncode}\n{self.log()}")
            return bool(e2e_lib.status_notifier_items(bus=""))
        try:
            wait_until("vivivoz's item in the tray", registered, timeout)
        except AssertionError as e:
            raise AssertionError(f"{e}\n{self.log()}") from None


class SessionTest(unittest.TestCase):
    binary = None

    def vivivoz(self, *args, config_dir=None):
        return Vivivoz(self.binary, args, config_dir)


def main():
    if len(sys.argv) < 2 or not os.path.isfile(sys.argv[1]):
        sys.exit(f"usage: {sys.argv[0]} PATH-TO-VIVIVOZ [unittest args]")
    if "WAYLAND_DISPLAY" not in os.environ or "SWAYSOCK" not in os.environ:
        sys.exit(f"{sys.argv[0]}: no Wayland session; run through tests/wayland/with_wlsession")
    SessionTest.binary = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
