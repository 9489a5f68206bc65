#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Measures brantlewick-cli on a large prose corpus beside cat and dd (the copy limits), an exact perl
# equivalent and GNU sed: median, best and worst wall times, processor time, peak memory and ratios, for
# the default entries, for several-character entries and for a file that is one huge line; and a byte
# comparison of the engine's outputs with perl's.
#
#   bench/engine_bench.sh [--runs N] [--size MiB] [--dir FOLDER] [--build BUILD_DIR] [--huge]
#
# The corpus and every output go into one temporary folder (default: one under /dev/shm, so that no tool
# waits on disk write-back; --dir picks another parent). The Release build in BUILD_DIR (default: build)
# is configured and brantlewick-cli built when it is missing. --huge adds a file of one 1 GiB line.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

runs=5
sizeMiB=256
parent=/dev/shm
build="$root/build"
huge=0
while [ $# -gt 0 ]; do
    case $1 in
    --runs) runs=$2; shift 2 ;;
    --size) sizeMiB=$2; shift 2 ;;
    --dir) parent=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    --huge) huge=1; shift ;;
    *) echo "usage: $0 [--runs N] [--size MiB] [--dir FOLDER] [--build BUILD_DIR] [--huge]" >&2; exit 2 ;;
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

# --- Corpora: the licence texts repeated until the size is reached, and the same prose as one line (its
# line ends turned into spaces) of 80 MiB and, with --huge, of 1 GiB.
corpus="$work/corpus.txt"
cat /usr/share/common-licenses/* >"$work/block.txt"
MakeCorpus() { # file MiB [one-line]
    local file=$1 target=$(($2 * 1024 * 1024)) block="$work/block.txt"
    if [ "${3:-}" = one-line ]; then
        tr '\r\n' '  ' <"$work/block.txt" >"$work/line-block.txt"
        block="$work/line-block.txt"
    fi
    : >"$file"
    while [ "$(stat -c %s "$file")" -lt "$target" ]; do
        cat "$block" "$block" "$block" "$block" "$block" "$block" "$block" "$block" >>"$file"
    done
    truncate -s "$target" "$file"
}
MakeCorpus "$corpus" "$sizeMiB"
MakeCorpus "$work/line80.txt" 80 one-line
[ "$huge" = 1 ] && MakeCorpus "$work/line1g.txt" 1024 one-line
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
multi=(-c ... -c . -c '!')

# --- Tools, each run as one command with its output in $work.
# The words after the name (the timer) go in front of the tool itself, so that the timer sees the tool's
# own peak memory and not a wrapping shell's.
RunTool() { # name [timer...]
    local name=$1
    shift
    case $name in
    cat) "$@" cat "$corpus" >"$work/out.cat" ;;
    dd) "$@" dd if="$corpus" of="$work/out.dd" bs=64K status=none ;;
    engine) "$@" "$cli" -q -o "$work/engine" "$corpus" ;;
    engine3) "$@" "$cli" -q "${multi[@]}" -o "$work/engine3" "$corpus" ;;
    line80) "$@" "$cli" -q "${multi[@]}" -o "$work/line80" "$work/line80.txt" ;;
    line1g) "$@" "$cli" -q "${multi[@]}" -o "$work/line1g" "$work/line1g.txt" ;;
    perl) BENCH_ENTRIES=$'.\x1f!\x1f?' BENCH_ENTERS=1 "$@" perl -e "$perlScript" <"$corpus" >"$work/out.perl" ;;
    perl3) BENCH_ENTRIES=$'...\x1f.\x1f!' BENCH_ENTERS=1 "$@" perl -e "$perlScript" <"$corpus" >"$work/out.perl3" ;;
    sed) "$@" sed -e 's/\. /./g; s/\./.\r\n/g; s/! /!/g; s/!/!\r\n/g; s/? /?/g; s/?/?\r\n/g' \
        "$corpus" >"$work/out.sed" ;;
    esac
}
OutputOf() {
    case $1 in
    engine | engine3) echo "$work/$1/corpus.txt" ;;
    line80 | line1g) echo "$work/$1/$1.txt" ;;
    *) echo "$work/out.$1" ;;
    esac
}
mkdir -p "$work/engine" "$work/engine3" "$work/line80" "$work/line1g"

declare -A median best worst peak cpu
Measure() { # name [runs]
    local name=$1 count=${2:-$runs} i start end rss times=() cpus=()
    RunTool "$name" # warm-up: page cache, and the output for the byte comparison
    peak[$name]=0
    for ((i = 0; i < count; i++)); do
        rm -f "$(OutputOf "$name")" # every run creates its output afresh; deleting is not timed
        start=$EPOCHREALTIME
        RunTool "$name" /usr/bin/time -v -o "$work/time.txt"
        end=$EPOCHREALTIME
        times+=("$(Calc "$end - $start")")
        cpus+=("$(awk -F': ' '/User time|System time/ { sum += $2 } END { print sum }' "$work/time.txt")")
        rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")
        [ "$rss" -gt "${peak[$name]}" ] && peak[$name]=$rss
    done
    # Wall times sorted; the processor time reported is the median of the runs' own.
    local sorted
    sorted=$(printf '%s\n' "${times[@]}" | sort -g)
    best[$name]=$(head -1 <<<"$sorted")
    worst[$name]=$(tail -1 <<<"$sorted")
    median[$name]=$(sed -n "$(((count + 1) / 2))p" <<<"$sorted")
    cpu[$name]=$(printf '%s\n' "${cpus[@]}" | sort -g | sed -n "$(((count + 1) / 2))p")
}

echo "Corpus: $((corpusBytes / 1024 / 1024)) MiB ($corpusBytes bytes) of licence texts in $work"
echo "Machine: $(nproc) cores; $(uptime | sed 's/.*\(load average\)/\1/')"
if [ "$(Calc "$(cut -d' ' -f1 /proc/loadavg) >= $(nproc) / 2")" = 1 ]; then
    echo "warning: the machine is busy; the times below include waiting for a processor"
fi
echo "Wall times: median, best and worst of $runs runs after one warm-up run each; cpu: median user +"
echo "system time (brantlewick-cli writes large outputs on a second thread); peak memory: largest of the runs."
tools=(cat dd engine engine3 line80 sed perl perl3)
[ "$huge" = 1 ] && tools+=(line1g)
for name in "${tools[@]}"; do
    case $name in
    perl | perl3 | sed) Measure "$name" 1 ;; # minutes each; their ratio to the engine needs no median
    line1g) Measure "$name" 3 ;;
    *) Measure "$name" ;;
    esac
done
echo "After the runs: $(uptime | sed 's/.*\(load average\)/\1/')"
echo

Label() {
    case $1 in
    cat) echo "cat corpus > out" ;;
    dd) echo "dd bs=64K (read and write, no change)" ;;
    engine) echo "brantlewick-cli (. ! ?)" ;;
    engine3) echo "brantlewick-cli (... . !)" ;;
    line80) echo "brantlewick-cli (... . !), one 80 MiB line" ;;
    line1g) echo "brantlewick-cli (... . !), one 1 GiB line" ;;
    perl) echo "perl equivalent (. ! ?)" ;;
    perl3) echo "perl equivalent (... . !)" ;;
    sed) echo "sed, six substitutions (. ! ?)" ;;
    esac
}
printf '%-44s %8s %8s %8s %7s %12s\n' "command" "median s" "best s" "worst s" "cpu s" "peak memory"
for name in "${tools[@]}"; do
    printf '%-44s %8.3f %8.3f %8.3f %7.2f %8d KiB\n' "$(Label "$name")" "${median[$name]}" "${best[$name]}" \
        "${worst[$name]}" "${cpu[$name]}" "${peak[$name]}"
done
echo

failed=0
Check() { # description verdict-expression
    if [ "$(Calc "$2")" = 1 ]; then echo "  met:    $1"; else echo "  MISSED: $1"; failed=1; fi
}
Ratio() { printf '%.2f' "$(Calc "$1 / $2")"; }
Rate() { printf '%.0f' "$(Calc "$1 / 1000000 / $2")"; } # MB/s from bytes and seconds
echo "Throughput (medians): engine $(Rate "$corpusBytes" "${median[engine]}") MB/s, several-character" \
    "entries $(Rate "$corpusBytes" "${median[engine3]}") MB/s, cat $(Rate "$corpusBytes" "${median[cat]}") MB/s"
echo "Targets (medians):"
Check "engine / cat = $(Ratio "${median[engine]}" "${median[cat]}") (at most 1.5)" \
    "${median[engine]} <= 1.5 * ${median[cat]}"
Check "several-character entries at $(Rate "$corpusBytes" "${median[engine3]}") MB/s (at least 800)" \
    "$corpusBytes / 1000000 / ${median[engine3]} >= 800"
Check "perl / engine = $(Ratio "${median[perl]}" "${median[engine]}") (at least 20)" \
    "${median[perl]} >= 20 * ${median[engine]}"
Check "sed / engine = $(Ratio "${median[sed]}" "${median[engine]}") (at least 2)" \
    "${median[sed]} >= 2 * ${median[engine]}"
Check "engine peak memory = $(Ratio "${peak[engine]}" 1024) MiB (under 16)" "${peak[engine]} < 16 * 1024"
for name in line80 line1g; do
    [ -n "${peak[$name]:-}" ] || continue
    Check "$(Label "$name"): peak memory $(Ratio "${peak[$name]}" 1024) MiB (under 32)" \
        "${peak[$name]} < 32 * 1024"
done
echo "No target: dd / cat = $(Ratio "${median[dd]}" "${median[cat]}")" \
    "(a plain read-and-write copy; cat copies inside the kernel with copy_file_range);" \
    "several-character entries: engine / cat = $(Ratio "${median[engine3]}" "${median[cat]}")"

echo "Byte comparison with the perl equivalent:"
Compare() { # engine-output perl-output label
    if cmp "$1" "$2"; then echo "  identical: $3"; else echo "  DIFFERENT: $3"; failed=1; fi
}
Compare "$(OutputOf engine)" "$(OutputOf perl)" "$(Label engine)"
Compare "$(OutputOf engine3)" "$(OutputOf perl3)" "$(Label engine3)"
BENCH_ENTRIES=$'...\x1f.\x1f!' BENCH_ENTERS=1 perl -e "$perlScript" <"$work/line80.txt" >"$work/out.line80"
Compare "$(OutputOf line80)" "$work/out.line80" "$(Label line80)"
exit "$failed"
