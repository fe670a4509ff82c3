"""Export As in the real program under Wine: the save dialog driven with
xdotool. A name typed without extension with "C# Array (*.cs)" selected gets
.cs; the next export (another command) proposes the last file.

Run alone with:
    WINEPREFIX=$PWD/build/NAME-prefix CLIPNOOK_BUILD=build/NAME-win64 \\
        scripts/wine-run.sh --env python3 tests/e2e/test_export.py
"""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import clipnook_e2e as e2e  # noqa: E402

CSHARP_TEN = (
    "/* StartOffset: 0x00000000, EndOffset: 0x0000000A, Length: 0x0000000A */\r\n"
    "byte[] rawData = {\r\n"
    "\t0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48,\r\n"
    "\t0x49, 0x4A\r\n"
    "};\r\n"
)


def messages(text):
    return [m for m in (e2e.record_message(line) for line in e2e.log_lines(text)) if m is not None]


def send_keys(wid, *keys):
    e2e.run(["xdotool", "windowfocus", str(wid)], timeout=10)
    for k in keys:
        e2e.run(["xdotool", "key", "--clearmodifiers", "--window", str(wid), k], timeout=10)
        time.sleep(0.15)


def type_text(wid, text):
    # Keys follow the pointer once an earlier scenario left it elsewhere: put
    # it on the dialog first.
    e2e.run(["xdotool", "mousemove", "--window", str(wid), "40", "40"], timeout=10)
    e2e.run(["xdotool", "windowfocus", str(wid)], timeout=10)
    e2e.run(["xdotool", "type", "--window", str(wid), "--delay", "30", text], timeout=30)


def wait_dialog(timeout=20):
    found = e2e.wait_for(lambda: e2e.find_windows("^Export to$"), timeout)
    if not found:
        raise AssertionError("no \"Export to\" dialog")
    time.sleep(1.0)  # let it finish its initialisation
    return found[0]


def confirm(dialog):
    """Return in the dialog until it closes (a key sent while it is still busy can be lost)."""
    for _ in range(3):
        send_keys(dialog, "Return")
        if e2e.wait_for(lambda: e2e.window_gone(dialog) or not e2e.find_windows("^Export to$"), 5):
            return
    raise AssertionError("the dialog did not close")


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


class ExportDialog(unittest.TestCase):
    def test_type_extension_and_remembered_path(self):
        with e2e.Sandbox() as box:
            box.marker(".log")
            data = os.path.join(box.dir, "data.bin")
            with open(data, "wb") as f:
                f.write(b"ABCDEFGHIJ")
            app = box.start([e2e.win_path(data)])
            app.wait_window()
            time.sleep(0.5)
            app.key("Tab")     # focus to the hex dump
            app.key("ctrl+a")  # select everything
            time.sleep(0.3)

            # Edit > Export As > C# Array...: Cut, Copy, Copy As, Export..., Export As.
            app.key("alt+e")
            for k in ("Down", "Down", "Down", "Down", "Right", "Down", "Down", "Down", "Return"):
                app.key(k)
                time.sleep(0.1)
            dialog = wait_dialog()
            out = os.path.join(box.dir, "out")
            type_text(dialog, e2e.win_path(out))
            confirm(dialog)
            cs = out + ".cs"
            self.assertTrue(e2e.wait_for(lambda: os.path.exists(cs) and os.path.getsize(cs) > 0, 15),
                            "the typed name got the selected type's extension: %s"
                            % sorted(os.listdir(box.dir)))
            self.assertFalse(os.path.exists(out))
            self.assertEqual(read_bytes(cs).decode("latin-1"), CSHARP_TEN)

            # The next export (dump, Ctrl+Shift+E) proposes the same file: Return alone saves there.
            os.remove(cs)
            time.sleep(0.3)
            app.key("ctrl+shift+e")
            dialog = wait_dialog()
            confirm(dialog)
            self.assertTrue(e2e.wait_for(lambda: os.path.exists(cs) and os.path.getsize(cs) > 0, 15),
                            sorted(os.listdir(box.dir)))
            self.assertTrue(read_bytes(cs).startswith(b"00000000  41 42 43 44 "), read_bytes(cs))

            self.assertEqual(app.close(), 0)
            msgs = messages(box.read_log())
            chosen = [m for m in msgs if m.startswith('main_on_export_as "')]
            self.assertEqual(chosen, ['main_on_export_as "%s"' % e2e.win_path(cs)] * 2, msgs)


if __name__ == "__main__":
    e2e.ensure_wine_session()
    unittest.main()
