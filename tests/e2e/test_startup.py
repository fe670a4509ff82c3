"""Start-up of the real program: the log's marker files, the files named on
the command line, the exit code."""

import re
import unittest

from clipnook_e2e import Program, main, rows, shown, wait_for, win_path


class Startup(unittest.TestCase):
    def test_log_marker_gets_the_banner_and_every_argument_and_the_files_become_rows(self):
        app = Program(self, markers=[(".log", b"earlier run\r\n")])
        spaced, plain = app.write("my data.bin", b"\0\x01two"), app.write("plain.txt", b"x" * 1234)
        app.start(win_path(spaced), "-opt", win_path(plain))
        self.assertEqual(rows(), ("Clipnook [Files & Tables]", [
            ["my data.bin", "-", "(File)", "-", "HGLOBAL", "5", "000174776f"],
            ["plain.txt", "-", "(File)", "-", "HGLOBAL", "1'234", "78" * 1234]]))
        self.assertEqual(app.exit(), 0)
        log = app.log()
        # Appended to; the banner opens the run and ctime's own newline leaves an empty line.
        self.assertRegex(log, r"^earlier run\r\n\d+ I Main {12}={50}\r\n\d+ I Main {12}Instance started at .+\n\r\n")
        args = [win_path(app.exe), win_path(spaced), "-opt", win_path(plain)]
        self.assertEqual(re.findall(r"(?m)^\d+   Main {12}arg\[ (\d+)\] '(.*)'\r$", log),
                         [(str(n), a) for n, a in enumerate(args)])

    def test_console_marker_beats_the_log_marker(self):
        app = Program(self, markers=[(".con", b""), (".log", b"untouched")])
        app.start()
        wait_for("the console", lambda: shown("^'clipnook' debug output$"))
        self.assertEqual(app.exit(), 0)
        self.assertEqual(app.log(), "untouched")


if __name__ == "__main__":
    main()
