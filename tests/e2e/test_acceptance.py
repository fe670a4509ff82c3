"""Acceptance: the real clipnook.exe under Wine, used as a new user would, and
driven only from outside: another process fills the clipboard, drags a data
object onto the window and reads the clipboard back; xdotool types and moves
the mouse; results are read from the log file, the clipboard, exported files,
the registry and the window titles.

Each scenario starts its own copy of the program in a temporary folder with a
.log marker and checks what the user would see or get, not only that nothing
crashed. Key events that Wine loses right after a window appears are handled
by repeating a whole step until its effect shows.

Run alone with:
    WINEPREFIX=$PWD/build/NAME-prefix CLIPNOOK_BUILD=build/NAME-win64 \\
        scripts/wine-run.sh --env python3 tests/e2e/test_acceptance.py
"""

import os
import shutil
import struct
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import clipnook_e2e as e2e  # noqa: E402

VERB = r"HKCR\*\shell\Clipnook"
TEN = bytes(range(0x41, 0x4B))  # "ABCDEFGHIJ"

# The "mixed" scenario of e2e_source, in its order: the six list columns.
MIXED_ROWS = [
    ["CF_TEXT", "All", "CONTENT", "-1", "HGLOBAL", "15"],
    ["CF_UNICODETEXT", "All", "CONTENT", "-1", "HGLOBAL", "32"],
    ["CF_DIB", "All", "CONTENT", "-1", "HGLOBAL", "64"],
    ["Clipnook Test Format", "All", "CONTENT", "-1", "HGLOBAL", "16"],
    ["Stream Only Format", "All", "CONTENT", "-1", "ISTREAM", ""],
    ["Failing Format", "All", "CONTENT", "-1", "HGLOBAL", "?GetData"],
]

# The six notations of the ten bytes 41..4A; Copy As and Export As give the same text.
RANGE = "/* StartOffset: 0x00000000, EndOffset: 0x0000000A, Length: 0x0000000A */\r\n"
TWO_LINES = "\t0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48,\r\n\t0x49, 0x4A\r\n"
NOTATIONS = [
    ("C Array", RANGE + "static const unsigned char rawData[10] = {\r\n" + TWO_LINES + "};\r\n"),
    ("C String", RANGE + "static const unsigned char rawString[] = \r\n"
     "\t\"\\x41\\x42\\x43\\x44\\x45\\x46\\x47\\x48\\x49\\x4A\";\r\n"),
    ("C# Array", RANGE + "byte[] rawData = {\r\n" + TWO_LINES + "};\r\n"),
    ("Java Array", RANGE + "byte rawData[] = {\r\n"
     "\t(byte)0x41, (byte)0x42, (byte)0x43, (byte)0x44,\r\n"
     "\t(byte)0x45, (byte)0x46, (byte)0x47, (byte)0x48,\r\n"
     "\t(byte)0x49, (byte)0x4A\r\n};\r\n"),
    ("Pascal Array", "{ StartOffset: $00000000, EndOffset: $0000000A, Length: $0000000A }\r\n"
     "RawData: array[0..9] of Byte = (\r\n"
     "  $41, $42, $43, $44, $45, $46, $47, $48,\r\n  $49, $4A\r\n);\r\n"),
    ("VB.NET Array", "' StartOffset: &H00000000, EndOffset: &H0000000A, Length: &H0000000A\r\n"
     "Dim rawData As Byte() = { _\r\n"
     "\t&H41, &H42, &H43, &H44, &H45, &H46, &H47, &H48, _\r\n\t&H49, &H4A _\r\n}\r\n"),
]

results = {"passed": 0, "failed": 0}


# ---- small steps ----

def write_file(path, data):
    with open(path, "wb") as f:
        f.write(data)
    return path


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


read_line = e2e.read_line


def release_modifiers():
    """A modifier left down by a lost event turns typed digits into other keys."""
    e2e.run(["xdotool", "keyup", "Alt_L", "Shift_L", "Control_L"], timeout=10)


