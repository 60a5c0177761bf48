#!/usr/bin/env bash
# Builds the release preset, packages it with cpack -G DEB, installs the package for real (apt
# resolves its dependencies), checks what it installed, validates the desktop entry, the AppStream
# metadata and the package (lintian: no errors, no warnings), and removes it again.
# Needs root or sudo (apt-get). Leaves build/release/zunova_<version>_<arch>.deb behind.
set -euo pipefail
cd "$(dirname "$0")/.."
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
apt_get() { $sudo env DEBIAN_FRONTEND=noninteractive apt-get "$@"; }

passed=0 failed=0
# check DESCRIPTION COMMAND...: runs one check, counts it, and goes on either way.
check() {
    local description=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        echo "FAIL: $description" >&2
        failed=$((failed + 1))
    fi
}
contains() { [[ "$1" == *"$2"* ]]; }

echo "== Release build and package"
cmake --preset release
cmake --build --preset release -j"$(nproc)"
rm -f build/release/zunova_*.deb
(cd build/release && cpack -G DEB)
debs=(build/release/zunova_*.deb)
[ "${#debs[@]}" -eq 1 ] || { echo "expected one package, found: ${debs[*]}" >&2; exit 1; }
deb=$(realpath "${debs[0]}")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/CMakeCache.txt)

echo "== Control fields"
dpkg-deb --field "$deb" Package Version Section Maintainer Depends
check "package name" [ "$(dpkg-deb --field "$deb" Package)" = zunova ]
check "package version is the project's ($version)" [ "$(dpkg-deb --field "$deb" Version)" = "$version" ]
depends=$(dpkg-deb --field "$deb" Depends)
check "Depends names a Japanese Gothic font" \
    contains "$depends" "fonts-ipafont-gothic | fonts-noto-cjk | fonts-vlgothic"
check "Depends has the Qt libraries (shlibdeps)" contains "$depends" libqt6widgets6

echo "== Install"
remove() { if dpkg -s zunova >/dev/null 2>&1; then apt_get purge -y zunova >/dev/null; fi; }
remove
trap remove EXIT
apt_get install -y "$deb"
check "dpkg sees it installed" sh -c "dpkg -s zunova | grep -qx 'Status: install ok installed'"

out=$(/usr/bin/zunova --version)
echo "/usr/bin/zunova --version: $out"
check "--version prints the version" [ "$out" = "zunova $version" ]

listed=build/release/installed-files
dpkg -L zunova | while read -r path; do [ -d "$path" ] || echo "$path"; done | LC_ALL=C sort >"$listed"
echo "installed files (dpkg -L zunova, without folders):"
sed 's/^/  /' "$listed"
check "installed files are those of packaging/installed-files" \
    diff -u <(sed 's|^|/usr/|' packaging/installed-files | LC_ALL=C sort) "$listed"
check "/usr/share/zunova/k.dat is samples/k.dat" cmp samples/k.dat /usr/share/zunova/k.dat
check "the desktop entry starts in /usr/share/zunova" \
    grep -qx 'Path=/usr/share/zunova' /usr/share/applications/org.example.zunova.desktop

echo "== desktop-file-validate"
check "desktop-file-validate" desktop-file-validate /usr/share/applications/org.example.zunova.desktop
echo "== appstreamcli validate --no-net"
check "appstreamcli validate" \
    appstreamcli validate --no-net /usr/share/metainfo/org.example.zunova.metainfo.xml
echo "== lintian $(lintian --version)"
# Every tag is shown, down to pedantic ones. Errors and warnings fail the check, and so do
# informational tags: the hardening flags (bind now) and dh_strip's sections show only there.
check "lintian: no errors, warnings or informational tags" \
    lintian --display-info --pedantic --fail-on error,warning,info "$deb"

echo "== Remove"
trap - EXIT
apt_get purge -y zunova
check "the program is gone" [ ! -e /usr/bin/zunova ]
check "dpkg no longer knows it" sh -c '! dpkg -s zunova >/dev/null 2>&1'

echo "package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
