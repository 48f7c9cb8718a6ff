#!/usr/bin/env bash
# Rebuilds the picture fixtures of tst_picturefile with ImageMagick's convert
# (package imagemagick). Each picture is drawn from one of three small
# reference patterns, kept as PNG beside the results; the test compares every
# decoded picture with its reference pixel by pixel. The patterns are 37 × 11
# pixels: an odd width, so rows need padding, and runs as well as changing
# colours, so RLE writes both encoded and literal runs.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The reference patterns as plain PPM text: 16 colours, 64 colours, 2 colours.
python3 - "$tmp" <<'PY'
import sys
out = sys.argv[1]
W, H = 37, 11
def write(name, colour):
    with open(f"{out}/{name}.ppm", "w") as f:
        f.write(f"P3\n{W} {H}\n255\n")
        for y in range(H):
            f.write(" ".join("%d %d %d" % colour(x, y) for x in range(W)) + "\n")
pal16 = [((i * 16) & 255, (255 - i * 16) & 255, (i * 73) & 255) for i in range(16)]
pal64 = [((i * 4) & 255, (255 - i * 3) & 255, (i * 73) & 255) for i in range(64)]
write("ref16", lambda x, y: pal16[(x // 4 + y) % 16 if y < H // 2 else (x * 7 + y * 3) % 16])
write("ref64", lambda x, y: pal64[(x // 4 + y * 5) % 64 if y < H // 2 else (x * 7 + y * 3) % 64])
write("ref2", lambda x, y: (255, 200, 0) if (x * x + y) % 3 == 0 else (0, 40, 120))
PY
for ref in ref16 ref64 ref2; do
    convert "$tmp/$ref.ppm" -define png:exclude-chunks=date,time "PNG24:$ref.png"
done

convert "$tmp/ref2.ppm" -type Palette -compress None BMP3:bits1.bmp
convert "$tmp/ref16.ppm" -type Palette -compress None BMP3:bits4.bmp
convert "$tmp/ref64.ppm" -type Palette -compress None BMP3:bits8.bmp
convert "$tmp/ref64.ppm" -type Palette -compress RLE BMP3:rle8.bmp
convert "$tmp/ref16.ppm" -type TrueColor BMP3:bits24.bmp
convert "$tmp/ref16.ppm" -type Palette -compress None BMP:bits4-v5.bmp
convert "$tmp/ref16.ppm" -type TrueColor BMP:bits24-v5.bmp
convert "$tmp/ref16.ppm" -type TrueColorAlpha BMP:bits32-v5.bmp
convert "$tmp/ref16.ppm" BMP2:bits24-core.bmp
convert "$tmp/ref16.ppm" -interlace None GIF:plain.gif
convert "$tmp/ref16.ppm" -interlace GIF GIF:interlaced.gif
# Colour 0 of ref16, pure green, transparent.
convert "$tmp/ref16.ppm" -transparent "rgb(0,255,0)" GIF:transparent.gif
# Two frames: the reader shows the first one only.
convert "$tmp/ref16.ppm" "$tmp/ref2.ppm" -delay 50 -loop 0 GIF:animated.gif

# Broken files: each must give no picture.
mkdir -p broken
cd broken
rm -f ./*
patch() { # file offset hex-bytes: overwrites bytes in place
    printf "$(echo "$3" | sed 's/../\\x&/g')" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
: >empty.bmp
printf 'BM' >magic-only.bmp
printf 'GIF89a' >magic-only.gif
printf 'Dies ist kein Bild.\n' >text.bmp
convert "$tmp/ref16.ppm" -define png:exclude-chunks=date,time PNG:png-named.gif
head -c 30 ../bits24.bmp >truncated-header.bmp
head -c 700 ../bits24.bmp >truncated-rows.bmp
head -c 300 ../rle8.bmp >truncated-rle8.bmp
head -c 13 ../plain.gif >truncated-after-screen.gif
head -c 120 ../plain.gif >truncated-frame.gif
cp ../bits1.bmp huge-100000x100000.bmp && patch huge-100000x100000.bmp 18 a0860100a0860100
cp ../bits24.bmp zero-width.bmp && patch zero-width.bmp 18 00000000
cp ../bits24.bmp zero-height.bmp && patch zero-height.bmp 22 00000000
cp ../bits24.bmp min-height.bmp && patch min-height.bmp 22 00000080
cp ../rle8.bmp rle8-top-down.bmp && patch rle8-top-down.bmp 22 f5ffffff
cp ../bits8.bmp huge-palette.bmp && patch huge-palette.bmp 46 ffffff7f
cp ../bits8.bmp palette-257.bmp && patch palette-257.bmp 46 01010000
cp ../bits24.bmp header-size-huge.bmp && patch header-size-huge.bmp 14 f0ffffff
cp ../bits24.bmp header-size-20.bmp && patch header-size-20.bmp 14 14000000
cp ../bits24.bmp bit-count-7.bmp && patch bit-count-7.bmp 28 0700
cp ../bits24.bmp planes-0.bmp && patch planes-0.bmp 26 0000
cp ../bits24.bmp compression-jpeg.bmp && patch compression-jpeg.bmp 30 04000000
cp ../bits24.bmp offset-beyond-end.bmp && patch offset-beyond-end.bmp 10 00000100
cp ../plain.gif huge-screen.gif && patch huge-screen.gif 6 ffffffff
cp ../plain.gif zero-screen.gif && patch zero-screen.gif 6 00000000
