"""Start-up of the real program under Wine: the log's marker files, the
command line as the program logs it, the initial window size and closing.

Run alone with:
    WINEPREFIX=$PWD/build/NAME-prefix CLIPNOOK_BUILD=build/NAME-win64 \\
        scripts/wine-run.sh --env python3 tests/e2e/test_startup.py
"""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import clipnook_e2e as e2e  # noqa: E402

CLIPBOARD_CAPTURE = "Clear the view and add the clipboard content."
BANNER = "=" * 50


def messages(text):
    return [e2e.record_message(line) for line in e2e.log_lines(text)]


class LogMarker(unittest.TestCase):
    def run_and_close(self, box, tail):
        app = box.launch_exact(tail)
        app.wait_window()
        self.assertEqual(app.close(), 0, "Ctrl+Q ends the program with exit code 0")
        return box.read_log()

    def test_banner_then_every_argument(self):
        long_token = "L" * 300
        tail = (' "C:\\dir with blanks\\a b.txt" plain "say ""hi"" now" \'x\'y '
                + long_token + ' after -opt /slash tab\tjoined ""')
        with e2e.Sandbox() as box:
            box.marker(".log")
            text = self.run_and_close(box, tail)
            lines = e2e.log_lines(text)
            msgs = messages(text)
            # The banner opens the run; ctime's own newline leaves an empty line.
            self.assertEqual(msgs[0], BANNER, text[:400])
            self.assertTrue(msgs[1].startswith("Instance started at "), msgs[1])
            self.assertEqual(lines[2], "")
            self.assertTrue(lines[0].split(" ")[1] == "I", lines[0])
            args = e2e.arg_lines(text)
            self.assertEqual(args, {
                0: e2e.win_path(box.exe),
                1: "C:\\dir with blanks\\a b.txt",   # blanks kept, quotes gone
                2: "plain",
                3: 'say "hi" now',                 # doubled quotes give one
                4: "x",                            # a closing quote ends the token ...
                5: "y",                            # ... and what follows starts the next
                6: "L" * 259,                      # cut to the buffer
                7: "after",                        # the next argument is still whole
                8: "-opt",                         # option-like: logged only
                9: "/slash",
                10: "tab\tjoined",                 # tabs do not separate
                11: "",                            # "" is an empty file name
            })
            # Every record of an argument is a trace (level 0): blank letter.
            for line in lines:
                if "arg[ " in line:
                    self.assertEqual(line.split(" ", 1)[1][:2], "  ", line)
            # Files were named, so the clipboard is not captured.
            self.assertNotIn(CLIPBOARD_CAPTURE, msgs)
            self.assertIn("Clear the view", msgs)

    def test_only_option_like_arguments_capture_the_clipboard(self):
        with e2e.Sandbox() as box:
            box.marker(".log")
            text = self.run_and_close(box, " -a /b --c")
            self.assertEqual(e2e.arg_lines(text),
                             {0: e2e.win_path(box.exe), 1: "-a", 2: "/b", 3: "--c"})
            msgs = messages(text)
            self.assertIn(CLIPBOARD_CAPTURE, msgs)
            self.assertGreater(msgs.index(CLIPBOARD_CAPTURE),
                               max(i for i, m in enumerate(msgs) if m and m.startswith("arg[ ")))

    def test_unclosed_quote_runs_to_the_end(self):
        with e2e.Sandbox() as box:
            box.marker(".log")
            text = self.run_and_close(box, " first 'open quote  runs on")
            self.assertEqual(e2e.arg_lines(text),
                             {0: e2e.win_path(box.exe), 1: "first", 2: "open quote  runs on"})

    def test_runs_append_to_the_log(self):
        with e2e.Sandbox() as box:
            box.marker(".log", b"earlier run\r\n")
            self.run_and_close(box, "")
            text = self.run_and_close(box, "")
            self.assertTrue(text.startswith("earlier run\r\n"), text[:100])
            self.assertEqual(messages(text).count(BANNER), 2)


