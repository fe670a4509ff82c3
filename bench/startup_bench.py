#!/usr/bin/env python3
"""Start-up time of clipnook.exe under Wine against a minimal Win32 window program.

Run inside one Wine session, so every start shares the same wineserver:

    scripts/wine-run.sh --env python3 bench/startup_bench.py BUILD_DIR [runs]

BUILD_DIR is a win64 build with the targets clipnook and minimal_window built.
Each program is started `runs` times (after one untimed warm-up start) and
measured the same way from outside:

  shown  - wall time from the start until its top-level window is visible on
           the X display (polled with xdotool every few milliseconds);
  closed - wall time from the start until the process has ended after Ctrl+Q
           was sent to that window as soon as it was seen.

The minimal program also runs once more per round in its self-closing mode
(it posts WM_CLOSE to itself when idle after its first paint): start to exit
with no outside help, the least a window program under Wine can cost.
Prints medians, minimums and "RESULT" lines for bench/run_all.sh.
"""
import os
import statistics
import subprocess
import sys
import time

POLL = 0.005


def wine():
    return os.environ.get("WINE") or "wine"


def visible_windows(title_regex):
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title_regex],
                         capture_output=True, text=True, timeout=10).stdout
    return [int(w) for w in out.split()]


def send_ctrl_q(window):
    # No window manager runs on Xvfb: focus the window and send the keys to it.
    subprocess.run(["xdotool", "windowfocus", str(window)], capture_output=True, timeout=10)
    subprocess.run(["xdotool", "key", "--clearmodifiers", "--window", str(window), "ctrl+q"],
                   capture_output=True, timeout=10)


def start(args):
    return subprocess.Popen([wine()] + args, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def stop(proc):
    if proc.poll() is None:
        proc.kill()
        proc.wait(timeout=10)


def shown_and_closed(args, title_regex, timeout=30.0):
    """(seconds until the window is visible, seconds until the process ended)."""
    t0 = time.monotonic()
    proc = start(args)
    window = None
    while window is None:
        if proc.poll() is not None:
            raise RuntimeError("%s ended (exit code %s) before showing a window" % (args[0], proc.returncode))
        if time.monotonic() - t0 > timeout:
            stop(proc)
            raise RuntimeError("%s showed no window matching %r" % (args[0], title_regex))
        found = visible_windows(title_regex)
        if found:
            window = found[0]
        else:
            time.sleep(POLL)
    shown = time.monotonic() - t0
    deadline = time.monotonic() + timeout
    next_key = 0.0
    while proc.poll() is None:
        # Resend every 0.15 s: a key sent in the very first moments after the
        # window appears is sometimes lost (seen with both programs).
        if time.monotonic() >= next_key:
            send_ctrl_q(window)
            next_key = time.monotonic() + 0.15
        if time.monotonic() > deadline:
            stop(proc)
            raise RuntimeError("%s did not end after Ctrl+Q" % args[0])
        time.sleep(POLL)
    closed = time.monotonic() - t0
    if proc.returncode != 0:
        raise RuntimeError("%s ended with exit code %s" % (args[0], proc.returncode))
    return shown, closed


def self_closing(args, timeout=30.0):
    t0 = time.monotonic()
    proc = start(args)
    try:
        proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        stop(proc)
        raise RuntimeError("%s did not close itself" % args[0])
    return time.monotonic() - t0


def describe(values):
    return "median %6.0f ms, min %6.0f ms, max %6.0f ms" % (
        statistics.median(values) * 1e3, min(values) * 1e3, max(values) * 1e3)


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    build = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    clipnook = os.path.join(build, "clipnook.exe")
    minimal = os.path.join(build, "bench", "minimal_window.exe")
    for exe in (clipnook, minimal):
        if not os.path.exists(exe):
            print("missing %s" % exe, file=sys.stderr)
            return 1
    if not os.environ.get("DISPLAY"):
        print("no DISPLAY: run through scripts/wine-run.sh --env", file=sys.stderr)
        return 1

    # No .log/.con marker next to the measured exe: start-up without the log.
    for ext in (".log", ".con"):
        if os.path.exists(os.path.splitext(clipnook)[0] + ext):
            print("note: %s marker present, the log is on" % ext, file=sys.stderr)

    clip_args = [clipnook]
    mini_args = [minimal, "--stay"]
    # Warm-up: the first start of each loads its DLLs into the page cache.
    shown_and_closed(clip_args, "^Clipnook")
    shown_and_closed(mini_args, "^Minimal window$")
    self_closing([minimal])

    results = {"clip_shown": [], "clip_closed": [], "mini_shown": [], "mini_closed": [], "mini_self": []}
    for _ in range(runs):
        # Interleaved, so a burst of load elsewhere on the machine hits both.
        s, c = shown_and_closed(clip_args, "^Clipnook")
        results["clip_shown"].append(s)
        results["clip_closed"].append(c)
        s, c = shown_and_closed(mini_args, "^Minimal window$")
        results["mini_shown"].append(s)
        results["mini_closed"].append(c)
        results["mini_self"].append(self_closing([minimal]))

    print("%d starts each, interleaved, one wineserver" % runs)
    print("clipnook.exe   to window shown:        %s" % describe(results["clip_shown"]))
    print("minimal window to window shown:        %s" % describe(results["mini_shown"]))
    print("clipnook.exe   start to exit (Ctrl+Q): %s" % describe(results["clip_closed"]))
    print("minimal window start to exit (Ctrl+Q): %s" % describe(results["mini_closed"]))
    print("minimal window start to exit (self):   %s" % describe(results["mini_self"]))
    med = {k: statistics.median(v) for k, v in results.items()}
    print("RESULT\tstart-up, clipnook.exe vs minimal window: to window shown (median of %d)\t"
          "%.0f ms vs %.0f ms\t%.2f\tboth measured from outside alike" % (runs, med["clip_shown"] * 1e3, med["mini_shown"] * 1e3,
                                          med["clip_shown"] / med["mini_shown"]))
    print("RESULT\tstart-up, clipnook.exe vs minimal window: start, Ctrl+Q, exit (median of %d)\t"
          "%.0f ms vs %.0f ms\t%.2f\tincludes the Ctrl+Q round trip on both sides" % (runs, med["clip_closed"] * 1e3, med["mini_closed"] * 1e3,
                                          med["clip_closed"] / med["mini_closed"]))
    print("RESULT\tstart-up, clipnook.exe shown vs minimal window closing itself (median of %d)\t"
          "%.0f ms vs %.0f ms\t%.2f\tthe yardstick includes its own exit" % (runs, med["clip_shown"] * 1e3, med["mini_self"] * 1e3,
                                          med["clip_shown"] / med["mini_self"]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
