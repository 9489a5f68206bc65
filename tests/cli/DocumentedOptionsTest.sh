#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The README's table of options and the manual page name exactly the options that --help lists (which is
# made from the program's option table): each once, with its letter.
#
#   DocumentedOptionsTest.sh PROGRAM SOURCE_DIR
set -euo pipefail

# One line for each line read that names options, as "-n --enters", sorted.
named() {
    while IFS= read -r line; do
        grep -oE -- '(^|[ `",])-[A-Za-z]\b|--[a-z][a-z-]*' <<<"$line" | tr -d ' `",' | paste -sd' ' || true
    done | grep . | LC_ALL=C sort
}
help=$("$1" --help | sed -n '/^Options:/,/^$/p' | cut -c1-25 | named)
readme=$(sed -n '/^| Option | Meaning |/,/^$/p' "$2/README.md" | grep '^| `' | sed 's/` |.*//' | named)
# The tag of each item under OPTIONS, its hyphens escaped for troff.
manual=$(sed -n '/^\.SH OPTIONS/,/^\.SH [^O]/p' "$2/packaging/brantlewick-cli.1.in" | grep -A1 '^\.TP' |
    grep -v '^\.TP' | sed 's/\\-/-/g' | named)
diff <(echo "$help") <(echo "$readme") || { echo "FAIL: README.md's table of options (>) differs from --help (<)"; exit 1; }
diff <(echo "$help") <(echo "$manual") || { echo "FAIL: the manual page's options (>) differ from --help (<)"; exit 1; }
