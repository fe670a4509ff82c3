"""The Goto and About dialogs of the real program under Wine: Ctrl+G with
typed values and Enter selects bytes in the hex dump (read back through Copy
As dump on the clipboard) and is remembered for the next use; About shows the
icon, the version and the link and closes with Enter and with Escape.

Run alone with:
    WINEPREFIX=$PWD/build/NAME-prefix CLIPNOOK_BUILD=build/NAME-win64 \\
        scripts/wine-run.sh --env python3 tests/e2e/test_dialogs.py
"""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import clipnook_e2e as e2e  # noqa: E402


def read_clipboard(box):
    out = os.path.join(box.dir, "clip.txt")
    if os.path.exists(out):
        os.remove(out)
    rc = e2e.run([e2e.wine(), e2e.helper_path("e2e_source"), "readclip", e2e.win_path(out)],
                 timeout=60).returncode
    if rc != 0:
        return None
    with open(out, "rb") as f:
        return f.read().decode("latin-1")


def wait_dialog(title, timeout=15):
    found = e2e.wait_for(lambda: e2e.find_windows("^%s$" % title), timeout)
    if not found:
        raise AssertionError("no dialog %r" % title)
    return found[0]


def release_modifiers():
    """No modifier may stay down between steps: a held Alt turns typed digits
    into system keys."""
    e2e.run(["xdotool", "keyup", "Alt_L", "Shift_L", "Control_L"], timeout=10)


def open_goto(app, box):
    """Ctrl+G until the Goto dialog shows (keys right after a window was
    mapped or closed get lost now and then)."""
    for attempt in range(6):
        release_modifiers()
        if attempt % 2:
            e2e.run(["xdotool", "windowfocus", str(app.window)], timeout=10)
            e2e.run(["xdotool", "key", "ctrl+g"], timeout=10)
        else:
            app.key("ctrl+g")
        found = e2e.wait_for(lambda: e2e.find_windows("^Goto Dump$"), 3)
        if found:
            return found[0]
    raise AssertionError("no dialog 'Goto Dump'\n" + log_text(box)[-1500:])


def to_window(wid, *args):
    """Real key events (XTEST) into the dialog, which has the focus as the
    active modal window: Wine takes synthetic events sent to a window only now
    and then, and moving the X focus by hand confuses its own."""
    del wid
    e2e.run(["xdotool"] + list(args), timeout=10)


def log_text(box):
    return box.read_log().replace("\r\n", "\n")


