#!/bin/bash
# Builds the Windows programs and packages a second time, from a copy of the sources in
# another folder, and compares them byte for byte with those of build/win: no time stamp
# and no build folder may reach them. Both builds go through the compiler cache with paths
# relative to their own source folder (CCACHE_BASEDIR), so the copy compiles only what the
# cache lacks and the check costs little more than its links and NSIS.
#   tools/reproducible-check.sh PICTURE_LIBRARY_PREFIX
# Prints PASS/FAIL per file and ends with "N passed, M failed".
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
PREFIX=${1:?the picture libraries\' prefix (tools/build-thirdparty.sh)}
JOBS=${JOBS:-2}
FIRST=$ROOT/build/win
COPY=$ROOT/build/reproducible/VomraCube
FILES=(src/app/VomraCube.scr tools/vomracube-maker/VomraCubeMaker.exe
       tools/vomracube-pack/vomracube-pack.exe installer/VomraCube-Setup-*.exe
       installer/VomraCube-*-portable.zip)

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# The sources as they are now, committed or not, without build trees.
rm -rf "$COPY"
mkdir -p "$COPY"
git ls-files -z --cached --others --exclude-standard |
    tar -c --null -T - | tar -x -C "$COPY"

log=$ROOT/build/reproducible.build.log
(
    cd "$COPY" &&
        cmake --preset win -DVC_THIRDPARTY="$PREFIX" "${launcher[@]}" &&
        CCACHE_BASEDIR=$COPY cmake --build --preset win -j"$JOBS" --target VomraCube \
            VomraCubeMaker vomracube-pack installer
) >"$log" 2>&1
if [ $? -ne 0 ]; then
    tail -30 "$log"
    echo "FAIL build: the copy did not build"
    echo "0 passed, 1 failed"
    exit 1
fi

passed=0
failed=0
for pattern in "${FILES[@]}"; do
    # shellcheck disable=SC2206
    first=($FIRST/$pattern)
    second=$COPY/build/win/${first[0]#"$FIRST"/}
    name=$(basename "${first[0]}")
    if [ -f "${first[0]}" ] && cmp -s "${first[0]}" "$second"; then
        passed=$((passed + 1)); echo "PASS $name"
    else
        failed=$((failed + 1)); echo "FAIL $name"
        cmp -l "${first[0]}" "$second" 2>&1 | head -5 | sed 's/^/    /'
    fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
