#!/usr/bin/env bash
# Times collecting a tree of 50,000 files in 2,000 folders against `find DIR -type f` over the same tree.
#   bench/scan_bench.sh [BUILD_DIR] [FOLDERS] [FILES]
# Both are timed as whole processes, warm cache, best of several runs; the target is a ratio of at most 3.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
folders=${2:-2000}
files=${3:-50000}
runs=${BRANTLEWICK_BENCH_RUNS:-7}
bench="$build/bin/scan_bench"
[ -x "$bench" ] || { echo "scan_bench not built in $build (BRANTLEWICK_BUILD_BENCH=ON)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree="$work/tree"
"$bench" make "$tree" "$folders" "$files"

# Runs "$@" $runs times, output discarded; prints the best wall time and the best CPU time (user plus
# system) in milliseconds. CPU time is the steadier figure on a busy machine.
best_ms() {
    local TIMEFORMAT='%R %U %S'
    for _ in $(seq "$runs"); do
        { time "$@" > /dev/null; } 2>&1
    done | awk 'NR == 1 || $1 < wall { wall = $1 } NR == 1 || $2 + $3 < cpu { cpu = $2 + $3 }
                END { printf "%.0f %.0f\n", wall * 1000, cpu * 1000 }'
}

find "$tree" -type f > /dev/null # warm the cache
found=$(find "$tree" -type f | wc -l)
collected=$("$bench" collect "$tree")
echo "find -type f:        $found files"
echo "CollectFolderFiles:  $collected"

read -r find_wall find_cpu < <(best_ms find "$tree" -type f)
read -r scan_wall scan_cpu < <(best_ms "$bench" collect "$tree")
echo "find DIR -type f:    wall $find_wall ms, cpu $find_cpu ms (best of $runs)"
echo "scan_bench collect:  wall $scan_wall ms, cpu $scan_cpu ms (best of $runs, whole process)"
awk -v fw="$find_wall" -v sw="$scan_wall" -v fc="$find_cpu" -v sc="$scan_cpu" 'BEGIN {
    printf "ratio scan/find:     wall %.2f, cpu %.2f (target at most 3)\n", sw / fw, sc / (fc > 0 ? fc : 1) }'
