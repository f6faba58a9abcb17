#!/bin/bash
# Command-line checks of vomracube-pack: exit codes, messages, make/show round trip,
# payload replacement, and the files people have (made here with ImageMagick, Pillow and
# ffmpeg): big pictures shrunk, turned photos stood upright, clips converted or the command
# given, and verdicts that name what a refused file is. Arguments: the tool, a picture file
# to use as a face.
set -u
TOOL=$1
PICTURE=$2
DIR=$(mktemp -d)
trap 'rm -rf "$DIR"' EXIT
failures=0

expect() { # description, expected exit code, command...
    local what=$1 want=$2
    shift 2
    "$@" >"$DIR/out" 2>"$DIR/err"
    local got=$?
    if [ "$got" -ne "$want" ]; then
        echo "FAIL: $what: exit $got, expected $want"
        cat "$DIR/out" "$DIR/err"
        failures=$((failures + 1))
    fi
}
contains() { # description, file, text
    if ! grep -qF -- "$3" "$2"; then
        echo "FAIL: $1: \"$3\" not in output"
        cat "$2"
        failures=$((failures + 1))
    fi
}

printf 'MZ\x90\x00 stand-in executable' >"$DIR/template.scr"
printf 'not a picture' >"$DIR/notes.txt"
printf 'PK\x03\x04' >"$DIR/not-exe.scr"

expect "help" 0 "$TOOL" help
contains "help lists settings" "$DIR/out" "--box-phase"
expect "no command" 2 "$TOOL"
expect "unknown command" 2 "$TOOL" pack
expect "unknown option" 2 "$TOOL" make --template "$DIR/template.scr" --out "$DIR/o.scr" --speed 2
expect "value out of range" 2 "$TOOL" make --template "$DIR/template.scr" --out "$DIR/o.scr" --motion 4
contains "range in message" "$DIR/err" "from 0 to 3"
expect "four decimals" 2 "$TOOL" make --template "$DIR/template.scr" --out "$DIR/o.scr" --box-size 0.0001
expect "missing value" 2 "$TOOL" make --template "$DIR/template.scr" --out "$DIR/o.scr" --boxes
expect "no --out" 2 "$TOOL" make --template "$DIR/template.scr"
expect "seven faces" 2 "$TOOL" make --template "$DIR/template.scr" --out "$DIR/o.scr" - - - - - - -
expect "missing template" 1 "$TOOL" make --template "$DIR/none.scr" --out "$DIR/o.scr"
expect "template not an executable" 1 "$TOOL" make --template "$DIR/not-exe.scr" --out "$DIR/o.scr"
expect "unreadable face" 1 "$TOOL" make --template "$DIR/template.scr" --out "$DIR/o.scr" "$DIR/none.png"
contains "face named in message" "$DIR/err" "none.png"
expect "strict refuses a fallback" 1 "$TOOL" make --template "$DIR/template.scr" --out "$DIR/o.scr" --strict "$DIR/notes.txt"
[ -e "$DIR/o.scr" ] && { echo "FAIL: strict wrote a file"; failures=$((failures + 1)); }

expect "make" 0 "$TOOL" make --template "$DIR/template.scr" --out "$DIR/saver.scr" --motion 1 --cubes 3 \
    --cube-size 1.5 --transparency 1 --boxes 0 fill:"$PICTURE" "$DIR/notes.txt" -
