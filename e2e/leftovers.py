#!/usr/bin/env python3
"""Checks that nothing runs any more in the Wine prefixes of the end-to-end tests and of the
run command (build/e2e/prefix-*): lists what does and exits 1 if anything does. A prefix
whose lock a running session holds is left out, as its processes are not left over."""

import fcntl
import glob
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402


def in_use(lock_path):
    with open(lock_path) as lock:
        try:
            fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
        except OSError:
            return True
    return False


def main():
    left = harness.wine_processes(harness.WORK)
    for lock in glob.glob(os.path.join(harness.WORK, "prefix-*.lock")):
        if in_use(lock):
            for pid in harness.wine_processes(lock.removesuffix(".lock")):
                left.pop(pid, None)
    for pid, command in sorted(left.items()):
        print(f"  left running: {pid} {command}")
    return 1 if left else 0


if __name__ == "__main__":
    sys.exit(main())
