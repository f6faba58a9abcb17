#!/bin/bash
# Redraws the golden frames (tests/app/GoldenFramesTest.cpp) and rewrites their hashes in
# tests/data/golden-frames.txt, naming every frame whose pixels changed. Run it only for a
# change that is meant to alter pixels, and review the frames it names (vomracube-render
# draws any of them) before committing the file.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset native >/dev/null
cmake --build --preset native --target app_tests
VC_UPDATE_GOLDEN_FRAMES=1 build/native/tests/app_tests --gtest_filter='GoldenFrames.*' |
    grep -E "^updated|frames changed"
