"""The entry list filled from other programs, with the real program under Wine:
a drag from another process dropped on the window, the clipboard of another
process captured at start-up, and files named on the command line.

Run alone with:
    WINEPREFIX=$PWD/build/NAME-prefix CLIPNOOK_BUILD=build/NAME-win64 \\
        scripts/wine-run.sh --env python3 tests/e2e/test_drop.py
"""

import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import clipnook_e2e as e2e  # noqa: E402


# The "mixed" scenario of e2e_source, in its order: name, media, size column.
MIXED_ROWS = [
    ["CF_TEXT", "All", "CONTENT", "-1", "HGLOBAL", "15"],
    ["CF_UNICODETEXT", "All", "CONTENT", "-1", "HGLOBAL", "32"],
    ["CF_DIB", "All", "CONTENT", "-1", "HGLOBAL", "64"],
    ["Clipnook Test Format", "All", "CONTENT", "-1", "HGLOBAL", "16"],
    ["Stream Only Format", "All", "CONTENT", "-1", "ISTREAM", ""],
    ["Failing Format", "All", "CONTENT", "-1", "HGLOBAL", "?GetData"],
]


list_rows = e2e.list_rows


def wait_title(title, timeout=20):
    """The list once the window has the given title (None when it never does)."""
    def titled():
        info = list_rows()
        return info if info and info["title"] == title else None
    return e2e.wait_for(titled, timeout, interval=0.3)


geometry = e2e.geometry
read_line = e2e.read_line


def xdotool(*args):
    e2e.run(["xdotool"] + [str(a) for a in args], timeout=10)


def messages(text):
    return [m for m in (e2e.record_message(line) for line in e2e.log_lines(text)) if m is not None]


class DropFromAnotherProgram(unittest.TestCase):
    def drag_onto(self, app, scenario):
        """Drags from a source beside the window onto the list; returns what
        the source was told ("dropped hr=... effect=...")."""
        return e2e.drag_from_source(geometry(app.window), scenario)

    def test_drop_lists_every_format_and_tells_the_source_none(self):
        with e2e.Sandbox() as box:
            box.marker(".log")
            app = box.start()
            app.wait_window()
            self.assertTrue(wait_title("Clipnook [Clipboard]"), "start-up without files captures the clipboard")

            told = self.drag_onto(app, "mixed")
            # The source offered copy and move, and was told that nothing was taken.
            self.assertEqual(told, "dropped hr=0x00040100 effect=0")

            info = wait_title("Clipnook [Dropped Object]")
            self.assertTrue(info, "title after the drop: %r" % (list_rows() or {}).get("title"))
            self.assertEqual(info["count"], len(MIXED_ROWS))
            self.assertEqual(info["rows"], MIXED_ROWS)

            # Wine leaves the keyboard with the source after the drag: a click
            # inside the window gives it back before Ctrl+Q.
            x, y, w, h = geometry(app.window)
            xdotool("mousemove", x + w // 2, y + h - 20)
            xdotool("click", 1)
            time.sleep(0.3)
            self.assertEqual(app.close(), 0)
            log = messages(box.read_log())
            self.assertIn("uidad_IDropTarget_DragEnter: start dropeffect=3", log)
            self.assertIn("uidad_IDropTarget_DragEnter: end dropeffect=1", log)
            self.assertIn("uidad_IDropTarget_DragOver: end dropeffect=1", log)
            self.assertIn("uidad_IDropTarget_Drop: start dropeffect=3", log)
            self.assertIn("uidad_IDropTarget_Drop: end dropeffect=0", log)
            self.assertLess(log.index("uidad_IDropTarget_DragEnter: start dropeffect=3"),
                            log.index("uidad_IDropTarget_Drop: end dropeffect=0"))
            # The window's end revokes, unlocks and finally destroys the target.
            tail = log[log.index("uidad_drop_unregister"):]
            self.assertEqual(tail[1:2], ["RevokeDragDrop"])
            self.assertIn("CoLockObjectExternal( FALSE)", tail)
            self.assertIn("uidad_IDropTarget_Destruct", tail)


class ClipboardOfAnotherProgram(unittest.TestCase):
    def test_start_without_files_lists_the_clipboard(self):
        with e2e.Sandbox() as box:
            stop = os.path.join(box.dir, "stop")
            owner = subprocess.Popen([e2e.wine(), e2e.helper_path("e2e_source"), "clip", "mixed", e2e.win_path(stop)],
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
            try:
                self.assertEqual(read_line(owner, 30).strip(), "ready")
                app = box.start()
                app.wait_window()
                info = wait_title("Clipnook [Clipboard]")
                self.assertTrue(info)
                by_name = {row[0]: row for row in info["rows"]}
                self.assertEqual(info["count"], len(info["rows"]))
                self.assertEqual(by_name["CF_TEXT"][5], "15")
                # The registered format shows its name, not its number.
                self.assertIn("Clipnook Test Format", by_name)
                self.assertEqual(by_name["Clipnook Test Format"][5], "16")
                self.assertTrue(by_name["Clipnook Test Format"][4].startswith("HGLOBAL"))
                self.assertEqual(app.close(), 0)
            finally:
                open(stop, "w").close()
                try:
                    owner.wait(timeout=30)
                except subprocess.TimeoutExpired:
                    owner.kill()


class FilesOnTheCommandLine(unittest.TestCase):
    def test_two_files_give_two_rows(self):
        with e2e.Sandbox() as box:
            bmp = os.path.join(box.dir, "pic.bmp")
            with open(bmp, "wb") as f:
                f.write(b"BM" + bytes(1232))
            notes = os.path.join(box.dir, "my notes.txt")
            with open(notes, "wb") as f:
                f.write(b"n" * 1234567)
            app = box.start([e2e.win_path(bmp), e2e.win_path(notes)])
            app.wait_window()
            info = wait_title("Clipnook [Files & Tables]")
            self.assertTrue(info)
            self.assertEqual(info["count"], 2)
            self.assertEqual(info["rows"], [
                ["pic.bmp", "-", "(File)", "-", "HGLOBAL", "1'234"],
                ["my notes.txt", "-", "(File)", "-", "HGLOBAL", "1'234'567"],
            ])
            self.assertEqual(app.close(), 0)


if __name__ == "__main__":
    e2e.ensure_wine_session()
    for path in (e2e.program_path(), e2e.helper_path("e2e_source"), e2e.helper_path("e2e_list_rows")):
        if not os.path.exists(path):
            print("FAIL: %s is not built" % path)
            sys.exit(1)
    result = unittest.main(verbosity=2, exit=False).result
    ok = result.wasSuccessful()
    print("e2e drop: %s (%d run, %d failed, %d errors, %d skipped)"
          % ("PASS" if ok else "FAIL", result.testsRun, len(result.failures),
             len(result.errors), len(result.skipped)))
    sys.exit(0 if ok else 1)
