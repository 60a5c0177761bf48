#!/usr/bin/env bash
# Installs a build into a temporary prefix with cmake --install and checks what lands there:
# exactly the files of packaging/installed-files (each component alone: the files of its
# package), a program that loads its window module from that prefix, a desktop entry whose Path= is the folder the
# k.dat went to (the program reads its data from the working directory), that k.dat identical
# to samples/k.dat, documentation compressed with gzip -9n, man pages (English and Japanese)
# that render cleanly, and a bash completion that completes the options and their values; and
# that --help, the man pages' option lists and the completion each show exactly the options of
# the program's table (as zunova_make_option_docs lists them), and nothing anywhere mentions
# another.
# Usage: install_test.sh BUILD-DIR SOURCE-DIR ZUNOVA-EXECUTABLE MAKE-OPTION-DOCS-EXECUTABLE
set -euo pipefail
build=$1 source=$2 zunova=$3 make_option_docs=$4

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/opt/zunova
cmake --install "$build" --prefix "$prefix" >"$work/install.log"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

listed() { (cd "$1" && find . -type f -printf '%P\n' | LC_ALL=C sort); }
listed "$prefix" >"$work/installed"
awk '{ print $2 }' "$source/packaging/installed-files" | LC_ALL=C sort >"$work/expected"
diff -u "$work/expected" "$work/installed" || fail "installed files differ from packaging/installed-files"
package_files() { awk -v p="$1" '$1 == p { print $2 }' "$source/packaging/installed-files" | LC_ALL=C sort; }
for component in cli gui; do
    package=zunova
    [ "$component" = gui ] || package=zunova-$component
    cmake --install "$build" --prefix "$work/$component" --component "$component" >/dev/null
    diff -u <(package_files "$package") <(listed "$work/$component") ||
        fail "component $component installs other files than package $package"
done

# Started without arguments, the installed program loads the module installed with it.
QT_QPA_PLATFORM=offscreen "$prefix/bin/zunova" 2>"$work/window.err" &
window=$!
module=$(package_files zunova | grep '[.]so$')
for _ in $(seq 600); do # a minute: long enough that only a hang runs out
    grep -qF " $prefix/$module" "/proc/$window/maps" 2>/dev/null && break
    sleep 0.1
done
grep -qF " $prefix/$module" "/proc/$window/maps" ||
    fail "the window did not load $prefix/$module: $(cat "$work/window.err")"
kill "$window" && wait "$window" || true

entry=$prefix/share/applications/org.example.zunova.desktop
[ "$(grep '^Path=' "$entry")" = "Path=$prefix/share/zunova" ] ||
    fail "desktop entry: $(grep '^Path=' "$entry") is not where k.dat went ($prefix/share/zunova)"
cmp "$source/samples/k.dat" "$prefix/share/zunova/k.dat" || fail "installed k.dat differs from samples/k.dat"
[ ! -e "$prefix/share/zunova/p.dat" ] || fail "the illustrative p.dat was installed"

# gzip header: byte 3 flags (no file name), bytes 4-7 time stamp (zero), byte 8 = 2 (best).
for gz in share/man/man1/zunova.1.gz share/man/ja/man1/zunova.1.gz share/doc/zunova-cli/changelog.gz \
    share/doc/zunova/changelog.gz; do
    gzip -t "$prefix/$gz" || fail "$gz is not valid gzip"
    header=$(od -An -tx1 -N9 "$prefix/$gz" | tr -d ' \n')
    [ "$header" = 1f8b08000000000002 ] || fail "$gz not made with gzip -9n (header $header)"
done

man_page=$work/zunova.1
gzip -dc "$prefix/share/man/man1/zunova.1.gz" >"$man_page"
man_page_ja=$work/zunova.ja.1
gzip -dc "$prefix/share/man/ja/man1/zunova.1.gz" >"$man_page_ja"

# The options a text mentions: words that begin with - or -- and a letter, not inside a word
# (utf-16le, run-time and a lone - are none), one a line.
option_words() {
    grep -oE -- '(^|[^[:alnum:]-])--?[[:alpha:]][[:alnum:]-]*' | sed -E 's/^[^-]*//' | LC_ALL=C sort -u
}
# roff as text: no font changes, \- a dash.
roff_text() { sed -E -e 's/\\f(\(..|\[[^]]*\]|.)//g' -e 's/\\-/-/g' -e 's/\\&//g'; }
# The headings of the man page's option list: the line after each .TP of its OPTIONS section.
man_option_list() {
    awk '/^\.SH / { options = $2 == "OPTIONS" || $2 == "オプション" } options && tp { print } { tp = $0 == ".TP" }'
}
table=$("$make_option_docs" names | tr ' ' '\n' | LC_ALL=C sort -u)
[ "$(wc -l <<<"$table")" -ge 9 ] || fail "the table of options lists only: $table"
# same_options WHAT OPTIONS: OPTIONS are exactly the table's.
same_options() { diff -u <(echo "$table") <(echo "$2") >&2 || fail "$1: not the table's options"; }
same_options "--help" "$("$zunova" --help | option_words)"
for page in "$man_page" "$man_page_ja"; do
    same_options "$page's option list" "$(man_option_list <"$page" | roff_text | option_words)"
    others=$(comm -13 <(echo "$table") <(roff_text <"$page" | option_words))
    [ -z "$others" ] || fail "$page mentions options the program does not have:" $others
done

# What bash-completion does on Tab after the installed program and the words given: prints the
# candidates, one a line.
completion=$prefix/share/bash-completion/completions/zunova
completes() {
    bash -c 'source /usr/share/bash-completion/bash_completion && source "$1" && shift &&
             COMP_WORDS=("$@") COMP_CWORD=$(($# - 1)) COMP_LINE="$*" COMP_POINT=${#COMP_LINE} &&
             _zunova "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
             printf "%s\n" "${COMPREPLY[@]}"' bash "$completion" "$prefix/bin/zunova" "$@"
}
if [ ! -f "$completion" ]; then
    fail "no bash completion at $completion"
elif [ -r /usr/share/bash-completion/bash_completion ]; then
    [ "$(completes --enc)" = --encoding ] || fail "completion: --enc gives $(completes --enc)"
    same_options "the completion's option words" "$(completes - | LC_ALL=C sort -u)"
    [ "$(completes --csv x --encoding utf-16 | tr '\n' ' ')" = "utf-16le utf-16be " ] ||
        fail "completion of --encoding values"
    # The columns, as the program reads the list: positions, and the header's names.
    printf 'name,tel\n' >"$work/list.csv"
    [ "$(completes --csv "$work/list.csv" --column '' | tr '\n' ' ')" = "1 2 name tel " ] ||
        fail "completion of --column: $(completes --csv "$work/list.csv" --column '')"
    [ "$(completes --csv "$work/list.csv" --encoding utf-8 --column n)" = name ] ||
        fail "completion of --column n: $(completes --csv "$work/list.csv" --encoding utf-8 --column n)"
    [ "$(completes --check "$work/list.")" = "$work/list.csv" ] || fail "completion of --check files"
    [ "$(completes --csv "$work/list.")" = "$work/list.csv" ] || fail "completion of --csv files"
fi

if command -v man >/dev/null; then
    for page in "$man_page" "$man_page_ja"; do
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "$page: man page warnings: $warnings"
    done
fi
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "desktop-file-validate"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$prefix/share/metainfo/org.example.zunova.metainfo.xml" ||
        fail "appstreamcli validate"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "install tree: $(wc -l <"$work/installed") files as expected"
