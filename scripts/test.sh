#!/usr/bin/env bash
# Builds every preset and runs every test layer once: host unit tests (ASan/UBSan),
# the Wine tests and the end-to-end tests in one Wine session, and a short fuzzing
# pass. Nothing is retried: a test that fails once is a fault. Ends with
# "N passed, M failed"; each step says how long it took.
#
# Two cores go further when the Wine tests, which mostly wait for windows and
# processes, run beside the other builds: so win64 is built first, then its tests
# run while host, win32 and fuzz are built and tested.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
scripts/setup.sh || exit 1

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
start=$SECONDS
# step NAME CMD...: runs CMD with its output in $out/NAME; a failure marks NAME.
# The time line gives wall and CPU seconds (the CPU ones do not grow with the
# machine's load).
step() {
  local name=$1 began=$SECONDS TIMEFORMAT="%U %S"
  shift
  { time { "$@" >>"$out/$name" 2>&1 || { echo "!! failed: $*" >>"$out/$name"; touch "$out/$name.failed"; }; }; } \
    2>"$out/$name.cpu"
  echo "-- $name: $* ($((SECONDS - began)) s, CPU $(awk '{printf "%.0f", $1 + $2}' "$out/$name.cpu") s," \
       "at $((SECONDS - start)) s)" >>"$out/$name"
}
show() { for name in "$@"; do echo "== $name"; cat "$out/$name"; done; }

# A fresh checkout makes its Wine prefixes once (scripts/wine-run.sh): meanwhile win64 builds.
step prefix scripts/wine-run.sh --env true &
# and the second one, whose screen has 144 DPI, for the layout at 150 %.
step prefix env CLIPNOOK_WINE_DPI=144 scripts/wine-run.sh --env true &
configure=()
for preset in host win64 win32 fuzz; do
  step "configure.$preset" cmake --preset $preset &
  configure+=($!)
done
wait "${configure[@]}"
step win64 cmake --build build/win64
step win64 cmake --build build/win64 --target dist

wait  # the prefix
show configure.host configure.win64 configure.win32 configure.fuzz win64 prefix
step wine scripts/wine-run.sh --env ctest --test-dir build/win64 --output-on-failure &
wine=$!
step others cmake --build build/host
step others ctest --test-dir build/host --output-on-failure
step others cmake --build build/win32 --target clipnook dist
step others scripts/check-imports.sh build/win64/clipnook.exe build/win32/clipnook.exe
step others cmake --build build/fuzz

# Each fuzzer for a short while from its seeds, two at a time.
FUZZ_SECONDS=${FUZZ_SECONDS:-10}
fuzz() {
  local name=$1 work
  work=$(mktemp -d)
  cp -r "tests/fuzz/corpus/${name%_fuzz}"/. "$work"/
  if "build/fuzz/$name" -max_total_time="$FUZZ_SECONDS" -print_final_stats=0 "$work" >"$work.log" 2>&1; then
    echo "1 tests passed, 0 tests failed out of 1 ($name, ${FUZZ_SECONDS} s)"
  else
    tail -40 "$work.log"
    echo "0 tests passed, 1 tests failed out of 1 ($name)"
  fi
  rm -rf "$work" "$work.log"
}
pair=() began=$SECONDS
for f in build/fuzz/*_fuzz; do
  [ -x "$f" ] || continue
  fuzz "$(basename "$f")" >"$out/fuzz.$(basename "$f")" 2>&1 &
  pair+=($!)
  [ ${#pair[@]} -eq 2 ] && { wait "${pair[@]}"; pair=(); }
done
[ ${#pair[@]} -eq 0 ] || wait "${pair[@]}"
cat "$out"/fuzz.* >"$out/fuzz" 2>/dev/null
echo "-- fuzz: every target ${FUZZ_SECONDS} s, two at a time ($((SECONDS - began)) s, at $((SECONDS - start)) s)" >>"$out/fuzz"
show others fuzz
wait $wine
show wine

# Every layer reports "x tests passed, y tests failed out of z" (CTest's own words).
passed=0; failed=0
while read -r total bad; do
  failed=$((failed + bad)); passed=$((passed + total - bad))
done < <(cat "$out"/others "$out"/fuzz "$out"/wine |
         sed -n 's/.*tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\).*/\2 \1/p')
broken=$(ls "$out"/*.failed 2>/dev/null | wc -l)
[ "$broken" -ne 0 ] && [ "$failed" -eq 0 ] && failed=1
echo "total $((SECONDS - start)) s, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "$passed passed, $failed failed"
[ "$broken" -eq 0 ] && [ "$failed" -eq 0 ]
