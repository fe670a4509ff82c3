"""Data of other programs reaching the real program: the clipboard another
program filled, read with F5, and a real OLE drag from another process."""

import unittest

from clipnook_e2e import Peer, Program, main, rows, shown, wait_for, win_path, xdotool


def offered_row(name, data_hex, media="HGLOBAL"):
    return [name, "All", "CONTENT", "-1", media, str(len(data_hex) // 2), data_hex]


class Capture(unittest.TestCase):
    def start(self):
        """The program with a file entry (nothing captured at start) and its place on the screen."""
        app = Program(self)
        wid = app.start(win_path(app.write("first.bin", b"first")))
        place = dict(v.split("=") for v in xdotool("getwindowgeometry", "--shell", wid).split())
        return app, wid, [int(place[k]) for k in ("X", "Y", "WIDTH", "HEIGHT")]

    def test_f5_lists_the_clipboard_another_program_filled(self):
        app, wid, (x, y, w, h) = self.start()
        owner = Peer(self, "own")
        # A click gives the window the keyboard; the key goes once X says it has it.
        xdotool("mousemove", x + w // 2, y + h - 30, "click", 1)
        wait_for("the keyboard focus", lambda: xdotool("getwindowfocus").strip() == str(wid))
        xdotool("key", "F5")
        title, got = wait_for("the clipboard's rows", lambda: (r := rows())[0] == "Clipnook [Clipboard]" and r)
        # Wine's clipboard object offers a stream as well, and CF_DIB with no medium
        # at all: its row says so (the drop shows a DIB's bytes).
        want = {name: offered_row(name, data, "HGLOBAL+ISTREAM") for name, data in owner.offers}
        want["CF_DIB"] = ["CF_DIB", "All", "CONTENT", "-1", "", "", ""]
        self.assertEqual({row[0]: row for row in got if row[0] in want}, want)
        self.assertEqual(app.exit(), 0)

    def test_a_drop_from_another_process_lists_its_formats_and_leaves_it_its_data(self):
        app, wid, (x, y, w, h) = self.start()
        sx = x + w + 20 if x + w + 120 < 1280 else x - 100  # beside the window, on the screen
        source = Peer(self, "drag", sx, y + 40)
        wait_for("the drag source", lambda: shown("^E2E Drag Source$"))
        xdotool("mousemove", sx + 40, y + 80, "mousedown", 1)
        source.said("pressed")
        xdotool("mousemove", x + w // 3, y + 90, "mousemove", x + w // 3 + 5, y + 95)  # onto the list
        source.said("over")
        xdotool("mouseup", 1)
        # Dropped and answered with no effect: a move would have had the source delete its data.
        self.assertEqual(source.said("dropped"), "dropped hr=0x00040100 effect=0")
        self.assertEqual(rows(), ("Clipnook [Dropped Object]", [offered_row(*o) for o in source.offers]))
        self.assertEqual(app.exit(), 0)


if __name__ == "__main__":
    main()
