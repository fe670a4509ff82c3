#!/usr/bin/env bash
# Builds clipnook.exe and starts it under Wine (on Xvfb when there is no $DISPLAY).
# Extra arguments go to the program.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
scripts/setup.sh
[ -f build/win64/build.ninja ] || cmake --preset win64 >/dev/null
cmake --build build/win64 --target clipnook
exec scripts/wine-run.sh build/win64/clipnook.exe "$@"
