#!/usr/bin/env python3
"""Runs the Windows test programs of the window code under Wine, in the end-to-end session.

    e2e/wintests.py [--depth 24|8] [program ...]

The programs (framework_wintests.exe, app_wintests.exe, frameloop_wintests.exe in build/win)
print "PASS name" or "FAIL name" per test and "N tests, M failed"; their exit status is the
number of failed tests. Prints each test as "PASS program.name" and ends with "N passed, M failed"; a
program that does not end, crashes or disagrees with its own summary counts as one more
failure. Exit status 1 on any failure; the programs' output goes to build/e2e/artifacts/.
"""

import argparse
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402

PROGRAMS = ["framework_wintests.exe", "app_wintests.exe", "frameloop_wintests.exe"]
TIMEOUT = 120


def run_program(session, name):
    """(passed, failed) of one test program, its lines printed as they are counted."""
    stem = name.removesuffix(".exe")
    path = harness.find_build_file(name)
    if not path:
        print(f"FAIL {stem}: not built (build/win)", flush=True)
        return 0, 1
    program = session.start_program(path, log_name=stem)
    try:
        code = program.wait(TIMEOUT)
    except harness.HarnessError as error:
        program.kill()
        print(f"FAIL {stem}: {error}", flush=True)
        return 0, 1
    passed = failed = 0
    summary = None
    details = []  # failed checks, which the program prints before their test's line
    for line in program.output().splitlines():
        line = line.rstrip("\r")
        if match := re.match(r"(PASS|FAIL) (\w+)$", line):
            print(f"{match[1]} {stem}.{match[2]}")
            print("".join(details), end="")
            details = []
            if match[1] == "PASS":
                passed += 1
            else:
                failed += 1
        elif line.startswith("    "):
            details.append(line + "\n")
        elif match := re.match(r"(\d+) tests, (\d+) failed$", line):
            summary = (int(match[1]), int(match[2]))
    print("".join(details), end="")
    if summary != (passed + failed, failed) or code != failed or passed + failed == 0:
        print(f"FAIL {stem}: exit code {code}, summary {summary} after {passed} passed and "
              f"{failed} failed tests (output: {program.log_path})")
        failed += 1
    sys.stdout.flush()
    return passed, failed


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--depth", type=int, default=24, help="Xvfb depth: 24 or 8")
    parser.add_argument("programs", nargs="*", default=PROGRAMS, help="the test programs")
    args = parser.parse_args()

    session = harness.Session(depth=args.depth)
    harness.install_signal_cleanup([session])
    passed = failed = 0
    try:
        session.start()
        for name in args.programs:
            counts = run_program(session, name)
            passed, failed = passed + counts[0], failed + counts[1]
    except harness.HarnessError as error:
        print(f"FAIL wintests session: {error}")
        failed += 1
    finally:
        session.stop()
    print(f"{passed} passed, {failed} failed")
    return 1 if failed or passed == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
