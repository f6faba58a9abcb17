#!/usr/bin/env python3
"""Shows the saver: VomraCube.scr /s under Wine.

    e2e/show.py [--scr PATH] [--seconds N] [--screenshot PATH]

With a DISPLAY it runs on that display until you close it (any key, click or mouse move).
Without one it starts a private Xvfb, lets the saver run N seconds, saves a screenshot,
closes the saver with a key press and prints the screenshot's path.
"""

import argparse
import os
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
    args = parser.parse_args()
    scr = args.scr or harness.find_build_file("VomraCube.scr")
    if not scr:
        print("VomraCube.scr is not built (build/win)", file=sys.stderr)
        return 1

    display = os.environ.get("DISPLAY")
    session = harness.Session(name="d24", display=display)
    harness.install_signal_cleanup([session])
    try:
        session.start()
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
    except harness.HarnessError as error:
        print(f"show: {error}", file=sys.stderr)
        return 1
    finally:
        session.stop()


if __name__ == "__main__":
    sys.exit(main())
