#!/usr/bin/env bash
# The manual's examples are what the program prints. Each example with its output is a
# transcript: in README.md and doc/*.md a fenced block of the info string "console", in the man
# pages a .EX/.EE block. A line that begins "$ " is a command, the lines after it are what it
# writes, standard output and standard error together as a terminal shows them. A block runs in
# one shell, from the top of a scratch copy of the tree's samples/ (so its first command says
# where: "cd samples"), with the built program as zunova and an English locale; the folder of the
# installed data, /usr/share/zunova, is a scratch folder holding what the package puts there.
# The transcript it makes must be the block, byte for byte.
#
# usage: doc_examples.sh ZUNOVA SOURCE_DIR
set -u

zunova=$1
source_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
examples=0

# The blocks of a Markdown file, each line of a block as it stands, a block ended by a line
# "@@end".
markdown_blocks() {
    awk '/^```console$/ { inside = 1; next }
         inside && /^```$/ { print "@@end"; inside = 0; next }
         inside { print }' "$1"
}

# The blocks of a man page, roff's escapes read: \- a dash, \e a backslash, \& nothing. Any other
# escape (a font change, say) is reported: the transcript would not be what man shows.
man_blocks() {
    awk '/^\.EX$/ { inside = 1; next }
         inside && /^\.EE$/ { print "@@end"; inside = 0; next }
         inside {
             line = ""
             for (i = 1; i <= length($0); ++i) {
                 c = substr($0, i, 1)
                 if (c == "\\") {
                     e = substr($0, ++i, 1)
                     if (e == "-") c = "-"
                     else if (e == "e") c = "\\"
                     else if (e == "&") c = ""
                     else { print FILENAME ":" FNR ": an escape not read here: \\" e > "/dev/stderr"; exit 1 }
                 }
                 line = line c
             }
             print line
         }' "$1"
}

# run_block WHERE LOCALE: runs the block in $work/expected as a transcript and compares.
run_block() {
    local scratch=$work/run
    rm -rf "$scratch"
    mkdir -p "$scratch/bin" "$scratch/installed"
    cp -R "$source_dir/samples" "$scratch/samples"
    cp "$source_dir/samples/k.dat" "$scratch/installed/k.dat"
    ln -s "$zunova" "$scratch/bin/zunova"
    # The script: each command echoed as the transcript shows it, then run with $? as the
    # command before it left it.
    local script=$work/script.sh line command
    : >"$script"
    while IFS= read -r line; do
        [[ $line == '$ '* ]] || continue
        command=${line#\$ }
        printf 'status=$?; printf "%%s\\n" %q; (exit $status)\n%s\n' "$line" \
            "${command//\/usr\/share\/zunova/$scratch/installed}" >>"$script"
    done <"$work/expected"
    (cd "$scratch" && unset LC_ALL LC_MESSAGES LANGUAGE &&
        HOME=$scratch LANG=$2 PATH=$scratch/bin:$PATH bash --noprofile --norc "$script") \
        >"$work/actual" 2>&1
    examples=$((examples + 1))
    if ! diff -u --label "$1 (as written)" --label "$1 (as run)" "$work/expected" "$work/actual"; then
        failures=$((failures + 1))
    fi
}

# check FILE EXTRACTOR LOCALE: every block of FILE, run under LOCALE.
check() {
    local file=$1 blocks block=0 line
    blocks=$("$2" "$source_dir/$file") || { failures=$((failures + 1)); return; }
    : >"$work/expected"
    while IFS= read -r line; do
        if [ "$line" = "@@end" ]; then
            block=$((block + 1))
            run_block "$file, example $block" "$3"
            : >"$work/expected"
        else
            printf '%s\n' "$line" >>"$work/expected"
        fi
    done <<<"$blocks"
    echo "$file: examples: $block"
}

for file in "$source_dir"/README.md "$source_dir"/doc/*.md; do
    check "${file#"$source_dir"/}" markdown_blocks C.UTF-8
done
check doc/zunova.1.in man_blocks C.UTF-8
# The Japanese page shows what its reader sees.
check doc/zunova.ja.1.in man_blocks ja_JP.UTF-8

if [ "$examples" -eq 0 ]; then
    echo "no examples found" >&2
    exit 1
fi
[ "$failures" -eq 0 ] || { echo "$failures of $examples examples are not what the program prints" >&2; exit 1; }
echo "all $examples examples are what the program prints"
