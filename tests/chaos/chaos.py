#!/usr/bin/env python3
"""A seeded random soak of the real program on the virtual display.

    tests/chaos/chaos.py PATH-TO-VIVIVOZ [MINUTES] [--seed N] [--steps K]

Runs through scripts/chaos, which builds the sanitizer build and gives it a
display of its own (tests/e2e/with_display). For MINUTES (default 1) it
draws one action after another from a random generator seeded with N
(--seed, else VIVIVOZ_CHAOS_SEED, else the clock): tray menu items, global
keys, later starts switching sources, view modes and rates, the second
monitor unplugged and plugged back, a mirrored window closed, clipboard
owners that die mid-transfer or never answer, a slideshow whose pictures
vanish or turn to garbage while it plays, the banner sent and hidden, the
capture key pressed into a folder that is full, read-only or not a folder,
SIGHUP/SIGTERM followed by a restart, sometimes while another copy starts.

Every action draws all of its random choices before it runs, so the same
seed gives the same actions whatever the program does; --steps K stops after
K steps (to replay a failure up to its step). Only outcomes that do not
depend on timing are checked, after every step:

- the program runs (or ended with status 0 when the step ended it);
- it answers a later start (a request it refuses, which changes nothing)
  over its local socket: the time is measured, more than 1 s is counted as
  slow, no answer within HANG_LIMIT s is a hang;
- no sanitizer report in its output;
- the settings file parses, ends its last line, and holds every key a save
  writes and every key an earlier version held;
- every capture file is a whole picture, and nothing else is left in the
  capture folder;
- its resident memory stays under MEMORY_LIMIT_MB.

Message boxes the program opens (a failed capture, a refused picture) are
closed with Return and counted. At the end it prints the seed, the steps and
the figures; on the first failure it stops and prints the seed, the steps
run and the command that replays them. Exit status 1 on a failure.
"""

import argparse
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(os.path.dirname(here))
sys.path.insert(0, os.path.join(root, "tests", "e2e"))

import e2e_lib as e2e  # noqa: E402
import test_scrolltext  # noqa: E402
import test_shortcuts  # noqa: E402
import test_sources  # noqa: E402

HANG_LIMIT = 20.0
SLOW_ANSWER = 1.0
MEMORY_LIMIT_MB = 2048
SANITIZER = re.compile(r"ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:|UndefinedBehaviorSanitizer|"
                       r"WARNING: ThreadSanitizer")

# The global keys of the settings file the run starts with (the capture key
# apart): (settings key, xdotool combination).
KEYS = {
    "Send to Second Monitor": ("HotKey1", "ctrl+F1"),
    "Automatically Send": ("HotKey2", "ctrl+F2"),
    "Show Toolbar": ("HotKey3", "ctrl+F3"),
    "Show Preview": ("HotKey4", "ctrl+F4"),
    "Enable Secondary Monitor": ("HotKey5", "ctrl+F5"),
    "Stop All": ("HotKey6", "ctrl+F6"),
    "Increase Screen Update Rate": ("HotKey7", "ctrl+F7"),
    "Decrease Screen Update Rate": ("HotKey8", "ctrl+F8"),
    "Auto Hide Toolbar": ("HotKey9", "ctrl+F9"),
}
CAPTURE_KEY = ("Ctrl+F10", "ctrl+F10")

# Tray menu items that change a state and open nothing.
TRAY_COMMANDS = [("Quick start mirroring", "Desktop"), ("Quick start mirroring", "Clipboard"),
                 ("View Mode", "Normal"), ("View Mode", "Stretch"), ("View Mode", "Optimal"),
                 ("View Mode", "Resize"), ("View Mode", "Scale"), ("Enable Secondary Monitor",),
                 ("Show Preview",), ("Show Toolbar",), ("Auto Hide Toolbar",), ("Stop All",)]
# Tray menu items that open a window, which Escape closes.
TRAY_WINDOWS = [("Settings",), ("Monitor Details",), ("About",), ("Shortcuts",),
                ("Quick start mirroring", "Single Application"), ("Quick start mirroring", "Scroll Text"),
                ("Capture an Image",)]
VIEWS = ["normal", "stretch", "optimal", "resize", "scale"]
SLIDES = [("red", "#ff0000"), ("green", "#00ff00"), ("blue", "#0000ff"), ("yellow", "#ffff00")]
TARGET_TITLE = "Chaos Target"


