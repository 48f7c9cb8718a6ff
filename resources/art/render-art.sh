#!/usr/bin/env bash
# Renders the SVG art sources into the bitmaps that the program embeds and that
# its content folder ships. Each *.list file beside this script has one line per
# picture:   <svg source, relative to this folder>  <output, relative to the
# repository root>  <width>x<height>  <colours: 2|16|256|24>
# Outputs ending in .bmp become Windows BMP files (palette for 2/16/256 colours,
# true colour for 24), .gif become GIF files, .png stay PNG (with alpha), and
# .svg are copied as they are (for scalable icons; the size is then unused).
# A source may fix its own palette with the attribute data-palette="#rrggbb ..."
# on its <svg> element: every pixel then takes the nearest of those colours
# (no more than the list's colour count), so that small but important spots,
# a red nose or a yellow flower, keep their colour in a 16-colour picture.
# Needs rsvg-convert (librsvg2-bin) and ImageMagick's convert.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
only=${1:-}

render() {
    local src=$1 out=$2 size=$3 colours=$4
    local w=${size%x*} h=${size#*x}
    local tmp pal palette
    tmp=$(mktemp --suffix=.png)
    pal=$(mktemp --suffix=.png)
    palette=$(sed -n 's/.*data-palette="\([^"]*\)".*/\1/p' "$here/$src" | head -n 1)
    local reduce=(-colors "$colours")
    if [ -n "$palette" ]; then
        local swatches=()
        for c in $palette; do swatches+=("xc:$c"); done
        if [ "${#swatches[@]}" -gt "$colours" ]; then
            echo "render-art: $src: palette has ${#swatches[@]} colours, more than $colours" >&2
            exit 1
        fi
        convert -size 1x1 "${swatches[@]}" +append "$pal"
        reduce=(-remap "$pal")
    fi
    rsvg-convert -w "$w" -h "$h" "$here/$src" -o "$tmp"
    mkdir -p "$(dirname "$root/$out")"
    case "$out" in
    *.png) cp "$tmp" "$root/$out" ;;
    *.svg) cp "$here/$src" "$root/$out" ;;
    *.gif) convert "$tmp" -background white -flatten +dither "${reduce[@]}" "$root/$out" ;;
    *.bmp)
        if [ "$colours" = 24 ]; then
            convert "$tmp" -background white -flatten -type TrueColor -compress none BMP3:"$root/$out"
        else
            convert "$tmp" -background white -flatten +dither "${reduce[@]}" -type Palette -compress none BMP3:"$root/$out"
        fi
        ;;
    *) echo "render-art: unknown output type: $out" >&2; exit 1 ;;
    esac
    rm -f "$tmp" "$pal"
    echo "$out"
}

shopt -s nullglob
for list in "$here"/*.list; do
    while read -r src out size colours; do
        [[ -z "${src:-}" || "$src" == \#* ]] && continue
        [[ -n "$only" && "$src" != *"$only"* ]] && continue
        render "$src" "$out" "$size" "$colours"
    done <"$list"
done
