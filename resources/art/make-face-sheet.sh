#!/usr/bin/env bash
# Draws docs/screenshots/focus-faces.png from the rendered button faces in
# resources/bitmaps: for every button its up face (U) beside its focus face (F),
# once at the native size and once at 200 %, every pixel a 2 x 2 block, as a
# screen scaled to 200 % shows them. With it one can judge at a glance whether
# a child sees which button has the keyboard focus.
# Run it after render-art.sh. An optional first argument names another output.
# Needs ImageMagick's convert (and fc-match to find the label font).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
bitmaps=$root/resources/bitmaps
out=${1:-$root/docs/screenshots/focus-faces.png}

buttons=(OK NEXT CANCEL HELPBUTTON OK2 CANCEL2 LOESEN NOCHMALS)
page="#d5dce4"   # a cool grey that sets off both the white and the black bevel
ink="#1e1e1e"
font=$(fc-match -f '%{file}' 'Liberation Sans:bold' 2>/dev/null || true)
fontopt=()
[ -n "$font" ] && fontopt=(-font "$font")

# Cells as wide as the widest face plus a gap; a row as high as a face at 200 %.
name_w=130 gap=20
small_w=$((87 + gap)) large_w=$((2 * 87 + gap)) row_h=$((2 * 44 + gap / 2))

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A text cell of the given size, the text at the given gravity.
text() {
    local w=$1 h=$2 gravity=$3 size=$4 words=$5 file=$6
    convert -size "${w}x${h}" xc:"$page" "${fontopt[@]}" -pointsize "$size" -fill "$ink" \
        -gravity "$gravity" -annotate +6+0 "$words" "$file"
}

# A face in a cell of the given width, scaled by whole pixels without blending.
cell() {
    local face=$1 scale=$2 w=$3 file=$4
    convert "$face" -scale "$scale" -background "$page" -gravity center \
        -extent "${w}x${row_h}" "$file"
}

text "$name_w" 30 southwest 15 "Knopf" "$work/h0.png"
text "$small_w" 30 south 15 "normal" "$work/h1.png"
text "$small_w" 30 south 15 "Fokus" "$work/h2.png"
text "$large_w" 30 south 15 "normal, 200 %" "$work/h3.png"
text "$large_w" 30 south 15 "Fokus, 200 %" "$work/h4.png"
convert "$work"/h[0-4].png +append "$work/row-0.png"

rows=("$work/row-0.png")
for name in "${buttons[@]}"; do
    up=$bitmaps/${name}U.bmp focus=$bitmaps/${name}F.bmp
    for f in "$up" "$focus"; do
        [ -f "$f" ] || { echo "make-face-sheet: missing $f (run render-art.sh)" >&2; exit 1; }
    done
    text "$name_w" "$row_h" west 15 "$name" "$work/$name-0.png"
    cell "$up" 100% "$small_w" "$work/$name-1.png"
    cell "$focus" 100% "$small_w" "$work/$name-2.png"
    cell "$up" 200% "$large_w" "$work/$name-3.png"
    cell "$focus" 200% "$large_w" "$work/$name-4.png"
    convert "$work/$name"-[0-4].png +append "$work/row-$name.png"
    rows+=("$work/row-$name.png")
done

mkdir -p "$(dirname "$out")"
# No time stamps in the file, so that retaking an unchanged sheet changes nothing.
convert "${rows[@]}" -append -bordercolor "$page" -border 8 -depth 8 -strip \
    -define png:exclude-chunks=date,time "$out"
echo "$out"