def escape_menus(app):
    for _ in range(3):
        app.key("Escape")


def press_until(app, keys, done, attempts=4, wait=3.0, undo=escape_menus):
    """Sends the key chords until done() holds; between attempts `undo` closes
    whatever a half-arrived sequence opened."""
    for _ in range(attempts):
        release_modifiers()
        for chord in keys:
            app.key(chord)
            time.sleep(0.08)
        value = e2e.wait_for(done, wait, interval=0.2)
        if value:
            return value
        if undo:
            undo(app)
    return None


def clipboard_is(box, expected):
    return lambda: e2e.read_clipboard(box) == expected


def wait_title(wid, title, timeout=20):
    return e2e.wait_for(lambda: e2e.window_title(wid) == title, timeout, interval=0.2)


def start_with(box, args=()):
    app = box.start(args)
    app.wait_window()
    time.sleep(0.4)
    return app


def focus_dump_and_select_all(app, box, expected_dump):
    """Tab to the hex dump, Ctrl+A, Ctrl+Shift+C until the clipboard holds the
    expected dump text; answers whether it did."""
    for _ in range(4):
        got = press_until(app, ["Tab", "ctrl+a", "ctrl+shift+c"], clipboard_is(box, expected_dump),
                          attempts=1, wait=3, undo=None)
        if got:
            return True
        # The Tab may have landed elsewhere: put the focus back on the list first.
        click_list(app)
    return False


def copy_dump_until(app, box, expected, attempts=4):
    """Ctrl+Shift+C until the clipboard holds the expected dump text. Sent to
    the window and, every other time, as a real key event: after a real mouse
    click Wine sometimes takes only the latter."""
    for attempt in range(attempts):
        release_modifiers()
        if attempt % 2:
            e2e.xdotool("key", "--clearmodifiers", "ctrl+shift+c")
        else:
            app.key("ctrl+shift+c")
        if e2e.wait_for(clipboard_is(box, expected), 2, interval=0.2):
            return True
    return False


def log_tail(box, count=25):
    return "\n".join(e2e.messages(box.read_log())[-count:])


