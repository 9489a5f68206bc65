#!/usr/bin/env bash
# Measures brantlewick-cli on a large prose corpus beside cat (the copy limit), an exact perl equivalent and
# GNU sed: best-of-N wall times, peak memory and ratios, and a byte comparison of engine and perl outputs.
#
#   bench/engine_bench.sh [--runs N] [--size MiB] [--dir FOLDER] [--build BUILD_DIR]
#
# The corpus and every output go into one temporary folder (default: one under /dev/shm, so that no tool
# waits on disk write-back; --dir picks another parent). The Release build in BUILD_DIR (default: build)
# is configured and brantlewick-cli built when it is missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

runs=5
sizeMiB=256
parent=/dev/shm
build="$root/build"
while [ $# -gt 0 ]; do
    case $1 in
    --runs) runs=$2; shift 2 ;;
    --size) sizeMiB=$2; shift 2 ;;
    --dir) parent=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    *) echo "usage: $0 [--runs N] [--size MiB] [--dir FOLDER] [--build BUILD_DIR]" >&2; exit 2 ;;
    esac
done
[ -d "$parent" ] && [ -w "$parent" ] || parent=${TMPDIR:-/tmp}

cli="$build/bin/brantlewick-cli"
if [ ! -x "$cli" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build" --target brantlewick-cli -j 2
fi
buildType=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
[ "$buildType" = Release ] || echo "warning: $build is a $buildType build, not Release" >&2

work=$(mktemp -d "$parent/brantlewick-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
export LC_ALL=C # byte semantics for perl and sed, like the engine's

# Arithmetic on decimals (awk is on every Debian system; bc is not).
Calc() { awk "BEGIN { x = $1; print x }"; }

# --- Corpus: the licence texts, repeated until the size is reached.
corpus="$work/corpus.txt"
licences=(/usr/share/common-licenses/*)
cat "${licences[@]}" >"$work/block.txt"
: >"$corpus"
target=$((sizeMiB * 1024 * 1024))
while [ "$(stat -c %s "$corpus")" -lt "$target" ]; do
    cat "$work/block.txt" "$work/block.txt" "$work/block.txt" "$work/block.txt" >>"$corpus"
done
corpusBytes=$(stat -c %s "$corpus")

# --- The perl equivalent: every CR LF, LF or lone CR ends a line; each line is rewritten entry by entry
# (one space after the entry dropped, then the breaks appended, case ignored, the entry's own spelling
# written) and the lines are joined without separators. An empty line gives nothing, so splitting each
# LF-ended record on all three terminators is exact even where a CR and its LF would be split apart.
perlScript='
    my $breaks = "\r\n" x $ENV{BENCH_ENTERS};
    # Patterns compiled once, not once per line.
    my @rules = map { [qr/\Q$_\E /i, qr/\Q$_\E/i, $_, $_ . $breaks] } split /\x1f/, $ENV{BENCH_ENTRIES};
    binmode STDIN; binmode STDOUT;
    while (my $record = <STDIN>) {
        for my $line (split /\r\n|\n|\r/, $record) {
            for my $rule (@rules) {
                my ($spaced, $entry, $plain, $broken) = @$rule;
                $line =~ s/$spaced/$plain/g;
                $line =~ s/$entry/$broken/g;
            }
            print $line;
        }
    }'

# --- Tools, each run as one command with its output in $work.
# Every command reads the corpus and writes $work/out.<name>; "engine" writes through brantlewick-cli.
# The words after the name (the timer) go in front of the tool itself, so that the timer sees the tool's
# own peak memory and not a wrapping shell's.
RunTool() { # name [timer...]
    local name=$1
    shift
    case $name in
    cat) "$@" cat "$corpus" >"$work/out.cat" ;;
    dd) "$@" dd if="$corpus" of="$work/out.dd" bs=64K status=none ;;
    engine) "$@" "$cli" -q -o "$work/engine" "$corpus" ;;
    engine3) "$@" "$cli" -q -c ... -c . -c '!' -o "$work/engine3" "$corpus" ;;
    perl) BENCH_ENTRIES=$'.\x1f!\x1f?' BENCH_ENTERS=1 "$@" perl -e "$perlScript" <"$corpus" >"$work/out.perl" ;;
    perl3) BENCH_ENTRIES=$'...\x1f.\x1f!' BENCH_ENTERS=1 "$@" perl -e "$perlScript" <"$corpus" >"$work/out.perl3" ;;
    sed) "$@" sed -e 's/\. /./g; s/\./.\r\n/g; s/! /!/g; s/!/!\r\n/g; s/? /?/g; s/?/?\r\n/g' \
        "$corpus" >"$work/out.sed" ;;
    esac
}
OutputOf() {
    case $1 in
    engine) echo "$work/engine/corpus.txt" ;;
    engine3) echo "$work/engine3/corpus.txt" ;;
    *) echo "$work/out.$1" ;;
    esac
}
mkdir -p "$work/engine" "$work/engine3"

declare -A best worst peak cpu
Measure() { # name
    local name=$1 i start end seconds rss
    RunTool "$name" # warm-up: page cache, and the output for the byte comparison
    best[$name]=
    worst[$name]=0
    peak[$name]=0
    for ((i = 0; i < runs; i++)); do
        rm -f "$(OutputOf "$name")" # every run creates its output afresh; deleting is not timed
        start=$EPOCHREALTIME
        RunTool "$name" /usr/bin/time -v -o "$work/time.txt"
        end=$EPOCHREALTIME
        seconds=$(Calc "$end - $start")
        rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")
        if [ -z "${best[$name]}" ] || [ "$(Calc "$seconds < ${best[$name]}")" = 1 ]; then
            best[$name]=$seconds
            # Processor time (user + system, all threads) of the fastest run.
            cpu[$name]=$(awk -F': ' '/User time|System time/ { sum += $2 } END { print sum }' "$work/time.txt")
        fi
        if [ "$(Calc "$seconds > ${worst[$name]}")" = 1 ]; then
            worst[$name]=$seconds
        fi
        if [ "$rss" -gt "${peak[$name]}" ]; then
            peak[$name]=$rss
        fi
    done
}

echo "Corpus: $((corpusBytes / 1024 / 1024)) MiB ($corpusBytes bytes) of licence texts in $work"
echo "Machine: $(nproc) cores; $(uptime | sed 's/.*\(load average\)/\1/')"
if [ "$(Calc "$(cut -d' ' -f1 /proc/loadavg) >= $(nproc) / 2")" = 1 ]; then
    echo "warning: the machine is busy; the times below include waiting for a processor"
fi
echo "Wall times: best and worst of $runs runs after one warm-up run each; cpu: user + system time of the"
echo "best run (brantlewick-cli writes large outputs on a second thread); peak memory: largest of the runs."
tools=(cat dd engine sed perl engine3 perl3)
for name in "${tools[@]}"; do
    Measure "$name"
done
echo "After the runs: $(uptime | sed 's/.*\(load average\)/\1/')"
echo

printf '%-36s %8s %8s %8s %12s\n' "command" "best s" "worst s" "cpu s" "peak memory"
Label() {
    case $1 in
    cat) echo "cat corpus > out" ;;
    dd) echo "dd bs=64K (read and write, no change)" ;;
    engine) echo "brantlewick-cli (. ! ?)" ;;
    engine3) echo "brantlewick-cli (... . !)" ;;
    perl) echo "perl equivalent (. ! ?)" ;;
    perl3) echo "perl equivalent (... . !)" ;;
    sed) echo "sed, six substitutions (. ! ?)" ;;
    esac
}
for name in "${tools[@]}"; do
    printf '%-36s %8.3f %8.3f %8.2f %8d KiB\n' "$(Label "$name")" "${best[$name]}" "${worst[$name]}" "${cpu[$name]}" \
        "${peak[$name]}"
done
echo

failed=0
Check() { # description verdict-expression
    if [ "$(Calc "$2")" = 1 ]; then echo "  met:    $1"; else echo "  MISSED: $1"; failed=1; fi
}
Ratio() { printf '%.2f' "$(Calc "$1 / $2")"; }
echo "Throughput: engine $(printf '%.0f' "$(Calc "$corpusBytes / 1048576 / ${best[engine]}")") MiB/s," \
    "cat $(printf '%.0f' "$(Calc "$corpusBytes / 1048576 / ${best[cat]}")") MiB/s"
echo "Targets:"
Check "engine / cat = $(Ratio "${best[engine]}" "${best[cat]}") (at most 1.5)" "${best[engine]} <= 1.5 * ${best[cat]}"
Check "perl / engine = $(Ratio "${best[perl]}" "${best[engine]}") (at least 20)" "${best[perl]} >= 20 * ${best[engine]}"
Check "sed / engine = $(Ratio "${best[sed]}" "${best[engine]}") (at least 2)" "${best[sed]} >= 2 * ${best[engine]}"
Check "engine peak memory = $(Ratio "${peak[engine]}" 1024) MiB (under 16)" "${peak[engine]} < 16 * 1024"
echo "No target: dd / cat = $(Ratio "${best[dd]}" "${best[cat]}")" \
    "(a plain read-and-write copy; cat copies inside the kernel with copy_file_range)"
echo "No target: multi-character entries: engine / cat = $(Ratio "${best[engine3]}" "${best[cat]}")," \
    "perl / engine = $(Ratio "${best[perl3]}" "${best[engine3]}"), peak $(Ratio "${peak[engine3]}" 1024) MiB"

echo "Byte comparison with the perl equivalent:"
for pair in engine:perl engine3:perl3; do
    if cmp "$(OutputOf "${pair%%:*}")" "$(OutputOf "${pair##*:}")"; then
        echo "  identical: $(Label "${pair%%:*}") and $(Label "${pair##*:}")"
    else
        echo "  DIFFERENT: $(Label "${pair%%:*}") and $(Label "${pair##*:}")"
        failed=1
    fi
done
exit "$failed"