contains "make reports the picture" "$DIR/out" "face 1: $PICTURE"
contains "make reports the fallback" "$DIR/out" "nor an AVI video -> default picture"
expect "show" 0 "$TOOL" show "$DIR/saver.scr"
contains "show settings" "$DIR/out" "picture cubes  3, size 1.500"
contains "show transparency" "$DIR/out" "transparency   on"
contains "show face mode" "$DIR/out" "face 1: entry (41078 bytes, fill): BMP picture, 200 x 200"
contains "new savers are smooth" "$DIR/out" "pictures       smooth"
expect "make exact" 0 "$TOOL" make --template "$DIR/template.scr" --out "$DIR/exact.scr" --pictures exact
expect "show exact" 0 "$TOOL" show "$DIR/exact.scr"
contains "show exact mode" "$DIR/out" "pictures       exact"
expect "bad pictures" 2 "$TOOL" make --template "$DIR/template.scr" --out "$DIR/x.scr" --pictures soft
# A photo folder: stored by its full path with its order and interval; file faces stay.
mkdir -p "$DIR/Photos Ωμέγα"
expect "make photos" 0 bash -c "cd '$DIR' && '$TOOL' make --template template.scr --out photos.scr --photos 'Photos Ωμέγα' --order date --change 7 '$PICTURE'"
expect "show photos" 0 "$TOOL" show "$DIR/photos.scr"
contains "show folder" "$DIR/out" "photos         $DIR/Photos Ωμέγα, date, a change every 7 s"
contains "file face stays" "$DIR/out" "face 1: entry"
contains "empty faces take photos" "$DIR/out" "face 2: photos from the folder"
expect "photos default order" 0 "$TOOL" make --template "$DIR/template.scr" --out "$DIR/p2.scr" --photos "$DIR/missing"
contains "missing folder noted" "$DIR/err" "is no folder now"
expect "show default order" 0 "$TOOL" show "$DIR/p2.scr"
contains "default order and interval" "$DIR/out" "shuffle, a change every 10 s"
expect "order without photos" 2 "$TOOL" make --template "$DIR/template.scr" --out "$DIR/x.scr" --order name
expect "bad order" 2 "$TOOL" make --template "$DIR/template.scr" --out "$DIR/x.scr" --photos "$DIR" --order random
expect "bad change" 2 "$TOOL" make --template "$DIR/template.scr" --out "$DIR/x.scr" --photos "$DIR" --change 86401
expect "show template" 0 "$TOOL" show "$DIR/template.scr"
contains "template has no payload" "$DIR/out" "has no payload"
expect "show missing" 1 "$TOOL" show "$DIR/none.scr"

# Packing a finished saver again replaces its payload: same settings, same size.
expect "remake" 0 "$TOOL" make --template "$DIR/saver.scr" --out "$DIR/again.scr" --motion 1 --cubes 3 \
    --cube-size 1.5 --transparency 1 --boxes 0 fill:"$PICTURE" "$DIR/notes.txt" -
contains "remake says replaced" "$DIR/out" "payload was replaced"
cmp -s "$DIR/saver.scr" "$DIR/again.scr" || { echo "FAIL: repacking changed the saver"; failures=$((failures + 1)); }
expect "in place" 0 "$TOOL" make --template "$DIR/again.scr" --out "$DIR/again.scr" --boxes 5
expect "show in place" 0 "$TOOL" show "$DIR/again.scr"
contains "in place settings" "$DIR/out" "boxes          5"
[ "$(stat -c %s "$DIR/again.scr")" -lt 200 ] || { echo "FAIL: in-place repack kept old faces"; failures=$((failures + 1)); }

lacks() { # description, file, text
    if grep -qF -- "$3" "$2"; then
        echo "FAIL: $1: \"$3\" in output"
        cat "$2"
        failures=$((failures + 1))
    fi
}
# Everything the tool writes for itself goes here, which must be empty again after each run.
mkdir "$DIR/tmp"
export TMPDIR="$DIR/tmp"
no_temp_left() {
    [ -z "$(ls -A "$DIR/tmp")" ] || { echo "FAIL: $1 left temporary files"; ls "$DIR/tmp"; failures=$((failures + 1)); }
}
PY=/usr/bin/python3

# Big pictures are shrunk to --max-side and stored again: JPEG as JPEG, others as PNG.
convert -size 2600x1300 gradient:red-blue "$DIR/wide.png"
convert -size 1300x2600 plasma:fractal -quality 95 "$DIR/tall.jpg"
convert -size 300x200 gradient:green-white "$DIR/small.png"
expect "shrink" 0 "$TOOL" make --template "$DIR/template.scr" --out "$DIR/shrunk.scr" --max-side 1000 \
    "$DIR/wide.png" "$DIR/tall.jpg" "$DIR/small.png"
