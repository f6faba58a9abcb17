#!/usr/bin/env python3
"""Soak run: a finished saver with still and video faces runs for a long time under Wine, and
nothing it holds may grow.

    e2e/soak.py [--scr PATH] [--minutes M] [--interval S] [--max-growth PERCENT]
                [--stills FILE,FILE,FILE,FILE]

Makes a finished saver from the template whose six faces are the two test clips (msvideo1
and cinepak, whose frames change every second, so the videos loop every three seconds) and
four still pictures (GIF, JPEG, PNG and TIFF unless told), runs it in /s for M minutes (30
unless told) and samples every S seconds (5 unless told):

  - the saver's resident memory, threads and open descriptors, and its wineserver's
    resident memory and descriptors (from /proc);
  - the saver's kernel handles, GDI objects and USER objects where Wine reports them
    (winprobe.exe counts; Wine reports the handles only);
  - the temporary face files;
  - the processor share of the saver and of the wineserver since the last sample (the
    latter includes the probe's own requests);
  - whether the screen changed since the last sample.

Then a key closes the saver. Checks: the saver ran the whole time and the screen kept
changing; after the first minute no count grew by more than --max-growth per cent of its
value at the first minute (1 unless told); the face files stayed two while running (the
video faces: pictures are held in memory) and none is left after the exit; the saver used
less than a third of a core on average. Prints PASS/FAIL per check and ends with "N passed, M failed"; the samples go to
build/e2e/artifacts/soak.csv and a summary to soak.txt.
"""

import argparse
import csv
import hashlib
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
from fixtures import savers  # noqa: E402
from fixtures.checks import Checks  # noqa: E402
from fixtures.process_use import cpu_seconds, open_descriptors, status_kib, threads  # noqa: E402

SCR_EXE = "vomracube.scr"
WINDOW_TIMEOUT = 60
EXIT_TIMEOUT = 15
WARM_UP = 60.0  # seconds before the level that later samples are held to
MAX_CORE_SHARE = 1 / 3
MIN_CHANGING = 0.9  # of the sample intervals in which the screen must have changed
DEFAULT_STILLS = "face2.gif,face3.jpg,face4.png,face5.tif"

# Sampled values held to the growth bound; None (not reported) is left out.
GROWTH_FIELDS = ["saver_rss_kib", "saver_threads", "saver_fds", "server_rss_kib", "server_fds",
                 "handles", "gdi_objects", "user_objects"]
FIELDS = ["seconds"] + GROWTH_FIELDS + ["face_files", "saver_cpu", "server_cpu",
                                        "screen_changed"]


def screen_hash(session):
    dump = subprocess.run(["xwd", "-root", "-silent", "-display", session.x.display],
                          env=session.x.env, capture_output=True, timeout=30, check=True).stdout
    return hashlib.sha256(dump).hexdigest()


def face_files(session):
    return {name for name in session.temp_files() if name.upper().startswith("VFR")}


class Sampler:
    """One row of figures per call, with processor shares since the previous one."""

    def __init__(self, session, program, windows_pid, earlier_files):
        self.session = session
        # Face files an earlier, interrupted run left in the prefix are not this saver's.
        self.earlier_files = earlier_files
        self.pid = program.process.pid
        self.server = session.server.pid
        self.windows_pid = windows_pid
        self.started = time.monotonic()
        self.last = (self.started, cpu_seconds(self.pid), cpu_seconds(self.server))
        self.last_screen = screen_hash(session)

    def sample(self):
        now = time.monotonic()
        saver_cpu, server_cpu = cpu_seconds(self.pid), cpu_seconds(self.server)
        if saver_cpu is None:
            raise harness.HarnessError("the saver ended during the soak")
        then, saver_before, server_before = self.last
        self.last = (now, saver_cpu, server_cpu)
        counts = self.session.counts(self.windows_pid)
        screen = screen_hash(self.session)
        changed, self.last_screen = screen != self.last_screen, screen
        return {
            "seconds": round(now - self.started, 1),
            "saver_rss_kib": status_kib(self.pid, "VmRSS"),
            "saver_threads": threads(self.pid),
            "saver_fds": open_descriptors(self.pid),
            "server_rss_kib": status_kib(self.server, "VmRSS"),
            "server_fds": open_descriptors(self.server),
            "handles": counts["handles"],
            "gdi_objects": counts["gdi"],
            "user_objects": counts["user"],
            "face_files": len(face_files(self.session) - self.earlier_files),
            "saver_cpu": round((saver_cpu - saver_before) / (now - then), 4),
            "server_cpu": round((server_cpu - server_before) / (now - then), 4),
            "screen_changed": int(changed),
        }


def growth(rows, field):
    """(level at the end of the warm-up, highest later value, growth in per cent), or None."""
    settled = [row[field] for row in rows if row["seconds"] >= WARM_UP and row[field] is not None]
    if len(settled) < 2:
        return None
    level, top = settled[0], max(settled)
    return level, top, 100.0 * (top - level) / max(level, 1)


def soak_saver(template, stills):
    faces = [savers.CLIP] + stills + [savers.CLIP_CINEPAK]
    path, report = savers.make_saver(template, "soak", [], faces)
    return path, report


