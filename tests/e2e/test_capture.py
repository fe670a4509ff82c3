"""Data of other programs reaching the real program: the clipboard another
program filled, read with F5, and real OLE drags from and to another process."""

import os
import re
import subprocess
import unittest

from clipnook_e2e import (IDCANCEL, IDM_ADD_ASCII_TABLE, IDM_EMPTY_CLIPBOARD, IDM_NEW, IDM_OPEN_CLIPBOARD, WINE, Peer,
                          Program, focused, main, peer, rows, shown, wait_for, win_path, xdotool)


def offered_row(name, data_hex, media="HGLOBAL"):
    return [name, "All", "CONTENT", "-1", media, str(len(data_hex) // 2), data_hex]


def place(window):
    """X, Y, width and height of the window on the screen."""
    got = dict(v.split("=") for v in xdotool("getwindowgeometry", "--shell", window).split())
    return [int(got[k]) for k in ("X", "Y", "WIDTH", "HEIGHT")]


class Capture(unittest.TestCase):
    def start(self):
        """The program with a file entry (nothing captured at start) and its place on the screen."""
        app = Program(self)
        wid = app.start(win_path(app.write("first.bin", b"first")))
        return app, wid, place(wid)

    def test_f5_lists_the_clipboard_another_program_filled(self):
        app, wid, (x, y, w, h) = self.start()
        owner = Peer(self, "own")
        # A click gives the window the keyboard.
        xdotool("mousemove", x + w // 2, y + h - 30, "click", 1)
        focused(wid)
        xdotool("key", "F5")
        # Wine's clipboard object offers a stream as well, and CF_DIB with no medium
        # at all: its row says so (the drop shows a DIB's bytes).
        want = {name: offered_row(name, data, "HGLOBAL+ISTREAM (HGLOBAL)") for name, data in owner.offers}
        want["CF_DIB"] = ["CF_DIB", "All", "CONTENT", "-1", "", "", ""]
        # The rows come first, their bytes as the worker reads them.
        answered = lambda r: r[0] == "Clipnook [Clipboard]" and all(
            row[5] for row in r[1] if row[0] in want and row[0] != "CF_DIB") and len(r[1]) >= len(want) and r
        title, got = wait_for("the clipboard's bytes", lambda: answered(rows()))
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

    def test_watching_reads_every_change_another_program_makes_and_none_of_its_own(self):
        app = Program(self, markers=[(".log", b"")])
        app.start("/watch", win_path(app.write("first.bin", b"first")))
        captures = lambda: re.findall(r"Capture: (\d+) formats, \d+ bytes, \d+ ms, source clipboard (\S+)", app.log())
        peer("command", IDM_EMPTY_CLIPBOARD)  # its own change: not read
        for n in range(1, 4):
            Peer(self, "own")
            wait_for("capture %d" % n, lambda: len(captures()) >= n)
        self.assertEqual([program for _, program in captures()], ["e2e_peer.exe"] * 3)
        self.assertEqual(rows()[0], "Clipnook [Clipboard]")
        self.assertEqual(app.exit(), 0)

    def test_an_owner_that_does_not_answer_never_holds_the_window(self):
        for press in (None, IDCANCEL, IDM_OPEN_CLIPBOARD):
            with self.subTest(press=press):
                owner = Peer(self, "hang")
                app = Program(self)
                app.start()  # reads the clipboard once shown
                owner.said("sleeping")  # the window is up while the owner sleeps in GetData
                mine = owner.offers[1][0]
                if press:
                    peer("command", press)  # Esc or F5: what was read stays
                mark = "(not read)" if press else "(no answer)"
                got = wait_for("the mark", lambda: (r := rows()[1]) and any(row[5] == mark for row in r) and r)
                names = [row[0] for row in got]
                self.assertEqual(got[names.index("CF_TEXT")][5], str(len(owner.offers[0][1]) // 2))
                self.assertEqual(got[names.index(mine)][5], mark)
                self.assertTrue(all(row[5] == "(not read)" for row in got[names.index(mine) + 1:]), got)
                peer("command", IDM_NEW)
                peer("command", IDM_ADD_ASCII_TABLE)
                self.assertEqual([row[0] for row in rows()[1]], ["ASCII Table"])  # no late row mixed in
                self.assertEqual(app.exit(), 0)

    def test_a_snapshot_saved_restored_opened_and_dragged_out_gives_another_program_the_same_bytes(self):
        owner, app = Peer(self, "own"), Program(self, markers=[(".log", b"")])
        before, snapshot = peer("read"), win_path(os.path.join(app.dir, "clip.clipnook"))
        run = lambda *args: subprocess.run([WINE, app.exe, *args], capture_output=True, text=True, timeout=60)
        self.assertEqual(run("/save", snapshot).returncode, 0)
        owner.proc.kill(), owner.proc.wait(), peer("clear")
        self.assertEqual(peer("read"), [])
        self.assertEqual(run("/restore", snapshot).returncode, 0)
        self.assertEqual(peer("read"), before)  # once the restoring process is gone
        self.assertTrue(all(["format", {"CF_TEXT": "#1", "CF_DIB": "#8"}.get(n, n), d] in before for n, d in owner.offers))
        failed = run("/restore", win_path(app.write("plain.bin", b"plain")))
        self.assertEqual((failed.returncode, "is not a snapshot" in failed.stderr), (2, True), failed.stderr)
        wid = app.start(snapshot)  # named on the command line it opens as the list it was
        self.assertEqual(rows()[0], "Clipnook [Snapshot clip.clipnook]")
        opened = rows()
        self.assertEqual({r[0]: r[6] for r in opened[1] if r[0] in dict(owner.offers)}, dict(owner.offers))
        x, y, w, _ = place(wid)
        peer("command", IDM_NEW)  # and chosen with Ctrl+O as the same list
        self.assertEqual(rows()[1], [])
        xdotool("mousemove", x + w // 2, y + 150, "click", 1)
        focused(wid)
        xdotool("key", "ctrl+o")
        box = wait_for("the open dialog", lambda: shown("^New List from File$"))[0]
        focused(box)
        xdotool("type", snapshot), xdotool("key", "Return")
        self.assertEqual(wait_for("the list", lambda: (r := rows())[0].startswith("Clipnook [Snapshot") and r), opened)
        # Its first row, pressed and pulled out onto another program, hands over every entry.
        target = Peer(self, "target", x + w + 20, y + 40)
        wait_for("the drop target", lambda: shown("^E2E Drop Target$"))
        xdotool("mousemove", x + 60, y + 68, "mousedown", 1, "mousemove", x + 80, y + 90)  # below the list's header
        wait_for("the drag over its own list", lambda: "DragEnter: end dropeffect=0" in app.log())
        xdotool("mousemove", x + w + 50, y + 70, "mousemove", x + w + 55, y + 75)
        target.said("entered")
        xdotool("mouseup", 1)
        target.said("dropped")
        self.assertEqual([line.split("\t") for line in target.lines() if line.startswith("format\t")], before)
        self.assertEqual(app.exit(), 0)


if __name__ == "__main__":
    main()
