"""Menu commands and accelerators of the real program under Wine: F5, Ctrl+N,
Ctrl+Q, Ctrl+Shift+C from the focused hex dump, and the Extras menu adding
and removing the shell verb (read back with `wine reg query`).

Run alone with:
    WINEPREFIX=$PWD/build/NAME-prefix CLIPNOOK_BUILD=build/NAME-win64 \\
        scripts/wine-run.sh --env python3 tests/e2e/test_commands.py
"""

import os
import shutil
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import clipnook_e2e as e2e  # noqa: E402

VERB = r"HKCR\*\shell\Clipnook"


def messages(text):
    return [m for m in (e2e.record_message(line) for line in e2e.log_lines(text)) if m is not None]


def press_until(app, keys, done, attempts=5, wait=3):
    """Sends the key sequence until done() holds: Wine drops a key now and then,
    so a sequence is repeated (after Escapes that close a half-opened menu)."""
    for _ in range(attempts):
        for chord in keys:
            app.key(chord)
        if e2e.wait_for(done, wait):
            return True
        app.key("Escape")
        app.key("Escape")
        app.key("Escape")
    return False


def window_title(wid):
    return e2e.run(["xdotool", "getwindowname", str(wid)], timeout=10).stdout.strip()


def reg_query(key):
    """(exit code, output) of `wine reg query key /ve`."""
    out = e2e.run([e2e.wine(), "reg", "query", key, "/ve"], timeout=60)
    return out.returncode, out.stdout


read_clipboard = e2e.read_clipboard


class Accelerators(unittest.TestCase):
    def test_f5_recaptures_and_ctrl_n_clears(self):
        with e2e.Sandbox() as box:
            box.marker(".log")
            data = os.path.join(box.dir, "data.bin")
            with open(data, "wb") as f:
                f.write(b"Hello")
            app = box.start([e2e.win_path(data)])  # a file: no capture at start-up
            wid = app.wait_window()
            stop = os.path.join(box.dir, "stop")
            owner = subprocess.Popen([e2e.wine(), e2e.helper_path("e2e_source"), "clip", "mixed",
                                      e2e.win_path(stop)], stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, text=True)
            try:
                self.assertEqual(owner.stdout.readline().strip(), "ready")
                owner.stdout.close()
                capture = "Clear the view and add the clipboard content."
                self.assertTrue(press_until(app, ["F5"], lambda: capture in messages(box.read_log())),
                                "F5 clears the view and captures the clipboard")
                self.assertTrue(e2e.wait_for(lambda: window_title(wid) != "Clipnook", 10))
            finally:
                open(stop, "w").close()
                owner.wait(timeout=30)
            cleared = messages(box.read_log()).count("Clear the view")
            self.assertTrue(press_until(app, ["ctrl+n"],
                                        lambda: messages(box.read_log()).count("Clear the view") > cleared))
            self.assertTrue(e2e.wait_for(lambda: window_title(wid) == "Clipnook", 10),
                            window_title(wid))
            self.assertEqual(app.close(), 0, "Ctrl+Q ends the program with exit code 0")
            self.assertIn("Exit the application.", messages(box.read_log()))

    def test_ctrl_shift_c_copies_dump_text_from_the_focused_hex_dump(self):
        with e2e.Sandbox() as box:
            data = os.path.join(box.dir, "data.bin")
            with open(data, "wb") as f:
                f.write(b"Hello")
            app = box.start([e2e.win_path(data)])
            app.wait_window()
            time.sleep(0.5)
            # The list has the focus: the accelerator does nothing there.
            app.key("ctrl+shift+c")
            time.sleep(0.5)
            first = read_clipboard(box)
            self.assertFalse(first and first.startswith("00000000  48"), first)
            app.key("Tab")         # focus to the hex dump
            # Ctrl+A: the control selects everything itself.
            self.assertTrue(press_until(app, ["ctrl+a", "ctrl+shift+c"],
                                        lambda: (read_clipboard(box) or "").startswith("00000000  "), wait=5),
                            read_clipboard(box))
            text = read_clipboard(box)
            self.assertTrue(text.startswith("00000000  48 65 6C 6C  6F "), text)
            self.assertIn("Hello", text)
            self.assertEqual(app.close(), 0)


class ShellVerbFromTheMenu(unittest.TestCase):
    def setUp(self):
        e2e.run([e2e.wine(), "reg", "delete", VERB, "/f"], timeout=60)

    def tearDown(self):
        e2e.run([e2e.wine(), "reg", "delete", VERB, "/f"], timeout=60)

    def test_extras_menu_adds_and_removes_the_verb(self):
        with e2e.Sandbox() as box:
            box.marker(".log")
            # A folder with blanks: the command must still quote the whole path.
            spaced = os.path.join(box.dir, "with blanks")
            os.mkdir(spaced)
            exe = os.path.join(spaced, "clipnook.exe")
            shutil.copy2(box.exe, exe)
            shutil.copy2(box.marker_path(".log"), os.path.join(spaced, "clipnook.log"))
            proc = subprocess.Popen([e2e.wine(), exe], cwd=spaced, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
            app = e2e.Instance(proc)
            box.instances.append(app)
            app.wait_window()
            time.sleep(0.5)
            # Extras, Shell integration (first item highlighted), Add to context menu.
            ok = press_until(app, ["alt+x", "Right", "Return"],
                             lambda: reg_query(VERB + r"\command")[0] == 0, wait=6)
            self.assertTrue(ok, "the verb's command key exists")
            rc, out = reg_query(VERB + r"\command")
            self.assertIn('"%s" "%%1"' % e2e.win_path(exe), out)
            rc, out = reg_query(VERB)
            self.assertIn("Open with Clipnook", out)

            # The same way to the second item, Remove from context menu.
            self.assertTrue(press_until(app, ["alt+x", "Right", "Down", "Return"],
                                        lambda: reg_query(VERB)[0] != 0, wait=6), "the verb is gone")
            self.assertEqual(app.close(), 0)
            with open(os.path.join(spaced, "clipnook.log"), "rb") as f:
                msgs = messages(f.read().decode("latin-1"))
            self.assertIn("Add application to the shell context menu.", msgs)
            self.assertIn("Remove application from the shell context menu.", msgs)
            self.assertNotIn("Failed to add to context menu", msgs)


if __name__ == "__main__":
    e2e.ensure_wine_session()
    unittest.main()
