#!/usr/bin/env bash
# Renders the hand-written SVG sources in resources/src/ into the PNG and GIF
# files that resources.qrc compiles into the application.
#
# Needs: rsvg-convert (Debian: librsvg2-bin) and ImageMagick's convert.
# Run from any directory:  resources/make-images.sh
#
# Shared palette (the same hex values are used in every SVG):
#   ink   #2b3440  glyph strokes / fills
#   tile  #f4f6f8  tool-bar tile, edge #c3ccd6, shadow #1b2430 at 22 %
#   red   #dc2f45  diagnostics, missed calls, "out" meter heading
#   blue  #1f8fd6  system (settings, info), HD voice, incoming-call spinner
#   green #25a55f  telephony (dial pad, phone book, messages, history)
#   amber #f2a900  audio processing (equaliser, dynamics)
# plus tints of these: #17679b (badge edge), #aab4bf #d5dbe1 #9aa4ae #8a949e
# (greys of the idle HD badge and dotted guides), #dfe7ee (spinner track) and
# the pale greens of the green spinner's tail.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
src=$here/src
png=$here/png
gif=$here/gif

for tool in rsvg-convert convert; do
    command -v "$tool" >/dev/null || { echo "make-images.sh: $tool is missing" >&2; exit 1; }
done

mkdir -p "$png" "$gif"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# render NAME WIDTH HEIGHT : src/NAME.svg -> png/NAME.png
render() {
    rsvg-convert -w "$2" -h "$3" "$src/$1.svg" -o "$tmp/$1.png"
    convert "$tmp/$1.png" -strip -define png:compression-level=9 "$png/$1.png"
    echo "png/$1.png"
}

# Tool-bar icons: shown at 48x48, rendered at 2x for high-DPI screens.
for name in dialpad phonebook equalizer1 wave2 settings2 sms4 info history debug1; do
    render "$name" 96 96
done

# Level-meter headings (stretched as border-image of a 68x25 label).
render arrow_plain_green_S 96 48
render arrow_plain_red_N 96 48

# Call-control button glyphs.
render call3 64 64
render hang 64 64
render call2 32 32

# HD voice indicator.
render hdgrey180 180 60
render hdblue 180 60

# Call history table icons.
for name in baseline_call_received_black_48dp baseline_call_made_black_48dp baseline_call_missed_black_48dp; do
    render "$name" 96 96
done

# spinner SOURCE OUTPUT FRAMES SIZE DELAY : rotate the group in SOURCE by 360/FRAMES
# degrees per frame, DELAY in 1/100 s. GIF has only on/off transparency, so soft edges are
# blended onto the mid-grey window colour rgb(130,130,130) and the untouched
# background is keyed out to transparent.
spinner() {
    local source=$1 output=$2 frames=$3 size=$4 delay=$5 i angle
    local matte='#828282'
    local list=()
    for ((i = 0; i < frames; i++)); do
        angle=$((i * 360 / frames))
        sed "s/rotate(0 16 16)/rotate($angle 16 16)/" "$src/$source.svg" > "$tmp/frame.svg"
        rsvg-convert -w "$size" -h "$size" "$tmp/frame.svg" -o "$tmp/frame.png"
        convert "$tmp/frame.png" -background "$matte" -flatten -transparent "$matte" \
            "$tmp/$source-$(printf %02d "$i").png"
        list+=("$tmp/$source-$(printf %02d "$i").png")
    done
    convert -delay "$delay" -loop 0 -dispose previous "${list[@]}" -strip "$gif/$output"
    echo "gif/$output"
}

spinner spinner_green ajax_loader_green_32.gif 8 32 10
spinner spinner_blue ajax-loader.gif 12 32 8
