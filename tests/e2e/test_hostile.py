"""Hostile input for the real program under Wine: drops with hundreds of
formats, 256 MiB, or nothing fetchable; text without terminators, odd-length
Unicode text and a two-byte locale, from the clipboard and by drag and drop;
bitmaps that fail the header checks, dropped and as files; empty, unreadable
and 2 GiB files; a log marker that cannot be written.

In every case the program has to stay up and answer its keys, show what it
can (rows, marks, viewer text), and keep the entries it had before.

Run alone with:
    WINEPREFIX=$PWD/build/NAME-prefix CLIPNOOK_BUILD=build/NAME-win64 \\
        scripts/wine-run.sh --env python3 tests/e2e/test_hostile.py
"""

import glob
import os
import struct
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import clipnook_e2e as e2e  # noqa: E402
from test_commands import read_clipboard  # noqa: E402
from test_drop import geometry, list_rows, read_line, wait_title, xdotool  # noqa: E402

CORPUS = os.path.join(e2e.source_dir(), "tests", "fuzz", "corpus", "dib")
CLEAR = "Clear the view"
CAPTURE = "Clear the view and add the clipboard content."
DROP_END = "uidad_IDropTarget_Drop: end dropeffect=0"
KEEP_BYTES = b"Keep me, I was here first."
# The locale viewer's text for locale id 0 (the language name is the platform's).
LOCALE_ZERO_TAIL = "(0x0000)\\r\\nSort order: 0 (0x0000)\\r\\n"


def messages(text):
    return [m for m in (e2e.record_message(line) for line in e2e.log_lines(text)) if m is not None]


def log_of(box):
    return messages(box.read_log())


def viewer_text():
    """("edit", text) for the visible text viewer, ("pane", None), or None."""
    out = e2e.run([e2e.wine(), e2e.helper_path("e2e_viewer_text")], timeout=30)
    if out.returncode != 0:
        return None
    for line in out.stdout.replace("\r", "").split("\n"):
        parts = line.split("\t", 2)
        if parts[0] == "edit" and len(parts) == 3:
            return ("edit", parts[2])
        if parts[0] == "pane":
            return ("pane", None)
    return None


def wait_rows(predicate, timeout=30):
    """The list once predicate(list) holds; the last list read otherwise."""
    last = {}

    def ok():
        info = list_rows()
        if info:
            last["info"] = info
        return info if info and predicate(info) else None
    return e2e.wait_for(ok, timeout, interval=0.3) or last.get("info")


def bitmap_file(dib):
    """A 'BM' file around DIB bytes; the pixel offset is taken at face value."""
    header_size = struct.unpack_from("<I", dib)[0] if len(dib) >= 4 else 0
    return b"BM" + struct.pack("<IHHI", 14 + len(dib), 0, 0, 14 + header_size) + dib


def peak_resident_kib(box):
    """Peak resident memory of the program's Wine processes, or None when not found."""
    peak = None
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                cmd = f.read()
            if box.dir.encode() not in cmd and e2e.win_path(box.exe).encode() not in cmd:
                continue
            with open("/proc/%s/status" % pid) as f:
                for line in f:
                    if line.startswith("VmHWM:"):
                        peak = max(peak or 0, int(line.split()[1]))
        except OSError:
            continue
    return peak


def window_geometry(app):
    """(x, y, w, h) of the main window. The X window found at start-up may be
    replaced while Wine maps the window, so a failed query looks it up again."""
    for _ in range(5):
        try:
            return geometry(app.window)
        except (KeyError, ValueError):
            r = e2e.run(["xdotool", "getwindowgeometry", "--shell", str(app.window)], timeout=10)
            found = e2e.find_windows(app.title_regex)
            if found:
                app.window = found[-1]
            time.sleep(0.3)
    return geometry(app.window)


