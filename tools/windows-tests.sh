#!/bin/bash
# The Windows build (build/win) with the cross-built picture libraries and the installer, a
# check of the executable's format and imports, a second build elsewhere that must give the
# same bytes, and the end-to-end tests under Wine.
# Prints PASS/FAIL per step and ends with "N passed, M failed" (e2e tests counted singly).
#   VC_SKIP_SETUP=1   skip tools/setup.sh (tools/test.sh has just run it)
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
JOBS=${JOBS:-2}
BUILD=$ROOT/build/win

passed=0
failed=0
step() { # name, status
    if [ "$2" -eq 0 ]; then
        passed=$((passed + 1)); echo "PASS $1"
    else
        failed=$((failed + 1)); echo "FAIL $1"
    fi
}
finish() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
    exit
}

if [ -z "${VC_SKIP_SETUP:-}" ]; then
    bash tools/setup.sh || { step setup 1; finish; }
fi

prefix=$(bash tools/build-thirdparty.sh | tail -1)
status=$?
[ -n "$prefix" ] && [ -f "$prefix/lib/libjpeg.a" ] || status=1
step windows-picture-libraries $status
[ $status -eq 0 ] || finish

# Through the compiler cache when there is one, with paths relative to the source folder,
# so that tools/reproducible-check.sh can build its copy elsewhere from the same cache.
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR=$ROOT
fi
mkdir -p "$BUILD"
log=$BUILD.build.log
{
    cmake --preset win -DVC_THIRDPARTY="$prefix" "${launcher[@]}" &&
        cmake --build --preset win -j"$JOBS" &&
        cmake --build --preset win -j"$JOBS" --target installer
} >"$log" 2>&1
status=$?
[ $status -eq 0 ] || tail -40 "$log"
step windows-build $status
[ $status -eq 0 ] || finish

# PE32, GUI subsystem, i386, and imports from Windows' own DLLs only: no C++ run-time,
# libgcc or winpthread DLL may be needed on the target machine. Further Windows DLLs a
# program may import follow the path (the maker's clip decoder seeds its random numbers
# from bcrypt.dll, which Windows has had since Vista).
check_executable() { # path, further DLLs...
    local dump dll bad=0 extra=" ${*:2} "
    dump=$(i686-w64-mingw32-objdump -p "$1") || return 1
    grep -q "file format pei-i386" <<<"$dump" || { echo "  not pei-i386"; bad=1; }
    grep -Eq "^Magic[[:space:]]+010b" <<<"$dump" || { echo "  not PE32"; bad=1; }
    grep -Eq "^Subsystem[[:space:]]+00000002" <<<"$dump" || { echo "  not the GUI subsystem"; bad=1; }
    for dll in $(awk '/DLL Name:/ {print tolower($3)}' <<<"$dump"); do
        case "$dll" in
        kernel32.dll | user32.dll | gdi32.dll | shell32.dll | msvcrt.dll | comctl32.dll | \
            advapi32.dll | ole32.dll | oleaut32.dll | comdlg32.dll | winmm.dll | version.dll | \
            shlwapi.dll | msvfw32.dll | avifil32.dll) ;;
        *) [[ $extra == *" $dll "* ]] || { echo "  imports $dll"; bad=1; } ;;
        esac
    done
    return $bad
}
scr=$(find "$BUILD" -name VomraCube.scr -not -path "*/CMakeFiles/*" | head -1)
if [ -z "$scr" ]; then
    echo "  VomraCube.scr was not built"
    step executable-format 1
    finish
fi
check_executable "$scr"
step executable-format $?
maker=$(find "$BUILD" -name VomraCubeMaker.exe -not -path "*/CMakeFiles/*" | head -1)
[ -n "$maker" ] && check_executable "$maker" bcrypt.dll
step maker-executable-format $?

# Adds the counts of one run of an e2e script (or with "run_counted", of any command);
# lines are prefixed with the label.
run_e2e() { # label, script, arguments...
    local label=$1
    shift
    run_counted "$label" python3 "$@"
}
run_counted() { # label, command...
    local label=$1 log=$BUILD.$1.log summary
    shift
    "$@" 2>&1 | sed -u "s/^\(PASS\|FAIL\|SKIP\) /\1 $label /" | tee "$log"
    summary=$(tail -1 "$log")
    if [[ $summary =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
        passed=$((passed + BASH_REMATCH[1]))
        failed=$((failed + BASH_REMATCH[2]))
    else
        step "$label" 1
    fi
}
# The same programs and packages from a second build in another folder, byte for byte.
run_counted reproducible bash tools/reproducible-check.sh "$prefix"
run_e2e e2e e2e/run.py --scr "$scr"
# A few of them again on an 8-bit PseudoColor screen, where the saver works through a
# palette, with the tests written for such screens only (named *palette_screen*).
run_e2e e2e-8bit e2e/run.py --scr "$scr" --depth 8 RunSwitches.test_slash_s \
    ClosesOnActivity.test_travel Preview.test_handle_after_a_space palette_screen RegionFills
# Run mode on two monitors (Xorg's dummy driver instead of Xvfb): side by side, a smaller
# one left of the primary, a layout changed while running, input on either monitor, 144 DPI.
run_e2e e2e-2monitors e2e/run.py --scr "$scr" --monitors 2 TwoMonitors
# The test programs of the window code (framework_wintests.exe, app_wintests.exe,
# frameloop_wintests.exe).
run_e2e wintests e2e/wintests.py
# The processor the saver uses at 1920x1080, with the default scene and with six large
# picture faces; then two minutes of a finished saver with still and video faces in which
# nothing may grow (the soak's full length is 30 minutes; bounds here are wider).
run_e2e power e2e/power.py --scr "$scr"
# Nothing drawn and hardly any processor used while the displays are off or the session
# is locked; frames again at once after.
run_e2e displayoff e2e/displayoff.py --scr "$scr"
run_e2e soak e2e/soak.py --scr "$scr" --minutes 2 --max-growth 10

# The run command's Wine part as a user without a display runs it: the saver on a private
# Xvfb, a screenshot, and nothing of its prefix left running.
shot=$ROOT/build/e2e/artifacts/run-command.png
rm -f "$shot"
{ env -u DISPLAY python3 e2e/show.py --seconds 1 --screenshot "$shot" && [ -s "$shot" ] &&
    python3 e2e/leftovers.py; } >"$BUILD.run-command.log" 2>&1
status=$?
[ $status -eq 0 ] || tail -20 "$BUILD.run-command.log"
step run-command $status

# Every session above ended its prefix's processes itself: none is running, and none had
# to be killed after its server ended (the harness notes that in the logs).
python3 e2e/leftovers.py &&
    ! grep -h "still running after the server ended" "$BUILD".*.log
step nothing-left-running $?
finish
