#!/usr/bin/env python3
"""Measures the running saver while nobody can see it, and checks it.

    e2e/displayoff.py [--scr PATH] [--seconds S] [--size WxH] [--cycles N]

Runs VomraCube.scr /s on a private Xvfb (1920x1080 unless told) and, with
e2e/hosts/displaystate.exe, tells it what the system tells it when every display goes off
and comes on again, and when the session is locked and unlocked. While the displays are
off (and while locked) it measures over S seconds (5 unless told) the share of one core
used by the saver and by the prefix's wineserver (from /proc) and counts the screen
updates (X DAMAGE reports); when the displays come on it measures the time from the
notification to the next screen update. displaystate.exe reads the time it sends from
Wine's performance counter, which is Linux's CLOCK_MONOTONIC_RAW.

Checks: while off and while locked, no screen update at all in any of N cycles (3 unless
told), and saver and wineserver together under 0.5 % of a core in the median of them (the
wineserver's own chores, such as writing the registry to disk, can fall into one measure;
a saver that wakes needlessly shows in all); after "on" and "unlock" a screen update
within one frame interval (15 ms) in the median, and within 100 ms in every cycle (a busy
machine may hold a single frame back, a loop that waits for a timer does so every time);
frames at the usual rate before and after.
Prints PASS/FAIL per check and ends with "N passed, M failed"; the figures go to standard
output and to build/e2e/artifacts/displayoff.txt.
"""

import argparse
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
from fixtures.checks import Checks  # noqa: E402
from power import close_by_key, start_saver  # noqa: E402
from fixtures.process_use import CpuMeter  # noqa: E402
from fixtures.screen_updates import ScreenUpdates  # noqa: E402

SETTLE = 1.0  # after the window is up, and after each change, before measuring
FRAME_INTERVAL = 0.015
MAX_OFF_CORE_SHARE = 0.005
MAX_RESUME = 0.1  # seconds, in any one cycle
MIN_UPDATES_PER_SECOND = 20
RESUME_TIMEOUT = 5.0


def send(session, tool, state):
    """Sends the state; the time it was sent on time.monotonic()'s clock."""
    out = session._run_windows([tool, state], timeout=60).split()
    if len(out) != 3 or out[:2] != ["sent", state]:
        raise harness.HarnessError(f"displaystate.exe {state} failed: {' '.join(out)!r}")
    offset = time.clock_gettime(time.CLOCK_MONOTONIC_RAW) - time.monotonic()
    return float(out[2]) - offset


def updates_per_second(updates, seconds):
    began = time.monotonic()
    time.sleep(seconds)
    return updates.count_since(began) / (time.monotonic() - began)


def hidden(session, updates, program, seconds):
    """(saver, wineserver, screen updates) over `seconds` of a hidden saver."""
    time.sleep(SETTLE)
    meter = CpuMeter([program.process.pid, session.server.pid], time.monotonic)
    began = time.monotonic()
    meter.begin()
    time.sleep(seconds)
    saver, server = meter.shares()
    if saver is None or server is None:
        raise harness.HarnessError("the saver or its wineserver ended while measured")
    return saver, server, updates.count_since(began)


def resumed(updates, sent):
    """Seconds from the notification to the next screen update."""
    first = harness.wait_for(lambda: updates.first_since(sent), RESUME_TIMEOUT,
                             "a screen update after the displays came on")
    return max(0.0, first - sent)


def cycle(session, updates, program, tool, states, seconds, checks, index):
    off, on = states
    send(session, tool, off)
    saver, server, count = hidden(session, updates, program, seconds)
    together = saver + server
    delay = resumed(updates, send(session, tool, on))
    checks.figure(f"{off} {index}: saver {saver:.2%}, wineserver {server:.2%}, together "
                  f"{together:.2%} of a core over {seconds:g} s, {count} screen updates; "
                  f"{on}: next update after {delay * 1000:.1f} ms")
    checks.check(f"{off}{index}.nothing-drawn", count == 0, f"{count} screen updates")
    return together, delay


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scr", help="the saver (default: VomraCube.scr in build/win)")
    parser.add_argument("--seconds", type=float, default=5.0, help="length of each measure")
    parser.add_argument("--size", default="1920x1080", help="screen size, WxH")
    parser.add_argument("--cycles", type=int, default=3, help="off-and-on cycles of each kind")
    args = parser.parse_args()
    scr = os.path.abspath(args.scr or harness.find_build_file("VomraCube.scr") or "")
    tool = harness.find_build_file("displaystate.exe")
    if not os.path.isfile(scr) or not tool:
        print("FAIL displayoff: VomraCube.scr or displaystate.exe is not built (build/win)\n"
              "0 passed, 1 failed")
        return 1
    size = tuple(int(v) for v in args.size.lower().split("x"))

    session = harness.Session(size=size)
    harness.install_signal_cleanup([session])
    os.makedirs(session.artifacts, exist_ok=True)
    report = open(os.path.join(session.artifacts, "displayoff.txt"), "w")
    checks = Checks("displayoff", report)
    updates = program = None
    try:
        session.start()
        updates = ScreenUpdates(session.x.display).start()
        program = start_saver(session, scr, "displayoff")
        time.sleep(SETTLE)
        before = updates_per_second(updates, SETTLE)
        for states in (("off", "on"), ("lock", "unlock")):
            shares, delays = zip(*[cycle(session, updates, program, tool, states,
                                         args.seconds, checks, i) for i in range(args.cycles)])
            share = statistics.median(shares)
            checks.check(f"{states[0]}.processor", share < MAX_OFF_CORE_SHARE,
                         f"saver and wineserver used {share:.2%} of a core in the median")
            checks.check(f"{states[1]}.resumes", statistics.median(delays) <= FRAME_INTERVAL
                         and max(delays) <= MAX_RESUME,
                         f"next update after {', '.join(f'{d * 1000:.1f}' for d in delays)} ms")
        after = updates_per_second(updates, SETTLE)
        checks.figure(f"screen updates per s: {before:.1f} before, {after:.1f} after")
        checks.check("frames", min(before, after) >= MIN_UPDATES_PER_SECOND,
                     f"{before:.1f} and {after:.1f} screen updates per second")
        _, code = close_by_key(session, program)
        checks.check("closes", code == 0, f"exit code {code}")
    except (harness.HarnessError, subprocess.SubprocessError, OSError) as error:
        checks.check("session", False, str(error))
    finally:
        if program and program.running():
            program.kill()
        if updates:
            updates.stop()
        session.stop()
        report.close()
    print(f"{checks.passed} passed, {checks.failed} failed")
    return 1 if checks.failed or checks.passed == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