def activate(app):
    """Clicks the caption: after a drag the source's window was the active one,
    and keys reach only the active window."""
    x, y, w, h = window_geometry(app)
    xdotool("mousemove", x + w // 2, y + 8, "click", 1)
    time.sleep(0.3)


def release_keys():
    """Lets go of the keys of the chords sent: a window that closes on a key
    press never sees the release, and Wine keeps such keys down for the next
    program it starts."""
    e2e.run(["xdotool", "keyup", "ctrl", "shift", "q", "n", "Escape"], timeout=10)
    time.sleep(0.2)


def keys_until(app, keys, done, attempts=5, wait=3):
    """press_until that also makes the window active before every attempt."""
    for _ in range(attempts):
        activate(app)
        for chord in keys:
            app.key(chord)
        if e2e.wait_for(done, wait):
            return True
        for _ in range(3):
            app.key("Escape")
    return False


class Hostile(unittest.TestCase):
    """Shared steps: start with a known entry, prove the program still answers."""

    def setUp(self):
        release_keys()

    def start_with_keep(self, box, extra=(), before=()):
        keep = os.path.join(box.dir, "keep.txt")
        with open(keep, "wb") as f:
            f.write(KEEP_BYTES)
        app = box.start(list(before) + [e2e.win_path(keep)] + list(extra))
        app.wait_window()
        return app

    def assert_answers_and_exits(self, box, app):
        """Ctrl+N still clears the view, Ctrl+Q still ends the program with 0."""
        self.assertIsNone(app.proc.poll(), "the program is still running: %r" % log_of(box)[-6:])
        cleared = log_of(box).count(CLEAR)
        self.assertTrue(keys_until(app, ["ctrl+n"], lambda: log_of(box).count(CLEAR) > cleared),
                        "Ctrl+N answered")
        self.assertTrue(wait_title("Clipnook", 10), "Ctrl+N empties the list")
        self.assertEqual(app.close(), 0, "Ctrl+Q ends the program with exit code 0")
        self.assertIn("Exit the application.", log_of(box))
        release_keys()

    def assert_first_entry_intact(self, box, app, active=0):
        """Home selects the first row; its hex dump copied as text shows the kept bytes."""
        if active != 0:
            def first_active():
                switches = [m for m in log_of(box) if m.startswith("main_activate_item_viewer ")]
                return switches and switches[-1].endswith("=> 0")
            self.assertTrue(keys_until(app, ["Home"], first_active), "Home selects the first row")
        expected = "00000000  4B 65 65 70"  # "Keep"
        # Tab moves to the hex dump; Shift+Tab returns to the list for a retry.
        self.assertTrue(keys_until(app, ["Tab", "ctrl+a", "ctrl+shift+c", "shift+Tab"],
                                    lambda: (read_clipboard(box) or "").startswith(expected), wait=5),
                        read_clipboard(box))


class FilesThatCannotBeLoaded(Hostile):
    def test_empty_unreadable_and_2gib_files_are_skipped_and_the_rest_kept(self):
        with e2e.Sandbox() as box:
            box.marker(".log")
            empty = os.path.join(box.dir, "empty.bin")
            open(empty, "wb").close()
            # Root reads any file whatever its mode bits or attributes, and Wine
            # runs as root here; a folder named as a file is what Wine cannot open.
            folder = os.path.join(box.dir, "folder.bin")
            os.mkdir(folder)
            dangling = os.path.join(box.dir, "dangling.bin")
            os.symlink(os.path.join(box.dir, "nowhere"), dangling)
            sparse = os.path.join(box.dir, "sparse 2g.bin")
            e2e.run(["truncate", "-s", "2G", sparse])
            sparse4 = os.path.join(box.dir, "sparse 4g.bin")
            e2e.run(["truncate", "-s", str((4 << 30) + 5), sparse4])
            after = os.path.join(box.dir, "after.txt")
            with open(after, "wb") as f:
                f.write(b"after")
            hostile = [empty, folder, dangling, sparse, sparse4]
            app = self.start_with_keep(box, [e2e.win_path(p) for p in hostile] + [e2e.win_path(after)])
            info = wait_rows(lambda i: i["count"] == 2 and i["title"] == "Clipnook [Files & Tables]")
            self.assertEqual(info["rows"], [
                ["keep.txt", "-", "(File)", "-", "HGLOBAL", "26"],
                ["after.txt", "-", "(File)", "-", "HGLOBAL", "5"],
            ])
            args = e2e.arg_lines(box.read_log())
            self.assertEqual(args[2], e2e.win_path(empty), "every argument was seen")
            # Loading stops at the length: nothing near 2 GiB was ever resident.
            peak = peak_resident_kib(box)
            self.assertIsNotNone(peak, "the program's process in /proc")
            self.assertLess(peak, 512 * 1024, "peak resident KiB")
            self.assert_first_entry_intact(box, app, active=1)
            self.assert_answers_and_exits(box, app)


class ReadOnlyLogMarker(Hostile):
    def test_log_that_cannot_be_written_leaves_the_program_working(self):
        with e2e.Sandbox() as box:
            path = box.marker(".log", b"keep me\r\n")
            os.chmod(path, 0o444)
            # root ignores the mode bits; the immutable attribute binds it too.
            e2e.run(["chattr", "+i", path])
            try:
                with open(path, "ab"):
                    pass
                self.skipTest("cannot make a file read-only here")
            except PermissionError:
                pass
            sparse = os.path.join(box.dir, "sparse.bin")
            e2e.run(["truncate", "-s", "2G", sparse])
            app = self.start_with_keep(box, [e2e.win_path(sparse)])
            info = wait_rows(lambda i: i["count"] == 1)
            self.assertEqual(info["rows"][0][0], "keep.txt")
            self.assertTrue(keys_until(app, ["ctrl+n"], lambda: (list_rows() or {}).get("count") == 0),
                            "Ctrl+N answered")
            self.assertEqual(app.close(), 0)
            with open(path, "rb") as f:
                self.assertEqual(f.read(), b"keep me\r\n")


class BitmapFilesThatFailTheChecks(Hostile):
    def test_each_refused_bitmap_file_is_listed_and_painted_as_a_message(self):
        bad = sorted(glob.glob(os.path.join(CORPUS, "bad_*.bin")))
        self.assertGreaterEqual(len(bad), 5, "fuzz corpus present")
        shot_taken = False
        for source in bad:
            name = os.path.basename(source)
            with self.subTest(name), e2e.Sandbox() as box:
                box.marker(".log")
                with open(source, "rb") as f:
                    data = f.read()
                if not data.startswith(b"BM"):
                    data = bitmap_file(data)
                bmp = os.path.join(box.dir, name[:-4] + ".bmp")
                with open(bmp, "wb") as f:
                    f.write(data)
                release_keys()
                app = self.start_with_keep(box, [e2e.win_path(bmp)])
                info = wait_rows(lambda i: i["count"] == 2)
                self.assertEqual(info["rows"][1][0], name[:-4] + ".bmp")
                self.assertEqual(info["rows"][1][5], str(len(data)))
                # The bitmap row is shown in the pane, and the pane was painted.
                def painted():
                    log = log_of(box)
                    shown = [i for i, m in enumerate(log) if m.startswith("main_activate_item_viewer ")
                             and m.endswith("=> 1")]
                    return bool(shown) and "main_on_WM_DRAWITEM" in log[shown[-1]:]
                self.assertTrue(e2e.wait_for(painted, 15), "the bitmap entry was painted")
                self.assertEqual(viewer_text(), ("pane", None))
                if not shot_taken and name == "bad_short_pixels.bin":
                    # One picture of the refusal for a person to look at.
                    time.sleep(0.5)
                    e2e.run(["import", "-window", "root",
                             os.path.join(e2e.build_dir(), "hostile-refused-bitmap.png")], timeout=30)
                    shot_taken = True
                self.assert_answers_and_exits(box, app)


class HostileDrops(Hostile):
    def drag(self, app, scenario, told_within=15):
        """Drags a data object of e2e_source onto the list; returns what the
        source was told ("dropped hr=... effect=...") or ""."""
        return e2e.drag_from_source(window_geometry(app), scenario, told_within)

    def drop(self, box, app, scenario, told_within=15):
        drops = log_of(box).count(DROP_END)
        told = self.drag(app, scenario, told_within)
        self.assertEqual(told, "dropped hr=0x00040100 effect=0", scenario)
        self.assertTrue(e2e.wait_for(lambda: log_of(box).count(DROP_END) > drops, 10), scenario)
        self.assertIsNone(app.proc.poll(), "still running after the %s drop" % scenario)
        activate(app)

    def test_formats_by_the_hundred_huge_failing_and_none(self):
        with e2e.Sandbox() as box:
            box.marker(".log")
            app = self.start_with_keep(box)
            self.assertTrue(wait_title("Clipnook [Files & Tables]"))

            # An object without a single format leaves the list as it was.
            self.drop(box, app, "none")
            info = list_rows()
            self.assertEqual(info["title"], "Clipnook [Files & Tables]")
            self.assertEqual(info["rows"], [["keep.txt", "-", "(File)", "-", "HGLOBAL", "26"]])
            self.assert_first_entry_intact(box, app)

            self.drop(box, app, "many")
            info = wait_rows(lambda i: i["count"] == 300, 30)
            self.assertEqual(info["title"], "Clipnook [Dropped Object]")
            self.assertEqual(info["rows"], [["Many Format %03d" % i, "All", "CONTENT", "-1", "HGLOBAL", "15"]
                                            for i in range(300)])

            self.drop(box, app, "allfail")
            info = wait_rows(lambda i: i["count"] == 3)
            self.assertEqual([(r[0], r[5]) for r in info["rows"]],
                             [("CF_TEXT", "?GetData"), ("CF_UNICODETEXT", "?GetData"), ("CF_DIB", "?GetData")])
            # A text row without data: an empty text viewer, not a crash.
            self.assertEqual(viewer_text(), ("edit", ""))

            self.drop(box, app, "huge", told_within=120)
            info = wait_rows(lambda i: i["count"] == 1)
            self.assertEqual(info["rows"], [["Huge Format", "All", "CONTENT", "-1", "HGLOBAL", "268'435'456"]])
            self.assertEqual(viewer_text(), ("pane", None))

            self.assert_answers_and_exits(box, app)

    def test_unterminated_odd_and_short_text_formats(self):
        with e2e.Sandbox() as box:
            box.marker(".log")
            app = self.start_with_keep(box)
            self.assertTrue(wait_title("Clipnook [Files & Tables]"))

            self.drop(box, app, "text-unterminated")
            info = wait_rows(lambda i: i["count"] == 1 and i["rows"][0][0] == "CF_TEXT")
            self.assertEqual(info["rows"][0][5], "4'096")
            self.assertEqual(viewer_text(), ("edit", "A" * 4096), "the text ends with the block")

            self.drop(box, app, "unicode-odd")
            info = wait_rows(lambda i: i["count"] == 1 and i["rows"][0][0] == "CF_UNICODETEXT")
            self.assertEqual(info["rows"][0][5], "5")
            self.assertEqual(viewer_text(), ("edit", "AB"), "the odd last byte is no character")

            self.drop(box, app, "locale-short")
            info = wait_rows(lambda i: i["count"] == 1 and i["rows"][0][0] == "CF_LOCALE")
            self.assertEqual(info["rows"][0][5], "2")
            kind, text = viewer_text()
            self.assertEqual(kind, "edit")
            self.assertTrue(text.startswith("Language: '") and text.endswith(LOCALE_ZERO_TAIL), text)
            self.assertIn("Activate 'CF_LOCALE' viewer", log_of(box))

            self.assert_answers_and_exits(box, app)

    def test_dropped_bitmaps_that_fail_the_checks(self):
        bad = sorted(glob.glob(os.path.join(CORPUS, "bad_*.bin")))
        with e2e.Sandbox() as box:
            box.marker(".log")
            app = self.start_with_keep(box)
            self.assertTrue(wait_title("Clipnook [Files & Tables]"))
            for source in bad:
                with self.subTest(os.path.basename(source)):
                    before = log_of(box).count("Activate 'CF_DIB' viewer")
                    self.drop(box, app, "dib-file:" + e2e.win_path(source))
                    info = wait_rows(lambda i: i["count"] == 1 and i["rows"][0][0] == "CF_DIB")
                    self.assertEqual(info["rows"][0][5], str(os.path.getsize(source)))
                    self.assertTrue(e2e.wait_for(
                        lambda: log_of(box).count("Activate 'CF_DIB' viewer") > before, 10))
                    self.assertEqual(viewer_text(), ("pane", None))
            self.assert_answers_and_exits(box, app)


class HostileClipboard(Hostile):
    def test_clipboard_text_unterminated_odd_and_short_locale(self):
        with e2e.Sandbox() as box:
            box.marker(".log")
            app = self.start_with_keep(box)
            self.assertTrue(wait_title("Clipnook [Files & Tables]"))
            # Wine offers its own CF_LOCALE on the clipboard, without a global
            # memory medium, whatever the owner put there: no medium, no size.
            for scenario, name, size in [("text-unterminated", "CF_TEXT", "4'096"),
                                         ("unicode-odd", "CF_UNICODETEXT", "5"),
                                         ("locale-short", "CF_LOCALE", "")]:
                with self.subTest(scenario):
                    stop = os.path.join(box.dir, "stop-" + scenario)
                    owner = subprocess.Popen([e2e.wine(), e2e.helper_path("e2e_source"), "clip", scenario,
                                              e2e.win_path(stop)], stdout=subprocess.PIPE,
                                             stderr=subprocess.DEVNULL, text=True)
                    try:
                        self.assertEqual(read_line(owner, 30).strip(), "ready")
                        captures = log_of(box).count(CAPTURE)
                        self.assertTrue(keys_until(app, ["F5"], lambda: log_of(box).count(CAPTURE) > captures),
                                        "F5 captured")
                        info = wait_rows(lambda i: any(r[0] == name for r in i["rows"]))
                        self.assertEqual(info["title"], "Clipnook [Clipboard]")
                        row = [r for r in info["rows"] if r[0] == name][0]
                        self.assertEqual(row[5], size, row)
                        kind, text = viewer_text() or (None, None)
                        first = info["rows"][0][0]
                        if first == "CF_TEXT" and name == "CF_TEXT":
                            # Wine's clipboard puts a terminator into the last byte.
                            self.assertIn(text, ("A" * 4095, "A" * 4096))
                        elif first == "CF_UNICODETEXT" and name == "CF_UNICODETEXT":
                            self.assertEqual(text, "AB")
                        elif first == "CF_LOCALE" and name == "CF_LOCALE":
                            self.assertTrue(text.endswith(LOCALE_ZERO_TAIL), text)
                        self.assertIsNone(app.proc.poll())
                    finally:
                        open(stop, "w").close()
                        try:
                            owner.wait(timeout=30)
                        except subprocess.TimeoutExpired:
                            owner.kill()
                        owner.stdout.close()
            self.assert_answers_and_exits(box, app)


if __name__ == "__main__":
    e2e.ensure_wine_session()
    for path in (e2e.program_path(), e2e.helper_path("e2e_source"), e2e.helper_path("e2e_list_rows"),
                 e2e.helper_path("e2e_viewer_text")):
        if not os.path.exists(path):
            print("FAIL: %s is not built" % path)
            sys.exit(1)
    result = unittest.main(verbosity=2, exit=False).result
    # Sub-tests report one failure each; count the test methods that failed.
    failed = len({test.id().split(" ")[0] for test, _ in result.failures + result.errors})
    print("hostile: %d passed, %d failed" % (result.testsRun - failed - len(result.skipped), failed))
    sys.exit(0 if result.wasSuccessful() else 1)