contains "shrunk PNG sizes" "$DIR/out" "stored as PNG (lossless): 2600 x 1300, $(stat -c %s "$DIR/wide.png") bytes -> 1000 x 500,"
contains "shrunk JPEG sizes" "$DIR/out" "stored as JPEG (quality 92, 4:2:0): 1300 x 2600, $(stat -c %s "$DIR/tall.jpg") bytes -> 500 x 1000,"
contains "small picture as given" "$DIR/out" "face 3: $DIR/small.png ($(stat -c %s "$DIR/small.png") bytes, fit): PNG picture, 300 x 200"
no_temp_left "shrink"
expect "show shrunk" 0 "$TOOL" show "$DIR/shrunk.scr"
contains "show shrunk PNG" "$DIR/out" "face 1: entry"
contains "show shrunk JPEG" "$DIR/out" "JPEG picture, 500 x 1000"
expect "max-side 0" 0 "$TOOL" make --template "$DIR/template.scr" --out "$DIR/whole.scr" --max-side 0 "$DIR/wide.png"
contains "max-side 0 keeps the size" "$DIR/out" "PNG picture, 2600 x 1300"
lacks "max-side 0 stores as given" "$DIR/out" "stored as"
expect "max-side not a number" 2 "$TOOL" make --template "$DIR/template.scr" --out "$DIR/o.scr" --max-side big

# A photo taken turned: stood upright, and the tool says so.
$PY - "$DIR/turned.jpg" <<'PYEOF'
import sys
from PIL import Image
im = Image.new("RGB", (60, 40), (200, 30, 30))
im.paste((30, 30, 200), (30, 0, 60, 40))
exif = Image.Exif()
exif[0x0112] = 6
im.save(sys.argv[1], exif=exif.tobytes(), quality=95)
PYEOF
expect "turned photo" 0 "$TOOL" make --template "$DIR/template.scr" --out "$DIR/upright.scr" "$DIR/turned.jpg"
contains "upright note" "$DIR/out" "stood upright: its Exif orientation 6 asks for it to be turned 90 degrees clockwise"
contains "upright size" "$DIR/out" "JPEG picture, 40 x 60"
# --max-side 0 keeps the photo byte for byte, and the saver stands it upright as it shows
# it (so the verdict gives the upright size); --upright turns it in the file too.
expect "turned photo kept" 0 "$TOOL" make --template "$DIR/template.scr" --out "$DIR/kept.scr" \
    --max-side 0 "$DIR/turned.jpg"
contains "kept, shown upright" "$DIR/out" "JPEG picture, 40 x 60"
lacks "kept not turned" "$DIR/out" "stood upright"
expect "turned photo asked" 0 "$TOOL" make --template "$DIR/template.scr" --out "$DIR/asked.scr" \
    --max-side 0 --upright "$DIR/turned.jpg"
contains "turned when asked" "$DIR/out" "JPEG picture, 40 x 60"
no_temp_left "turned photo"

# Files that are pictures the saver does not take are named, never "neither a picture".
convert -size 64x48 gradient:red-blue "$DIR/v5.bmp"
convert -size 64x48 gradient:red-blue "$DIR/still.webp"
printf '\377\012%s' "$(head -c 200 /dev/zero | tr '\0' x)" >"$DIR/still.jxl"
$PY - "$DIR/anim.gif" <<'PYEOF'
import sys
from PIL import Image
frames = [Image.new("P", (32, 32), i) for i in range(3)]
frames[0].save(sys.argv[1], save_all=True, append_images=frames[1:], duration=[0, 50, 70], loop=0)
PYEOF
expect "refused pictures" 0 "$TOOL" make --template "$DIR/template.scr" --out "$DIR/named.scr" \
    "$DIR/v5.bmp" "$DIR/still.jxl" "$DIR/anim.gif" "$DIR/still.webp"
lacks "no 'neither a picture'" "$DIR/out" "neither a picture"
contains "JPEG XL named" "$DIR/out" "JPEG XL picture: the saver does not read this format"
contains "WebP shown" "$DIR/out" "WebP picture, 64 x 48, 32 bits per pixel -> shown"
contains "GIF animation stored as given" "$DIR/out" "face 3: $DIR/anim.gif ($(stat -c %s "$DIR/anim.gif") bytes, fit): GIF picture, 32 x 32,"
contains "GIF animation's frames counted" "$DIR/out" ", 3 frames -> shown"
expect "show named" 0 "$TOOL" show "$DIR/named.scr"
# A face the saver would not show is not stored: the finished saver has no such entry.
contains "refused face not stored" "$DIR/out" "face 2: entry: empty -> default picture"
contains "show counts frames" "$DIR/out" "3 frames -> shown"