def click_list(app):
    """A click below the rows of the list gives it the focus."""
    place = e2e.layout()
    if not place:
        return
    x, y, w, h = place["list"]
    e2e.xdotool("mousemove", x + w // 2, y + h - 6)
    time.sleep(0.1)
    e2e.xdotool("click", 1)
    time.sleep(0.3)


def click_dump(app):
    """A click into the offset column of the hex dump's first row gives it the focus."""
    place = e2e.layout()
    if not place:
        return
    x, y, w, h = place["dump"]
    e2e.xdotool("mousemove", x + 12, y + place["header"] + 6)
    time.sleep(0.1)
    e2e.xdotool("click", 1)
    time.sleep(0.3)


def save_as(dialog_wid, path):
    """Types a name into the save dialog and confirms it with Return until the
    dialog is gone. A key sent while the dialog is still busy can be lost, and
    a garbled name brings a message box: that is answered and the name typed
    again over the whole field."""
    for attempt in range(3):
        time.sleep(0.8 if attempt == 0 else 0.3)
        release_modifiers()
        e2e.xdotool("key", "--window", dialog_wid, "End")
        e2e.xdotool("key", "--window", dialog_wid, "shift+Home")
        e2e.run(["xdotool", "type", "--window", str(dialog_wid), "--delay", "20", path], timeout=30)
        for _ in range(2):
            e2e.xdotool("key", "--window", dialog_wid, "Return")
            if e2e.wait_for(lambda: e2e.window_gone(dialog_wid) or not e2e.find_windows("^Export to$"), 4):
                return
        if len(e2e.find_windows("^Export to$")) > 1:
            e2e.xdotool("key", "Return")
            e2e.wait_for(lambda: len(e2e.find_windows("^Export to$")) <= 1, 4)
    shot = os.path.join(os.environ.get("TMPDIR", "/tmp"), "clipnook-save-dialog.png")
    e2e.run(["import", "-window", "root", shot], timeout=30)
    raise AssertionError("the save dialog did not close (screen: %s)" % shot)


def open_export_dialog(app, keys):
    """Opens "Export to" by the given key chords (repeated when lost)."""
    for _ in range(4):
        release_modifiers()
        for chord in keys:
            app.key(chord)
            time.sleep(0.08)
        found = e2e.wait_for(lambda: e2e.find_windows("^Export to$"), 4)
        if found:
            return found[0]
        escape_menus(app)
    raise AssertionError("no \"Export to\" dialog after %s" % keys)


def reg_query(key):
    out = e2e.run([e2e.wine(), "reg", "query", key, "/ve"], timeout=60)
    return out.returncode, out.stdout


def reg_default_value(output):
    """The data of the default value in `reg query /ve` output."""
    for line in output.replace("\r", "").split("\n"):
        if "REG_SZ" in line:
            return line.split("REG_SZ", 1)[1].strip()
    return None


geometry = e2e.geometry


def cell_metrics(log_text):
    """(cell width, cell height) of the dump font from the hex dump's log line."""
    for msg in e2e.messages(log_text):
        if msg.startswith("Font: Height="):
            fields = dict(part.split("=") for part in msg[len("Font: "):].split())
            return int(fields["cell_w"]), int(fields["cell_h"])
    raise AssertionError("no font line in the log")


def check_whole_log(test, text, args):
    """The log from its first line to its last: the banner, the start time,
    the program path and every argument, the clear, and the exit at the end,
    in that order; every line is a record or the empty line after the time."""
    lines = e2e.log_lines(text)
    test.assertGreater(len(lines), 6, text)
    msgs = e2e.messages(text)
    test.assertEqual(msgs[0], "=" * 50, lines[:3])
    test.assertTrue(msgs[1].startswith("Instance started at "), msgs[1])
    test.assertEqual(lines[2], "", "the start time ends with its own newline")
    test.assertTrue(lines[0].split(" ", 1)[1].startswith("I Main            "), lines[0])
    ticks = []
    for line in lines[3:]:
        test.assertIsNotNone(e2e.record_message(line), "not a record: %r" % line)
        ticks.append(int(line.split(" ", 1)[0]))
    test.assertEqual(ticks, sorted(ticks), "tick counts never go back")
    found = e2e.arg_lines(text)
    test.assertEqual(sorted(found), list(range(len(args) + 1)), found)
    for number, token in enumerate(args, start=1):
        test.assertEqual(found[number], token)
    order = ["arg[ 0] '%s'" % found[0], "Clear the view"]
    order += ["arg[ %d] '%s'" % (n, t) for n, t in enumerate(args, start=1)]
    order += ["Exit the application."]
    at = -1
    for msg in order:
        test.assertIn(msg, msgs[at + 1:], "%r missing or out of order" % msg)
        at = msgs.index(msg, at + 1)
    # The window's end comes after the exit command: the drop target is revoked.
    test.assertIn("uidad_drop_unregister", msgs[at:])
    test.assertIn("uidad_IDropTarget_Destruct", msgs[at:])
    return msgs


class Scenario(unittest.TestCase):
    def run(self, result=None):
        result = result if result is not None else self.defaultTestResult()
        before = len(result.failures) + len(result.errors)
        super().run(result)
        if len(result.failures) + len(result.errors) > before:
            results["failed"] += 1
        else:
            results["passed"] += 1
        return result


class A1ClipboardAtStartUp(Scenario):
    def test_start_without_arguments_captures_the_clipboard_of_another_program(self):
        with e2e.Sandbox() as box:
            box.marker(".log")
            stop = os.path.join(box.dir, "stop")
            owner = subprocess.Popen([e2e.wine(), e2e.helper_path("e2e_source"), "clip", "mixed",
                                      e2e.win_path(stop)], stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, text=True)
            try:
                self.assertEqual(read_line(owner, 30).strip(), "ready")
                owner.stdout.close()
                app = start_with(box)
                self.assertTrue(wait_title(app.window, "Clipnook [Clipboard]"), e2e.window_title(app.window))
                info = e2e.list_rows()
                by_name = {row[0]: row for row in info["rows"]}
                self.assertEqual(info["count"], len(info["rows"]))
                # Wine's clipboard object offers its formats on a stream as well.
                self.assertTrue(by_name["CF_TEXT"][4].startswith("HGLOBAL"), by_name["CF_TEXT"])
                self.assertEqual(by_name["CF_TEXT"][5], "15")
                self.assertTrue(by_name["Clipnook Test Format"][4].startswith("HGLOBAL"))
                self.assertEqual(by_name["Clipnook Test Format"][5], "16")
                # What only a stream or a failing GetData could give is not on the clipboard.
                self.assertNotIn("Stream Only Format", by_name)
                self.assertNotIn("Failing Format", by_name)
            finally:
                open(stop, "w").close()
                try:
                    owner.wait(timeout=30)
                except subprocess.TimeoutExpired:
                    owner.kill()
            self.assertEqual(app.close(), 0)
            msgs = check_whole_log(self, box.read_log(), [])
            # No file: the clipboard was captured right after the clear of start-up.
            clear = msgs.index("Clear the view")
            self.assertEqual(msgs.index("Clear the view and add the clipboard content."),
                             clear + 1, msgs[clear:clear + 3])


class A2DropFromAnotherProgram(Scenario):
    def drag_onto(self, app, scenario):
        """Drags from a source beside the window onto the list; returns what
        the source was told."""
        return e2e.drag_from_source(geometry(app.window), scenario)

    def select_row_and_copy(self, app, box, row, expected):
        """End, Home and Down arrows in the list, a click into the hex dump's offset
        column (focus without changing its selection), Ctrl+A and Ctrl+Shift+C,
        until the clipboard holds the row's dump text."""
        for attempt in range(4):
            click_list(app)
            time.sleep(0.3)
            # End first: the list ignores Home on the item that already has the
            # focus, even when a click in its empty part unselected it.
            for chord in ["End", "Home"] + ["Down"] * row:
                if attempt % 2:
                    e2e.xdotool("key", "--clearmodifiers", chord)
                else:
                    app.key(chord)
                time.sleep(0.25)
            time.sleep(0.4)
            click_dump(app)
            if attempt % 2:
                e2e.xdotool("key", "--clearmodifiers", "ctrl+a")
            else:
                app.key("ctrl+a")
            time.sleep(0.2)
            if copy_dump_until(app, box, expected, attempts=2):
                return True
        return False

    def test_drop_of_six_formats_then_rows_chosen_by_keyboard(self):
        with e2e.Sandbox() as box:
            box.marker(".log")
            # A file entry first, so the drop has something to replace.
            data = write_file(os.path.join(box.dir, "first.bin"), b"first")
            app = start_with(box, [e2e.win_path(data)])
            self.assertTrue(wait_title(app.window, "Clipnook [Files & Tables]"))

            told = self.drag_onto(app, "mixed")
            self.assertEqual(told, "dropped hr=0x00040100 effect=0", "the source is told nothing was taken")
            self.assertTrue(wait_title(app.window, "Clipnook [Dropped Object]"), e2e.window_title(app.window))
            info = e2e.list_rows()
            self.assertEqual(info["rows"], MIXED_ROWS, "one row per offered format, in the offered order")

            # Rows chosen with the arrow keys show the bytes the source offered;
            # they are read back through Copy As dump from the hex dump.
            self.assertTrue(self.select_row_and_copy(app, box, 0, e2e.dump_text(b"Hello from e2e\0", 0, 15)),
                            "%r\n%s" % (e2e.read_clipboard(box), log_tail(box)))
            unicode_bytes = "Unicode \u00e9\u00e8 text\0".encode("utf-16-le")
            self.assertTrue(self.select_row_and_copy(app, box, 1, e2e.dump_text(unicode_bytes, 0, 32)),
                            "%r\n%s" % (e2e.read_clipboard(box), log_tail(box)))
            # The DIB: its 40-byte header (4 by 2 pixels, 24 bits) and two rows of pixels.
            dib = struct.pack("<IiiHHIIiiII", 40, 4, 2, 1, 24, 0, 0, 0, 0, 0, 0) + bytes(12) \
                + bytes([0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255])
            self.assertTrue(self.select_row_and_copy(app, box, 2, e2e.dump_text(dib, 0, 64)),
                            "%r\n%s" % (e2e.read_clipboard(box), log_tail(box)))
            self.assertTrue(self.select_row_and_copy(app, box, 3, e2e.dump_text(b"registered-bytes", 0, 16)),
                            "%r\n%s" % (e2e.read_clipboard(box), log_tail(box)))
            click_list(app)
            self.assertEqual(app.close(), 0)
            msgs = check_whole_log(self, box.read_log(), [e2e.win_path(data)])
            enter = msgs.index("uidad_IDropTarget_DragEnter: start dropeffect=3")
            self.assertIn("uidad_IDropTarget_DragEnter: end dropeffect=1", msgs[enter:])
            drop = msgs.index("uidad_IDropTarget_Drop: start dropeffect=3")
            self.assertLess(enter, drop)
            self.assertIn("uidad_IDropTarget_Drop: end dropeffect=0", msgs[drop:])
            self.assertLess(drop, msgs.index("Exit the application."))


class A2bRowsByKeyboard(Scenario):
    def test_arrow_key_in_the_list_shows_the_other_entry_in_the_dump(self):
        with e2e.Sandbox() as box:
            box.marker(".log")
            one = write_file(os.path.join(box.dir, "one.bin"), b"first entry bytes")
            two = write_file(os.path.join(box.dir, "two.bin"), b"The second one, longer than a row")
            app = start_with(box, [e2e.win_path(one), e2e.win_path(two)])
            # The last file added is the one shown.
            self.assertTrue(focus_dump_and_select_all(app, box, e2e.dump_text(read_bytes(two), 0, 33)),
                            e2e.read_clipboard(box))
            first = e2e.dump_text(read_bytes(one), 0, 17)
            got = None
            for _ in range(4):
                # Back to the list, Up to the first row, over to its dump.
                got = press_until(app, ["shift+Tab", "Up", "Tab", "ctrl+a", "ctrl+shift+c"],
                                  clipboard_is(box, first), attempts=1, wait=3, undo=None)
                if got:
                    break
                click_list(app)
                app.key("End")
            self.assertTrue(got, e2e.read_clipboard(box))
            self.assertEqual(app.close(), 0)


class A3HexDumpSelection(Scenario):
    def test_mouse_drag_in_the_dump_selects_the_bytes_under_it(self):
        with e2e.Sandbox() as box:
            box.marker(".log")
            data = bytes(range(256))
            path = write_file(os.path.join(box.dir, "bytes.bin"), data)
            app = start_with(box, [e2e.win_path(path)])
            self.assertTrue(wait_title(app.window, "Clipnook [Files & Tables]"))
            place = e2e.wait_for(e2e.layout, 10)
            self.assertTrue(place)
            w, h = cell_metrics(box.read_log())
            dx, dy, dw, dh = place["dump"]
            body_top = dy + place["header"]
            # Default layout: offset column 10 cells, then the dump column with
            # cells of b = w/2 + 2w pixels and an extra cell between groups of 4.
            b = w // 2 + 2 * w
            dump_left = dx + 10 * w

            def digits_x(j):
                return dump_left + w // 2 + b * j + (j // 4) * w + w // 4

            def row_y(r):
                return body_top + r * h + h // 2

            # Press on the middle of byte 3's first digit in row 2 (its left half:
            # the caret goes before it), drag onto byte 9 of row 3: a drag ends the
            # selection before the byte under the pointer, so 0x23 up to 0x38.
            lo, hi = 0x23, 0x39
            expected = e2e.dump_text(data, lo, hi)
            self.assertLess(row_y(3) + h, dy + dh)
            got = None
            x0, y0 = digits_x(3) + w // 2, row_y(2)
            x1, y1 = digits_x(9) + 3 * w // 2, row_y(3)
            # A first click (offset column, selects nothing) makes the window
            # active, so the press of the drag is not the first event it sees.
            click_dump(app)
            for _ in range(4):
                tracked = e2e.messages(box.read_log()).count("Start Tracking")
                e2e.xdotool("mousemove", x0, y0)
                time.sleep(0.2)
                e2e.xdotool("mousedown", 1)
                time.sleep(0.25)
                for step in range(1, 7):
                    e2e.xdotool("mousemove", x0 + (x1 - x0) * step // 6, y0 + (y1 - y0) * step // 6)
                    time.sleep(0.1)
                time.sleep(0.1)
                e2e.xdotool("mouseup", 1)
                time.sleep(0.3)
                if e2e.messages(box.read_log()).count("Start Tracking") == tracked:
                    continue  # the press or the drag was not seen: again
                # The press gave the dump the focus: Ctrl+Shift+C copies the selection.
                got = copy_dump_until(app, box, expected, attempts=3)
                if got:
                    break
            self.assertTrue(got, "%r\nexpected %r\n%s" % (e2e.read_clipboard(box), expected, log_tail(box)))

            self.assertEqual(app.close(), 0)


class A4CopyAsEveryNotation(Scenario):
    def test_edit_menu_copy_as_puts_every_notation_on_the_clipboard(self):
        with e2e.Sandbox() as box:
            box.marker(".log")
            path = write_file(os.path.join(box.dir, "ten.bin"), TEN)
            app = start_with(box, [e2e.win_path(path)])
            self.assertTrue(focus_dump_and_select_all(app, box, e2e.dump_text(TEN, 0, 10)),
                            e2e.read_clipboard(box))
            # Edit: Cut, Copy, Copy As > Dump, (separator), C Array ... VB.NET Array.
            for index, (name, expected) in enumerate(NOTATIONS, start=1):
                keys = ["alt+e", "Down", "Down", "Right"] + ["Down"] * index + ["Return"]
                self.assertTrue(press_until(app, keys, clipboard_is(box, expected)),
                                "Copy As %s gave %r" % (name, e2e.read_clipboard(box)))
            # And Dump through the same menu once the clipboard holds something else.
            self.assertTrue(press_until(app, ["alt+e", "Down", "Down", "Right", "Return"],
                                        clipboard_is(box, e2e.dump_text(TEN, 0, 10))))
            self.assertEqual(app.close(), 0)
            msgs = e2e.messages(box.read_log())
            self.assertGreaterEqual(msgs.count("main_on_copy_as"), 8)
            self.assertNotIn("main_on_copy_as: error got no data", msgs)


class A5ExportAsFiles(Scenario):
    def test_export_through_the_save_dialog_writes_the_files(self):
        with e2e.Sandbox() as box:
            box.marker(".log")
            path = write_file(os.path.join(box.dir, "ten.bin"), TEN)
            app = start_with(box, [e2e.win_path(path)])
            self.assertTrue(focus_dump_and_select_all(app, box, e2e.dump_text(TEN, 0, 10)))
            out_dir = os.path.join(box.dir, "export here")
            os.mkdir(out_dir)

            # Export... (raw bytes): Edit, Cut, Copy, Copy As, Export...
            raw = os.path.join(out_dir, "raw copy.bin")
            dialog = open_export_dialog(app, ["alt+e", "Down", "Down", "Down", "Return"])
            save_as(dialog, e2e.win_path(raw))
            self.assertTrue(e2e.wait_for(lambda: os.path.exists(raw) and os.path.getsize(raw) == 10, 10),
                            os.listdir(out_dir))
            self.assertEqual(read_bytes(raw), TEN)

            # Dump... by its accelerator, to a new name.
            dump = os.path.join(out_dir, "dump.txt")
            dialog = open_export_dialog(app, ["ctrl+shift+e"])
            save_as(dialog, e2e.win_path(dump))
            self.assertTrue(e2e.wait_for(lambda: os.path.exists(dump) and os.path.getsize(dump) > 0, 10))
            self.assertEqual(read_bytes(dump).decode("latin-1"), e2e.dump_text(TEN, 0, 10))

            # Export As > VB.NET Array..., a name without extension gets .vb.
            vb = os.path.join(out_dir, "array")
            dialog = open_export_dialog(app, ["alt+e", "Down", "Down", "Down", "Down", "Right"] + ["Down"] * 6
                                        + ["Return"])
            save_as(dialog, e2e.win_path(vb))
            self.assertTrue(e2e.wait_for(lambda: os.path.exists(vb + ".vb") and os.path.getsize(vb + ".vb"), 10),
                            os.listdir(out_dir))
            self.assertEqual(read_bytes(vb + ".vb").decode("latin-1"), NOTATIONS[5][1])

            self.assertEqual(app.close(), 0)
            chosen = [m for m in e2e.messages(box.read_log()) if m.startswith('main_on_export_as "')]
            self.assertEqual(chosen, ['main_on_export_as "%s"' % e2e.win_path(p) for p in (raw, dump, vb + ".vb")])


class A6Goto(Scenario):
    def test_goto_selects_offset_and_count(self):
        with e2e.Sandbox() as box:
            box.marker(".log")
            data = bytes(range(256))
            path = write_file(os.path.join(box.dir, "bytes.bin"), data)
            app = start_with(box, [e2e.win_path(path)])
            expected = e2e.dump_text(data, 0x30, 0x30 + 20)
            got = None
            for _ in range(3):
                release_modifiers()
                dialog = None
                for attempt in range(6):
                    # Sent to the window, and every other time as a real key event.
                    if attempt % 2:
                        e2e.xdotool("windowfocus", app.window)
                        e2e.xdotool("key", "--clearmodifiers", "ctrl+g")
                    else:
                        app.key("ctrl+g")
                    found = e2e.wait_for(lambda: e2e.find_windows("^Goto Dump$"), 3)
                    if found:
                        dialog = found[0]
                        break
                self.assertTrue(dialog, "Ctrl+G opens \"Goto Dump\"\n%s" % log_tail(box))
                time.sleep(0.8)
                # Real key events go to the modal dialog, which has the focus.
                e2e.xdotool("key", "ctrl+a")
                e2e.xdotool("type", "--delay", "30", "48")
                e2e.xdotool("key", "Tab")
                e2e.xdotool("key", "ctrl+a")
                e2e.xdotool("type", "--delay", "30", "20")
                e2e.xdotool("key", "Return")
                if not e2e.wait_for(lambda: not e2e.find_windows("^Goto Dump$"), 5):
                    e2e.xdotool("key", "Escape")
                    e2e.wait_for(lambda: not e2e.find_windows("^Goto Dump$"), 5)
                    continue
                # Goto gave the dump the focus; the copy shows the selection.
                got = copy_dump_until(app, box, expected, attempts=3)
                if got:
                    break
            self.assertTrue(got, "%r\nexpected %r" % (e2e.read_clipboard(box), expected))
            self.assertEqual(app.close(), 0)
            self.assertIn("Goto.", e2e.messages(box.read_log()))


class A7ShellVerb(Scenario):
    def setUp(self):
        e2e.run([e2e.wine(), "reg", "delete", VERB, "/f"], timeout=60)

    def tearDown(self):
        e2e.run([e2e.wine(), "reg", "delete", VERB, "/f"], timeout=60)

    def test_verb_added_used_with_a_spaced_path_and_removed(self):
        with e2e.Sandbox() as box:
            app_dir = os.path.join(box.dir, "program files")
            os.mkdir(app_dir)
            exe = os.path.join(app_dir, "clipnook.exe")
            shutil.copy2(box.exe, exe)
            log = os.path.join(app_dir, "clipnook.log")
            write_file(log, b"")
            proc = subprocess.Popen([e2e.wine(), exe], cwd=app_dir, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
            app = e2e.Instance(proc)
            box.instances.append(app)
            app.wait_window()
            time.sleep(0.4)

            # Extras > Shell integration > Add to context menu.
            self.assertTrue(press_until(app, ["alt+x", "Right", "Return"],
                                        lambda: reg_query(VERB + r"\command")[0] == 0, wait=6),
                            "the verb's command key exists")
            command = reg_default_value(reg_query(VERB + r"\command")[1])
            self.assertEqual(command, '"%s" "%%1"' % e2e.win_path(exe))
            self.assertIn("Open with Clipnook", reg_query(VERB)[1])

            # Extras > Shell integration > Remove from context menu.
            self.assertTrue(press_until(app, ["alt+x", "Right", "Down", "Return"],
                                        lambda: reg_query(VERB)[0] != 0, wait=6), "the verb is gone")
            self.assertEqual(app.close(), 0)
            with open(log, "rb") as f:
                msgs = e2e.messages(f.read().decode("latin-1"))
            self.assertIn("Add application to the shell context menu.", msgs)
            self.assertIn("Remove application from the shell context menu.", msgs)

            # The shell's way in: the registered command with %1 replaced by a
            # file whose folder and name have blanks.
            folder = os.path.join(box.dir, "my data files")
            os.mkdir(folder)
            target = write_file(os.path.join(folder, "some notes.txt"), b"notes " * 300)
            write_file(log, b"")
            line = command.replace("%1", e2e.win_path(target))
            env = dict(os.environ, CLIPNOOK_E2E_CMDLINE=line)
            launcher = subprocess.Popen([e2e.wine(), e2e.helper_path("e2e_launch")], cwd=folder, env=env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            started = e2e.Instance(launcher)
            box.instances.append(started)
            started.wait_window()
            self.assertTrue(wait_title(started.window, "Clipnook [Files & Tables]"),
                            e2e.window_title(started.window))
            info = e2e.list_rows()
            self.assertEqual(info["rows"], [["some notes.txt", "-", "(File)", "-", "HGLOBAL", "1'800"]])
            # The launcher passes the program's own exit code on.
            self.assertEqual(started.close(), 0)
            with open(log, "rb") as f:
                text = f.read().decode("latin-1")
            check_whole_log(self, text, [e2e.win_path(target)])
            self.assertEqual(e2e.arg_lines(text)[0], e2e.win_path(exe), "quotes are not part of the path")


def main():
    e2e.ensure_wine_session()
    for name in ("e2e_source", "e2e_list_rows", "e2e_launch"):
        if not os.path.exists(e2e.helper_path(name)):
            print("acceptance: %s is not built" % e2e.helper_path(name))
            sys.exit(1)
    if not os.path.exists(e2e.program_path()):
        print("acceptance: %s is not built" % e2e.program_path())
        sys.exit(1)
    started = time.monotonic()
    result = unittest.main(verbosity=2, exit=False).result
    print("acceptance: run time %.0f s" % (time.monotonic() - started))
    print("acceptance: %d passed, %d failed" % (results["passed"], results["failed"]))
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
