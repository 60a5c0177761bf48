#!/usr/bin/env bash
# Takes the manual's pictures with the real program on the bundled data, offscreen (no display
# needed): the main window with a number and its carrier, and a list window on
# samples/customers.csv, each at 1x and 2x scale, as OUT-DIR/main-window.png,
# main-window@2x.png, list-window.png and list-window@2x.png. A small Qt plugin loaded into the
# program (tools/pictures/) uses the windows through their controls and grabs them. Fails when
# a picture cannot be taken.
# Usage: tools/pictures.sh [BUILD-DIR, default build/dev] [OUT-DIR, default doc]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/dev}")
out=$(realpath -m "${2:-doc}")
zunova=$build/app/zunova
plugins=$build/tools/pictures/plugins
if [ ! -x "$zunova" ] || [ ! -d "$plugins/generic" ]; then
    echo "pictures: no $zunova or $plugins: build first (cmake --preset dev && cmake --build --preset dev)" >&2
    exit 1
fi
mkdir -p "$out"
work=$(mktemp -d) # also Qt's runtime folder, which must be the user's alone
trap 'rm -rf "$work"' EXIT

# The width of a PNG, from its header.
png_width() { od -An -tu4 --endian=big -j16 -N4 "$1" | tr -d ' '; }

for scale in 1 2; do
    mkdir "$work/$scale"
    (cd samples && env QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR="$scale" \
        QT_QPA_GENERIC_PLUGINS=zunovapictures QT_PLUGIN_PATH="$plugins" XDG_RUNTIME_DIR="$work" \
        ZUNOVA_PICTURES_DIR="$work/$scale" ZUNOVA_PICTURES_NUMBER=09012345678 \
        ZUNOVA_PICTURES_LIST=customers.csv timeout 120 "$zunova")
done
for picture in main-window list-window; do
    one=$work/1/$picture.png two=$work/2/$picture.png
    if [ "$(png_width "$two")" -ne $((2 * $(png_width "$one"))) ]; then
        echo "pictures: $picture at 2x is not twice as wide as at 1x" >&2
        exit 1
    fi
    mv "$one" "$out/$picture.png"
    mv "$two" "$out/$picture@2x.png"
    echo "pictures: $out/$picture.png, $out/$picture@2x.png"
done
