#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package and proves it: validates the desktop files, installs the package into a
# throwaway Debian 12 root (or on this machine where no such root can be made), runs the installed programs
# and removes the package again.
#
#   scripts/package-check.sh [BUILD_DIR]
#
# BUILD_DIR defaults to build-package; an existing Release tree (such as the one scripts/test.sh builds) is
# reused as it is. BRANTLEWICK_PACKAGE_ROOT chooses where the package goes: "auto" (default: a throwaway
# root made with debootstrap, else this machine), "chroot" (the throwaway root or failure) or "host".
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build-package}")
mode=${BRANTLEWICK_PACKAGE_ROOT:-auto}
mirror=${BRANTLEWICK_DEBIAN_MIRROR:-http://deb.debian.org/debian}
securityMirror=${BRANTLEWICK_DEBIAN_SECURITY_MIRROR:-http://deb.debian.org/debian-security}
appId=org.example.Brantlewick
iconSizes=(16 22 24 32 48 64 128 256)

case "$mode" in auto | chroot | host) ;; *)
    echo "package-check: BRANTLEWICK_PACKAGE_ROOT must be auto, chroot or host, not '$mode'" >&2
    exit 2
    ;;
esac

fail() {
    echo "package-check: FAILED: $*" >&2
    exit 1
}
step() { echo "== $*"; }
as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

work=$(mktemp -d "${TMPDIR:-/tmp}/brantlewick-package-check-XXXXXX")
target=""      # the throwaway root, empty while the package goes onto this machine
installed=no   # whether the package is installed where the check put it
out=""         # the check's own folder where the package is installed
xvfbPid=""
windowPid=""
mounts=()

