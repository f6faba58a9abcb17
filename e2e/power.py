#!/usr/bin/env python3
"""Measures how much processor the real saver uses at full screen under Wine, and checks it.

    e2e/power.py [--scr PATH] [--seconds S] [--size WxH] [--closings N] [--monitors 1|2]

Runs VomraCube.scr /s on a private Xvfb of the given size (1920x1080 unless told), twice:
with the default scene, and as a finished saver of six large picture faces (2048 pixels,
made at test time). Once the saver's window is up it measures over S seconds (5 unless
told) the share of one core used by the saver and by the prefix's wineserver (from /proc)
and the screen updates per second (X DAMAGE reports: Wine copies each painted frame to the
screen once), then the time from a key press to the saver's exit; with --closings N the
default saver is started and closed N times in all, for the median of that time.

Checks, with bounds far from the measured figures so that they never flake: the saver and
its wineserver together used less than a third of a core with the default scene and less
than half a core with the large faces (a loop that polls keeps them busy all the time; the
large faces alone took a fifth of a core to draw on a two-core test machine), the screen
changed at least 20 times a second, and the key closed the saver (exit code 0, no face file
left behind).
With --monitors 2 the saver runs on two 1920x1080 monitors (Xorg's dummy driver instead of
Xvfb) and the bounds on the processor are those of one monitor times two: every monitor
adds its own frames and nothing else.
Prints PASS/FAIL per check and ends with "N passed, M failed"; the figures go to standard
output and to build/e2e/artifacts/power.txt.
"""

import argparse
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
from fixtures import savers  # noqa: E402
from fixtures.checks import Checks  # noqa: E402
from fixtures.process_use import CpuMeter  # noqa: E402
from fixtures.screen_updates import ScreenUpdates  # noqa: E402

SCR_EXE = "vomracube.scr"
WINDOW_TIMEOUT = 60  # six large faces are decoded before the window shows
EXIT_TIMEOUT = 15
SETTLE = 1.0  # after the window is up, before measuring: the first frames clear the screen
MAX_CORE_SHARE = {"default": 1 / 3, "large-faces": 1 / 2}
MIN_UPDATES_PER_SECOND = 20
LARGE_SIDE = 2048


def face_files(session):
    return {name for name in session.temp_files() if name.upper().startswith("VFR")}


def start_saver(session, path, label):
    """Starts the saver in /s and waits for its window on every monitor; gives the primary
    one the keyboard."""
    program = session.start_program(path, "/s", log_name=f"power-{label}")
    if session.monitors == 2:
        areas = session.x.monitors()
    else:
        areas = [(0, 0) + tuple(session.x.size)]

    def up():
        if not program.running():
            raise harness.HarnessError(f"the saver ended with {program.process.returncode}")
        windows = {tuple(w[1:]): w[0] for w in session.x.windows(SCR_EXE)}
        return all(a in windows for a in areas) and [windows[areas[0]]]
    window = harness.wait_for(up, WINDOW_TIMEOUT, "the saver's full-screen windows")[0]
    session.x.xdotool("windowfocus", window)
    return program


def close_by_key(session, program):
    """Seconds from the key press to the end of the saver's process, and its exit code."""
    pressed = time.monotonic()
    session.x.xdotool("key", "space")
    while program.running() and time.monotonic() - pressed < EXIT_TIMEOUT:
        time.sleep(0.002)
    ended = time.monotonic()
    code = program.process.poll()
    if code is None:
        program.kill()
    return ended - pressed, code


