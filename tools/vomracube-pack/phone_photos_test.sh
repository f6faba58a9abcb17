#!/bin/bash
# Six phone-sized photos (4000 x 3000 JPEGs, made here with Pillow: soft shapes and sensor
# noise, about 1.2 MB each) packed as given (--max-side 0) and as the tool stores them by
# default: the default saver must be at most a quarter of the size and look the same at
# 1920 x 1080, frame by frame as vomracube-render draws it. Arguments: the pack tool, the
# render tool.
set -u
TOOL=$1
RENDER=$2
DIR=$(mktemp -d)
trap 'rm -rf "$DIR"' EXIT

/usr/bin/python3 - "$DIR" <<'PYEOF' || { echo "FAIL: cannot make the photos"; exit 1; }
import random, sys
from PIL import Image, ImageDraw, ImageFilter
for i in range(6):
    rnd = random.Random(i)
    base = Image.new("RGB", (500, 375), tuple(rnd.randrange(256) for _ in range(3)))
    d = ImageDraw.Draw(base)
    for k in range(80):
        x, y, r = rnd.randrange(500), rnd.randrange(375), rnd.randrange(5, 80)
        d.ellipse((x - r, y - r, x + r, y + r), fill=tuple(rnd.randrange(256) for _ in range(3)))
    photo = base.filter(ImageFilter.GaussianBlur(2)).resize((4000, 3000), Image.BICUBIC)
    noise = Image.merge("RGB", [Image.effect_noise((4000, 3000), 40)] * 3)
    Image.blend(photo, noise, 0.035).save("%s/phone%d.jpg" % (sys.argv[1], i), quality=92)
PYEOF
printf 'MZ\x90\x00 stand-in executable' >"$DIR/template.scr"
"$TOOL" make --template "$DIR/template.scr" --out "$DIR/whole.scr" --max-side 0 "$DIR"/phone?.jpg >/dev/null &&
    "$TOOL" make --template "$DIR/template.scr" --out "$DIR/shrunk.scr" "$DIR"/phone?.jpg >"$DIR/out" ||
    { echo "FAIL: make failed"; exit 1; }
whole=$(stat -c %s "$DIR/whole.scr")
shrunk=$(stat -c %s "$DIR/shrunk.scr")
echo "six photos: $whole bytes as given, $shrunk bytes shrunk"
failures=0
[ $((shrunk * 4)) -le "$whole" ] || { echo "FAIL: more than a quarter of the size"; failures=$((failures + 1)); }
[ "$(grep -c 'stored as JPEG (quality 92, 4:2:0): 4000 x 3000, [0-9]* bytes -> 2048 x 1536' "$DIR/out")" -eq 6 ] ||
    { echo "FAIL: not every photo was shrunk"; cat "$DIR/out"; failures=$((failures + 1)); }

for t in 2 5 9; do
    "$RENDER" --size 1920x1080 --time $t --out "$DIR/whole$t.png" "$DIR/whole.scr" &&
        "$RENDER" --size 1920x1080 --time $t --out "$DIR/shrunk$t.png" "$DIR/shrunk.scr" ||
        { echo "FAIL: render failed"; exit 1; }
done
# The mean difference over the pixels either frame draws (the black background excluded),
# and the share of those pixels on the photos' faces, so that a frame without them cannot pass.
/usr/bin/python3 - "$DIR" <<'PYEOF' || failures=$((failures + 1))
import sys
from PIL import Image, ImageChops, ImageStat
bad = 0
for t in (2, 5, 9):
    a = Image.open("%s/whole%d.png" % (sys.argv[1], t)).convert("RGB")
    b = Image.open("%s/shrunk%d.png" % (sys.argv[1], t)).convert("RGB")
    drawn = ImageChops.lighter(a, b).convert("L").point(lambda v: 255 if v else 0)
    mean = sum(ImageStat.Stat(ImageChops.difference(a, b), drawn).mean) / 3
    pixels = ImageStat.Stat(drawn).mean[0] / 255 * a.width * a.height
    print("time %d: mean difference %.3f over %d drawn pixels" % (t, mean, pixels))
    if mean > 2.0 or pixels < 20000:
        print("FAIL: the frames at time %d differ" % t)
        bad += 1
sys.exit(bad)
PYEOF
[ "$failures" -eq 0 ] && echo "all checks passed"
exit "$failures"
