#!/bin/bash
# Installs what is missing, builds the Windows saver and shows it under Wine: on the current
# X display until you close it, or with no DISPLAY on a private Xvfb for a few seconds,
# saving a screenshot whose path it prints.
#   tools/run.sh maker [FACE... | SAVER.scr]   the same with the maker, VomraCubeMaker.exe
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS=${JOBS:-2}

bash tools/setup.sh
prefix=$(bash tools/build-thirdparty.sh | tail -1)
targets=(VomraCube)
if [ "${1:-}" = maker ]; then
    shift
    targets=(VomraCubeMaker)
    set -- --maker "$@"
fi
echo "== building ${targets[*]} (build/win)"
cmake --preset win -DVC_THIRDPARTY="$prefix" >/dev/null
# winprobe: the harness starts Wine's desktop with it before the saver.
cmake --build --preset win -j"$JOBS" --target "${targets[@]}" winprobe
if [ -n "${DISPLAY:-}" ] && ! xwininfo -root >/dev/null 2>&1; then
    echo "DISPLAY=$DISPLAY cannot be opened: using a private Xvfb instead"
    unset DISPLAY
fi
exec python3 e2e/show.py "$@"