def measure(session, updates, path, label, seconds, checks):
    """One run: processor shares, screen updates, closing. Returns the closing time."""
    before = face_files(session)
    program = start_saver(session, path, label)
    try:
        time.sleep(SETTLE)
        meter = CpuMeter([program.process.pid, session.server.pid], time.monotonic)
        began = time.monotonic()
        meter.begin()
        time.sleep(seconds)
        saver, server = meter.shares()
        frames = updates.count_since(began) / (time.monotonic() - began)
        if saver is None or server is None:
            raise harness.HarnessError("the saver or its wineserver ended while measured")
        closing, code = close_by_key(session, program)
    finally:
        if program.running():
            program.kill()
    together = saver + server
    monitors = session.monitors
    checks.figure(f"{label}: saver {saver:.1%}, wineserver {server:.1%}, together "
                  f"{together:.1%} of a core over {seconds:g} s ({together / monitors:.1%} "
                  f"per monitor of {monitors}); {frames:.1f} screen updates per s; key to "
                  f"exit {closing * 1000:.0f} ms")
    checks.check(f"{label}.processor", together < MAX_CORE_SHARE[label] * monitors,
                 f"saver and wineserver used {together:.1%} of a core")
    checks.check(f"{label}.frames", frames >= MIN_UPDATES_PER_SECOND,
                 f"{frames:.1f} screen updates per second")
    left = face_files(session) - before
    checks.check(f"{label}.closes", code == 0 and not left,
                 f"exit code {code}, face files left: {sorted(left)}")
    return closing


def closing_times(session, path, count):
    """Extra start-and-close runs of a saver, for the spread of the closing time."""
    times = []
    for index in range(count):
        program = start_saver(session, path, f"closing{index}")
        time.sleep(SETTLE)
        closing, _ = close_by_key(session, program)
        times.append(closing)
    return times


def large_faces_saver(template):
    folder = savers.large_faces_folder(LARGE_SIDE)
    faces = sorted(os.path.join(folder, name) for name in os.listdir(folder))
    return savers.make_saver(template, "large-faces", [], faces)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scr", help="the saver (default: VomraCube.scr in build/win)")
    parser.add_argument("--seconds", type=float, default=5.0, help="length of each measure")
    parser.add_argument("--size", default="1920x1080", help="screen size, WxH")
    parser.add_argument("--closings", type=int, default=1,
                        help="runs of the default saver for the closing time")
    parser.add_argument("--monitors", type=int, choices=(1, 2), default=1,
                        help="2: two 1920x1080 monitors (Xorg's dummy driver; --size unused)")
    args = parser.parse_args()
    scr = os.path.abspath(args.scr or harness.find_build_file("VomraCube.scr") or "")
    if not os.path.isfile(scr):
        print("FAIL power: VomraCube.scr is not built (build/win)\n0 passed, 1 failed")
        return 1
    size = tuple(int(v) for v in args.size.lower().split("x"))

    session = harness.Session(size=size, monitors=args.monitors)
    harness.install_signal_cleanup([session])
    os.makedirs(session.artifacts, exist_ok=True)
    report = open(os.path.join(session.artifacts, "power.txt"), "w")
    checks = Checks("power", report)
    updates = None
    try:
        session.start()
        updates = ScreenUpdates(session.x.display).start()
        if args.monitors == 2:
            checks.figure(f"saver {scr} on monitors {session.x.monitors()}")
        else:
            checks.figure(f"saver {scr} at {size[0]}x{size[1]}")
        closings = [measure(session, updates, scr, "default", args.seconds, checks)]
        closings += closing_times(session, scr, args.closings - 1)
        checks.figure("key to exit, default scene: median "
                      f"{statistics.median(closings) * 1000:.0f} ms of {len(closings)}: "
                      + " ".join(f"{t * 1000:.0f}" for t in closings))
        large, pack_report = large_faces_saver(scr)
        report.write(pack_report)
        shown = pack_report.count("-> shown")
        checks.check("large-faces.pictures", shown == 6,
                     f"vomracube-pack says {shown} of the six large faces will show")
        measure(session, updates, large, "large-faces", args.seconds, checks)
    except (harness.HarnessError, savers.FixtureError, subprocess.SubprocessError,
            OSError) as error:
        checks.check("session", False, str(error))
    finally:
        if updates:
            updates.stop()
        session.stop()
        report.close()
    print(f"{checks.passed} passed, {checks.failed} failed")
    return 1 if checks.failed or checks.passed == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