def start(session, path):
    program = session.start_program(path, "/s", log_name="soak")
    width, height = session.x.size

    def up():
        if not program.running():
            raise harness.HarnessError(f"the saver ended with {program.process.returncode}")
        found = [w for w in session.probe().of(SCR_EXE) if w.rect == (0, 0, width, height)]
        return found[0] if found else None
    window = harness.wait_for(up, WINDOW_TIMEOUT, "the saver's full-screen window")
    x_window = harness.wait_for(
        lambda: [w for w in session.x.windows(SCR_EXE) if w[1:] == (0, 0, width, height)],
        WINDOW_TIMEOUT, "the saver's X window")[0][0]
    session.x.xdotool("windowfocus", x_window)
    return program, window.pid


def run(session, args, checks, rows):
    stills = args.stills.split(",")
    path, pack_report = soak_saver(os.path.abspath(args.scr), stills)
    checks.report.write(pack_report)
    shown = pack_report.count("-> shown")
    checks.check("faces", shown == 6, f"vomracube-pack says {shown} of the six faces will show")
    before = face_files(session)
    program, windows_pid = start(session, path)
    try:
        sampler = Sampler(session, program, windows_pid, before)
        deadline = sampler.started + args.minutes * 60
        while time.monotonic() < deadline:
            time.sleep(max(0.0, min(args.interval, deadline - time.monotonic())))
            rows.append(sampler.sample())
            row = rows[-1]
            print(f"  {row['seconds']:7.1f} s  rss {row['saver_rss_kib']} KiB  handles "
                  f"{row['handles']}  fds {row['saver_fds']}  files {row['face_files']}  cpu "
                  f"{row['saver_cpu']:.1%}+{row['server_cpu']:.1%}  changed "
                  f"{row['screen_changed']}", flush=True)
        session.x.xdotool("key", "space")
        code = program.wait(EXIT_TIMEOUT)
    finally:
        if program.running():
            program.kill()
    left = face_files(session) - before
    checks.check("closes", code == 0 and not left,
                 f"exit code {code}, face files left behind: {sorted(left)}")


def judge(rows, args, checks):
    if not rows:
        checks.check("samples", False, "no sample was taken")
        return
    changing = sum(row["screen_changed"] for row in rows) / len(rows)
    checks.check("screen-changes", changing >= MIN_CHANGING,
                 f"the screen changed in {changing:.0%} of {len(rows)} sample intervals")
    files = {row["face_files"] for row in rows}
    # Only the two video faces go to files; the four pictures are read from the payload.
    checks.check("face-files", files == {2}, f"face files seen while running: {sorted(files)}")
    share = sum(row["saver_cpu"] for row in rows) / len(rows)
    server = sum(row["server_cpu"] for row in rows) / len(rows)
    checks.check("processor", share < MAX_CORE_SHARE, f"the saver used {share:.1%} of a core")
    checks.figure(f"processor: saver {share:.1%}, wineserver {server:.1%} of a core on average")
    for field in GROWTH_FIELDS:
        found = growth(rows, field)
        if found is None:
            checks.figure(f"{field}: not reported")
            continue
        level, top, percent = found
        checks.check(f"{field}", percent <= args.max_growth,
                     f"{level} at {WARM_UP:.0f} s, at most {top} later: {percent:+.2f} %")
        checks.figure(f"{field}: {level} at {WARM_UP:.0f} s, highest later {top} "
                      f"({percent:+.2f} %), last {rows[-1][field]}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scr", help="the template saver (default: VomraCube.scr in build/win)")
    parser.add_argument("--minutes", type=float, default=30.0)
    parser.add_argument("--interval", type=float, default=5.0, help="seconds between samples")
    parser.add_argument("--max-growth", type=float, default=1.0,
                        help="per cent a count may grow after the first minute")
    parser.add_argument("--stills", default=DEFAULT_STILLS,
                        help="the four still faces, from the test faces (face0.bmp ... face5.tif)")
    args = parser.parse_args()
    args.scr = args.scr or harness.find_build_file("VomraCube.scr")
    if not args.scr or not os.path.isfile(args.scr):
        print("FAIL soak: VomraCube.scr is not built (build/win)\n0 passed, 1 failed")
        return 1
    if len(args.stills.split(",")) != 4:
        parser.error("--stills takes four face files")

    session = harness.Session()
    harness.install_signal_cleanup([session])
    os.makedirs(session.artifacts, exist_ok=True)
    rows = []
    with open(os.path.join(session.artifacts, "soak.txt"), "w") as report:
        checks = Checks("soak", report)
        checks.figure(f"soak of {args.minutes:g} min, a sample every {args.interval:g} s")
        try:
            session.start()
            run(session, args, checks, rows)
        except (harness.HarnessError, savers.FixtureError, subprocess.SubprocessError,
                OSError) as error:
            checks.check("session", False, str(error))
        finally:
            session.stop()
        with open(os.path.join(session.artifacts, "soak.csv"), "w", newline="") as f:
            writer = csv.DictWriter(f, fieldnames=FIELDS)
            writer.writeheader()
            writer.writerows(rows)
        judge(rows, args, checks)
    print(f"{checks.passed} passed, {checks.failed} failed")
    return 1 if checks.failed or checks.passed == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