class GotoDialog(unittest.TestCase):
    def copy_dump(self, app, box):
        """Copy As dump from the focused hex dump; the clipboard text when it
        holds the expected range, else None."""
        for attempt in range(3):
            if attempt % 2:
                app.key("ctrl+shift+c")
            else:
                e2e.run(["xdotool", "key", "ctrl+shift+c"], timeout=10)
            text = e2e.wait_for(lambda: (read_clipboard(box) or "").startswith("00000010  "), 3) \
                and read_clipboard(box)
            if text:
                return text
        return None

    def test_typed_range_is_selected_and_remembered(self):
        with e2e.Sandbox() as box:
            box.marker(".log")
            data = os.path.join(box.dir, "data.bin")
            with open(data, "wb") as f:
                f.write(bytes(range(256)))
            app = box.start([e2e.win_path(data)])
            app.wait_window()
            time.sleep(0.5)
            release_modifiers()
            # Wine loses a key event now and then while a window appears or
            # closes, so the whole round is repeated when the copy shows that
            # the typed range did not arrive.
            text = None
            for _ in range(3):
                confirmed = log_text(box).count("uiform_simple() => 0\n")
                focused = log_text(box).count("Has focus: yes 2003\n")
                dialog = open_goto(app, box)
                e2e.wait_for(lambda: log_text(box).count("Has focus: yes 2003\n") > focused, 5)
                time.sleep(0.5)
                to_window(dialog, "type", "16")
                to_window(dialog, "key", "Tab")
                to_window(dialog, "type", "32")
                to_window(dialog, "key", "Return")
                if not e2e.wait_for(lambda: log_text(box).count("uiform_simple() => 0\n") > confirmed, 5):
                    to_window(dialog, "key", "Escape")
                    continue
                text = self.copy_dump(app, box)
                if text:
                    break
            self.assertTrue(text, "%r\n%s" % (read_clipboard(box), log_text(box)[-1500:]))
            self.assertTrue(text.startswith("00000010  10 11 12 13  14 "), text)
            self.assertIn("00000020  20 21 22 23  24 ", text)
            self.assertNotIn("00000030", text)

            # The next Ctrl+G opens with the values entered: confirming them
            # unchanged selects the same range again (0 and 0 would select
            # nothing at offset 0).
            os.remove(os.path.join(box.dir, "clip.txt"))
            confirmed = log_text(box).count("uiform_simple() => 0\n")
            focused = log_text(box).count("Has focus: yes 2003\n")
            dialog = open_goto(app, box)
            e2e.wait_for(lambda: log_text(box).count("Has focus: yes 2003\n") > focused, 5)
            time.sleep(0.5)
            to_window(dialog, "key", "Return")
            self.assertTrue(e2e.wait_for(lambda: log_text(box).count("uiform_simple() => 0\n") > confirmed, 10),
                            log_text(box)[-2000:])
            again = self.copy_dump(app, box)
            self.assertEqual(again, text)
            self.assertIn("\n 2003:        UINT [", log_text(box))
            self.assertEqual(app.close(), 0)


class AboutDialog(unittest.TestCase):
    def open_about(self, app):
        # The "?" menu; menus want real key events, so these go through XTEST
        # to the focused window rather than --window.
        # Wine drops a key now and then right after a dialog closed: retry.
        for _ in range(4):
            e2e.run(["xdotool", "windowfocus", str(app.window)], timeout=10)
            time.sleep(0.3)
            # Alt+? as Alt+Shift+slash: naming the "question" symbol itself
            # makes xdotool remap a spare key code, which confuses the Wine
            # programs started afterwards.
            e2e.run(["xdotool", "key", "alt+shift+slash"], timeout=10)
            release_modifiers()
            time.sleep(0.5)
            e2e.run(["xdotool", "key", "Return"], timeout=10)
            found = e2e.wait_for(lambda: e2e.find_windows("^About Clipnook$"), 4)
            if found:
                return found[0]
            e2e.run(["xdotool", "key", "Escape"], timeout=10)
        raise AssertionError("no dialog 'About Clipnook'")

    def test_icon_version_link_and_both_ways_to_close(self):
        with e2e.Sandbox() as box:
            box.marker(".log")
            data = os.path.join(box.dir, "data.bin")
            with open(data, "wb") as f:
                f.write(b"about")
            app = box.start([e2e.win_path(data)])
            app.wait_window()
            time.sleep(0.5)
            for key, result in (("Return", 0), ("Escape", 1)):
                try:
                    dialog = self.open_about(app)
                except AssertionError:
                    print(log_text(box)[-1500:])
                    raise
                time.sleep(0.3)
                to_window(dialog, "key", key)
                self.assertTrue(e2e.wait_for(lambda: not e2e.find_windows("^About Clipnook$"), 10), key)
                line = "uiform_simple() => %d\n" % result
                self.assertTrue(e2e.wait_for(lambda: line in log_text(box), 10), log_text(box)[-1500:])
            log = log_text(box)
            self.assertIn("Handle 'About Application' dialog.", log)
            self.assertIn("Icon w=32 h=32!\n", log)
            self.assertIn("        TEXT [", log)
            self.assertIn("\n12345:        LINKTEXT [", log)
            self.assertIn("Has focus: yes 12345\n", log)
            self.assertNotIn("ctrlid=12345", log)  # Enter did not click the link
            self.assertEqual(app.close(), 0)


if __name__ == "__main__":
    e2e.ensure_wine_session()
    unittest.main()
