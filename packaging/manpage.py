#!/usr/bin/env python3
"""Writes the manual page vivivoz.1 from the program's --help text.

  manpage.py --program BIN | --help-file FILE
             --version V --summary TEXT [--extra ROFF] [-o OUT[.gz]]

The help text's layout:
  Usage: vivivoz [options]       one or more lines ("Usage:" / "or:")
  Description paragraphs...
  Heading:                       a line at the left margin ending in ':'
    --option ARG   description   two blanks or more between term and text
                     more text   deeper indented lines continue the text
"Options:" becomes OPTIONS, any other heading a section of its own name.
The NAME line is built from --summary; --extra is roff appended at the end
(FILES, SEE ALSO...).
"""

import argparse
import gzip
import os
import re
import subprocess
import sys

HEADING = re.compile(r"^([A-Za-z][A-Za-z ]*):\s*$")
ENTRY = re.compile(r"^(\s+)(-\S.*?)(?:\s{2,}(\S.*))?$")
USAGE = re.compile(r"^\s*(?:usage|or):\s*(.*)$", re.IGNORECASE)


class HelpError(Exception):
    pass


def escape(text):
    """Roff-escapes plain text: backslashes, and dashes of option names."""
    text = text.replace("\\", "\\e")
    # The dashes of an option name (a word starting with a dash) are minus
    # signs, so that a copied option works; other dashes are hyphens.
    text = re.sub(r"(?<![\w-])-+\w[\w-]*", lambda m: m.group(0).replace("-", "\\-"), text)
    return text


def line(text):
    """A text line that roff does not take for a request."""
    text = escape(text)
    return "\\&" + text if text.startswith((".", "'")) else text


def lower_first(text):
    """"Mirror the desktop" -> "mirror the desktop", as NAME lines go; a
    leading abbreviation ("X11 ...") stays."""
    if len(text) > 1 and text[0].isupper() and text[1].islower():
        return text[0].lower() + text[1:]
    return text


def term(text):
    """An option's term: option names bold, their arguments italic."""
    parts = []
    for alternative in text.split(", "):
        words = []
        for word in alternative.split(" "):
            if not word:
                continue
            if word.startswith("-"):
                name, eq, arg = word.partition("=")
                words.append("\\fB" + escape(name) + "\\fR" + (eq + "\\fI" + escape(arg) + "\\fR" if eq else ""))
            else:
                words.append("\\fI" + escape(word) + "\\fR")
        parts.append(" ".join(words))
    return ", ".join(parts)


def synopsis(usage):
    """The usage line: the program bold, option words bold, the rest as is."""
    words = usage.split()
    out = "\\fB" + escape(words[0]) + "\\fR"
    for word in words[1:]:
        out += " " + re.sub(r"(-[\w-]+)", lambda m: "\\fB" + escape(m.group(1)) + "\\fR", word.replace("\\", "\\e"))
    return out


def parse(help_text):
    """Splits the help text into (usage lines, sections); a section is
    (heading or None, [("para", text) | ("entry", term, text)])."""
    lines = help_text.expandtabs().splitlines()
    usages = []
    while lines and (m := USAGE.match(lines[0])):
        usages.append(m.group(1).strip())
        lines.pop(0)
    if not usages:
        raise HelpError("the help text does not start with a 'Usage:' line")
    if not all(usages):
        raise HelpError("a Usage line of the help text names no program")
    sections = [(None, [])]
    blank = True
    for raw in lines:
        items = sections[-1][1]
        if not raw.strip():
            blank = True
            continue
        if m := HEADING.match(raw):
            sections.append((m.group(1).strip(), []))
            blank = True
            continue
        indent = len(raw) - len(raw.lstrip())
        if (m := ENTRY.match(raw)) and (m.group(3) or sections[-1][0] is not None):
            items.append(["entry", m.group(2).strip(), m.group(3) or "", len(m.group(1))])
        elif items and items[-1][0] == "entry" and indent > items[-1][3] and not blank:
            items[-1][2] = (items[-1][2] + " " + raw.strip()).strip()
        elif items and items[-1][0] == "para" and not blank:
            items[-1][1] += "\n" + raw.strip()
        else:
            items.append(["para", raw.strip()])
        blank = False
    return usages, sections


def roff(help_text, version, summary, extra=""):
    usages, sections = parse(help_text)
    program = usages[0].split()[0]
    out = [
        '.TH %s 1 "" "%s %s" "User Commands"' % (program.upper(), program.capitalize(), version),
        ".SH NAME",
        "%s \\- %s" % (escape(program), escape(lower_first(summary))),
        ".SH SYNOPSIS",
    ]
    for i, usage in enumerate(usages):
        if i:
            out.append(".br")
        out.append(synopsis(usage))
    for heading, items in sections:
        if heading is None:
            name = "DESCRIPTION"
        elif heading.lower() in ("options", "option"):
            name = "OPTIONS"
        else:
            name = heading.upper()
        if not items and heading is None:
            continue
        out.append('.SH "%s"' % name if " " in name else ".SH " + name)
        for n, item in enumerate(items):
            if item[0] == "para":
                if n:
                    out.append(".PP")
                out.extend(line(t) for t in item[1].split("\n"))
            else:
                out.append(".TP")
                out.append(term(item[1]))
                if item[2]:
                    out.append(line(item[2]))
    if extra:
        out.append(extra.rstrip("\n"))
    return "\n".join(out) + "\n"


def help_of(program):
    env = dict(os.environ)
    # A sanitizer build must not fail on Qt's memory kept until exit.
    env.setdefault("ASAN_OPTIONS", "detect_leaks=0")
    env.setdefault("QT_QPA_PLATFORM", "offscreen")
    try:
        result = subprocess.run([program, "--help"], capture_output=True, text=True, env=env, timeout=60)
    except (OSError, subprocess.TimeoutExpired) as e:
        raise HelpError("cannot run %s --help: %s" % (program, e))
    if result.returncode != 0:
        raise HelpError("%s --help ended with status %d: %s" % (program, result.returncode, result.stderr.strip()))
    return result.stdout


def main(argv):
    parser = argparse.ArgumentParser(description="Writes the manual page from the program's --help text.")
    source = parser.add_mutually_exclusive_group(required=True)
    source.add_argument("--program", help="the program to ask for --help")
    source.add_argument("--help-file", help="a file holding the help text")
    parser.add_argument("--version", required=True)
    parser.add_argument("--summary", required=True, help="the one-line description for NAME")
    parser.add_argument("--extra", help="roff appended at the end")
    parser.add_argument("-o", "--output", help="the page to write (default: standard output)")
    args = parser.parse_args(argv)
    try:
        if args.program:
            text = help_of(args.program)
        else:
            with open(args.help_file, encoding="utf-8") as f:
                text = f.read()
        extra = ""
        if args.extra:
            with open(args.extra, encoding="utf-8") as f:
                extra = f.read()
        page = roff(text, args.version, args.summary, extra)
    except (HelpError, OSError) as e:
        print("manpage.py: %s" % e, file=sys.stderr)
        return 1
    if not args.output:
        sys.stdout.write(page)
        return 0
    data = page.encode("utf-8")
    if args.output.endswith(".gz"):
        # No name and no time in the header: the same page gives the same bytes.
        data = gzip.compress(data, compresslevel=9, mtime=0)
    # Written whole or not at all: a half page must not stay behind.
    partial = args.output + ".part"
    with open(partial, "wb") as f:
        f.write(data)
    os.replace(partial, args.output)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
