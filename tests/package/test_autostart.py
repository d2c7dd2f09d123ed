#!/usr/bin/env python3
""""Load at Startup" of an installed program: the autostart entry starts the
installed executable, also from a folder whose name has blanks in it, and is
a valid desktop entry; choosing the item again removes it.

  test_autostart.py BUILD   (on a display: tests/e2e/with_display)
"""

import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import e2e_lib as e2e  # noqa: E402

BUILD = None


def exec_argv(value):
    """The arguments of a desktop entry's Exec value (string escapes, then
    double quotes with \\ before " ` $ and \\)."""
    text = value.replace("\\\\", "\0").replace("\\s", " ").replace("\\t", "\t").replace("\0", "\\")
    args, current, quoted, i, started = [], "", False, 0, False
    while i < len(text):
        c = text[i]
        if quoted and c == "\\" and i + 1 < len(text):
            current += text[i + 1]
            i += 1
        elif c == '"':
            quoted = not quoted
            started = True
        elif c == " " and not quoted:
            if started or current:
                args.append(current)
            current, started = "", False
        else:
            current += c
        i += 1
    if quoted:
        raise ValueError("unterminated quote in Exec=" + value)
    if started or current:
        args.append(current)
    return args


class AutostartOfInstalledProgram(e2e.DisplayTest):
    def test_entry_names_the_installed_program(self):
        with tempfile.TemporaryDirectory(prefix="vivivoz install ") as root, \
                tempfile.TemporaryDirectory(prefix="vivivoz-config-") as config_home:
            r = subprocess.run(["cmake", "--install", BUILD, "--prefix", "/usr"], capture_output=True, text=True,
                               env=dict(os.environ, DESTDIR=root))
            self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
            program = os.path.join(root, "usr/bin/vivivoz")
            entry = os.path.join(config_home, "autostart/vivivoz.desktop")
            os.environ["XDG_CONFIG_HOME"] = config_home
            with e2e.Vivivoz(program) as app:
                icon = app.wait_for_tray_icon()
                menu = e2e.TrayMenu(app)
                menu.choose_item(icon, "Load at Startup")
                e2e.wait_until("the autostart entry", lambda: os.path.isfile(entry), 10)
                with open(entry, encoding="utf-8") as f:
                    keys = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)
                self.assertEqual(exec_argv(keys["Exec"]), [program])
                if shutil.which("desktop-file-validate"):
                    v = subprocess.run(["desktop-file-validate", entry], capture_output=True, text=True)
                    self.assertEqual(v.returncode, 0, v.stdout + v.stderr)
                    self.assertNotIn("error", v.stdout)

                menu.choose_item(icon, "Load at Startup")
                e2e.wait_until("the autostart entry to go", lambda: not os.path.exists(entry), 10)
                self.assertTrue(app.running(), app.log())


if __name__ == "__main__":
    if len(sys.argv) < 2 or not os.path.isdir(sys.argv[1]):
        sys.exit("usage: test_autostart.py BUILD-FOLDER [unittest args]")
    BUILD = sys.argv.pop(1)
    if "DISPLAY" not in os.environ:
        sys.exit("test_autostart.py: DISPLAY is not set; run through tests/e2e/with_display")
    import unittest
    unittest.main(verbosity=2)
