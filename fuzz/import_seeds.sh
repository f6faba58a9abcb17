#!/bin/bash
# Builds the seed corpora of the importer's fuzz targets from the suite pictures (fetched by
# tests/suites/run.sh into the cache) plus small BMP, ICO, JPEG and TIFF files made with
# ImageMagick, the committed GIF seeds and the kept regression inputs.
#
# usage: fuzz/import_seeds.sh DIR   -> DIR/import_picture_fuzz, DIR/import_bmp_fuzz, ...
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
DIR=$1
CACHE=${VOMRA_SUITES_CACHE:-${VOMRA_CACHE:-/var/cache/vomracube}/suites}
mkdir -p "$DIR"/{import_picture_fuzz,import_bmp_fuzz,import_ico_fuzz,import_gif_fuzz}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

convert -size 13x7 gradient:red-blue "$WORK/base.png"
for depth in 1 4 8; do
    convert "$WORK/base.png" -colors $((1 << depth)) -type Palette "BMP3:$DIR/import_bmp_fuzz/p$depth.bmp"
done
convert "$WORK/base.png" -colors 200 -compress RLE "BMP3:$DIR/import_bmp_fuzz/rle8.bmp"
convert "$WORK/base.png" -type TrueColor "BMP3:$DIR/import_bmp_fuzz/rgb24.bmp"
convert "$WORK/base.png" -define bmp:format=bmp2 "BMP2:$DIR/import_bmp_fuzz/core.bmp"
# ImageMagick's default writer: the 124-byte header (108 bytes for two colours).
convert "$WORK/base.png" -type TrueColor "BMP:$DIR/import_bmp_fuzz/v5-24.bmp"
convert "$WORK/base.png" -alpha set "BMP:$DIR/import_bmp_fuzz/v5-32-alpha.bmp"
convert "$WORK/base.png" -define bmp:subtype=RGB565 "BMP:$DIR/import_bmp_fuzz/v5-565.bmp"
convert "$WORK/base.png" -colors 16 -type Palette "BMP:$DIR/import_bmp_fuzz/v5-4.bmp"
convert "$WORK/base.png" -type Bilevel "BMP:$DIR/import_bmp_fuzz/v4-1.bmp"
convert "$WORK/base.png" -resize 16x16! -colors 16 "$DIR/import_ico_fuzz/small.ico"
convert "$WORK/base.png" -resize 16x16! "$WORK/a.png"
convert "$WORK/base.png" -resize 32x32! "$WORK/b.png"
convert "$WORK/a.png" "$WORK/b.png" "$DIR/import_ico_fuzz/two.ico"
# The 256-pixel image is stored as a PNG file.
convert "$WORK/base.png" -define icon:auto-resize=256,16 "$DIR/import_ico_fuzz/png256.ico"
convert "$WORK/base.png" -quality 80 "$DIR/import_picture_fuzz/c.jpg"
convert "$WORK/base.png" -colorspace Gray "$DIR/import_picture_fuzz/g.jpg"
convert "$WORK/base.png" -interlace JPEG "$DIR/import_picture_fuzz/p.jpg"
convert "$WORK/base.png" "$DIR/import_picture_fuzz/c.tif"
convert "$WORK/base.png" -compress LZW "$DIR/import_picture_fuzz/lzw.tif"

if [ -d "$CACHE/giflib" ]; then
    find "$CACHE/giflib" -name '*.gif' -size -64k -exec cp {} "$DIR/import_gif_fuzz/" \;
    find "$CACHE/giflib" -name '*.ico' -exec cp {} "$DIR/import_ico_fuzz/" \;
fi
if [ -d "$CACHE/libpng1.6" ]; then
    find "$CACHE/libpng1.6/contrib/pngsuite" -name '*.png' -exec cp {} "$DIR/import_picture_fuzz/" \;
fi
# GIFs whose codes span sub-blocks of 1 to 7 bytes: common encoders write 255-byte blocks,
# and mutating those never yields the long chains of tiny blocks that legal files may hold.
cp "$ROOT"/fuzz/corpus/import_gif_fuzz/* "$DIR/import_gif_fuzz/"
cp "$ROOT"/fuzz/corpus/import_bmp_fuzz/* "$DIR/import_bmp_fuzz/"
cp "$ROOT"/fuzz/corpus/import_ico_fuzz/* "$DIR/import_ico_fuzz/"
cp "$DIR"/import_bmp_fuzz/* "$DIR"/import_ico_fuzz/* "$DIR"/import_gif_fuzz/* "$DIR/import_picture_fuzz/"
for fuzzer in import_picture_fuzz import_bmp_fuzz import_ico_fuzz import_gif_fuzz; do
    if [ -d "$ROOT/fuzz/regressions/$fuzzer" ]; then
        cp "$ROOT/fuzz/regressions/$fuzzer"/* "$DIR/$fuzzer/" 2>/dev/null || true
    fi
done
