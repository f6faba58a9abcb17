#!/usr/bin/env python3
"""Measures a saver whose faces show a photo folder, under Wine (a tool, not a test).

    e2e/photos.py [--scr PATH] [--counts 100,10000,100000] [--seconds S] [--soak-minutes M]
                  [--monitors 1|2] [--skip-start] [--skip-cpu]

1. Start: for folders of each count of small pictures (16 x 16 BMPs, 1,000 to a subfolder),
   the time from the saver's start to the first photo on a face, as the saver itself writes
   it when it ends ("photos: first on a face N ms after start ..."), with its frame pacing
   (frames later than twice the frame interval, the longest gap) over S seconds.
2. Processor: the saver and its wineserver at the screen's size over S seconds, once with
   six still faces (2048-pixel pictures, as e2e/power.py) and once with a folder of
   12-megapixel JPEGs changing every 10 s; the difference is what the folder costs.
3. Memory: with --soak-minutes M, the resident memory of a saver showing 10,000 names of
   12-megapixel JPEGs (hard links to 40 distinct photos: what is decoded is a photo at a
   time, whatever the folder), sampled every 10 s, on --monitors monitors.
Figures go to standard output and build/e2e/artifacts/photos.txt.
"""

import argparse
import os
import re
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
import twomonitors  # noqa: E402
from fixtures import savers  # noqa: E402
from fixtures.process_use import CpuMeter, status_kib  # noqa: E402
import cases  # noqa: E402
from test_photo_folder import bmp, photo_colour, photos_on_screen  # noqa: E402

SCR_EXE = "vomracube.scr"
BIG_PHOTOS = 40
PHOTO_LINE = re.compile(r"photos: first on a face (-?\d+) ms after start, (\d+) listed; "
                        r"frames (\d+), later than 2 intervals (\d+), longest gap (\d+) ms")


def small_folder(count):
    folder = os.path.join(savers.run_folder(), f"small-{count}")
    if not os.path.isdir(folder):
        for k in range(count):
            sub = os.path.join(folder, f"set{k // 1000:03d}")
            os.makedirs(sub, exist_ok=True)
            with open(os.path.join(sub, f"p{k:06d}.bmp"), "wb") as f:
                f.write(bmp(16, 16, photo_colour(k % 200)))
    return folder


def big_folder(names):
    """`names` names of 12-megapixel JPEGs, hard links to BIG_PHOTOS distinct photos."""
    folder = os.path.join(savers.run_folder(), f"big-{names}")
    distinct = os.path.join(savers.run_folder(), "big-distinct")
    if not os.path.isdir(distinct):
        os.makedirs(distinct)
        script = ("import sys\nfrom PIL import Image, ImageDraw\n"
                  "for k in range(int(sys.argv[2])):\n"
                  "    im = Image.new('RGB', (4000, 3000), (40 + 5 * k, 90, 200 - 4 * k))\n"
                  "    d = ImageDraw.Draw(im)\n"
                  "    for y in range(0, 3000, 50):\n"
                  "        d.line([(0, y), (4000, 3000 - y)], fill=(255, 255 - 6 * k, y % 255), width=9)\n"
                  "    im.save(f'{sys.argv[1]}/photo{k:02d}.jpg', quality=90)\n")
        subprocess.run([savers._system_python(), "-c", script, distinct, str(BIG_PHOTOS)],
                       check=True, timeout=1200)
    if not os.path.isdir(folder):
        os.makedirs(folder)
        for k in range(names):
            os.link(os.path.join(distinct, f"photo{k % BIG_PHOTOS:02d}.jpg"),
                    os.path.join(folder, f"IMG_{k:05d}.jpg"))
    return folder


def start(session, path, label):
    program = session.start_program(path, "/s", log_name=f"photos-{label}")
    areas = session.x.monitors() if session.monitors == 2 else [(0, 0) + tuple(session.x.size)]

    def up():
        if not program.running():
            raise harness.HarnessError(f"the saver ended with {program.process.returncode}")
        windows = {tuple(w[1:]): w[0] for w in session.x.windows(SCR_EXE)}
        return all(a in windows for a in areas) and [windows[areas[0]]]
    window = harness.wait_for(up, 60, "the saver's windows")[0]
    session.x.xdotool("windowfocus", window)
    return program


def close(session, program):
    pressed = time.monotonic()
    session.x.xdotool("key", "space")
    while program.running() and time.monotonic() - pressed < 15:
        time.sleep(0.002)
    closing = time.monotonic() - pressed
    if program.running():
        program.kill()
    return closing


def saver_for(session, name, folder, settings=()):
    path, _ = savers.make_saver(harness.find_build_file("VomraCube.scr"), name,
                                list(settings) + ["--photos", session.windows_path(folder)], [])
    return path


def first_photo_seen(session, launched, label):
    """Seconds from the launch to the first screenshot with a photo on a face (screenshots
    take about a tenth of a second each: an upper bound); None within 20 s."""
    while time.monotonic() - launched < 20:
        shot = session.x.screenshot(os.path.join(session.artifacts, f"photos-{label}.png"))
        taken = time.monotonic()
        if photos_on_screen(shot):
            return taken - launched
    return None


