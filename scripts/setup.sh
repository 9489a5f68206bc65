#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what Brantlewick needs to build, test and run on Debian 12. Quick when everything is there.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config file
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev libcmark-gfm-dev libcmark-gfm-extensions-dev
    # the readers that judge the AsciiDoc, reStructuredText and LaTeX modes (tests only)
    ruby-asciidoctor python3-docutils pandoc
    clang libclang-rt-14-dev clang-format clang-tidy clazy
    xvfb xauth xdotool x11-utils imagemagick fonts-liberation
    # a dark palette for the pictures of scripts/screenshot.sh
    qt6ct
    locales time perl sed
    # setfacl and getfacl, with which the tests give a file an ACL that --in-place must keep
    acl
    desktop-file-utils appstream dpkg-dev librsvg2-bin debootstrap lintian
    # the shells in which the tests load brantlewick-cli's completions
    bash-completion zsh fish
    # the readers the Markdown mode's flavours are written for, which judge it in the tests: md4c in the
    # test programs, the others in processes of their own
    libmd4c-html0-dev pandoc ruby-kramdown ruby-kramdown-parser-gfm python3-markdown python3-pymdownx
    python3-myst-parser python3-markdown-it python3-mdit-py-plugins python3-docutils
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
if [ "${#missing[@]}" -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The locale tests read numbers the German way; generate that locale once.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    as_root sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
    as_root locale-gen >/dev/null
fi
