#!/bin/sh
# Runs a test program as an unprivileged user, so that permission checks mean something when the
# suite runs as root (root reads every file). The build tree may lie where that user cannot go (a
# clone in root's home, mode 0700), so the program is copied to a folder of its own in /tmp and
# run there. Exits 77 (skipped) where that cannot be done.
[ "$(id -u)" -eq 0 ] || exec "$@"
command -v setpriv >/dev/null 2>&1 || exit 77
as_nobody() { env HOME=/tmp TMPDIR=/tmp setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
place=$(mktemp -d /tmp/zunova-unprivileged.XXXXXX) || exit 77
trap 'rm -rf "$place"' EXIT
program=$place/$(basename "$1")
cp "$1" "$program" 2>/dev/null && chmod 0755 "$place" "$program" || exit 77
cd "$place" || exit 77
shift
as_nobody test -x "$program" || exit 77
as_nobody "$program" "$@"
