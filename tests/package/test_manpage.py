#!/usr/bin/env python3
"""The manual page writer (packaging/manpage.py) on help texts of several
shapes: what must come out as roff and what must be refused."""

import gzip
import importlib.util
import os
import subprocess
import sys
import tempfile
import unittest

MANPAGE = sys.argv.pop(1) if len(sys.argv) > 1 else os.path.join(
    os.path.dirname(__file__), "..", "..", "packaging", "manpage.py")
spec = importlib.util.spec_from_file_location("manpage", MANPAGE)
manpage = importlib.util.module_from_spec(spec)
spec.loader.exec_module(manpage)

HELP = """Usage: vivivoz [options]
Puts a mirror of the primary monitor on the secondary monitor.
It lives in the notification area: left-click its icon.

Options:
  --config-dir DIR   keep Vivivoz.cfg in DIR
  --start desktop    start mirroring the desktop at once
  -h, --help         print this help and exit
"""


def page(help_text, extra=""):
    return manpage.roff(help_text, "1.2.3", "mirror the desktop", extra)


class Layout(unittest.TestCase):
    def test_sections_in_order(self):
        text = page(HELP, ".SH FILES\nsome file\n")
        lines = text.splitlines()
        self.assertEqual(lines[0], '.TH VIVIVOZ 1 "" "Vivivoz 1.2.3" "User Commands"')
        heads = [l for l in lines if l.startswith(".SH")]
        self.assertEqual(heads, [".SH NAME", ".SH SYNOPSIS", ".SH DESCRIPTION", ".SH OPTIONS", ".SH FILES"])
        self.assertIn("vivivoz \\- mirror the desktop", lines)
        for summary, name in [("Mirror it", "mirror it"), ("X11 mirror", "X11 mirror"), ("a", "a")]:
            with self.subTest(summary=summary):
                self.assertIn("vivivoz \\- " + name, manpage.roff(HELP, "1", summary).splitlines())
        self.assertTrue(text.endswith("some file\n"))

    def test_option_terms_and_descriptions(self):
        text = page(HELP)
        # Every option becomes a tagged paragraph: term, then its text.
        cases = [
            ("\\fB\\-\\-config\\-dir\\fR \\fIDIR\\fR", "keep Vivivoz.cfg in DIR"),
            ("\\fB\\-\\-start\\fR \\fIdesktop\\fR", "start mirroring the desktop at once"),
            ("\\fB\\-h\\fR, \\fB\\-\\-help\\fR", "print this help and exit"),
        ]
        lines = text.splitlines()
        for term, description in cases:
            with self.subTest(term=term):
                i = lines.index(term)
                self.assertEqual(lines[i - 1], ".TP")
                self.assertEqual(lines[i + 1], description)

    def test_continuation_lines_and_other_sections(self):
        help_text = HELP + """  --display NAME     the X display to use; also
                     read from DISPLAY
  --level=N          a value given with =

Examples:
  vivivoz --start desktop
"""
        lines = page(help_text).splitlines()
        i = lines.index("\\fB\\-\\-display\\fR \\fINAME\\fR")
        self.assertEqual(lines[i + 1], "the X display to use; also read from DISPLAY")
        self.assertIn("\\fB\\-\\-level\\fR=\\fIN\\fR", lines)
        self.assertIn(".SH EXAMPLES", lines)
        self.assertIn("vivivoz \\-\\-start desktop", lines)

    def test_several_usage_lines(self):
        help_text = "Usage: vivivoz [options]\n   or: vivivoz --version\n\nText.\n"
        lines = page(help_text).splitlines()
        i = lines.index(".SH SYNOPSIS")
        self.assertEqual(lines[i + 1:i + 4], ["\\fBvivivoz\\fR [options]", ".br", "\\fBvivivoz\\fR \\fB\\-\\-version\\fR"])


class Escaping(unittest.TestCase):
    def test_text_roff_would_misread(self):
        cases = [
            # (help line, roff line)
            (".cfg files are kept", "\\&.cfg files are kept"),
            ("'quoted' first", "\\&'quoted' first"),
            ("C:\\path", "C:\\epath"),
            ("left-click, --start and -h", "left-click, \\-\\-start and \\-h"),
            ("a - b", "a - b"),
        ]
        for help_line, roff_line in cases:
            with self.subTest(help_line=help_line):
                lines = page("Usage: vivivoz\n" + help_line + "\n").splitlines()
                self.assertIn(roff_line, lines)


class Refused(unittest.TestCase):
    def test_help_without_usage_line(self):
        for text in ("", "vivivoz [options]\n", "Options:\n  --x  y\n", "Usage:\n",
                     "Usage: vivivoz\n   or:\n"):
            with self.subTest(text=text):
                with self.assertRaises(manpage.HelpError):
                    page(text)

    def test_failing_program_leaves_no_page(self):
        with tempfile.TemporaryDirectory() as tmp:
            out = os.path.join(tmp, "vivivoz.1")
            for program in ("/bin/false", os.path.join(tmp, "missing")):
                with self.subTest(program=program):
                    r = subprocess.run([sys.executable, MANPAGE, "--program", program, "--version", "1",
                                        "--summary", "s", "-o", out], capture_output=True, text=True)
                    self.assertEqual(r.returncode, 1)
                    self.assertIn("manpage.py:", r.stderr)
                    self.assertFalse(os.path.exists(out))
                    self.assertEqual(os.listdir(tmp), [])

    def test_gzip_output_is_the_same_bytes_each_time(self):
        with tempfile.TemporaryDirectory() as tmp:
            help_file = os.path.join(tmp, "help.txt")
            with open(help_file, "w") as f:
                f.write(HELP)
            pages = []
            for n in range(2):
                out = os.path.join(tmp, "vivivoz%d.1.gz" % n)
                subprocess.run([sys.executable, MANPAGE, "--help-file", help_file, "--version", "1",
                                "--summary", "s", "-o", out], check=True)
                with open(out, "rb") as f:
                    pages.append(f.read())
            self.assertEqual(pages[0], pages[1])
            self.assertIn(b".SH OPTIONS", gzip.decompress(pages[0]))


if __name__ == "__main__":
    unittest.main()
