#!/usr/bin/env bash
# Builds what the benchmarks need and runs every one of them, then prints one
# table (Markdown) of ratios: each figure was measured against its reference
# in the same run, and each row carries the command that reproduces it.
#
#   bench/run_all.sh                      build dirs build/bench-host, build/bench-win64
#   BENCH_BUILD=build/me bench/run_all.sh build dirs build/me-host, build/me-win64
#
# Other knobs: BENCH_MIB (host input size, default 64), BENCH_STARTS (start-up
# runs, default 15), BENCH_NICE (niceness of builds and runs, default 10: the
# machine is shared; both sides of every ratio run under the same niceness).
# Raw outputs are kept in <BENCH_BUILD>-results/.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
cd "$root"

base=${BENCH_BUILD:-build/bench}
host=$base-host
win=$base-win64
prefix=$root/$base-prefix
results=$base-results
mib=${BENCH_MIB:-64}
starts=${BENCH_STARTS:-15}
nice_n=${BENCH_NICE:-10}
run() { nice -n "$nice_n" "$@"; }
mkdir -p "$results"
rm -f "$results"/*.txt

load_before=$(cut -d" " -f1-3 /proc/loadavg)
echo "== building (host: $host, Windows: $win)" >&2
host_benches=()
for f in bench/*_bench.cpp; do host_benches+=("$(basename "$f" .cpp)"); done
win_benches=()
for f in bench/win/*_bench.cpp; do win_benches+=("$(basename "$f" .cpp)"); done
[ -f "$host/CMakeCache.txt" ] || run cmake --preset host -B "$host" >&2
run cmake --build "$host" -j2 --target "${host_benches[@]}" >&2
[ -f "$win/CMakeCache.txt" ] || run cmake --preset win64 -B "$win" >&2
run cmake --build "$win" -j2 --target clipnook minimal_window "${win_benches[@]}" >&2

for b in "${host_benches[@]}"; do
  echo "== $b $mib" >&2
  printf '%s\n' "#cmd $host/$b $mib" > "$results/host_$b.txt"
  run "$host/$b" "$mib" | tee -a "$results/host_$b.txt" >&2
done

# One Wine session (one Xvfb, one wineserver) for every Windows-side benchmark.
echo "== Windows benchmarks under Wine (prefix $prefix)" >&2
export WINEPREFIX="$prefix" BENCH_PREFIX_SHOWN="\$PWD/$base-prefix" BENCH_WIN="$win" BENCH_RESULTS="$results" BENCH_STARTS="$starts" BENCH_NICE="$nice_n"
export BENCH_WIN_BENCHES="${win_benches[*]}"
scripts/wine-run.sh --env bash -c '
  set -euo pipefail
  for b in $BENCH_WIN_BENCHES; do
    echo "== $b" >&2
    printf "%s\n" "#cmd WINEPREFIX=$BENCH_PREFIX_SHOWN scripts/wine-run.sh $BENCH_WIN/bench/$b.exe" > "$BENCH_RESULTS/win_$b.txt"
    nice -n "$BENCH_NICE" "$WINE" "$BENCH_WIN/bench/$b.exe" | tr -d "\r" | tee -a "$BENCH_RESULTS/win_$b.txt" >&2
  done
  echo "== startup_bench" >&2
  printf "%s\n" "#cmd WINEPREFIX=$BENCH_PREFIX_SHOWN scripts/wine-run.sh --env python3 bench/startup_bench.py $BENCH_WIN $BENCH_STARTS" > "$BENCH_RESULTS/win_startup.txt"
  nice -n "$BENCH_NICE" python3 bench/startup_bench.py "$BENCH_WIN" "$BENCH_STARTS" | tee -a "$BENCH_RESULTS/win_startup.txt" >&2
'

echo "Machine: $(nproc) CPUs ($(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')), $(uname -sr)," \
     "$("${WINE_BIN:-$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)}" --version 2>/dev/null);" \
     "load average before: $load_before, after: $(cut -d" " -f1-3 /proc/loadavg)"
echo
python3 - "$results" <<'EOF'
# Collects every result file into one table. The host benchmarks print their
# speed against xxd ("N.NNx xxd", xxd's time over ours); it is turned into a
# time ratio like every other row: our time over the reference's, lower is better.
import glob, os, re, sys

rows = []
# Same order as the report: text output, paint, copies, start-up.
order = ["host_dumptext", "host_array", "win_paint", "win_copy", "win_startup"]
def rank(path):
    name = os.path.basename(path)
    for i, prefix in enumerate(order):
        if name.startswith(prefix):
            return (i, name)
    return (len(order), name)
for path in sorted(glob.glob(os.path.join(sys.argv[1], "*.txt")), key=rank):
    lines = open(path).read().splitlines()
    cmd = lines[0][5:] if lines and lines[0].startswith("#cmd ") else "?"
    for line in lines[1:]:
        if line.startswith("RESULT\t"):
            fields = line.split("\t") + [""]
            rows.append((fields[1], fields[2], fields[3], fields[4], cmd))
            continue
        m = re.match(r"^(\S.*?)\s{2,}([\d.]+ MB/s of input).*?([\d.]+)x (xxd(?: -i)?)\b", line)
        if m:
            name, speed, speedup, ref = m.groups()
            ratio = 1.0 / float(speedup) if float(speedup) else float("inf")
            rows.append(("%s vs `%s`" % (name, ref), speed, "%.2f" % ratio, "%.2fx `%s`'s speed" % (float(speedup), ref), cmd))
            continue
        m = re.match(r"^(xxd(?: -i)?)\s+([\d.]+ MB/s of input)", line)
        if m:
            rows.append(("`%s` itself (reference)" % m.group(1), m.group(2), "1.00", "reference", cmd))

print("| Figure | Measured | Time ratio (ours / reference) | Note | Command |")
print("|---|---|---:|---|---|")
for figure, measured, ratio, note, cmd in rows:
    print("| %s | %s | %s | %s | `%s` |" % (figure, measured, ratio, note, cmd))
EOF
