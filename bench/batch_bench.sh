#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Measures brantlewick-cli over many small files against `cp -r` of the same tree: with one job (-j 1) and
# with its default of one job per processor, results into one folder (-o) and beside the inputs. Prints the
# median, best and worst wall times and the median processor time of each, and the load average before and
# after, which says whether other work shared the processors.
#
#   bench/batch_bench.sh [--files N] [--bytes B] [--runs R] [--dir FOLDER] [--build BUILD_DIR]
#
# The tree (default 10,000 files of 4 KiB cut from the licence texts, 500 to a folder) and every output go
# into one temporary folder, by default under /dev/shm so that nothing waits on the disk; --dir picks
# another parent. The commands take turns, run by run, so that a change in load touches them alike.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

files=10000
bytes=4096
runs=7
parent=/dev/shm
build="$root/build"
while [ $# -gt 0 ]; do
    case $1 in
    --files) files=$2; shift 2 ;;
    --bytes) bytes=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --dir) parent=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    *) echo "usage: $0 [--files N] [--bytes B] [--runs R] [--dir FOLDER] [--build BUILD_DIR]" >&2; exit 2 ;;
    esac
done
[ -d "$parent" ] && [ -w "$parent" ] || parent=${TMPDIR:-/tmp}
case $build in /*) ;; *) build="$PWD/$build" ;; esac # the runs happen in the work folder

cli="$build/bin/brantlewick-cli"
if [ ! -x "$cli" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build" --target brantlewick-cli -j 2
fi
buildType=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
[ "$buildType" = Release ] || echo "warning: $build is a $buildType build, not Release" >&2

work=$(mktemp -d "$parent/brantlewick-batch-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

# --- The tree: each file a different stretch of the licence texts.
cat /usr/share/common-licenses/* >block.txt
perl -e '
    my ($files, $bytes) = @ARGV;
    local $/; open my $in, "<", "block.txt" or die; my $text = <$in>;
    for my $i (0 .. $files - 1) {
        my $folder = sprintf "in/d%03d", int($i / 500);
        mkdir "in"; mkdir $folder;
        my $start = ($i * 977) % (length($text) - $bytes);
        open my $out, ">", sprintf("%s/f%05d.txt", $folder, $i) or die; print $out substr($text, $start, $bytes);
    }' "$files" "$bytes"

# --- The commands, each with what clears its outputs before a run (not timed).
names=("cp -r" "brantlewick-cli -j 1 -o DIR" "brantlewick-cli -o DIR" "brantlewick-cli -j 1 (beside)"
    "brantlewick-cli (beside)")
commands=("cp -r in copy" "$cli -q -j 1 -o out in" "$cli -q -o out in" "$cli -q -j 1 in" "$cli -q in")
Clear() {
    rm -rf copy out
    mkdir out
    find in -name '*-Pellnor*' -delete
}

TIMEFORMAT='%R %U %S'
for c in "${!commands[@]}"; do
    Clear
    ${commands[$c]} >/dev/null 2>&1 # warm the caches and the page allocator
    : >"times.$c"
done
loadBefore=$(cut -d' ' -f1-3 /proc/loadavg)
for ((r = 0; r < runs; ++r)); do
    for c in "${!commands[@]}"; do
        Clear
        { time ${commands[$c]} >/dev/null; } 2>>"times.$c"
    done
done
loadAfter=$(cut -d' ' -f1-3 /proc/loadavg)

Median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
echo "$files files of $bytes bytes, $((files / 500 + (files % 500 > 0))) folders, under $parent; $runs runs each;" \
    "$(nproc) processors"
echo "load average before: $loadBefore   after: $loadAfter"
printf '%-32s %9s %9s %9s %12s %8s\n' command "median s" "best s" "worst s" "cpu median s" "vs cp"
cpMedian=$(cut -d' ' -f1 times.0 | Median)
for c in "${!commands[@]}"; do
    median=$(cut -d' ' -f1 "times.$c" | Median)
    best=$(cut -d' ' -f1 "times.$c" | sort -n | head -1)
    worst=$(cut -d' ' -f1 "times.$c" | sort -n | tail -1)
    cpu=$(awk '{ print $2 + $3 }' "times.$c" | Median)
    printf '%-32s %9.3f %9.3f %9.3f %12.3f %7.2fx\n' "${names[$c]}" "$median" "$best" "$worst" "$cpu" \
        "$(awk "BEGIN { print $median / $cpMedian }")"
done
