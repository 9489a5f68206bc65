#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What editors and CI take from brantlewick-cli: the diff of --check --diff, applied by patch and by git
# apply, gives exactly what --in-place makes, names each file as diff -u does, and is diff -u's where the
# change is simple; standard input read as the file --stdin-filename names.
#
#   EditorAndCiTest.sh PROGRAM
set -euo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}

mkdir "$work/files"
cd "$work/files"
# Changes at the start, at the end without a line end, close together (one hunk) and far apart (two).
printf 'One. Two.\n\nKeep.\n' >start.md
printf 'Keep.\n\nOne. Two.' >end.md
printf 'A1. B1.\nk\nk\nk\nk\nk\nk\nA2. B2.\nk\nk\nk\nk\nk\nk\nk\nA3. B3.\n' >hunks.md
printf 'Rain. Sun\r\nrose. Wind.\r\n' >crlf.md
printf 'One. Two.\n\nKeep.\n\nThree. Four.\n\nKeep.\n' >kept-between.md
printf 'Same.\n' >same.md
printf 'One. Two.\n' >'sp ace.md'
printf 'One. Two.\n' >'quo"te.md'
printf 'One. Two.\n' >'back\slash.md'
printf 'One. Two.\n' >"$(printf 'tab\tname.md')"
printf 'One. Two.\n' >'café.md'
printf 'One. Two.\n' >"$(printf 'bad\377byte.md')"
printf 'Rain fell. Sun rose.\n' | iconv -t UTF-16 >utf16.md
# Too many changes to compare line by line: the diff is anchored on the lines that occur once.
seq 2100 | awk '{ print "A" $1 ". B" $1 ".\nk" $1 }' >large.md
cp -r "$work/files" "$work/patched"
cp -r "$work/files" "$work/applied"
cp -r "$work/files" "$work/converted"

status=0
"$program" -q --sentences --check --diff -- * >"$work/diff" || status=$?
[ "$status" -eq 1 ] || fail "--check --diff exited with $status, not 1"
(cd "$work/converted" && "$program" -q --sentences --in-place -- *)
(cd "$work/patched" && patch -s -p0 <"$work/diff") || fail "patch did not apply the diff"
(cd "$work/applied" && git apply -p0 --unsafe-paths "$work/diff") || fail "git apply did not apply the diff"
# Only the UTF-16 file is left, marked as binary.
for tree in patched applied; do
    rm "$work/$tree/utf16.md"
    cp "$work/converted/utf16.md" "$work/$tree/"
    diff -r "$work/converted" "$work/$tree" >/dev/null || fail "applied by $tree, the diff does not give the result"
done
grep -qx 'Binary files utf16.md and utf16.md differ' "$work/diff" || fail "no line for the UTF-16 file"

# Each header names its file as diff -u does; a simple change is diff -u's, the times left out.
for name in *.md; do
    [ "$name" = same.md ] || [ "$name" = utf16.md ] && continue
    header=$(diff -u "$name" /dev/null | head -1 | cut -f1 || true)
    grep -qxF -- "$header" "$work/diff" && grep -qxF -- "+++${header#---}" "$work/diff" ||
        fail "no headers like diff's: $header"
done
for name in start.md end.md hunks.md crlf.md kept-between.md; do
    expected=$(diff -u "$name" "$work/converted/$name" | sed -e '1,2s/\t.*//' -e "2s|+++ .*|+++ $name|" || true)
    got=$("$program" -q --sentences --check --diff "$name" || true)
    [ "$got" = "$expected" ] || fail "the diff of $name differs from diff -u's:"$'\n'"$got"$'\n'"---"$'\n'"$expected"
done
got=$("$program" -q --sentences --check --diff same.md) || fail "a file that stays the same: exit status $?"
[ -z "$got" ] || fail "a file that stays the same has a diff: $got"

# Standard input in the format of the file it stands for, and called so in messages.
got=$(printf '%s\n' '- Rain fell. Sun rose.' | "$program" -q --sentences --stdin-filename docs/notes.md -)
[ "$got" = $'- Rain fell.\n  Sun rose.' ] || fail "standard input named *.md is not read as Markdown: $got"
got=$(printf '%s\n' '- Rain fell. Sun rose.' | "$program" -q --sentences --stdin-filename notes.txt -)
[ "$got" = $'- Rain fell.\r\nSun rose.\r' ] || fail "standard input named *.txt is not read as plain text: $got"
got=$(printf '%s\n' '- Rain fell. Sun rose.' | "$program" -q --sentences --format plain --stdin-filename a.md -)
[ "$got" = $'- Rain fell.\r\nSun rose.\r' ] || fail "--format plain does not win over the name: $got"
got=$(printf '\377\376\0' | "$program" -q --sentences --stdin-filename 'my notes.md' - 2>&1 >/dev/null || true)
[ "$got" = "brantlewick-cli: my notes.md: not valid UTF-16 text (a last character cut short at byte 2); not converted" ] ||
    fail "a failure does not name standard input as told: $got"
echo "EditorAndCiTest: passed"
