#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up and runs the whole test suite: a Release build, formatting and clang-tidy, clazy over the Qt code,
# a build with AddressSanitizer and UndefinedBehaviorSanitizer, the converter alone without Qt or SIMD, a
# fixed replay of the fuzz targets, and the Debian package check.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
jobs=$(nproc)
# Warnings are errors in every tree this script builds.
export BRANTLEWICK_WERROR=ON

echo "== Release build and tests"
"$root/scripts/build.sh" "$root/build-test" -DBUILD_TESTING=ON
ctest --test-dir "$root/build-test" --output-on-failure -j "$jobs"

# clang-format and clang-tidy, with the Release tree's compile commands.
"$root/scripts/lint.sh" "$root/build-test"

echo "== clazy (the Qt code; a finding fails): the level 1 checks, and connections that name their context"
(cd "$root" && git ls-files -z -- 'src/window/*.cpp' 'src/settings/*.cpp' 'src/app/*.cpp' |
    xargs -0 -n 1 clazy-standalone -p "$root/build-test" --checks=level1,connect-3arg-lambda \
        --extra-arg=-Wno-unknown-warning-option --extra-arg=-Werror)

# The Markdown mode under pandoc, Python-Markdown, MyST, markdown-it and kramdown runs in the Release
# tree alone (a minute or two): the trees below check the same engine code.
echo "== Sanitizer build and tests"
"$root/scripts/build.sh" "$root/build-asan" -DBUILD_TESTING=ON -DBRANTLEWICK_SANITIZE=ON \
    -DBRANTLEWICK_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRANTLEWICK_READER_TESTS=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$root/build-asan" --output-on-failure -j "$jobs"

# It scans text with the plain loops alone, which the trees above never compile.
echo "== The converter alone, built and tested where Qt cannot be found, without SIMD"
"$root/scripts/build.sh" "$root/build-headless" -DBUILD_TESTING=ON -DBRANTLEWICK_WINDOW=OFF \
    -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON -DBRANTLEWICK_READER_TESTS=OFF -DBRANTLEWICK_SIMD=OFF \
    --no-warn-unused-cli
if ldd "$root/build-headless/bin/brantlewick-cli" | grep -q libQt; then
    echo "test: the converter built without the window links Qt" >&2
    exit 1
fi
ctest --test-dir "$root/build-headless" --output-on-failure -j "$jobs"

echo "== Fuzz targets (replayed)"
"$root/scripts/build.sh" "$root/build-fuzz" -DBRANTLEWICK_FUZZ=ON -DBUILD_TESTING=OFF \
    -DBRANTLEWICK_BUILD_BENCH=OFF -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
# A fixed seed and a fixed number of runs, not a time limit: every machine, however fast or busy, replays
# exactly the same inputs, so the gate fails only on faults that are there. Each count takes about a
# minute on one core of a quiet machine; the targets run side by side, one a core. Hunting with fresh
# seeds and time limits is a separate command (README, Development).
# libFuzzer's path also depends on where the program lies in memory, on the operands its comparison
# tracing records (addresses among them) and on a clock (it rereads its output folder every second):
# with address randomization off, mutations not guided by those operands and no rereading, the fuzz tree
# (built without stack-depth coverage) replays the same inputs on every run and every machine. A machine that does not let a
# process turn address randomization off (some containers) replays as well as it can, and says so.
declare -A fuzz_runs=([convert]=110000 [sentence]=100000 [encoding]=65000 [markdown]=55000 [formats]=80000)
fuzz_pinned=(setarch -R)
if ! setarch -R true 2>/dev/null; then
    fuzz_pinned=()
    echo "test: address randomization cannot be turned off here; the fuzz replays may differ from run to run" >&2
fi
replay_fuzzer() {
    local fuzzer=$1 name=${1##*/fuzz_} work log status=0
    work=$(mktemp -d)
    log="$work.log"
    "${fuzz_pinned[@]}" "$fuzzer" -seed="${BRANTLEWICK_FUZZ_SEED:-1}" -runs="${fuzz_runs[$name]:-50000}" \
        -use_cmp=0 -reload=0 -print_final_stats=0 "$work" "$root/fuzz/corpus/$name" >"$log" 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        cat "$log" >&2
        echo "test: fuzz target $name failed (seed ${BRANTLEWICK_FUZZ_SEED:-1}, ${fuzz_runs[$name]:-50000} runs)" >&2
    else
        echo "fuzz target $name: ${fuzz_runs[$name]:-50000} runs passed"
    fi
    rm -rf "$work" "$log"
    return "$status"
}
fuzz_pids=()
for fuzzer in "$root"/build-fuzz/bin/fuzz_*; do
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
        sleep 1
    done
    replay_fuzzer "$fuzzer" &
    fuzz_pids+=("$!")
done
fuzz_failed=0
for pid in "${fuzz_pids[@]}"; do
    wait "$pid" || fuzz_failed=1
done
[ "$fuzz_failed" -eq 0 ]
echo "== Debian package: build, install, use and remove (reuses the Release tree)"
"$root/scripts/package-check.sh" "$root/build-test"
echo "== All tests passed"
