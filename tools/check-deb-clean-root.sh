#!/usr/bin/env bash
# Installs the Debian package into a clean Debian 12 system made for the
# purpose (debootstrap, minimal variant) with apt, as a user would install it,
# and runs the programs from there: apt must find every dependency the package
# names, and the programs must start with nothing else installed.
#
#   tools/check-deb-clean-root.sh BUILD_DIR [ROOT]
#
# Needs root and the network (the Debian mirror). ROOT (default
# /var/tmp/corvane-debian12) is made once and copied for each run, so a run
# starts from the clean system every time. Not part of the test suite: it
# downloads several hundred megabytes.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/../tests/install/common.sh"
build="$(cd "${1:?usage: $0 BUILD_DIR [ROOT]}" && pwd)"
clean="${2:-/var/tmp/corvane-debian12}"
[ "$(id -u)" -eq 0 ] || fail "run as root (debootstrap and chroot)"

if [ ! -x "$clean/usr/bin/apt-get" ]; then
    command -v debootstrap >/dev/null ||
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q debootstrap >/dev/null
    debootstrap --variant=minbase bookworm "$clean" http://deb.debian.org/debian
fi

work="$(mktemp -d /var/tmp/corvane-deb-XXXXXX)"
root="$work/root"
cleanup() {
    umount "$root/proc" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log" >&2; fail "cpack -G DEB"; }
deb="$(ls "$work"/out/*.deb)"
echo "package: $(basename "$deb"), $(dpkg-deb -f "$deb" Installed-Size) KiB installed"

cp -a "$clean" "$root"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
cp "$deb" "$root/tmp/corvane.deb"
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }

before="$(in_root dpkg-query -W -f '${Package}\n' | wc -l)"
in_root apt-get update -q >/dev/null
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends /tmp/corvane.deb \
    >"$work/apt.log" 2>&1 || { tail -n 40 "$work/apt.log" >&2; fail "apt could not install the package"; }
after="$(in_root dpkg-query -W -f '${Package}\n' | wc -l)"
echo "apt installed the package and $((after - before - 1)) dependencies into a clean Debian 12"

in_root mkdir -p /home/user
as_user() { chroot "$root" env -i HOME=/home/user PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"; }
as_user Harvester --help | grep -q '^Usage: Harvester' || fail "Harvester --help"
as_user cvcheck --help | grep -q -- '--term' || fail "cvcheck --help"
status=0
as_user QT_QPA_PLATFORM=offscreen timeout 20 Corvane >"$work/corvane.log" 2>&1 || status=$?
[ "$status" -eq 124 ] || { cat "$work/corvane.log" >&2; fail "Corvane ended with status $status instead of running"; }
store="$root/home/user/.config/Corvane/registry.reg"
[ -f "$root/home/user/.local/share/Corvane/Data/CVProject.dat" ] || fail "no data folder with tables"
grep -q '^"DataFolder"="/home/user/.local/share/Corvane/Data/"$' "$store" || fail "the store does not name the data folder"
echo "Harvester --help, cvcheck --help and Corvane (offscreen, first start) ran from the installed package"
