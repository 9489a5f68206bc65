#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the built program under a virtual X display with a scratch home folder and saves a picture of its
# window: scripts/screenshot.sh [BUILD_DIR] [OUTPUT_PNG]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
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
Xvfb -displayfd "$display_fd" -screen 0 1280x720x24 -dpi 96 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
read -r -t 20 display_number <&"$display_fd" || { echo "screenshot: Xvfb did not start" >&2; cat "$scratch/xvfb.log" >&2; exit 1; }
export DISPLAY=":$display_number"

mkdir -p "$scratch/home/Desktop"
env -i PATH="$PATH" DISPLAY="$DISPLAY" HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" \
    XDG_RUNTIME_DIR="$scratch" LANG=C.UTF-8 QT_QPA_PLATFORM=xcb "$program" >"$scratch/program.log" 2>&1 &
program_pid=$!

window=
for _ in $(seq 1 100); do
    window=$(xdotool search --sync --onlyvisible --name '^Brantlewick$' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "screenshot: the window did not appear" >&2; cat "$scratch/program.log" >&2; exit 1; }
sleep 1
mkdir -p "$(dirname "$output")"
import -window "$window" "$output"
echo "screenshot: saved $output ($(identify -format '%wx%h' "$output"))"

# The start-up stored the two boxes in the user's settings file, where the platform puts it.
settings="$scratch/home/.config/Kestrova.ini"
if ! grep -qx 'Text1=1' "$settings" 2>/dev/null || ! grep -qx "Output%20Folder=$scratch/home/Desktop/" "$settings"; then
    echo "screenshot: the start-up did not write $settings as expected" >&2
    cat "$settings" >&2 2>/dev/null || true
    exit 1
fi
