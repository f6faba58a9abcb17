#!/usr/bin/env python3
"""Runs the end-to-end tests on the real VomraCube.scr under Wine.

    e2e/run.py [--scr PATH] [--depth 24|8] [--monitors 1|2] [name-pattern ...]

Prints PASS/FAIL per test and ends with "N passed, M failed"; exit status 1 on any failure.
Screenshots, program output and host logs go to build/e2e/artifacts/.
"""

import argparse
import fnmatch
import os
import sys
import time
import traceback
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import cases  # noqa: E402
import harness  # noqa: E402


class LineResult(unittest.TestResult):
    """One line per test, the details of a failure below it."""

    def __init__(self):
        super().__init__()
        self.passed = 0
        self.failed = set()
        self.started = 0.0

    def startTest(self, test):
        super().startTest(test)
        self.started = time.monotonic()

    def _line(self, word, test, detail=None):
        print(f"{word} {test.id()} ({time.monotonic() - self.started:.1f} s)", flush=True)
        if detail:
            print("    " + detail.rstrip().replace("\n", "\n    "), flush=True)

    def stopTest(self, test):
        super().stopTest(test)
        if test.id() not in self.failed and not any(t is test for t, _ in self.skipped):
            self.passed += 1
            self._line("PASS", test)

    def addFailure(self, test, err):
        super().addFailure(test, err)
        self.failed.add(test.id())
        self._line("FAIL", test, "".join(traceback.format_exception_only(*err[:2])))

    def addError(self, test, err):
        super().addError(test, err)
        self.failed.add(test.id())
        self._line("FAIL", test, "".join(traceback.format_exception(*err)))

    def addSkip(self, test, reason):
        super().addSkip(test, reason)
        self._line("SKIP", test, reason)


def flatten(suite):
    for item in suite:
        if isinstance(item, unittest.TestSuite):
            yield from flatten(item)
        else:
            yield item


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scr", help="the saver (default: VomraCube.scr in build/win)")
    parser.add_argument("--depth", type=int, default=24, help="Xvfb depth: 24 or 8")
    parser.add_argument("--monitors", type=int, choices=(1, 2), default=1,
                        help="2: an Xorg dummy display with two monitors instead of Xvfb")
    parser.add_argument("patterns", nargs="*", help="run only tests whose id matches")
    args = parser.parse_args()

    scr = args.scr or harness.find_build_file("VomraCube.scr")
    if not scr or not os.path.exists(scr):
        print("FAIL e2e: VomraCube.scr is not built (build/win)")
        print("0 passed, 1 failed")
        return 1
    here = os.path.dirname(os.path.abspath(__file__))
    tests = list(flatten(unittest.defaultTestLoader.discover(here, pattern="test_*.py")))
    if args.patterns:
        tests = [t for t in tests
                 if any(fnmatch.fnmatch(t.id().lower(), f"*{p.lower()}*") for p in args.patterns)]

    session = harness.Session(depth=args.depth, monitors=args.monitors)
    harness.install_signal_cleanup([session])
    result = LineResult()
    began = time.monotonic()
    try:
        session.start()
        if session.prefix_seconds:
            print(f"e2e: Wine prefix initialised in {session.prefix_seconds:.1f} s", flush=True)
        cases.SESSION, cases.SCR = session, os.path.abspath(scr)
        # One flat suite, so that class and module set-ups run as unittest runs them.
        unittest.TestSuite(tests).run(result)
    except harness.HarnessError as error:
        print(f"FAIL e2e session: {error}")
        result.failed.add("session")
    finally:
        session.stop()
    failed = len(result.failed)
    print(f"e2e: {len(tests)} tests in {time.monotonic() - began:.0f} s; artifacts in "
          f"{session.artifacts}")
    print(f"{result.passed} passed, {failed} failed")
    return 1 if failed or result.passed == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
