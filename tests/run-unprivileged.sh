#!/bin/sh
# Runs a test program as an unprivileged user, so that permission checks mean something when the
# suite runs as root (root reads every file). Exits 77 (skipped) where that cannot be done.
[ "$(id -u)" -eq 0 ] || exec "$@"
command -v setpriv >/dev/null 2>&1 || exit 77
as_nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
as_nobody test -x "$1" || exit 77
exec env HOME=/tmp TMPDIR=/tmp setpriv --reuid=65534 --regid=65534 --clear-groups "$@"
