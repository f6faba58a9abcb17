#!/bin/bash
# Installs what is missing, builds the Windows saver and shows it under Wine: on the current
# X display until you close it, or with no DISPLAY on a private Xvfb for a few seconds,
# saving a screenshot whose path it prints.
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS=${JOBS:-2}

bash tools/setup.sh
prefix=$(bash tools/build-thirdparty.sh | tail -1)
echo "== building VomraCube.scr (build/win)"
cmake --preset win -DVC_THIRDPARTY="$prefix" >/dev/null
# winprobe: the harness starts Wine's desktop with it before the saver.
cmake --build --preset win -j"$JOBS" --target VomraCube winprobe
if [ -n "${DISPLAY:-}" ] && ! xwininfo -root >/dev/null 2>&1; then
    echo "DISPLAY=$DISPLAY cannot be opened: using a private Xvfb instead"
    unset DISPLAY
fi
exec python3 e2e/show.py "$@"