class ConsoleMarker(unittest.TestCase):
    def test_console_beats_log_file(self):
        with e2e.Sandbox() as box:
            box.marker(".con")
            box.marker(".log", b"untouched\r\n")
            app = box.start()
            app.wait_window()
            consoles = e2e.wait_for(lambda: e2e.find_windows("^'clipnook' debug output$"), 10)
            self.assertTrue(consoles, "a console titled after the program")
            self.assertEqual(app.close(), 0)
            with open(box.marker_path(".log"), "rb") as f:
                self.assertEqual(f.read(), b"untouched\r\n")


class ProgramWithoutExtension(unittest.TestCase):
    """Wine starts a program file that has no extension (checked here: it
    does), so the markers can be tested as the name with an extension appended."""

    def test_log_marker_is_appended_to_the_name(self):
        with e2e.Sandbox(name="clipnook") as box:
            self.assertEqual(box.marker_path(".log"), os.path.join(box.dir, "clipnook.log"))
            box.marker(".log")
            app = box.start(["-x"])
            app.wait_window()
            self.assertEqual(app.close(), 0)
            text = box.read_log()
            self.assertIn(BANNER, messages(text))
            self.assertEqual(e2e.arg_lines(text)[0], e2e.win_path(box.exe))

    def test_console_marker_is_appended_to_the_name(self):
        with e2e.Sandbox(name="clipnook") as box:
            box.marker(".con")
            box.marker(".log", b"untouched")
            app = box.start()
            app.wait_window()
            self.assertTrue(e2e.wait_for(lambda: e2e.find_windows("^'clipnook' debug output$"), 10))
            self.assertEqual(app.close(), 0)
            with open(box.marker_path(".log"), "rb") as f:
                self.assertEqual(f.read(), b"untouched")


class UnusableLogMarker(unittest.TestCase):
    """A .log marker that cannot be opened for appending: no log, normal start."""

    def start_normally(self, box):
        app = box.start()
        app.wait_window()
        info = app.window_info()
        self.assertEqual(info["client"][1], 486)
        self.assertEqual(app.close(), 0)

    def test_read_only_file(self):
        with e2e.Sandbox() as box:
            path = box.marker(".log", b"keep me\r\n")
            os.chmod(path, 0o444)
            # root ignores permission bits; the immutable flag binds it too.
            if hasattr(os, "geteuid") and os.geteuid() == 0:
                e2e.run(["chattr", "+i", path])
            try:
                with open(path, "ab"):
                    pass
                self.skipTest("cannot make a file read-only here (root without chattr)")
            except PermissionError:
                pass
            self.start_normally(box)
            with open(path, "rb") as f:
                self.assertEqual(f.read(), b"keep me\r\n")

    def test_directory_named_like_the_log(self):
        with e2e.Sandbox() as box:
            os.mkdir(box.marker_path(".log"))
            self.start_normally(box)
            self.assertTrue(os.path.isdir(box.marker_path(".log")))
            self.assertEqual(os.listdir(box.marker_path(".log")), [])


class MainWindow(unittest.TestCase):
    def test_client_area_is_ideal_width_by_486_and_ctrl_q_exits_0(self):
        with e2e.Sandbox() as box:
            app = box.start()
            app.wait_window()
            info = app.window_info()
            self.assertGreater(info["ideal"], 0)
            self.assertEqual(info["client"], (info["ideal"], 486))
            self.assertEqual(app.close(), 0)
            self.assertTrue(e2e.window_gone(app.window))
            self.assertFalse(os.path.exists(box.marker_path(".log")), "no marker, no log file")


if __name__ == "__main__":
    e2e.ensure_wine_session()
    if not os.path.exists(e2e.program_path()):
        print("FAIL: %s is not built" % e2e.program_path())
        sys.exit(1)
    result = unittest.main(verbosity=2, exit=False).result
    ok = result.wasSuccessful()
    print("e2e startup: %s (%d run, %d failed, %d errors, %d skipped)"
          % ("PASS" if ok else "FAIL", result.testsRun, len(result.failures),
             len(result.errors), len(result.skipped)))
    sys.exit(0 if ok else 1)