cleanup() {
    local status=$?
    set +e
    [ -n "$windowPid" ] && kill "$windowPid" 2>/dev/null && wait "$windowPid" 2>/dev/null
    [ -n "$xvfbPid" ] && kill "$xvfbPid" 2>/dev/null && wait "$xvfbPid" 2>/dev/null
    if [ "$installed" = yes ] && [ -z "$target" ]; then
        echo "package-check: removing the package from this machine"
        as_root env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq brantlewick >/dev/null
    fi
    [ -z "$target" ] && [ -n "$out" ] && rm -rf "$out"
    local i
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
        as_root umount "${mounts[i]}" || as_root umount -l "${mounts[i]}"
    done
    if [ -n "$target" ]; then
        # Never delete through a mount that is still attached.
        if findmnt -rn -o TARGET | grep -q "^$target"; then
            echo "package-check: $target still has mounts; left in place" >&2
        else
            as_root rm -rf --one-file-system "$target"
        fi
    fi
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

"$root/scripts/setup.sh"

step "Release build in $build"
if [ -f "$build/CMakeCache.txt" ]; then
    if grep -q '^BRANTLEWICK_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
        fail "$build is a sanitizer build; give a Release tree"
    fi
    "$root/scripts/build.sh" "$build"
else
    "$root/scripts/build.sh" "$build" -DBUILD_TESTING=OFF -DBRANTLEWICK_BUILD_BENCH=OFF
fi
version=$("$build/bin/brantlewick-cli" --version | awk '{print $2}')
[ -n "$version" ] || fail "brantlewick-cli --version printed no version"

step "Desktop entry and metainfo (sources)"
desktop-file-validate "$root/packaging/$appId.desktop" || fail "desktop-file-validate"
# --no-net: nothing in the metainfo needs fetching, and CI must not depend on outside web sites.
appstreamcli validate --no-net "$root/packaging/$appId.metainfo.xml" || fail "appstreamcli validate"
grep -q "<release version=\"$version\"" "$root/packaging/$appId.metainfo.xml" ||
    fail "the metainfo has no <release version=\"$version\"> entry for this version"

step "Debian package"
rm -f "$build"/brantlewick_*.deb
(cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1) || {
    cat "$work/cpack.log"
    fail "cpack -G DEB"
}
debs=("$build"/brantlewick_"$version"-*_*.deb)
[ -f "${debs[0]}" ] || fail "cpack made no brantlewick_$version package"
deb=${debs[0]}
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
grep -q 'libc6 (>=' <<<"$depends" || fail "the dependencies were not computed (no versioned libc6 in Depends)"
for field in Package Version Maintainer Section Description; do
    [ -n "$(dpkg-deb -f "$deb" "$field")" ] || fail "the package has no $field"
done

step "lintian"
# Every error and warning fails the check; the package's overrides file says why each tag it silences does
# not apply.
if ! lintian --fail-on error,warning --pedantic "$deb" >"$work/lintian.log" 2>&1; then
    grep -v 'running with root privileges' "$work/lintian.log" >&2
    fail "lintian found errors or warnings"
fi
grep -v 'running with root privileges' "$work/lintian.log" || true

step "Package contents"
contents="$work/contents"
dpkg-deb -x "$deb" "$contents"
programDir="$contents/usr/lib/brantlewick"
window=no
[ -e "$programDir/brantlewick" ] && window=yes
programs=(brantlewick-cli)
[ "$window" = yes ] && programs+=(brantlewick)
for program in "${programs[@]}"; do
    [ -x "$programDir/$program" ] || fail "$program is not in /usr/lib/brantlewick"
    [ "$(readlink "$contents/usr/bin/$program")" = "../lib/brantlewick/$program" ] ||
        fail "/usr/bin/$program is not a relative link to ../lib/brantlewick/$program"
    [ -s "$contents/usr/share/man/man1/$program.1.gz" ] || fail "no manual page for $program"
    zcat "$contents/usr/share/man/man1/$program.1.gz" | LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z 2>"$work/groff.log"
    [ ! -s "$work/groff.log" ] || fail "the manual page of $program has warnings: $(cat "$work/groff.log")"
done
diff -r "$root/samples/Samples" "$programDir/Samples" || fail "the packaged samples differ from samples/Samples"
completions=(usr/share/bash-completion/completions/brantlewick-cli usr/share/zsh/vendor-completions/_brantlewick-cli
             usr/share/fish/vendor_completions.d/brantlewick-cli.fish)
for completion in "${completions[@]}"; do
    [ -s "$contents/$completion" ] || fail "no shell completion /$completion"
done
applications="$contents/usr/share/applications/$appId.desktop"
if [ "$window" = yes ]; then
    desktop-file-validate "$applications" || fail "desktop-file-validate on the packaged entry"
    appstreamcli validate-tree --no-net "$contents" || fail "appstreamcli validate-tree"
    [ -s "$contents/usr/share/icons/hicolor/scalable/apps/$appId.svg" ] || fail "no scalable icon"
    for size in "${iconSizes[@]}"; do
        icon="$contents/usr/share/icons/hicolor/${size}x${size}/apps/$appId.png"
        file "$icon" | grep -q "PNG image data, $size x $size," || fail "no ${size}x${size} PNG icon"
    done
else
    [ ! -e "$applications" ] || fail "the package has a menu entry but no window program"
    echo "No window program in this build: the package holds brantlewick-cli only, without the menu entry."
fi

# Installs the package into a fresh minimal Debian 12 made for this check.
make_throwaway_root() {
    command -v debootstrap >/dev/null || return 1
    [ "$(id -u)" -eq 0 ] || sudo -n true 2>/dev/null || return 1
    target=$(mktemp -d /var/tmp/brantlewick-root-XXXXXX)
    echo "debootstrap of Debian 12 (minbase) into $target"
    if ! as_root debootstrap --variant=minbase bookworm "$target" "$mirror" >"$work/debootstrap.log" 2>&1; then
        tail -5 "$work/debootstrap.log"
        return 1
    fi
    as_root tee "$target/etc/apt/sources.list" >/dev/null <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb $securityMirror bookworm-security main
EOF
    as_root cp -L /etc/resolv.conf "$target/etc/resolv.conf"
    as_root mount -t proc proc "$target/proc" || return 1
    mounts+=("$target/proc")
}

step "Install"
if [ "$mode" != host ]; then
    if ! make_throwaway_root; then
        [ "$mode" = chroot ] && fail "no throwaway root could be made here (see above)"
        echo "No throwaway root can be made here (debootstrap, root rights or the Debian mirror missing):"
        echo "installing on this machine instead."
        if [ -n "$target" ]; then
            for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do as_root umount "${mounts[i]}"; done
            mounts=()
            as_root rm -rf --one-file-system "$target"
            target=""
        fi
    fi
fi

# Runs a command where the package is installed, with a clean environment: in the throwaway root (which
# takes root rights to enter), or on this machine as the user, or with root rights for apt. PATH leaves
# out /usr/local, where a `cmake --install` of a developer would shadow the packaged programs.
in_target() {
    local environment=(env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 HOME=/tmp
                       DEBIAN_FRONTEND=noninteractive)
    if [ -n "$target" ]; then
        as_root chroot "$target" "${environment[@]}" "$@"
    else
        "${environment[@]}" "$@"
    fi
}
in_target_as_root() {
    if [ -n "$target" ]; then in_target "$@"; else as_root env DEBIAN_FRONTEND=noninteractive "$@"; fi
}

# From here on a failure removes the package again (cleanup), wherever it went.
installed=yes
if [ -n "$target" ]; then
    as_root cp "$deb" "$target/tmp/"
    in_target_as_root apt-get update -qq >"$work/apt.log" 2>&1 ||
        { cat "$work/apt.log"; fail "apt-get update in the throwaway root"; }
    in_target_as_root apt-get install -y -qq --no-install-recommends "/tmp/$(basename "$deb")" \
        >"$work/apt.log" 2>&1 ||
        { cat "$work/apt.log"; fail "apt-get install of the package into a clean Debian 12"; }
    echo "installed into the throwaway root by apt ($(grep -c '^Setting up' "$work/apt.log") package(s) set up)"
else
    if dpkg-query -W -f='${Status}' brantlewick 2>/dev/null | grep -q "install ok installed"; then
        echo "brantlewick is already installed on this machine: the check replaces it and removes it afterwards."
    fi
    in_target_as_root apt-get install -y -qq --no-install-recommends "$deb" \
        >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get install of the package on this machine"; }
    echo "installed on this machine"
fi
targetRoot=${target:-}

step "Installed programs"
got=$(in_target brantlewick-cli --version)
[ "$got" = "brantlewick-cli $version" ] || fail "brantlewick-cli --version printed '$got'"
echo "$got"
in_target brantlewick-cli --help >/dev/null || fail "brantlewick-cli --help"
# shellcheck disable=SC2016 # expanded by the installed bash
in_target bash -c 'source "$1" && complete -p brantlewick-cli' bash "/${completions[0]}" >/dev/null ||
    fail "the installed bash completion does not load"

out=$(in_target mktemp -d /tmp/brantlewick-check-XXXXXX)
in_target mkdir "$out/default" "$out/japanese"
# shellcheck disable=SC2016 # the glob and $1 are expanded where the package is installed
in_target sh -c 'brantlewick-cli --quiet --output-dir "$1" /usr/lib/brantlewick/Samples/*' sh "$out/default" ||
    fail "converting the installed samples"
in_target brantlewick-cli --quiet --enters 2 -c 。 -c ？ -c ！ --output-dir "$out/japanese" \
    "/usr/lib/brantlewick/Samples/Japanese sentence marks.txt" || fail "converting with the Japanese marks"
for run in default japanese; do
    diff -r "$root/tests/package/expected/$run" "$targetRoot$out/$run" ||
        fail "the converted samples ($run) differ from tests/package/expected/$run (did the samples change?)"
done
echo "converted the installed samples: results match tests/package/expected"
changed=$(in_target dpkg --verify brantlewick)
[ -z "$changed" ] || fail "installed files changed: $changed"
echo "the installed samples are unchanged (dpkg --verify)"

if [ "$window" = yes ]; then
    step "Window program under Xvfb"
    command=$(sed -n 's/^Exec=//p' "$targetRoot/usr/share/applications/$appId.desktop" | sed 's/ *%[a-zA-Z]//g')
    [ -n "$command" ] || fail "the installed menu entry has no Exec line"
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x800x24 3>"$work/display" 2>"$work/xvfb.log" &
    xvfbPid=$!
    for _ in $(seq 50); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    [ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    display=:$(head -n1 "$work/display")
    if [ -n "$target" ]; then
        as_root mkdir -p "$target/tmp/.X11-unix"
        as_root mount --bind /tmp/.X11-unix "$target/tmp/.X11-unix"
        mounts+=("$target/tmp/.X11-unix")
    fi
    runtime="$out/runtime"
    in_target mkdir -m 700 "$runtime" "$out/config"
    # Started directly (not through in_target) so that $! is the program itself. The settings go to a
    # folder of the check's own, never the user's.
    launcher=()
    [ "$(id -u)" -eq 0 ] || [ -z "$target" ] || launcher=(sudo)
    [ -n "$target" ] && launcher+=(chroot "$target")
    # shellcheck disable=SC2086 # the Exec line is split into words as the desktop splits it
    "${launcher[@]}" env -i PATH=/usr/bin:/bin LANG=C.UTF-8 HOME=/tmp DISPLAY="$display" \
        XDG_RUNTIME_DIR="$runtime" XDG_CONFIG_HOME="$out/config" $command >"$work/window.log" 2>&1 &
    windowPid=$!
    shown=no
    for _ in $(seq 300); do
        if DISPLAY=$display xdotool search --onlyvisible --name '^Brantlewick$' >/dev/null 2>&1; then
            shown=yes
            break
        fi
        kill -0 "$windowPid" 2>/dev/null || break
        sleep 0.1
    done
    if [ "$shown" = no ]; then
        cat "$work/window.log"
        kill -0 "$windowPid" 2>/dev/null || fail "the window program ended before showing a window"
        fail "no window captioned Brantlewick appeared within 30 s (started as '$command')"
    fi
    sleep 2
    kill -0 "$windowPid" 2>/dev/null || { cat "$work/window.log"; fail "the window program ended on its own"; }
    echo "the window opened from the menu entry's command '$command' and stayed up"
    kill "$windowPid"
    wait "$windowPid" 2>/dev/null || true
    windowPid=""
else
    step "Window program: skipped, the package holds no window program yet"
fi

step "Remove"
in_target_as_root apt-get purge -y -qq brantlewick >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; fail "apt-get purge brantlewick"; }
installed=no
for path in /usr/bin/brantlewick-cli /usr/bin/brantlewick /usr/lib/brantlewick \
    "/usr/share/applications/$appId.desktop" /usr/share/man/man1/brantlewick-cli.1.gz "${completions[@]/#//}"; do
    if [ -e "$targetRoot$path" ] || [ -L "$targetRoot$path" ]; then
        fail "$path is still there after removal"
    fi
done
in_target rm -rf "$out"
echo "removed; nothing of the package is left"
where="on this machine"
[ -n "$target" ] && where="in a throwaway Debian 12 root"
step "Package check passed: $(basename "$deb"), installed, used and removed $where"
