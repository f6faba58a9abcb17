#!/bin/bash
# Command-line checks of vomracube-pack: exit codes, messages, make/show round trip and
# payload replacement. Arguments: the tool, a picture file to use as a face.
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

[ "$failures" -eq 0 ] && echo "all checks passed"
exit "$failures"
