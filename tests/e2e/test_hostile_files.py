#!/usr/bin/env python3
"""A settings path that is a FIFO, a symlink to a device or a file over the
size limit: the program says so once, comes up on its defaults, ends
normally and leaves the path exactly as it was."""

import hashlib
import os
import signal
import stat
import tempfile
import time

import e2e_lib as e2e

# Over the reader's 16 MiB limit, in comment lines as a user might pad a file.
OVER_LIMIT = 17 * 1024 * 1024


def make_fifo(path):
    os.mkfifo(path)


def make_device_link(path):
    os.symlink("/dev/null", path)


def make_over_limit(path):
    line = b"; " + b"x" * 77 + b"\n"
    with open(path, "wb") as f:
        f.write(b"[Options]\noptCenter=1\n")
        f.write(line * (OVER_LIMIT // len(line) + 1))


def fingerprint(path):
    """What must not change: the kind of file, a link's target, a file's bytes."""
    st = os.lstat(path)
    result = [stat.S_IFMT(st.st_mode)]
    if stat.S_ISLNK(st.st_mode):
        result.append(os.readlink(path))
        target = os.stat(path)
        result.append((stat.S_IFMT(target.st_mode), target.st_rdev))
    elif stat.S_ISREG(st.st_mode):
        with open(path, "rb") as f:
            result.append(hashlib.sha256(f.read()).hexdigest())
        result.append(st.st_mtime_ns)
    return result


class HostileFilesTest(e2e.DisplayTest):
    CASES = (("a FIFO", make_fifo), ("a symlink to /dev/null", make_device_link),
             ("a file over the size limit", make_over_limit))

    def test_unreadable_settings_paths_are_left_alone(self):
        for label, make in self.CASES:
            with self.subTest(path=label), tempfile.TemporaryDirectory(prefix="vivivoz-e2e-cfg-") as config:
                path = os.path.join(config, "Vivivoz.cfg")
                make(path)
                before = fingerprint(path)
                with self.vivivoz(config_dir=config) as app:
                    # One message box about the file; closed, the program comes up.
                    box = e2e.wait_until("the message about the settings file",
                                         lambda: self.alive(app) and e2e.message_boxes(app.proc.pid), 30)
                    self.assertEqual(len(box), 1, "more than one message box")
                    e2e.activate(box[0])
                    e2e.keys("Return")
                    app.wait_for_tray_icon(timeout=30)
                    self.assertEqual(e2e.message_boxes(app.proc.pid), [], "a second message box")
                    app.proc.terminate()
                    self.assertEqual(app.wait(timeout=10), 0, app.log())
                    self.assertIn("Vivivoz.cfg", app.log(), "nothing said on stderr")
                self.assertEqual(fingerprint(path), before, f"{label} was changed")

    def test_sigterm_while_the_message_is_open_ends_and_leaves_the_file(self):
        # The message comes during start-up, before the main event loop.
        with tempfile.TemporaryDirectory(prefix="vivivoz-e2e-cfg-") as config:
            path = os.path.join(config, "Vivivoz.cfg")
            make_fifo(path)
            with self.vivivoz(config_dir=config) as app:
                e2e.wait_until("the message about the settings file",
                               lambda: self.alive(app) and e2e.message_boxes(app.proc.pid), 30)
                app.proc.send_signal(signal.SIGTERM)
                sent = time.monotonic()
                self.assertEqual(app.wait(timeout=10), 0, app.log())
                self.assertLess(time.monotonic() - sent, 2.0, "the ending took longer than 2 s")
            self.assertTrue(stat.S_ISFIFO(os.lstat(path).st_mode), "the FIFO was replaced")

    def alive(self, app):
        self.assertTrue(app.running(), f"vivivoz ended with status {app.proc.returncode}\n{app.log()}")
        return True


if __name__ == "__main__":
    e2e.main()
