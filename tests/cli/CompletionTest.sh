#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# One shell's completion of brantlewick-cli, found by the shell's own lookup below DATA_DIR: what it offers
# after each typed line of the table below. Exits 77 (skipped) where the shell (for bash, bash-completion)
# is not installed.
#
#   CompletionTest.sh bash|zsh|fish DATA_DIR PROGRAM_DIR
set -euo pipefail
shell=$1
data=$(realpath "$2")
PATH=$(realpath "$3"):$PATH # fish completes only commands it finds
command -v "$shell" >/dev/null || { echo "no $shell here: skipped"; exit 77; }
bashCompletion=/usr/share/bash-completion/bash_completion
[ "$shell" != bash ] || [ -f "$bashCompletion" ] || { echo "no bash-completion here: skipped"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/home" "$work/files" "$work/files/dir one"
touch "$work/files/a b.txt" "$work/files/notes.txt" "$work/files/-ja.txt"
cd "$work/files"

# The words as readline splits them ("=" is one of its own), and COMPREPLY printed one offer a line.
offers_bash() {
    local -a words
    read -ra words <<<"${1//=/ = }"
    [[ $1 == *" " ]] && words+=("")
    # shellcheck disable=SC2016 # expanded by the bash under test
    env -i HOME="$work/home" PATH="$PATH" XDG_DATA_DIRS="$data" COMP_LINE="$1" bash --norc --noprofile -c '
        source "$0"
        __load_completion brantlewick-cli || exit 1
        function=$(complete -p brantlewick-cli | sed -n "s/.* -F \([^ ]*\) .*/\1/p")
        COMP_POINT=${#COMP_LINE} COMP_WORDS=("$@") COMP_CWORD=$(($# - 1))
        "$function" brantlewick-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf "%s\n" "${COMPREPLY[@]}"' "$bashCompletion" "${words[@]}"
}

# zsh completes only in its line editor: a shell on a pseudo-terminal gets the line and a Tab, and prints
# every match added before it exits (the marker is split in the source, which the terminal echoes).
offers_zsh() {
    cat >"$work/capture.zsh" <<'EOF'
zmodload zsh/zpty
zpty shell zsh -f -i
zpty -w shell "PS1=''; fpath=(${(q)1}/zsh/vendor-completions \$fpath); autoload -U compinit; compinit -u -d ~/.zcompdump"
zpty -w shell 'compadd() {
    if [[ ${@[1,(i)(-|--)]} == *-(O|A|D)\ * ]]; then builtin compadd "$@"; return; fi
    local -a found
    builtin compadd -A found "$@"
    print -rl -- "<mat""ch>"${^found}
    builtin compadd "$@"
}; comppostfuncs=(exit)'
zpty -w -n shell "$2"$'\t'
while zpty -r shell line; do
    [[ $line == *'<match>'* ]] && print -r -- ${${${line#*<match>}%$'\n'}%$'\r'}
done
EOF
    env -i HOME="$work/home" PATH="$PATH" TERM=dumb timeout 20 zsh -f "$work/capture.zsh" "$data" "$1" |
        sed 's/\\//g'
}

offers_fish() {
    # shellcheck disable=SC2016 # expanded by fish
    env -i HOME="$work/home" PATH="$PATH" XDG_CONFIG_HOME="$work/home" XDG_DATA_DIRS="$data" \
        fish -c 'complete -C$argv[1]' "$1" | cut -f1
}

# The typed line, then what every shell offers after it, sorted; a value after "=" is offered without
# the option (fish repeats it, the others do not), a folder without its trailing "/".
rows=(
    "brantlewick-cli --language |auto|de|en|es|fr|it|ja|nl|ru|zh"
    "brantlewick-cli -q --language=d|de"
    "brantlewick-cli --lines r|reflow"
    "brantlewick-cli -qj2 -c . a.txt --cha|--char"
    "brantlewick-cli --output-dir |dir one"
    "brantlewick-cli --stdin-filename |-ja.txt|a b.txt|dir one|notes.txt"
    "brantlewick-cli notes.txt |-ja.txt|a b.txt|dir one|notes.txt"
    "brantlewick-cli -n |"
    "brantlewick-cli -- -j|-ja.txt"
)
failures=0
for row in "${rows[@]}"; do
    got=$("offers_$shell" "${row%%|*}" 2>"$work/errors" | sed -e 's/^--[a-z-]*=//' -e 's|/$||' | grep -v '^$' |
        LC_ALL=C sort -u | paste -sd'|' || true)
    if [ "$got" != "${row#*|}" ] || [ -s "$work/errors" ]; then
        echo "FAIL $shell: '${row%%|*}' offers '$got', expected '${row#*|}' $(cat "$work/errors")"
        failures=$((failures + 1))
    fi
done
echo "$shell: ${#rows[@]} lines, $failures failed"
[ "$failures" -eq 0 ]
