"""Drives the real clipnook.exe under Wine from outside, for the end-to-end tests.

Every test works in a Sandbox: a temporary folder with its own copy of the
program, so marker files (clipnook.con, clipnook.log) can sit next to it
without touching the build tree.

    with Sandbox() as box:
        box.marker(".log")
        app = box.start(["a.txt"])        # or box.launch_exact('"x y" ""')
        app.wait_window()
        app.key("ctrl+q")
        assert app.wait() == 0
        text = box.read_log()

The Wine session ($WINE, $WINEPREFIX, $DISPLAY) comes from
`scripts/wine-run.sh --env`; `ensure_wine_session()` re-runs the calling
script inside one when it was started without. CTest sets CLIPNOOK_BUILD and
CLIPNOOK_SOURCE; standalone runs fall back to build/win64 of this checkout.
Only the standard library is used.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def source_dir():
    return os.environ.get("CLIPNOOK_SOURCE") or os.path.dirname(os.path.dirname(HERE))


def build_dir():
    path = os.environ.get("CLIPNOOK_BUILD") or os.path.join(source_dir(), "build", "win64")
    return os.path.abspath(path)


def program_path():
    return os.path.join(build_dir(), "clipnook.exe")


def helper_path(name):
    """A helper program of tests/e2e/*.cpp, built into <build>/e2e/."""
    return os.path.join(build_dir(), "e2e", name + ".exe")


def ensure_wine_session():
    """Re-executes the running script under scripts/wine-run.sh --env when needed."""
    if os.environ.get("CLIPNOOK_WINE_SESSION") and os.environ.get("DISPLAY"):
        return
    runner = os.path.join(source_dir(), "scripts", "wine-run.sh")
    os.execv(runner, [runner, "--env", sys.executable] + sys.argv)


def wine():
    return os.environ.get("WINE") or shutil.which("wine64") or shutil.which("wine") or "wine"


def win_path(unix_path):
    """The Windows name Wine gives a Unix path (drive Z: is the root)."""
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


def run(cmd, timeout=30, env=None):
    """Runs a command to completion; returns CompletedProcess with text output."""
    return subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                          timeout=timeout, env=env)


def wait_for(predicate, timeout, interval=0.05):
    """Polls predicate until it returns something true or the deadline passes."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            return value
        time.sleep(interval)


def find_windows(name_regex, visible=True):
    """X window ids whose title matches name_regex (xdotool's regular expressions)."""
    cmd = ["xdotool", "search"] + (["--onlyvisible"] if visible else []) + ["--name", name_regex]
    try:
        out = run(cmd, timeout=10).stdout
    except subprocess.TimeoutExpired:
        return []
    return [int(w) for w in out.split()]


def window_gone(wid):
    return run(["xdotool", "getwindowname", str(wid)], timeout=10).returncode != 0


class Instance:
    """One running program (started directly or through the launcher)."""

    def __init__(self, proc, title_regex="^Clipnook"):
        self.proc = proc
        self.title_regex = title_regex
        self.window = None

    def wait_window(self, timeout=30):
        """Waits until the main window is shown; returns its X window id."""
        def shown():
            if self.proc.poll() is not None:
                raise AssertionError("program ended (exit code %s) before showing its window"
                                     % self.proc.returncode)
            found = find_windows(self.title_regex)
            return found[0] if found else None
        self.window = wait_for(shown, timeout)
        if not self.window:
            raise AssertionError("no window matching %r within %ss" % (self.title_regex, timeout))
        return self.window

    def key(self, keys):
        """Sends a key chord (xdotool syntax, e.g. "ctrl+q") to the main window.

        Wine's windows are unmanaged here, so there is no window manager to
        activate them; the events are sent straight to the window instead."""
        if not self.window:
            self.wait_window()
        run(["xdotool", "windowfocus", str(self.window)], timeout=10)
        run(["xdotool", "key", "--clearmodifiers", "--window", str(self.window), keys], timeout=10)

    def wait(self, timeout=30):
        """Waits for the program to end; returns its exit code. Kills it on timeout."""
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.kill()
            raise AssertionError("program did not end within %ss" % timeout)

    def close(self, timeout=30):
        """Ctrl+Q (the Exit command) until the program ends; returns the exit code.

        Wine drops a key event now and then when it arrives right after the
        window was mapped, so the chord is repeated every two seconds. A
        repeat after the exit only finds the window gone."""
        deadline = time.monotonic() + timeout
        while True:
            self.key("ctrl+q")
            try:
                return self.proc.wait(timeout=2)
            except subprocess.TimeoutExpired:
                if time.monotonic() >= deadline:
                    self.kill()
                    raise AssertionError("program did not end on Ctrl+Q within %ss" % timeout)

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass

    def window_info(self):
        """{"client": (w, h), "ideal": hex dump ideal width} read inside Wine."""
        out = run([wine(), helper_path("e2e_window_info")], timeout=30).stdout.split()
        if len(out) < 5 or out[0] != "client":
            raise AssertionError("e2e_window_info said %r" % " ".join(out))
        return {"client": (int(out[1]), int(out[2])), "ideal": int(out[4])}


class Sandbox:
    """A temporary folder holding a copy of the program under a chosen name."""

    def __init__(self, name="clipnook.exe"):
        self.name = name
        self.dir = None
        self.instances = []

    def __enter__(self):
        self.dir = tempfile.mkdtemp(prefix="clipnook-e2e-")
        shutil.copy2(program_path(), self.exe)
        return self

    def __exit__(self, *exc):
        for inst in self.instances:
            inst.kill()
        # Read-only markers must be writable again before they can be removed.
        for root, dirs, files in os.walk(self.dir):
            for entry in dirs + files:
                path = os.path.join(root, entry)
                if os.path.islink(path):
                    continue  # a link may dangle; removing it needs no rights
                if shutil.which("chattr"):
                    subprocess.run(["chattr", "-i", path], stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
                os.chmod(path, 0o755 if os.path.isdir(path) else 0o644)
        shutil.rmtree(self.dir, ignore_errors=True)
        return False

    @property
    def exe(self):
        return os.path.join(self.dir, self.name)

    @property
    def base(self):
        """The program's path without its extension (marker files are named after it)."""
        stem, ext = os.path.splitext(self.exe)
        return stem if ext else self.exe

    def marker_path(self, ext):
        return self.base + ext

    def marker(self, ext, data=b""):
        path = self.marker_path(ext)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def read_log(self):
        """The log file as text, line ends kept (the program writes CR LF)."""
        with open(self.marker_path(".log"), "rb") as f:
            return f.read().decode("latin-1")

    def start(self, args=()):
        """Starts the program through Wine with ordinary arguments."""
        proc = subprocess.Popen([wine(), self.exe] + list(args), cwd=self.dir,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        inst = Instance(proc)
        self.instances.append(inst)
        return inst

    def launch_exact(self, tail, quote_program=True):
        """Starts the program with an exact Windows command line: the program's
        path, then `tail` verbatim (Wine would re-quote ordinary arguments)."""
        program = win_path(self.exe)
        line = ('"%s"' % program if quote_program else program) + tail
        env = dict(os.environ, CLIPNOOK_E2E_CMDLINE=line)
        proc = subprocess.Popen([wine(), helper_path("e2e_launch")], cwd=self.dir, env=env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        inst = Instance(proc)
        self.instances.append(inst)
        return inst


def log_lines(text):
    """Splits a log into lines on CR LF."""
    lines = text.split("\r\n")
    if lines and lines[-1] == "":
        lines.pop()
    return lines


def record_message(line):
    """The message part of a record ("<tick> <letter> <tag padded to 15> <message>"),
    or None when the line is not a record."""
    head, sep, rest = line.partition(" ")
    if not sep or not head.isdigit() or len(rest) < 18:
        return None
    return rest[18:]


def arg_lines(text):
    """{number: token} from the "arg[ %d] '%ls'" records of a log."""
    found = {}
    for line in log_lines(text):
        msg = record_message(line)
        if msg and msg.startswith("arg[ ") and "] '" in msg and msg.endswith("'"):
            number, _, token = msg[5:].partition("] '")
            found[int(number)] = token[:-1]
    return found


# ---- shared by the acceptance suite (and free for the other scripts) ----

def messages(text):
    """The message parts of a log's records, in order (plain lines left out)."""
    return [m for m in (record_message(line) for line in log_lines(text)) if m is not None]


def xdotool(*args):
    """Runs xdotool with the given arguments (numbers allowed)."""
    return run(["xdotool"] + [str(a) for a in args], timeout=10)


def window_title(wid):
    return run(["xdotool", "getwindowname", str(wid)], timeout=10).stdout.strip()


def read_clipboard(box):
    """The clipboard's CF_TEXT read by another process (e2e_source readclip), or None."""
    out = os.path.join(box.dir, "clip-read.txt")
    if os.path.exists(out):
        os.remove(out)
    rc = run([wine(), helper_path("e2e_source"), "readclip", win_path(out)], timeout=60).returncode
    if rc != 0 or not os.path.exists(out):
        return None
    with open(out, "rb") as f:
        return f.read().decode("latin-1")


def list_rows():
    """{"title": str, "count": int, "rows": [[6 cells]]} of the running main
    window, read by e2e_list_rows inside Wine; None when there is no window."""
    out = run([wine(), helper_path("e2e_list_rows")], timeout=30)
    if out.returncode != 0:
        return None
    info = {"title": None, "count": None, "rows": []}
    for line in out.stdout.replace("\r", "").split("\n"):
        parts = line.split("\t")
        if parts[0] == "title":
            info["title"] = parts[1] if len(parts) > 1 else ""
        elif parts[0] == "count":
            info["count"] = int(parts[1])
        elif parts[0] == "row":
            info["rows"].append((parts[1:] + [""] * 6)[:6])
    return info


def layout():
    """Screen places of the list and the hex dump (client areas, (x, y, w, h))
    and the hex dump header's height, read by e2e_source layout; None when the
    window is not there."""
    out = run([wine(), helper_path("e2e_source"), "layout"], timeout=30)
    if out.returncode != 0:
        return None
    info = {}
    for line in out.stdout.replace("\r", "").split("\n"):
        parts = line.split()
        if parts and parts[0] in ("list", "dump"):
            info[parts[0]] = tuple(int(v) for v in parts[1:5])
        elif parts and parts[0] == "header":
            info["header"] = int(parts[1])
    return info if "list" in info and "dump" in info and "header" in info else None


def dump_text(data, lo, hi, per_row=16, group=4):
    """The hex dump's dump text of data[lo:hi] with the default settings
    (hexadecimal offsets and bytes, all three fields, extended ASCII: only
    bytes below 0x20 become dots)."""
    lines = []
    width = per_row + 1 + 2 * per_row + (per_row - 1) // group
    p = lo
    while p < hi:
        chunk = data[p:min(p + per_row, hi)]
        dump = ""
        for i, b in enumerate(chunk):
            dump += "%02X " % b
            if (i + 1) % group == 0:
                dump += " "
        ascii_part = "".join(chr(b) if b >= 0x20 else "." for b in chunk)
        lines.append("%08X  " % p + dump.ljust(width) + ascii_part.ljust(per_row) + "\r\n")
        p += len(chunk)
    return "".join(lines)


SCREEN_W, SCREEN_H = 1280, 1024


def geometry(wid):
    """(x, y, width, height) of an X window."""
    out = run(["xdotool", "getwindowgeometry", "--shell", str(wid)], timeout=10).stdout
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])


def read_line(proc, timeout):
    """One line of a helper's standard output, or "" when none came in time."""
    import select
    ready, _, _ = select.select([proc.stdout], [], [], timeout)
    return proc.stdout.readline() if ready else ""


def drag_from_source(target, scenario, told_within=10):
    """Shows an e2e_source drag window beside the target window (x, y, w, h)
    and drags its data object onto the target's entry list. Returns what the
    source was told ("dropped hr=... effect=..."), or "" when no drop happened.
    A press Wine has not seen yet is repeated, up to three times."""
    x, y, w, h = target
    sx = x + w + 40 if x + w + 140 < SCREEN_W else max(0, x - 140)
    sy = min(y + 60, SCREEN_H - 100)
    source = subprocess.Popen([wine(), helper_path("e2e_source"), "drag", scenario, str(sx), str(sy)],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    try:
        if read_line(source, 30).strip() != "ready":
            raise AssertionError("the drag source did not come up")
        time.sleep(0.8)
        tx, ty = x + w // 3, y + 80  # over the entry list
        told = ""
        for _ in range(3):
            xdotool("mousemove", sx + 40, sy + 40)
            time.sleep(0.3)
            xdotool("mousedown", 1)
            time.sleep(0.4)
            for i in range(1, 11):
                xdotool("mousemove", sx + 40 + (tx - sx - 40) * i // 10, sy + 40 + (ty - sy - 40) * i // 10)
                time.sleep(0.08)
            time.sleep(0.3)
            xdotool("mouseup", 1)
            told = read_line(source, told_within).strip()
            if told:
                break
        source.wait(timeout=60)
        return told
    finally:
        if source.poll() is None:
            source.kill()
            source.wait(timeout=10)
        source.stdout.close()
