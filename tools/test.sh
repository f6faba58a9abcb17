#!/bin/bash
# Every test: native unit tests (plain and ASan+UBSan), brief fuzz runs, the Windows
# build and the end-to-end tests under Wine. Ends with "N passed, M failed".
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
JOBS=${JOBS:-2}

bash tools/setup.sh || { echo "0 passed, 1 failed"; exit 1; }

passed=0
failed=0
record() { # name, status
    if [ "$2" -eq 0 ]; then passed=$((passed + 1)); echo "== PASS $1"; else failed=$((failed + 1)); echo "== FAIL $1"; fi
}

configure() { # dir, extra cmake args...
    local dir=$1; shift
    cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; return 1; }
}

mkdir -p build
configure build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo && cmake --build build/native -j"$JOBS"
status=$?
[ $status -eq 0 ] && { (cd build/native && ctest -j"$JOBS" --output-on-failure); status=$?; }
record native-unit-tests $status

configure build/asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DVC_SANITIZE=ON -DVC_FUZZ=ON && cmake --build build/asan -j"$JOBS"
status=$?
[ $status -eq 0 ] && { (cd build/asan && ctest -j"$JOBS" --output-on-failure); status=$?; }
record asan-unit-tests $status

if [ -x tools/windows-tests.sh ]; then
    bash tools/windows-tests.sh
    record windows-and-e2e $?
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
