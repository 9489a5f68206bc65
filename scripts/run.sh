#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up, builds (Release) and starts Brantlewick. Without a display it converts the bundled samples with
# brantlewick-cli into a temporary folder instead and says where the results are.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build" -DBUILD_TESTING=OFF
bin="$root/build/bin"
if [ -x "$bin/brantlewick" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
    exec "$bin/brantlewick"
fi
out=$(mktemp -d "${TMPDIR:-/tmp}/brantlewick-samples-XXXXXX")
"$bin/brantlewick-cli" --quiet --output-dir "$out" "$bin"/Samples/*
echo "No display here: converted the sample texts with brantlewick-cli."
echo "Results are in $out"
