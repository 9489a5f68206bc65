#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the built program under a virtual X display with a scratch home folder and saves pictures of it.
#
#   scripts/screenshot.sh [BUILD_DIR] [OUTPUT_PNG]
#       the window at its first start, alone
#   scripts/screenshot.sh --run WIDTHxHEIGHT light|dark centre|right [BUILD_DIR] [OUTPUT_PNG]
#       the whole screen after a run with one failure (a file that was gone when the run came to it): the
#       summary line under the window, and the preview of the first entry where it opens; "dark" uses
#       qt6ct's "darker" palette, "right" puts the window at the right edge of the screen first
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scene=first-start
size=1280x720
theme=light
place=centre
if [ "${1:-}" = --run ]; then
    scene=run
    size=$2
    theme=$3
    place=$4
    shift 4
fi
build=${1:-$root/build}
output=${2:-$root/docs/screenshot.png}
program="$build/bin/brantlewick"
[ -x "$program" ] || { echo "screenshot: $program is not built" >&2; exit 1; }

scratch=$(mktemp -d "${TMPDIR:-/tmp}/brantlewick-screenshot-XXXXXX")
xvfb_pid=
program_pid=
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

# A free display number; the server writes it to the descriptor once it is ready.
exec {display_fd}<> <(:)
Xvfb -displayfd "$display_fd" -screen 0 "${size}x24" -dpi 96 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
read -r -t 20 display_number <&"$display_fd" || { echo "screenshot: Xvfb did not start" >&2; cat "$scratch/xvfb.log" >&2; exit 1; }
export DISPLAY=":$display_number"

home="$scratch/home"
mkdir -p "$home/Desktop" "$home/.config/qt6ct" "$scratch/bin"
theme_variables=()
if [ "$theme" = dark ]; then
    printf '[Appearance]\ncolor_scheme_path=/usr/share/qt6ct/colors/darker.conf\ncustom_palette=true\nstyle=Fusion\n' \
        >"$home/.config/qt6ct/qt6ct.conf"
    theme_variables=(QT_QPA_PLATFORMTHEME=qt6ct)
fi
# No file manager or browser opens from the pictures.
printf '#!/bin/sh\nexit 0\n' >"$scratch/bin/xdg-open"
chmod +x "$scratch/bin/xdg-open"
env -i PATH="$scratch/bin:$PATH" DISPLAY="$DISPLAY" HOME="$home" XDG_CONFIG_HOME="$home/.config" \
    XDG_RUNTIME_DIR="$scratch" LANG=C.UTF-8 QT_QPA_PLATFORM=xcb "${theme_variables[@]}" "$program" \
    >"$scratch/program.log" 2>&1 &
program_pid=$!

window_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true; }
wait_for_window() { # NAME [EXCEPT_ID]
    local id
    for _ in $(seq 150); do
        for id in $(window_named "$1"); do
            [ "$id" != "${2:-}" ] && { echo "$id"; return 0; }
        done
        sleep 0.1
    done
    echo "screenshot: no window \"$1\"" >&2
    cat "$scratch/program.log" >&2
    exit 1
}
main=$(wait_for_window Brantlewick)
sleep 1

if [ "$scene" = first-start ]; then
    mkdir -p "$(dirname "$output")"
    import -window "$main" "$output"
    echo "screenshot: saved $output ($(identify -format '%wx%h' "$output"))"
    # The start-up stored the two boxes in the user's settings file, where the platform puts it.
    settings="$home/.config/Kestrova.ini"
    if ! grep -qx 'Text1=1' "$settings" 2>/dev/null || ! grep -qx "Output%20Folder=$home/Desktop/" "$settings"; then
        echo "screenshot: the start-up did not write $settings as expected" >&2
        cat "$settings" >&2 2>/dev/null || true
        exit 1
    fi
    exit 0
fi

# The window in the middle of the screen, as a window manager would put it, or at its right edge.
read -r screen_width screen_height < <(echo "${size/x/ }")
geometry=$(xdotool getwindowgeometry "$main" | awk '/Geometry/ { print $2 }')
left=$(((screen_width - ${geometry%x*}) / 2))
[ "$place" = right ] && left=$((screen_width - ${geometry%x*}))
xdotool windowmove "$main" "$left" $(((screen_height - ${geometry#*x}) / 2))
sleep 0.5
click() { xdotool mousemove --window "$main" "$1" "$2" click 1 && sleep 0.4; }
press() { xdotool windowfocus --sync "$1" 2>/dev/null || true; xdotool key --delay 60 "${@:2}"; }
answer() { # the box of that title other than the main window: Return on it
    local box
    box=$(wait_for_window "$1" "$main")
    sleep 0.4
    press "$box" "$2"
    sleep 0.4
}

# The sample files, and one more that is gone by the time the run comes to it.
docs="$home/Documents"
mkdir -p "$docs"
printf 'Dear neighbours. The street party is on Saturday! Bring a chair.\n' >"$docs/Street party.txt"
printf 'Gone before the run.' >"$docs/Old notes.txt"
click 400 388 # Load Sample/Example Files; no to opening their folder
answer Brantlewick n
click 136 353 # Add File(s)
dialog=$(wait_for_window 'Add File\(s\) - Hold Ctrl or Shift to select multiple files')
sleep 0.5
xdotool windowfocus --sync "$dialog" 2>/dev/null || true
xdotool type --delay 10 "$docs/"
press "$dialog" Return
sleep 0.5
xdotool type --delay 10 '"Street party.txt" "Old notes.txt"'
press "$dialog" Return
sleep 1
rm "$docs/Old notes.txt"
click 796 353 # Start Adding: the plain message for the file that is gone, then "Done."
answer Brantlewick Return
answer Brantlewick Return
click 100 38 # the first entry, and its preview
press "$main" ctrl+p
wait_for_window 'Preview - .*' >/dev/null
sleep 2
mkdir -p "$(dirname "$output")"
import -window root "$output"
echo "screenshot: saved $output ($(identify -format '%wx%h' "$output"))"