class Failure(Exception):
    pass


def rss_mb(pid):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1]) // 1024
    except OSError:
        pass
    return None


def can_mount(folder):
    """True when this process may mount a small tmpfs (root with the right to mount)."""
    probe = os.path.join(folder, "mount-probe")
    os.makedirs(probe, exist_ok=True)
    ok = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", probe],
                        capture_output=True).returncode == 0
    if ok:
        subprocess.run(["umount", "-l", probe], capture_output=True)
    os.rmdir(probe)
    return ok


class Chaos:
    def __init__(self, binary, seed, minutes, max_steps):
        self.binary, self.seed, self.minutes, self.max_steps = binary, seed, minutes, max_steps
        self.rng = random.Random(seed)
        self.work = tempfile.mkdtemp(prefix="vivivoz-chaos-")
        self.config = os.path.join(self.work, "config")
        self.captures = os.path.join(self.work, "captures")
        self.media = os.path.join(self.work, "media")
        for folder in (self.config, self.captures, self.media):
            os.makedirs(folder)
        self.steps = []
        self.counts = {}
        self.figures = {"hangs": 0, "slow answers": 0, "sanitizer reports": 0, "damaged files": 0,
                        "captures written": 0, "messages closed": 0, "restarts": 0, "later starts": 0}
        self.slowest = 0.0
        self.skipped = {}
        self.known_keys = set()
        self.checked_captures = set()
        self.log_offset = 0
        self.rss_first = self.rss_last = self.rss_peak = None
        self.mounted = []
        self.helpers = []  # processes and windows to end when the run ends
        self.app = None
        # The instance lock and the later-start socket live in the config folder.
        os.environ["XDG_RUNTIME_DIR"] = self.config
        self.mounts = can_mount(self.work)
        if not self.mounts:
            self.skip("capture into a full or read-only folder", "mount is not permitted here")

    # --- set-up -----------------------------------------------------------------

    def skip(self, what, why):
        self.skipped[what] = why

    def write_settings(self):
        lines = ["[Options]", f"ImageSavePath={self.captures}/", f"HotKey={CAPTURE_KEY[0]}", "ImgCounter=1"]
        for key, combination in KEYS.values():
            lines.append(f"{key}={combination.replace('ctrl', 'Ctrl')}")
        with open(os.path.join(self.config, "Vivivoz.cfg"), "wb") as f:
            f.write("".join(line + "\r\n" for line in lines).encode())

    def write_media(self):
        self.pictures = []
        for name, colour in SLIDES:
            path = os.path.join(self.media, f"{name}.png")
            e2e.run(["convert", "-size", "320x240", f"xc:{colour}", path])
            with open(path, "rb") as f:
                self.pictures.append((path, f.read()))
        self.show = os.path.join(self.media, "chaos.vsl")
        with open(self.show, "wb") as f:
            f.write("".join(line + "\r\n" for line in ["1", "On", *(p for p, _ in self.pictures)]).encode())
        self.banner = os.path.join(self.media, "chaos.sct")
        with open(self.banner, "wb") as f:
            f.write(b"[scroll]\r\ntext=Chaos banner | the end\r\nxinterval=10\r\nxstep=2\r\n")
        self.target_png = os.path.join(self.media, "target.png")
        test_sources.quadrant_picture(self.target_png, 400, 300)
        # A large picture of noise: its transfer over the clipboard takes many
        # increments, so killing its owner lands in the middle of one.
        self.big_png = os.path.join(self.media, "big.png")
        e2e.run(["convert", "-size", "1600x1200", "xc:", "+noise", "Random", self.big_png], timeout=60)
        self.small_png = os.path.join(self.media, "small.png")
        e2e.run(["convert", "-size", "64x48", "xc:#ff00ff", self.small_png])

    def start_app(self, *args):
        self.app = e2e.Vivivoz(self.binary, args, self.config)
        self.app.start()
        self.wait_up()

    def wait_up(self):
        self.app.wait_for_tray_icon(timeout=90)
        e2e.wait_until("the program to answer later starts", lambda: self.ask(["--rate", "0"], 5) is not None, 60)

    # --- talking to the running copy ------------------------------------------

    def ask(self, arguments, timeout):
        """Hands a later start's arguments to the running copy; its answer line, or None."""
        return e2e.ask_running(e2e.channel_path(self.binary, self.config), arguments, timeout)

    def request(self, arguments):
        self.figures["later starts"] += 1
        answer = self.ask(arguments, HANG_LIMIT)
        if answer is None:
            self.fail(f"no answer to the later start {arguments}")
        return answer

    def second_copy(self, arguments):
        """Starts another copy with `arguments` (it hands them to the running one); returns it."""
        env = dict(os.environ, QT_QPA_PLATFORM="xcb", XDG_RUNTIME_DIR=self.config)
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        log = open(os.path.join(self.config, "second-copies.log"), "ab")
        proc = subprocess.Popen([self.binary, "--config-dir", self.config, *arguments], env=env,
                                stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
        log.close()
        return proc

    # --- checks -------------------------------------------------------------------

    def fail(self, what):
        raise Failure(what)

    def new_output(self):
        text = ""
        for name in ("vivivoz-e2e.log", "second-copies.log"):
            path = os.path.join(self.config, name)
            offset = self.log_offset if name == "vivivoz-e2e.log" else getattr(self, "second_offset", 0)
            try:
                with open(path, "rb") as f:
                    f.seek(offset)
                    chunk = f.read()
            except OSError:
                continue
            if name == "vivivoz-e2e.log":
                self.log_offset = offset + len(chunk)
            else:
                self.second_offset = offset + len(chunk)
            text += chunk.decode(errors="replace")
        return text

    def close_message_boxes(self):
        for _ in range(5):
            boxes = e2e.message_boxes(self.app.proc.pid) if self.app.running() else []
            if not boxes:
                return
            for box in boxes:
                e2e.activate(box)
                e2e.keys("Return")
                self.figures["messages closed"] += 1
            time.sleep(0.3)

    def check(self):
        output = self.new_output()
        if SANITIZER.search(output):
            self.figures["sanitizer reports"] += 1
            self.fail("a sanitizer report:\n" + output[-6000:])
        if not self.app.running():
            self.fail(f"the program ended with status {self.app.proc.returncode}\n{self.app.log()}")
        self.close_message_boxes()
        sent = time.monotonic()
        answer = self.ask(["--rate", "0"], HANG_LIMIT)
        took = time.monotonic() - sent
        if answer is None:
            self.figures["hangs"] += 1
            self.fail(f"no answer to a later start within {HANG_LIMIT} s\n{self.app.log()}")
        self.slowest = max(self.slowest, took)
        if took > SLOW_ANSWER:
            self.figures["slow answers"] += 1
            self.note(f"a later start answered after {took:.2f} s")
        self.check_settings()
        self.check_captures()
        rss = rss_mb(self.app.proc.pid)
        if rss is not None:
            self.rss_first = self.rss_first if self.rss_first is not None else rss
            self.rss_last = rss
            self.rss_peak = max(self.rss_peak or 0, rss)
            if rss > MEMORY_LIMIT_MB:
                self.fail(f"resident memory {rss} MB, over the bound of {MEMORY_LIMIT_MB} MB")

    def check_settings(self):
        path = os.path.join(self.config, "Vivivoz.cfg")
        with open(path, "rb") as f:
            text = f.read().decode("latin-1")
        sections = e2e.simple_sections(text)
        keys = {(s, k) for s, values in sections.items() for k in values}
        wanted = self.known_keys | ({(s, k) for s, ks in e2e.SAVED_KEYS.items() for k in ks}
                                    if "Config" in sections else set())
        missing = sorted(wanted - keys)
        if not text.endswith("\r\n") or missing:
            self.figures["damaged files"] += 1
            self.fail(f"the settings file is damaged (missing {missing[:10]}):\n{text[-2000:]}")
        self.known_keys |= keys

    def check_capture_file(self, path):
        """A capture's name and a picture ImageMagick reads without a warning."""
        name = os.path.basename(path)
        whole = re.fullmatch(r"image\d+\.(jpg|png|bmp|gif|tif)", name) and subprocess.run(
            ["convert", "-regard-warnings", path, "null:"], capture_output=True, timeout=60).returncode == 0
        if not whole:
            self.figures["damaged files"] += 1
            self.fail(f"the capture folder holds {name}, which is not a whole picture")

    def check_captures(self):
        if not os.path.isdir(self.captures) or os.path.ismount(self.captures):
            return
        for name in sorted(os.listdir(self.captures)):
            if name in self.checked_captures:
                continue
            path = os.path.join(self.captures, name)
            self.check_capture_file(path)
            self.checked_captures.add(name)
            self.figures["captures written"] += 1

    # --- the steps --------------------------------------------------------------------

    def note(self, text):
        self.steps[-1] += f"; {text}"
        print(f"{'':5} [{time.monotonic() - self.started:7.1f} s]   {text}", flush=True)

    def wait_windows_gone(self, wids, timeout=10):
        try:
            e2e.wait_until("the window to close",
                           lambda: not set(wids) & set(e2e.visible_windows_of(self.app.proc.pid)), timeout)
            return True
        except AssertionError:
            return False

    def tray(self, *path):
        icon = e2e.tray_icon()
        if icon is None:
            self.note("no tray icon")
            return False
        try:
            e2e.TrayMenu(self.app).choose_item(icon, *path)
        except AssertionError as e:
            self.note(f"menu: {e}")
            return False
        finally:
            e2e.park_pointer()
        return True

    def step_tray(self, rng):
        opens = rng.random() < 0.4
        path = rng.choice(TRAY_WINDOWS if opens else TRAY_COMMANDS)
        linger = rng.uniform(0.2, 2.0)
        self.begin(f"tray {' > '.join(path)}")
        before = set(e2e.top_level_windows(self.app.proc.pid))
        if not self.tray(*path):
            return
        time.sleep(linger)
        if opens:
            self.close_new_windows(before)

    def close_new_windows(self, before):
        """Escape into each window the program opened since `before`."""
        for _ in range(3):
            new = [w for w in e2e.top_level_windows(self.app.proc.pid) if w not in before]
            if not new:
                return
            for wid in new:
                e2e.activate(wid)
                e2e.keys("Escape")
            self.wait_windows_gone(new, 5)
        self.note("a window stayed open after Escape")

    def step_key(self, rng):
        action = rng.choice(sorted(KEYS))
        self.begin(f"key {KEYS[action][1]} ({action})")
        e2e.keys(KEYS[action][1])

    def step_request(self, rng):
        source = rng.choice(["desktop", "clipboard", "area", "window", "slideshow", "text", None])
        args = []
        if source == "area":
            args = ["--start", "area", ",".join(str(v) for v in (rng.randrange(0, 1500), rng.randrange(0, 800),
                                                                 rng.randrange(1, 400), rng.randrange(1, 280)))]
        elif source == "window":
            args = ["--start", "window", TARGET_TITLE]
        elif source == "slideshow":
            args = ["--start", "slideshow", self.show]
        elif source == "text":
            args = ["--start", "text", self.banner]
        elif source:
            args = ["--start", source]
        if rng.random() < 0.5:
            view = rng.choice(VIEWS)
            args += ["--view", f"scale:{rng.randrange(1, 400)}" if view == "scale" and rng.random() < 0.5 else view]
        if rng.random() < 0.5:
            args += ["--rate", str(rng.randrange(1, 61))]
        by_copy = rng.random() < 0.25
        if not args:
            args = ["--view", rng.choice(VIEWS)]
        self.begin(f"later start {' '.join(args)}" + (" (another copy)" if by_copy else ""))
        if by_copy:
            proc = self.second_copy(args)
            try:
                status = proc.wait(timeout=60)
            except subprocess.TimeoutExpired:
                proc.kill()
                self.figures["hangs"] += 1
                self.fail("another copy did not end within 60 s")
            self.note(f"status {status}")
        else:
            self.note(self.request(args))

    def step_monitor(self, rng):
        away = rng.uniform(0.2, 3.0)
        self.begin(f"second monitor unplugged for {away:.1f} s")
        sx, sy, sw, sh = e2e.SECOND
        e2e.run(["xrandr", "--delmonitor", "SECOND"])
        try:
            time.sleep(away)
        finally:
            e2e.run(["xrandr", "--setmonitor", "SECOND", f"{sw}/338x{sh}/270+{sx}+{sy}", "none"])

    def step_window(self, rng):
        shown = rng.uniform(0.5, 3.0)
        after = rng.uniform(0.2, 2.0)
        self.begin(f"a window mirrored, closed after {shown:.1f} s")
        window = test_sources.ShowWindow(self.target_png, TARGET_TITLE, (200, 150))
        try:
            self.note(self.request(["--start", "window", TARGET_TITLE]))
            time.sleep(shown)
        finally:
            window.close()
        time.sleep(after)

    def step_clipboard(self, rng):
        kind = rng.choice(["dies mid-transfer", "never answers", "a picture"])
        start = rng.random() < 0.6
        life = rng.uniform(0.05, 2.5)
        self.begin(f"clipboard owner {kind}, gone after {life:.2f} s" + (" (clipboard source)" if start else ""))
        if start:
            self.request(["--start", "clipboard"])
        if kind == "never answers":
            owner = e2e.SelectionOwner(b"CLIPBOARD")
            time.sleep(life)
            owner.close()
            return
        picture = self.big_png if kind == "dies mid-transfer" else self.small_png
        proc = subprocess.Popen(["xclip", "-quiet", "-selection", "clipboard", "-t", "image/png", "-i", picture],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(life)
        if kind == "dies mid-transfer":
            proc.kill()
            proc.wait(timeout=10)
        else:
            self.helpers.append(proc)

    def step_slideshow(self, rng):
        garbage = random.Random(rng.getrandbits(64))
        changes = []
        for _ in range(rng.randrange(1, 6)):
            changes.append((rng.uniform(0.1, 1.5), rng.randrange(len(self.pictures)),
                            rng.choice(["vanishes", "garbage", "truncated", "empty", "restored"])))
        self.begin("slideshow: " + ", ".join(f"{os.path.basename(self.pictures[i][0])} {what}"
                                             for _, i, what in changes))
        self.restore_pictures()
        self.note(self.request(["--start", "slideshow", self.show]))
        for delay, index, what in changes:
            time.sleep(delay)
            path, data = self.pictures[index]
            if what == "vanishes":
                if os.path.exists(path):
                    os.remove(path)
                continue
            content = {"garbage": bytes(garbage.randrange(256) for _ in range(4096)),
                       "truncated": data[:len(data) // 2], "empty": b"", "restored": data}[what]
            tmp = path + ".new"
            with open(tmp, "wb") as f:
                f.write(content)
            os.replace(tmp, path)

    def restore_pictures(self):
        for path, data in self.pictures:
            with open(path, "wb") as f:
                f.write(data)

    def step_banner(self, rng):
        by_dialog = rng.random() < 0.5
        shown = rng.uniform(0.2, 3.0)
        if not by_dialog:
            self.begin(f"banner sent by a later start, hidden by Stop All after {shown:.1f} s")
            self.note(self.request(["--start", "text", self.banner]))
            time.sleep(shown)
            e2e.keys(KEYS["Stop All"][1])
            return
        self.begin(f"banner sent and hidden in its dialog after {shown:.1f} s")
        before = set(e2e.top_level_windows(self.app.proc.pid))
        if not self.tray("Quick start mirroring", "Scroll Text"):
            return
        try:
            dialog = e2e.wait_until("the scrolling-text dialog",
                                    lambda: test_scrolltext.ScrollTextTest.dialog(None), 20)
        except AssertionError:
            self.note("no dialog")
            return
        test_shortcuts.click_in(dialog, test_scrolltext.SEND_TEXT)
        time.sleep(shown)
        test_shortcuts.click_in(dialog, test_scrolltext.HIDE)
        e2e.park_pointer()
        self.close_new_windows(before)

    def step_capture(self, rng):
        modes = ["writable", "not a folder"] + (["full", "read-only"] if self.mounts else [])
        mode = rng.choice(modes)
        free_kb = rng.randrange(0, 120)
        presses = rng.randrange(1, 4)
        mirror = rng.random() < 0.7
        self.begin(f"capture key x{presses}, capture folder {mode}" + (f" ({free_kb} KB free)" if mode == "full" else "")
                   + (" while mirroring" if mirror else ""))
        if mirror:
            self.request(["--start", "desktop"])
        if not self.arm_capture():
            return
        self.check_captures()
        try:
            self.make_folder(mode, free_kb)
            for _ in range(presses):
                e2e.keys(CAPTURE_KEY[1])
                time.sleep(rng.uniform(0.1, 1.0))
            # Waits for what the last press leads to: a file, a message or nothing.
            deadline = time.monotonic() + 3
            while time.monotonic() < deadline and not e2e.message_boxes(self.app.proc.pid):
                time.sleep(0.2)
            if mode == "full":
                self.check_capture_folder_contents(skip={"filler"})
        finally:
            self.restore_folder()

    def arm_capture(self):
        """Opens the capture dialog and presses Start until the dialog closes (armed)."""
        before = set(e2e.top_level_windows(self.app.proc.pid))
        if not self.tray("Capture an Image"):
            return False
        try:
            dialog = test_shortcuts.find_window("Vivivoz - Capture an Image")
        except AssertionError:
            self.note("no capture dialog")
            return False
        for _ in range(2):
            test_shortcuts.click_in(dialog, test_shortcuts.CAPTURE_START)
            if self.wait_windows_gone([dialog], 3):
                e2e.park_pointer()
                return True
        self.note("the capture dialog stayed open")
        self.close_new_windows(before)
        return False

    def make_folder(self, mode, free_kb):
        if mode == "writable":
            return
        if mode == "not a folder":
            self.moved = self.captures + ".away"
            os.rename(self.captures, self.moved)
            with open(self.captures, "wb") as f:
                f.write(b"a file where the folder was\n")
            return
        if mode == "full":
            e2e.run(["mount", "-t", "tmpfs", "-o", "size=512k", "tmpfs", self.captures])
            self.mounted.append(self.captures)
            st = os.statvfs(self.captures)
            filler = max(0, st.f_bavail * st.f_frsize - free_kb * 1024)
            with open(os.path.join(self.captures, "filler"), "wb") as f:
                f.write(b"\0" * filler)
        else:
            e2e.run(["mount", "--bind", self.captures, self.captures])
            self.mounted.append(self.captures)
            e2e.run(["mount", "-o", "remount,bind,ro", self.captures])

    def check_capture_folder_contents(self, skip):
        for name in os.listdir(self.captures):
            if name in skip:
                continue
            path = os.path.join(self.captures, name)
            self.check_capture_file(path)
            self.figures["captures written"] += 1
            self.note(f"{name} written into the full folder")

    def restore_folder(self):
        while self.mounted:
            subprocess.run(["umount", "-l", self.mounted.pop()], capture_output=True)
        moved = getattr(self, "moved", None)
        if moved:
            os.remove(self.captures)
            os.rename(moved, self.captures)
            self.moved = None

    def step_signal(self, rng):
        sig = rng.choice([signal.SIGHUP, signal.SIGTERM])
        delay = rng.uniform(0, 1.0)
        concurrent = rng.random() < 0.35
        restart = rng.choice([(), ("--start", "desktop"), ("--start", "clipboard"), ("--view", "optimal"),
                              ("--start", "area", "100,100,400,300")])
        self.begin(f"{sig.name} after {delay:.2f} s, restart with '{' '.join(restart)}'"
                   + (", another copy started at once" if concurrent else ""))
        time.sleep(delay)
        self.app.proc.send_signal(sig)
        other = self.second_copy(list(restart)) if concurrent else None
        try:
            status = self.app.proc.wait(timeout=HANG_LIMIT)
        except subprocess.TimeoutExpired:
            self.figures["hangs"] += 1
            self.fail(f"still running {HANG_LIMIT} s after {sig.name}\n{self.app.log()}")
        self.app.stop()
        if status != 0:
            self.fail(f"ended with status {status} after {sig.name}\n{self.app.log()}")
        self.check_settings()
        self.figures["restarts"] += 1
        if other is not None:
            # It handed its request to the ending copy, or it took over.
            try:
                e2e.wait_until("the other copy to end or to come up",
                               lambda: other.poll() is not None or self.ask(["--rate", "0"], 5), 90)
            except AssertionError:
                other.kill()
                self.figures["hangs"] += 1
                self.fail("the copy started during the ending neither ended nor came up in 90 s")
            if other.poll() is None:
                self.note("the other copy took over")
                self.app = e2e.Vivivoz(self.binary, restart, self.config)
                self.app.proc = other
                self.app.wait_for_tray_icon(timeout=90)
                return
            self.note(f"the other copy ended with status {other.returncode}")
        self.start_app(*restart)

    ACTIONS = [("request", 6), ("tray", 5), ("key", 4), ("monitor", 2), ("window", 2), ("clipboard", 3),
               ("slideshow", 3), ("banner", 2), ("capture", 3), ("signal", 2)]

    def begin(self, text):
        self.steps.append(text)
        print(f"{len(self.steps):5d} [{time.monotonic() - self.started:7.1f} s] {text}", flush=True)

    # --- the run -------------------------------------------------------------------------

    def run(self):
        print(f"chaos: seed {self.seed}, {self.minutes} min, work folder {self.work}", flush=True)
        if self.skipped:
            for what, why in self.skipped.items():
                print(f"chaos: skipped: {what} ({why})", flush=True)
        self.write_settings()
        self.write_media()
        self.started = time.monotonic()
        ok = False
        try:
            self.begin("start")
            self.start_app()
            self.check()
            names = [name for name, _ in self.ACTIONS]
            weights = [weight for _, weight in self.ACTIONS]
            end = self.started + self.minutes * 60
            while time.monotonic() < end and (self.max_steps is None or len(self.steps) < self.max_steps):
                name = self.rng.choices(names, weights)[0]
                # Each step has its own generator: what it draws does not
                # shift the choice of the steps after it.
                step_rng = random.Random(self.rng.getrandbits(64))
                self.counts[name] = self.counts.get(name, 0) + 1
                getattr(self, f"step_{name}")(step_rng)
                e2e.park_pointer()
                self.check()
            self.begin("SIGTERM at the end")
            self.app.proc.send_signal(signal.SIGTERM)
            status = self.app.wait(timeout=HANG_LIMIT)
            if status != 0:
                self.fail(f"ended with status {status}\n{self.app.log()}")
            self.check_settings()
            output = self.new_output()
            if SANITIZER.search(output):
                self.figures["sanitizer reports"] += 1
                self.fail("a sanitizer report:\n" + output[-6000:])
            ok = True
        except (Failure, AssertionError) as e:
            print(f"\nchaos: FAILED at step {len(self.steps)}: {self.steps[-1] if self.steps else ''}\n{e}",
                  flush=True)
        finally:
            self.restore_folder()
            for helper in self.helpers:
                if helper.poll() is None:
                    helper.kill()
                    helper.wait()
            if self.app is not None:
                self.app.stop()
        self.report(ok)
        if ok:
            shutil.rmtree(self.work, ignore_errors=True)
        return 0 if ok else 1

    def report(self, ok):
        took = time.monotonic() - self.started
        print(f"\nchaos: seed {self.seed}; {len(self.steps)} steps in {took / 60:.1f} min "
              f"({', '.join(f'{k} {v}' for k, v in sorted(self.counts.items()))})")
        f = self.figures
        print(f"hangs: {f['hangs']}, sanitizer reports: {f['sanitizer reports']}, damaged files: {f['damaged files']}")
        print(f"later starts answered: slowest {self.slowest:.3f} s, over {SLOW_ANSWER:.0f} s: {f['slow answers']}; "
              f"requests sent: {f['later starts']}")
        print(f"restarts: {f['restarts']}, captures written and whole: {f['captures written']}, "
              f"message boxes closed: {f['messages closed']}")
        print(f"program RSS: first check {self.rss_first} MB, last check {self.rss_last} MB, "
              f"peak {self.rss_peak} MB (bound {MEMORY_LIMIT_MB} MB)")
        for what, why in self.skipped.items():
            print(f"skipped: {what} ({why})")
        if not ok:
            print(f"\nsteps run:\n" + "\n".join(f"{i + 1:5d} {s}" for i, s in enumerate(self.steps)))
            print(f"\nreplay: scripts/chaos {self.minutes} --seed {self.seed} --steps {len(self.steps)}"
                  f"   (work folder kept: {self.work})")
        print("chaos: " + ("passed" if ok else "FAILED"), flush=True)


def main():
    parser = argparse.ArgumentParser(description="a seeded random soak of vivivoz")
    parser.add_argument("binary")
    parser.add_argument("minutes", nargs="?", type=float, default=1.0)
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--steps", type=int, default=None, help="stop after this many steps")
    args = parser.parse_args()
    if "DISPLAY" not in os.environ:
        sys.exit("chaos: DISPLAY is not set; run it through scripts/chaos")
    seed = args.seed
    if seed is None:
        seed = int(os.environ.get("VIVIVOZ_CHAOS_SEED") or int(time.time()))
    chaos = Chaos(os.path.abspath(args.binary), seed, args.minutes, args.steps)
    e2e.park_pointer()
    return chaos.run()


if __name__ == "__main__":
    sys.exit(main())
