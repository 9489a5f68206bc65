#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the code's form: clang-format over every C++ file, then clang-tidy (.clang-tidy) over every .cpp
# under src/, tests/, bench/ and fuzz/ with the compile commands of a configured tree; any finding fails.
#
#   scripts/lint.sh [BUILD_DIR]     (default: build; configured when it has no compile commands)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
checked=(src tests bench fuzz)
build=${1:-$root/build}
jobs=$(nproc)

echo "== Formatting (clang-format, every C++ file)"
(cd "$root" && git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror)

echo "== clang-tidy (every .cpp under ${checked[*]}; the headers come in with them)"
if [ ! -f "$build/compile_commands.json" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON >/dev/null
fi
# A tree configured without the window or the tests lists none of their sources: checking it would pass
# them unseen.
missing=()
while IFS= read -r -d '' file; do
    grep -qF "\"$root/$file\"" "$build/compile_commands.json" || missing+=("$file")
done < <(cd "$root" && git ls-files -z -- "${checked[@]/%//*.cpp}")
if [ "${#missing[@]}" -gt 0 ]; then
    echo "lint: $build does not compile ${missing[*]}; configure it with the window and the tests" >&2
    exit 1
fi
log="$build/clang-tidy.log"
# The paths are matched as regular expressions: their dots and other marks are escaped.
patterns=()
for folder in "${checked[@]}"; do
    patterns+=("^$(printf '%s' "$root/$folder/" | sed 's/[][\.*^$+?(){}|]/\\&/g').*\.cpp\$")
done
if ! run-clang-tidy -p "$build" -j "$jobs" -quiet -extra-arg=-Wno-unknown-warning-option \
    "${patterns[@]}" >"$log" 2>&1; then
    # Without the colours clang-tidy adds, the findings' first lines.
    sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -E '^/.*: (error|warning): ' >&2 || cat "$log" >&2
    echo "lint: clang-tidy has findings (the whole output is in $log)" >&2
    exit 1
fi
echo "lint: no finding"
