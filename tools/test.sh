#!/bin/bash
# Every test: set-up, native unit tests (plain and ASan+UBSan), brief fuzz runs, the
# Windows build with its checks and the end-to-end tests under Wine, and the test suites.
# Ends with "N passed, M failed" (tests counted singly where a runner reports them) and
# exits non-zero on any failure.
#   FUZZ_SECONDS=20   time per fuzzer      JOBS=2   parallel jobs
set -uo pipefail
cd "$(dirname "$0")/.."
JOBS=${JOBS:-2}
FUZZ_SECONDS=${FUZZ_SECONDS:-20}
started=$(date +%s)

passed=0
failed=0
step() { # name, status
    if [ "$2" -eq 0 ]; then
        passed=$((passed + 1)); echo "== PASS $1"
    else
        failed=$((failed + 1)); echo "== FAIL $1"
    fi
}
# Adds the counts of a runner's output ("N passed, M failed" or CTest's summary); a
# runner that reports none counts as one step with its exit status.
count() { # name, status, log
    local summary
    summary=$(grep -E "^[0-9]+ passed, [0-9]+ failed$|tests passed, [0-9]+ tests? failed out of" "$3" | tail -1)
    if [[ $summary =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
        passed=$((passed + BASH_REMATCH[1])); failed=$((failed + BASH_REMATCH[2]))
    elif [[ $summary =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]]; then
        passed=$((passed + BASH_REMATCH[2] - BASH_REMATCH[1])); failed=$((failed + BASH_REMATCH[1]))
    else
        step "$1" "$2"
        return
    fi
    # A runner that failed without a failing test (a crash, a build error after the
    # summary) still fails the run.
    if [ "$2" -ne 0 ] && [[ $summary =~ \ 0\ (tests\ )?failed ]]; then step "$1" "$2"; fi
    echo "== $1: $summary"
}

echo "== set-up"
bash tools/setup.sh || { step setup 1; echo "$passed passed, $failed failed"; exit 1; }

mkdir -p build
# Each build tree is a preset of CMakePresets.json, configured in build/<preset>.
build_and_test() { # preset
    local name=$1 dir=build/$1 status log=build/$1.ctest.log
    echo "== $name: build"
    cmake --preset "$name" >"$dir.configure.log" 2>&1 ||
        { tail -30 "$dir.configure.log"; step "$name-configure" 1; return; }
    # -k 0: one target that does not build still leaves every other test to run.
    cmake --build --preset "$name" -j"$JOBS" -- -k 0 >"$dir.build.log" 2>&1
    status=$?
    if [ $status -ne 0 ]; then
        grep -E "error|FAILED" "$dir.build.log" | head -30
        step "$name-build" $status
    fi
    echo "== $name: ctest"
    ctest --preset "$name" -j"$JOBS" >"$log" 2>&1
    status=$?
    [ $status -eq 0 ] || grep -vE "^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed" "$log" | tail -80
    count "$name" $status "$log"
}

build_and_test native

export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=0:halt_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
# The sanitizer build holds the fuzz targets as well.
build_and_test asan

# Each fuzzer: its regression inputs first, then a short run from its seed corpus. The
# corpus is copied, so the run's new inputs stay in the build tree.
run_fuzzer() { # executable
    local exe=$1 name work status inputs corpus
    export LSAN_OPTIONS=suppressions=$PWD/fuzz/lsan.supp
    name=$(basename "$exe")
    work=build/asan/fuzz-work/$name
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/artifacts"
    for dir in "fuzz/regressions/$name" "fuzz/regressions/${name%_fuzz}"; do
        inputs=$(find "$dir" -maxdepth 1 -type f 2>/dev/null | sort)
        [ -n "$inputs" ] || continue
        # shellcheck disable=SC2086
        if ! "$exe" -runs=1 $inputs >"$work/regressions.log" 2>&1; then
            tail -30 "$work/regressions.log"
            return 1
        fi
    done
    corpus=()
    for dir in "fuzz/corpus/$name" "fuzz/corpus/${name%_fuzz}"; do
        [ -d "$dir" ] && corpus+=("$dir")
    done
    "$exe" -max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$work/artifacts/" "$work/corpus" "${corpus[@]}" >"$work/fuzz.log" 2>&1
    status=$?
    if [ $status -ne 0 ]; then
        tail -40 "$work/fuzz.log"
        ls "$work/artifacts"
    else
        grep -E "stat::number_of_executed_units" "$work/fuzz.log" | sed "s/^/   $name /"
    fi
    return $status
}
fuzzers=$(find build/asan/fuzz -maxdepth 1 -type f -name "*_fuzz" -perm -u+x 2>/dev/null | sort)
for exe in $fuzzers; do
    echo "== fuzz $(basename "$exe"): ${FUZZ_SECONDS} s"
    run_fuzzer "$exe"
    status=$?
    step "fuzz-$(basename "$exe")" $status
done

echo "== windows build and end-to-end tests"
VC_SKIP_SETUP=1 bash tools/windows-tests.sh 2>&1 | tee build/windows-tests.log
count windows "${PIPESTATUS[0]}" build/windows-tests.log

echo "== test suites"
bash tests/suites/run.sh 2>&1 | tee build/suites.log
count suites "${PIPESTATUS[0]}" build/suites.log

echo "== took $(($(date +%s) - started)) s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
