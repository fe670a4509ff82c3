#!/usr/bin/env bash
# Runs a Windows program (or, with --env, any command) under Wine on an X display.
#
#   wine-run.sh prog.exe [args...]     run one program, return its exit code
#   wine-run.sh --env cmd [args...]    run cmd with DISPLAY/WINEPREFIX/WINE set up,
#                                      so every Wine start inside it is fast
#
# Starts Xvfb on a free display when there is no $DISPLAY, creates the private
# prefix build/wineprefix once, keeps one wineserver alive for the whole run and
# cleans up what it started. Inside an --env session nested calls only exec Wine.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")

WINE_BIN=${WINE_BIN:-$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)}
WINESERVER_BIN=${WINESERVER_BIN:-$(command -v wineserver || echo /usr/lib/wine/wineserver)}
export WINE="$WINE_BIN" WINESERVER="$WINESERVER_BIN"
export WINEDEBUG=${WINEDEBUG:--all}
# CLIPNOOK_WINE_DPI=144 picks a second prefix whose screen has that density.
dpi=${CLIPNOOK_WINE_DPI:-}
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix${dpi:+-$dpi}}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml,winemenubuilder.exe="}

if [ -n "${CLIPNOOK_WINE_SESSION:-}" ]; then
  [ "${1:-}" = "--env" ] && { shift; exec "$@"; }
  exec "$WINE_BIN" "$@"
fi

started_xvfb=""
cleanup() {
  "$WINESERVER_BIN" -k >/dev/null 2>&1 || true
  "$WINESERVER_BIN" -w >/dev/null 2>&1 || true
  [ -n "$started_xvfb" ] && kill "$started_xvfb" 2>/dev/null && wait "$started_xvfb" 2>/dev/null
  return 0
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 91 150); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
      started_xvfb=$pid
      export DISPLAY=":$n"
      break
    fi
  done
  [ -n "$started_xvfb" ] || { echo "wine-run: no free X display" >&2; exit 1; }
fi

# The prefix is made once; a lock keeps two first runs from racing.
mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ ! -f "$WINEPREFIX/.clipnook-ready-2" ]; then
    rm -rf "$WINEPREFIX"
    "$WINE_BIN" wineboot -i >/dev/null 2>&1
    # No window manager runs on Xvfb: unmanaged windows spare each hide or
    # destroy a two-second wait for a manager that never answers.
    "$WINE_BIN" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # A fresh prefix has no Courier New. The dump then takes a fixed-pitch
    # stand-in of its own; mapping the face to the system's monospace font only
    # makes it look nicer (and keeps screenshots alike across machines).
    "$WINE_BIN" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' /d 'DejaVu Sans Mono' /f >/dev/null 2>&1
    [ -n "$dpi" ] && "$WINE_BIN" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    "$WINESERVER_BIN" -w
    touch "$WINEPREFIX/.clipnook-ready-2"
  fi
) 9>"$WINEPREFIX.lock"

"$WINESERVER_BIN" -p >/dev/null 2>&1
# Start Wine's own service processes now, detached from our output: started by
# the first test instead, they would inherit its pipes and keep them open.
"$WINE_BIN" cmd /c exit </dev/null >/dev/null 2>&1
export CLIPNOOK_WINE_SESSION=1

if [ "${1:-}" = "--env" ]; then
  shift
  "$@"
else
  "$WINE_BIN" "$@"
fi
rc=$?
exit $rc
