#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program on a virtual display, driven by pointer and keyboard: add three files with the "Add
# File(s)" dialog, set two Enters, "Start Adding" into the desktop folder and then beside the originals,
# answer "Done." each time, and compare every output byte for byte; then open the preview of the first
# entry from the list's context menu (saved as a picture when BRANTLEWICK_SCREENSHOT names a file).
#
#     BatchRunEndToEnd.sh PROGRAM
#
# Exit status 77 (reported as skipped by CTest) only when the display cannot be had: Xvfb or xdotool
# missing, or Xvfb not starting. Every other problem fails.
set -euo pipefail

program=$1

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*" >&2; exit 1; }

command -v Xvfb >/dev/null || skip "Xvfb is not installed (scripts/setup.sh installs it)"
command -v xdotool >/dev/null || skip "xdotool is not installed (scripts/setup.sh installs it)"
[ -x "$program" ] || fail "no program at $program"

work=$(mktemp -d "${TMPDIR:-/tmp}/brantlewick-e2e-XXXXXX")
xvfb_pid=
app_pid=
cleanup() {
    set +e
    for pid in $app_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' TERM INT

# ---- A display of our own.
Xvfb -displayfd 3 -screen 0 1280x800x24 -dpi 96 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
done
[ -s "$work/display" ] || skip "Xvfb cannot start here: $(tr '\n' ' ' <"$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"

# ---- A scratch user: settings, desktop folder, no desktop environment, and no browser to open.
export HOME="$work/home"
export XDG_CONFIG_HOME="$HOME/.config"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME/Desktop" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$work/bin"
chmod 700 "$XDG_RUNTIME_DIR"
printf '#!/bin/sh\nexit 0\n' >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH"
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE SESSION_MANAGER
export QT_QPA_PLATFORM=xcb QT_ENABLE_HIGHDPI_SCALING=0 LC_ALL=C.UTF-8

# ---- Inputs (CR LF, LF, none; a name with a space) and what two Enters make of them.
in="$work/in"
mkdir -p "$in" "$work/expected"
printf 'Hi. Bye! Ok?' >"$in/a.txt"
printf 'Title\r\nOne. Two\r\n' >"$in/b b.txt"
printf 'Wait..  Go\n' >"$in/c.txt"
printf 'Hi.\r\n\r\nBye!\r\n\r\nOk?\r\n\r\n' >"$work/expected/a.txt"
printf 'TitleOne.\r\n\r\nTwo' >"$work/expected/b b.txt"
printf 'Wait.\r\n\r\n.\r\n\r\n Go' >"$work/expected/c.txt"
mkdir -p "$work/originals"
cp -p "$in"/* "$work/originals/"

# ---- Helpers. Positions are the controls' centres in the window (15 twips a pixel).
window_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true; } # visible, with this title
wait_for_window() { # NAME [EXCEPT_ID]: prints the id of a window with that title other than EXCEPT_ID
    local id
    for _ in $(seq 150); do
        for id in $(window_named "$1"); do
            if [ "$id" != "${2:-}" ]; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.1
    done
    return 1
}
wait_gone() { # ID
    for _ in $(seq 150); do
        xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable' || return 0
        sleep 0.1
    done
    return 1
}
click() { xdotool mousemove --window "$main" "$1" "$2" click 1 && sleep 0.3; } # X Y in the main window
type_into() { # WINDOW TEXT
    xdotool windowfocus --sync "$1" 2>/dev/null || true
    xdotool type --delay 15 "$2"
}
press() { # WINDOW KEY...
    xdotool windowfocus --sync "$1" 2>/dev/null || true
    xdotool key --delay 50 "${@:2}"
}
answer_done() { # waits for the message at the end of the run and presses Enter on it
    local box
    box=$(wait_for_window Brantlewick "$main") || fail "no message box after Start Adding"
    [ -z "$(window_named 'Application Error')" ] || fail "an error report appeared"
    sleep 0.3
    press "$box" Return
    wait_gone "$box" || fail "the message box did not close"
}
compare() { # OUTPUT EXPECTED
    cmp -s "$1" "$2" || fail "$1 differs from $2: $(od -c "$1" 2>&1 | head -5)"
}

# ---- Start the program.
"$program" >"$work/app.log" 2>&1 &
app_pid=$!
main=$(wait_for_window Brantlewick) || fail "the window did not appear: $(cat "$work/app.log")"
sleep 1

# ---- Add File(s): type the folder, then the three names, into the dialog's file name box.
click 136 353
dialog=$(wait_for_window 'Add File\(s\) - Hold Ctrl or Shift to select multiple files') ||
    fail "the Add File(s) dialog did not open"
sleep 0.5
type_into "$dialog" "$in/"
press "$dialog" Return
sleep 0.5
type_into "$dialog" '"a.txt" "b b.txt" "c.txt"'
press "$dialog" Return
wait_gone "$dialog" || fail "the file dialog did not close"
sleep 0.5

# ---- Two Enters: select the number box's text and type over it.
click 877 182
press "$main" ctrl+a
type_into "$main" 2
sleep 0.3

# ---- Run 1: the default option, results into the desktop folder under their own names.
click 796 353
answer_done
for name in a.txt "b b.txt" c.txt; do
    compare "$HOME/Desktop/$name" "$work/expected/$name"
done
[ "$(ls -A "$HOME/Desktop" | wc -l)" -eq 3 ] || fail "unexpected files on the desktop: $(ls -A "$HOME/Desktop")"

# ---- Run 2: "Save results in folder of original file", outputs beside the inputs with the suffix.
click 672 314
click 796 353
answer_done
compare "$in/a-Pellnor.txt" "$work/expected/a.txt"
compare "$in/b b-Pellnor.txt" "$work/expected/b b.txt"
compare "$in/c-Pellnor.txt" "$work/expected/c.txt"
[ "$(ls -A "$in" | wc -l)" -eq 6 ] || fail "unexpected files beside the inputs: $(ls -A "$in")"

# ---- "Preview Result..." from the first entry's menu opens the preview, which writes nothing.
xdotool mousemove --window "$main" 100 38 click 3 && sleep 0.5
xdotool key --delay 100 Down Return
preview=$(wait_for_window 'Preview - a.txt') || fail "the preview did not open from the context menu"
[ -z "${BRANTLEWICK_SCREENSHOT:-}" ] || { sleep 1; import -window "$preview" "$BRANTLEWICK_SCREENSHOT"; }
[ "$(ls -A "$in" | wc -l)" -eq 6 ] || fail "the preview wrote a file: $(ls -A "$in")"

# ---- The inputs are untouched.
for name in a.txt "b b.txt" c.txt; do
    cmp -s "$in/$name" "$work/originals/$name" || fail "the input $name was changed"
done
echo "PASSED: two runs of three files, every output as expected, inputs untouched, the preview opened"
