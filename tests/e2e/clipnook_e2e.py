"""Drives the real clipnook.exe under Wine from outside; e2e_peer plays every other
program. Every wait is for a condition (a window shown, a line said, a process gone);
its deadline only bounds it, and then it fails."""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

SOURCE = os.environ.get("CLIPNOOK_SOURCE") or os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
BUILD = os.path.abspath(os.environ.get("CLIPNOOK_BUILD") or os.path.join(SOURCE, "build", "win64"))
WINE = os.environ.get("WINE") or shutil.which("wine64") or "wine"
IDM_EXIT, IDM_SHELL_ADD, IDM_SHELL_REMOVE = 2000, 2019, 2020
IDCANCEL, IDM_OPEN_CLIPBOARD, IDM_EMPTY_CLIPBOARD, IDM_NEW, IDM_ADD_ASCII_TABLE = 2, 2002, 2003, 2004, 2011


def win_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wait_for(what, condition, timeout=30):
    deadline = time.monotonic() + timeout
    while not (value := condition()):
        assert time.monotonic() < deadline, "waited %s s for %s" % (timeout, what)
        time.sleep(0.05)
    return value


def xdotool(*args):
    return subprocess.run(["xdotool"] + [str(a) for a in args], capture_output=True, text=True, timeout=30).stdout


def shown(title_regex):
    """The X windows shown whose title matches."""
    return [int(w) for w in xdotool("search", "--onlyvisible", "--name", title_regex).split()]


def focused(window):
    """Waits until X says the window has the keyboard (a key sent before may go elsewhere)."""
    wait_for("the keyboard focus on %s" % window, lambda: xdotool("getwindowfocus").strip() == str(window))


def peer(*args, **popen):
    command = [WINE, os.path.join(BUILD, "e2e", "e2e_peer.exe")] + [str(a) for a in args]
    if popen:
        return subprocess.Popen(command, **popen)
    out = subprocess.run(command, capture_output=True, text=True, timeout=60)
    assert out.returncode == 0, "e2e_peer %s: exit %d" % (args, out.returncode)
    return [line.split("\t") for line in out.stdout.splitlines()]


def rows():
    """The main window's title and its rows: six cells and the bytes in hex."""
    lines = peer("rows")
    return lines[0][1], [line[1:] for line in lines[1:]]


class Peer:
    """A peer that stays (clipboard owner, drag source) until it ends or the test does."""

    def __init__(self, test, *args):
        self.out = tempfile.NamedTemporaryFile("w")  # read through a file of its own, not this one
        self.proc = peer(*args, stdout=self.out)
        test.addCleanup(lambda: (self.proc.kill(), self.proc.wait(), self.out.close()))
        self.said("ready")
        self.offers = [line.split("\t")[1:] for line in self.lines() if line.startswith("offer\t")]

    def lines(self):
        with open(self.out.name) as f:
            return f.read().splitlines()

    def said(self, start):
        """The first line the peer said that begins with `start`, once it has said one."""
        return wait_for("the peer to say " + start, lambda: next((s for s in self.lines() if s.startswith(start)), 0))


class Program:
    """A copy of clipnook.exe in a folder of its own (or a subfolder), with marker files."""

    def __init__(self, test, folder="", markers=()):
        self.test, self.dir = test, tempfile.mkdtemp(prefix="clipnook-e2e-")
        test.addCleanup(shutil.rmtree, self.dir, True)
        os.makedirs(os.path.join(self.dir, folder), exist_ok=True)
        self.exe = shutil.copy2(os.path.join(BUILD, "clipnook.exe"), os.path.join(self.dir, folder))
        self.marker = self.exe[:-4]
        for ext, data in markers:
            self.write(self.marker + ext, data)

    def write(self, name, data):
        with open(os.path.join(self.dir, name), "wb") as f:
            f.write(data)
        return os.path.join(self.dir, name)

    def log(self):
        """What its log file holds so far (the marker ".log" turns it on)."""
        with open(self.marker + ".log", encoding="latin-1", newline="") as f:
            return f.read()

    def start(self, *args):
        """Starts it; answers its main window once shown."""
        self.proc = subprocess.Popen([WINE, self.exe, *args], cwd=os.path.dirname(self.exe),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.test.addCleanup(lambda: (self.proc.kill(), self.proc.wait()))
        return wait_for("the main window", lambda: shown("^Clipnook") if self.proc.poll() is None
                        else self.test.fail("the program ended with %s" % self.proc.returncode))[0]

    def exit(self):
        """The Exit command; answers the exit code once the process is gone."""
        peer("command", IDM_EXIT)
        return self.proc.wait(timeout=30)


def main():
    if not (os.environ.get("CLIPNOOK_WINE_SESSION") and os.environ.get("DISPLAY")):
        runner = os.path.join(SOURCE, "scripts", "wine-run.sh")
        os.execv(runner, [runner, "--env", sys.executable] + sys.argv)
    unittest.main(verbosity=2)