# Phone and web clips: converted in process to Motion-JPEG AVI, with no ffmpeg on the PATH
# (the ffmpeg program only makes the clips here).
for kind in mp4 mov mkv webm; do
    ffmpeg -nostdin -loglevel error -f lavfi -i testsrc2=size=160x120:rate=10:duration=1 \
        "$DIR/clip.$kind"
done
PATH=/nonexistent expect "convert clips" 0 "$TOOL" make --template "$DIR/template.scr" --out "$DIR/clips.scr" \
    "$DIR/clip.mp4" "$DIR/clip.mov" "$DIR/clip.mkv" "$DIR/clip.webm"
contains "MP4 converted" "$DIR/out" "converted from MP4 video (H.264, 160 x 120, "
contains "MOV converted" "$DIR/out" "converted from QuickTime (MOV) video (H.264, 160 x 120, "
contains "MKV converted" "$DIR/out" "converted from Matroska (MKV) video (H.264, 160 x 120, "
contains "WebM converted" "$DIR/out" "converted from WebM video (VP9, 160 x 120, "
contains "to Motion-JPEG" "$DIR/out" "to Motion-JPEG AVI, 160 x 120, 10 frames per second, 10 frames (1.0 s)"
contains "AVI stored" "$DIR/out" "face 1: $DIR/clip.mp4"
no_temp_left "convert clips"
expect "show clips" 0 "$TOOL" show "$DIR/clips.scr"
[ "$(grep -c ': entry ([0-9]* bytes, fit): Motion-JPEG AVI video, 160 x 120, 10 frames at 10 frames per second -> shown' "$DIR/out")" -eq 4 ] ||
    { echo "FAIL: show does not list four shown AVI faces"; cat "$DIR/out"; failures=$((failures + 1)); }

# Other clips still go to ffmpeg where it is on the PATH; without it, the command that would.
ffmpeg -nostdin -loglevel error -f lavfi -i testsrc2=size=160x120:rate=10:duration=1 "$DIR/clip.flv"
PATH=/nonexistent expect "no ffmpeg" 0 "$TOOL" make --template "$DIR/template.scr" --out "$DIR/noff.scr" "$DIR/clip.flv"
contains "FLV named" "$DIR/out" "Flash (FLV) video: the saver plays video from AVI files only -> default picture"
contains "ffmpeg missing" "$DIR/out" "ffmpeg is not on the PATH"
# The printed command works as printed.
command=$(grep -A1 "ffmpeg is not on the PATH" "$DIR/out" | tail -1)
(cd "$DIR" && bash -c "$command" </dev/null >/dev/null 2>&1) || { echo "FAIL: printed command failed: $command"; failures=$((failures + 1)); }
expect "printed command's AVI" 0 "$TOOL" make --template "$DIR/template.scr" --out "$DIR/o.scr" --strict "$DIR/clip.avi"
contains "printed command's AVI plays" "$DIR/out" "AVI video compressed with \"MSVC\""

# An AVI whose codec Windows lacks is stored as given, with the command that would help.
# (Motion-JPEG the saver now decodes itself; MPEG-4 Part 2 it does not.)
ffmpeg -nostdin -loglevel error -f lavfi -i testsrc2=size=64x48:rate=5:duration=1 -c:v mpeg4 "$DIR/camera.avi"
expect "foreign codec" 0 "$TOOL" make --template "$DIR/template.scr" --out "$DIR/o.scr" "$DIR/camera.avi"
contains "foreign codec stored as given" "$DIR/out" "face 1: $DIR/camera.avi ($(stat -c %s "$DIR/camera.avi") bytes, fit): AVI video compressed with \"FMP4\""
contains "foreign codec command" "$DIR/out" "-c:v msvideo1 -f avi file:$DIR/camera-msvideo1.avi"
# Motion-JPEG the saver plays itself.
ffmpeg -nostdin -loglevel error -f lavfi -i testsrc2=size=64x48:rate=5:duration=1 -c:v mjpeg "$DIR/mjpeg.avi"
expect "Motion-JPEG" 0 "$TOOL" make --template "$DIR/template.scr" --out "$DIR/o.scr" --strict "$DIR/mjpeg.avi"
contains "Motion-JPEG shown" "$DIR/out" "Motion-JPEG AVI video, 64 x 48, 5 frames at 5 frames per second -> shown"

[ "$failures" -eq 0 ] && echo "all checks passed"
exit "$failures"