def measure_start(session, count, seconds, out):
    path = saver_for(session, f"start-{count}", small_folder(count), ["--change", "2"])
    launched = time.monotonic()
    program = start(session, path, f"start-{count}")
    window = time.monotonic() - launched
    seen = first_photo_seen(session, launched, f"start-{count}")
    out(f"{count} pictures: window up {window * 1000:.0f} ms, first screenshot with a photo "
        f"{seen * 1000:.0f} ms after the launch" if seen is not None
        else f"{count} pictures: no photo seen within 20 s")
    time.sleep(seconds)
    closing = close(session, program)
    match = PHOTO_LINE.search(program.output())
    if not match:
        out(f"{count} pictures: no photo line in the saver's output")
        return
    first, listed, frames, late, gap = (int(v) for v in match.groups())
    out(f"{count} pictures: first photo on a face {first} ms after start ({listed} listed "
        f"after {seconds:g} s); frames {frames}, later than 2 intervals {late}, longest gap "
        f"{gap} ms; key to exit {closing * 1000:.0f} ms")


def measure_pacing(session, kind, seconds, out):
    """Frame pacing of one saver over `seconds`: a folder of 12-megapixel JPEGs changing every
    2 s, or an empty folder (the same frame loop and counter, nothing decoded), for two
    sessions run side by side under the same load."""
    folder = big_folder(BIG_PHOTOS * 2) if kind == "big" else os.path.join(
        savers.run_folder(), "empty")
    os.makedirs(folder, exist_ok=True)
    path = saver_for(session, f"pacing-{kind}", folder, ["--change", "2"])
    program = start(session, path, f"pacing-{kind}")
    time.sleep(seconds)
    close(session, program)
    match = PHOTO_LINE.search(program.output())
    out(f"pacing, {kind} folder, {seconds:g} s: {match.group(0) if match else 'no line'}")


def cpu_share(session, path, label, seconds):
    program = start(session, path, label)
    try:
        time.sleep(2.0)
        meter = CpuMeter([program.process.pid, session.server.pid], time.monotonic)
        meter.begin()
        time.sleep(seconds)
        saver, server = meter.shares()
    finally:
        close(session, program)
    return saver + server, program


def measure_cpu(session, seconds, out):
    still_folder = savers.large_faces_folder(2048)
    faces = sorted(os.path.join(still_folder, name) for name in os.listdir(still_folder))
    still, _ = savers.make_saver(harness.find_build_file("VomraCube.scr"), "six-still", [], faces)
    base, _ = cpu_share(session, still, "six-still", seconds)
    photos = saver_for(session, "big-photos", big_folder(BIG_PHOTOS * 2), ["--change", "10"])
    share, program = cpu_share(session, photos, "big-photos", seconds)
    match = PHOTO_LINE.search(program.output())
    out(f"processor over {seconds:g} s: six still faces {base:.1%}, folder of 12-MP JPEGs "
        f"changing every 10 s {share:.1%} of a core (saver and wineserver); difference "
        f"{share - base:+.1%}; pacing: {match.group(0) if match else 'no line'}")


def measure_memory(session, minutes, out):
    path = saver_for(session, "soak-photos", big_folder(10000), ["--change", "10"])
    program = start(session, path, "soak")
    samples = []
    end = time.monotonic() + minutes * 60
    while time.monotonic() < end and program.running():
        time.sleep(10)
        samples.append(status_kib(program.process.pid, "VmRSS"))
    close(session, program)
    samples = [s for s in samples if s]
    if not samples:
        out("memory: no samples")
        return
    third = max(1, len(samples) // 3)
    out(f"resident memory over {minutes:g} min on {session.monitors} monitor(s), 10,000 "
        f"12-MP names: max {max(samples) / 1024:.0f} MiB, first third max "
        f"{max(samples[:third]) / 1024:.0f} MiB, last third max "
        f"{max(samples[-third:]) / 1024:.0f} MiB; samples (MiB): "
        + " ".join(f"{s / 1024:.0f}" for s in samples))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--counts", default="100,10000,100000")
    parser.add_argument("--seconds", type=float, default=8.0)
    parser.add_argument("--soak-minutes", type=float, default=0)
    parser.add_argument("--monitors", type=int, choices=(1, 2), default=1)
    parser.add_argument("--skip-start", action="store_true")
    parser.add_argument("--skip-cpu", action="store_true")
    parser.add_argument("--pacing", choices=("big", "empty"),
                        help="only the frame pacing of one saver, for side-by-side runs")
    args = parser.parse_args()
    session = harness.Session(size=(1920, 1080), monitors=args.monitors)
    harness.install_signal_cleanup([session])
    os.makedirs(session.artifacts, exist_ok=True)
    report = open(os.path.join(session.artifacts, "photos.txt"), "a")

    def out(line):
        print(line, flush=True)
        report.write(line + "\n")
    try:
        session.start()
        cases.SESSION = session  # photos_on_screen reads the screen's size from it
        if args.monitors == 2:
            session.use_layout(twomonitors.SIDE_BY_SIDE)
        if args.pacing:
            measure_pacing(session, args.pacing, args.seconds, out)
            return 0
        if not args.skip_start:
            for count in (int(c) for c in args.counts.split(",")):
                measure_start(session, count, args.seconds, out)
        if not args.skip_cpu:
            measure_cpu(session, args.seconds * 2, out)
        if args.soak_minutes:
            measure_memory(session, args.soak_minutes, out)
    finally:
        session.stop()
        report.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
