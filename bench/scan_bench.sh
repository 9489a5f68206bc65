#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times collecting a tree of 50,000 files in 2,000 folders against `find DIR -type f` over the same tree.
#   bench/scan_bench.sh [BUILD_DIR] [FOLDERS] [FILES]
# Both are timed as whole processes, warm cache, best of several runs; the target is a ratio of at most 3.
# Then "Add All File(s) In Folder" runs in the real window (offscreen) on the same tree: the add, from the
# folder's choice until the list shows the entries, less the time the list alone needs to take and show
# them, is held against the same target. The whole click also saves two settings to disk before that.
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

window="$build/bin/add_folder_bench"
if [ ! -x "$window" ]; then
    echo "add_folder_bench not built: the window's add is not measured"
    exit 0
fi
declare -A add
while read -r key value; do add[$key]=$value; done < <("$window" "$tree" "$runs" 2> /dev/null)
echo "Add All File(s) In Folder, in the window (best of $runs):"
echo "  entries ${add[entries]}, yields to the window ${add[yields]}, longest stretch without one ${add[longest_gap_ms]} ms"
echo "  whole click ${add[click_ms]} ms + showing ${add[show_ms]} ms (two settings saved to disk included)"
echo "  from the folder's choice to the shown list: ${add[add_ms]} ms; the scan alone ${add[scan_ms]} ms"
echo "  list alone (append and show): ${add[list_ms]} ms in one insertion, ${add[list_one_by_one_ms]} ms one by one"
awk -v c="${add[click_ms]}" -v s="${add[show_ms]}" -v a="${add[add_ms]}" -v l="${add[list_ms]}" -v fw="$find_wall" 'BEGIN {
    printf "ratio (add - list)/find:         %.2f (target at most 3)\n", (a - l) / fw
    printf "ratio (whole click - list)/find: %.2f\n", (c + s - l) / fw }'
