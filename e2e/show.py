#!/usr/bin/env python3
"""Shows the saver: VomraCube.scr /s under Wine; or the maker, VomraCubeMaker.exe.

    e2e/show.py [--scr PATH] [--seconds N] [--screenshot PATH]
    e2e/show.py --maker [--seconds N] [--screenshot PATH] [FACE... | SAVER.scr]

With a DISPLAY it runs on that display until you close it (any key, click or mouse move
closes the saver; the maker closes as any window does). Without one it starts a private
Xvfb, lets the program run N seconds, saves a screenshot (of the maker's window alone),
closes the program and prints the screenshot's path.
"""

import argparse
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
from harness import wait_for  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scr", help="the saver (default: VomraCube.scr in build/win)")
    parser.add_argument("--seconds", type=float, default=4.0)
    parser.add_argument("--screenshot", default=os.path.join(
        harness.WORK, "screenshots", time.strftime("vomracube-%Y%m%d-%H%M%S.png")))
    parser.add_argument("--maker", action="store_true", help="show the maker instead")
    parser.add_argument("files", nargs="*", help="the maker's faces, or a saver to open")
    args = parser.parse_args()
    name = "VomraCubeMaker.exe" if args.maker else "VomraCube.scr"
    program = (None if args.maker else args.scr) or harness.find_build_file(name)
    if not program:
        print(f"{name} is not built (build/win)", file=sys.stderr)
        return 1
    show = show_maker if args.maker else show_saver
    display = os.environ.get("DISPLAY")
    session = harness.Session(name="d24", display=display)
    harness.install_signal_cleanup([session])
    try:
        session.start()
        return show(session, display, program, args)
    except harness.HarnessError as error:
        print(f"show: {error}", file=sys.stderr)
        return 1
    finally:
        session.stop()


def show_saver(session, display, scr, args):
    saver = session.start_program(scr, "/s", log_name="show")
    if display:
        print(f"VomraCube runs on {display}: any key, click or mouse move closes it.")
        code = saver.process.wait()
        print(f"The saver ended with exit code {code}.")
        return 0 if code == 0 else 1
    width, height = session.x.size
    full = (0, 0, width, height)
    window = wait_for(lambda: [w for w in session.x.windows("vomracube.scr") if w[1:] == full],
                      60, "the saver's full-screen window")[0][0]
    session.x.xdotool("windowfocus", window)
    time.sleep(args.seconds)  # let it animate: this is what the screenshot is for
    session.x.screenshot(args.screenshot)
    session.x.xdotool("key", "space")
    code = saver.wait(30)
    print(f"Screenshot after {args.seconds:g} s: {args.screenshot}")
    print(f"The saver closed on a key press with exit code {code}.")
    return 0 if code == 0 else 1


def show_maker(session, display, exe, args):
    files = [session.windows_path(f) if os.path.exists(f) else f for f in args.files]
    maker = session.start_program(exe, *files, log_name="show-maker")
    if display:
        print(f"The maker runs on {display}; close its window to end it.")
        code = maker.process.wait()
        print(f"The maker ended with exit code {code}.")
        return 0 if code == 0 else 1

    def main_window():
        found = [w for w in session.probe().of("vomracubemaker.exe")
                 if w.title.startswith("VomraCube Maker -")]
        return found[0] if found else None
    window = wait_for(main_window, 60, "the maker's window")
    time.sleep(args.seconds)  # the faces are read and the preview moves meanwhile
    whole = session.x.screenshot(args.screenshot)
    left, top, right, bottom = window.rect
    subprocess.run(["convert", whole, "-crop", f"{right - left}x{bottom - top}+{left}+{top}",
                    "+repage", whole], check=True, timeout=60)
    session.post(window.hwnd, harness.WM_CLOSE)
    # Unsaved faces: the maker asks whether to save them; the answer is no.
    deadline = time.monotonic() + 30
    while maker.running() and time.monotonic() < deadline:
        for w in session.probe().of("vomracubemaker.exe"):
            if any("Save the changes" in c[2] for c in w.children):
                session.post(w.hwnd, 0x0111, 7)  # WM_COMMAND, IDNO
        time.sleep(0.2)
    code = maker.wait(30)
    print(f"Screenshot after {args.seconds:g} s: {args.screenshot}")
    print(f"The maker closed with exit code {code}.")
    return 0 if code == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
