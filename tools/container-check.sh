#!/usr/bin/env bash
# Installs the command-line package into a bare Debian 12 (debootstrap --variant=minbase: what a
# container image holds) the way a user would, `apt-get install ./zunova-cli_<version>_<arch>.deb`,
# counts the packages apt pulls in, checks that nothing of a display is among them, and runs
# `zunova --version` and a lookup inside. Leaves nothing behind.
# Needs root, debootstrap and a Debian mirror (MIRROR, default http://deb.debian.org/debian);
# takes a few minutes, most of them debootstrap's, so CI does not run it.
# Usage: tools/container-check.sh [zunova-cli .deb, default build/release/zunova-cli_*.deb]
set -euo pipefail
cd "$(dirname "$0")/.."
mirror=${MIRROR:-http://deb.debian.org/debian}
deb=${1:-$(echo build/release/zunova-cli_*.deb)}
[ -f "$deb" ] || { echo "container-check: no package $deb; run tools/package-check.sh" >&2; exit 1; }
deb=$(realpath "$deb")

root=$(mktemp -d /tmp/zunova-bookworm.XXXXXX)
cleanup() {
    umount "$root/proc" 2>/dev/null || true
    rm -rf --one-file-system "$root"
}
trap cleanup EXIT

echo "== debootstrap --variant=minbase bookworm $root $mirror"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.log" 2>&1 ||
    { tail -20 "$root.log" >&2; rm -f "$root.log"; exit 1; }
rm -f "$root.log"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
cp "$deb" "$root/tmp/"
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }

echo "== apt-get install -y ./$(basename "$deb") (in $root/tmp)"
in_root apt-get update -q >/dev/null
in_root sh -c "cd /tmp && DEBIAN_FRONTEND=noninteractive apt-get install -y ./$(basename "$deb")" |
    tee "$root/tmp/apt.log"
newly=$(sed -n 's/^[0-9]* upgraded, \([0-9]*\) newly installed.*/\1/p' "$root/tmp/apt.log")
echo "apt installed $newly packages: zunova-cli and $((newly - 1)) it pulled in"

failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}
display=$(in_root dpkg-query -W -f '${Package}\n' | grep -E '^(libqt6(gui|widgets)|libx11|libxcb|libgl1|libglx|libegl|libgles|libopengl|libfontconfig|libfreetype|fonts-)' || true)
[ -z "$display" ] || fail "packages of a display were installed: $display"
version=$(in_root zunova --version) || fail "zunova --version failed"
echo "zunova --version: $version"
[ "$version" = "zunova $(dpkg-deb --field "$deb" Version)" ] || fail "--version printed '$version'"
answer=$(in_root sh -c 'cd /usr/share/zunova && zunova 09012345678') || fail "the lookup failed"
echo "cd /usr/share/zunova && zunova 09012345678: $answer"
[[ "$answer" == $'09012345678\t'?* ]] || fail "the lookup answered '$answer'"
[ "$failed" -eq 0 ] && echo "container: zunova-cli works in a bare Debian 12 ($newly packages installed)"
