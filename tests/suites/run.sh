#!/bin/bash
# Checks the importer against others' test pictures: the PNG test suite from Debian's
# libpng1.6 source package and the GIF pictures from its giflib source package are decoded
# with vomracube-import, and every picture it accepts is compared pixel for pixel with
# Pillow's decoding (compare.py). The sources are fetched once with apt-get source into a
# cache outside the tree. Then a saver made from each picture kind of picture_kinds.py must
# draw its faces as one made from Pillow's decoding does (faces.py), and HEIC, AVIF and WebP
# files made with Debian's encoders must decode as their reference decoders do
# (new_formats.py). Ends with "N passed, M failed" over all; exits non-zero on a mismatch.
#
# usage: tests/suites/run.sh [path/to/vomracube-import]
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
TOOL=${1:-$ROOT/build/native/tools/vomracube-import/vomracube-import}
TOOLS=$(dirname "$(dirname "$TOOL")")
CACHE=${VOMRA_SUITES_CACHE:-${VOMRA_CACHE:-/var/cache/vomracube}/suites}
PYTHON=/usr/bin/python3 # Debian's, which has python3-pil

if [ ! -x "$TOOL" ]; then
    echo "vomracube-import not found at $TOOL"
    echo "0 passed, 1 failed"
    exit 1
fi

# fetch <source package>: unpacks it once under $CACHE/<package>.
fetch() {
    local package=$1
    [ -f "$CACHE/$package/.unpacked" ] && return 0
    mkdir -p "$CACHE/$package.tmp" || return 1
    (cd "$CACHE/$package.tmp" && apt-get source -q "$package" >fetch.log 2>&1) || {
        cat "$CACHE/$package.tmp/fetch.log"
        return 1
    }
    local dir
    dir=$(find "$CACHE/$package.tmp" -mindepth 1 -maxdepth 1 -type d | head -n 1)
    rm -rf "$CACHE/$package" && mv "$dir" "$CACHE/$package" && rm -rf "$CACHE/$package.tmp" &&
        touch "$CACHE/$package/.unpacked"
}

fetch libpng1.6 && fetch giflib || {
    echo "cannot fetch the source packages (is deb-src set up? run tools/setup.sh)"
    echo "0 passed, 1 failed"
    exit 1
}

mapfile -t FILES < <(
    find "$CACHE/libpng1.6/contrib/pngsuite" "$CACHE/libpng1.6/contrib/testpngs" -name '*.png' | sort
    find "$CACHE/giflib" -name '*.gif' | sort
)
OUT=$(mktemp -d)
trap 'rm -rf "$OUT"' EXIT

"$TOOL" --out "$OUT" "${FILES[@]}" >"$OUT/results.txt" || {
    echo "vomracube-import did not process every file"
    echo "0 passed, 1 failed"
    exit 1
}
"$PYTHON" "$ROOT/tests/suites/compare.py" "$OUT" "${FILES[@]}" | tee "$OUT/compare.log"
compared=${PIPESTATUS[0]}
"$PYTHON" "$ROOT/tests/suites/faces.py" "$TOOLS/vomracube-pack/vomracube-pack" \
    "$TOOLS/vomracube-render/vomracube-render" | tee "$OUT/faces.log"
drawn=${PIPESTATUS[0]}
"$PYTHON" "$ROOT/tests/suites/new_formats.py" "$TOOL" | tee "$OUT/formats.log"
formats=${PIPESTATUS[0]}
total() {
    sed -nE "s/^([0-9]+) passed, ([0-9]+) failed$/\\$1/p" "$OUT/compare.log" "$OUT/faces.log" \
        "$OUT/formats.log"
}
echo "$(($(total 1 | paste -sd+ -))) passed, $(($(total 2 | paste -sd+ -))) failed"
[ "$compared" -eq 0 ] && [ "$drawn" -eq 0 ] && [ "$formats" -eq 0 ]
