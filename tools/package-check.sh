#!/usr/bin/env bash
# Builds the release preset, packages it with cpack -G DEB (zunova-cli: the command line; zunova:
# the window, on top of it), installs the command line alone and then the window for real (apt
# resolves their dependencies), checks what each installed and what each depends on, validates
# the desktop entry, the AppStream metadata and both packages (lintian: no errors, warnings or
# informational tags), and removes them again.
# Needs root or sudo (apt-get). Leaves build/release/zunova{-cli,}_<version>_<arch>.deb behind.
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
lacks() { ! grep -Eq "$2" <<<"$1"; }
installed() { dpkg -s "$1" 2>/dev/null | grep -qx 'Status: install ok installed'; }
# The files dpkg installed for a package, without folders, against packaging/installed-files.
same_files() {
    diff -u <(awk -v p="$1" '$1 == p { print "/usr/" $2 }' packaging/installed-files | LC_ALL=C sort) \
        <(dpkg -L "$1" | while read -r path; do [ -d "$path" ] || echo "$path"; done | LC_ALL=C sort)
}

echo "== Release build and packages"
cmake --preset release
cmake --build --preset release -j"$(nproc)"
rm -f build/release/zunova*_*.deb
(cd build/release && cpack -G DEB)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/CMakeCache.txt)
arch=$(dpkg --print-architecture)
cli_deb=$(realpath "build/release/zunova-cli_${version}_$arch.deb")
gui_deb=$(realpath "build/release/zunova_${version}_$arch.deb")

echo "== Control fields"
for deb in "$cli_deb" "$gui_deb"; do
    dpkg-deb --field "$deb" Package Version Section Maintainer Depends
    echo
    check "$(basename "$deb"): version is the project's ($version)" \
        [ "$(dpkg-deb --field "$deb" Version)" = "$version" ]
done
check "package names" [ "$(dpkg-deb --field "$cli_deb" Package) $(dpkg-deb --field "$gui_deb" Package)" = "zunova-cli zunova" ]
depends=$(dpkg-deb --field "$cli_deb" Depends)
check "zunova-cli depends on Qt Core (shlibdeps)" contains "$depends" libqt6core6
check "zunova-cli depends on libzip and expat (shlibdeps of the workbook module)" \
    contains "$depends" libzip4
check "and expat" contains "$depends" libexpat1
check "zunova-cli depends on nothing of a display: Qt Gui or Widgets, X, GL, fonts" \
    lacks "$depends" 'libqt6(gui|widgets)|libx11|libxcb|libgl1|libglx|libegl|libgles|libopengl|fontconfig|freetype|fonts-'
depends=$(dpkg-deb --field "$gui_deb" Depends)
check "zunova depends on exactly this zunova-cli" contains "$depends" "zunova-cli (= $version)"
check "zunova depends on a Japanese Gothic font" \
    contains "$depends" "fonts-ipafont-gothic | fonts-noto-cjk | fonts-vlgothic"
check "zunova depends on Qt Widgets (shlibdeps of the window module)" contains "$depends" libqt6widgets6
check "zunova depends on Qt's Japanese translation" contains "$depends" qt6-translations-l10n

remove() {
    for package in zunova zunova-cli; do
        if dpkg -s "$package" >/dev/null 2>&1; then apt_get purge -y "$package" >/dev/null; fi
    done
}
remove
trap remove EXIT

echo "== The command line alone"
apt_get install -y "$cli_deb"
check "dpkg sees zunova-cli installed" installed zunova-cli
check "and not the window" sh -c '! dpkg -s zunova >/dev/null 2>&1'
check "zunova-cli installed the files of packaging/installed-files" same_files zunova-cli
out=$(/usr/bin/zunova --version)
echo "/usr/bin/zunova --version: $out"
check "--version prints the version" [ "$out" = "zunova $version" ]
out=$(cd /usr/share/zunova && /usr/bin/zunova 09012345678)
echo "cd /usr/share/zunova && zunova 09012345678: $out"
check "a lookup answers as the built program does" \
    [ "$out" = "$(cd samples && ../build/release/app/zunova 09012345678)" ]
check "/usr/share/zunova/k.dat is samples/k.dat" cmp samples/k.dat /usr/share/zunova/k.dat
# A workbook of one sheet, as Python's zipfile writes it: the module installed reads it.
book=$(mktemp -d)
/usr/bin/python3 - "$book/book.xlsx" <<'PYTHON'
import sys, zipfile
main = 'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"'
rels = 'xmlns="http://schemas.openxmlformats.org/package/2006/relationships"'
kind = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("_rels/.rels", '<Relationships %s><Relationship Id="r1" Type="%sofficeDocument" '
               'Target="xl/workbook.xml"/></Relationships>' % (rels, kind))
    z.writestr("xl/workbook.xml", '<workbook %s xmlns:r="%s"><sheets><sheet name="S" sheetId="1" '
               'r:id="r1"/></sheets></workbook>' % (main, kind[:-1]))
    z.writestr("xl/_rels/workbook.xml.rels", '<Relationships %s><Relationship Id="r1" '
               'Type="%sworksheet" Target="s.xml"/></Relationships>' % (rels, kind))
    z.writestr("xl/s.xml", '<worksheet %s><sheetData><row r="1"><c><v>9012345678</v></c></row>'
               '</sheetData></worksheet>' % main)
PYTHON
out=$(cd /usr/share/zunova && /usr/bin/zunova --csv "$book/book.xlsx" -o "$book/copy.xlsx" 2>&1 &&
      /usr/bin/python3 -c 'import sys, zipfile; print(zipfile.ZipFile(sys.argv[1]).read("xl/s.xml").decode())' \
          "$book/copy.xlsx")
rm -rf "$book"
check "the installed workbook module adds the carrier to a workbook" \
    contains "$out" "$(cd samples && ../build/release/app/zunova 09012345678 | cut -f2)</t>"
status=0
err=$(/usr/bin/zunova 2>&1) || status=$?
echo "zunova without arguments: $err (status $status)"
check "without the window package, no arguments: a message and status 1" \
    contains "$status $err" "1 zunova: cannot open the window: "

echo "== The window"
apt_get install -y "$gui_deb"
check "dpkg sees zunova installed" installed zunova
check "zunova installed the files of packaging/installed-files" same_files zunova
status=0
QT_QPA_PLATFORM=offscreen timeout 5 /usr/bin/zunova || status=$?
check "without arguments the window opens and stays (status $status: 124 when stopped by timeout)" \
    [ "$status" -eq 124 ]
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
    lintian --display-info --pedantic --fail-on error,warning,info "$cli_deb" "$gui_deb"

echo "== Remove"
trap - EXIT
apt_get purge -y zunova zunova-cli
check "the program and the window are gone" sh -c '[ ! -e /usr/bin/zunova ] && [ ! -e /usr/lib/zunova ]'
check "dpkg no longer knows either" sh -c '! dpkg -s zunova-cli >/dev/null 2>&1 && ! dpkg -s zunova >/dev/null 2>&1'

echo "packages: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
