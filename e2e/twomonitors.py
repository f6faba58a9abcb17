"""The two-monitor display of the end-to-end tests: a private Xorg with the dummy video
driver, and the monitor layouts the tests switch between (xrandr arguments)."""

import os
import re
import subprocess

from harness import HarnessError, Xserver, _stop_process

# Two monitors need a real X server: Xvfb gives Wine a single screen. The dummy video
# driver's one screen is a virtual frame 3840 wide, shown by its two outputs; xrandr sets
# which output shows which part. Wine sees one monitor per active output (with 32-bit
# Wine's i386 Xrandr and Xinerama libraries installed).
XORG_DUMMY_CONFIG = """\
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 256000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0 - 1000.0
    VertRefresh 5.0 - 200.0
    Modeline "1920x1080" 148.50 1920 2008 2052 2200 1080 1084 1089 1125 +hsync +vsync
    Modeline "1280x1024" 108.00 1280 1328 1440 1688 1024 1025 1028 1066 +hsync +vsync
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual 3840 1080
        Modes "1920x1080" "1280x1024"
    EndSubSection
EndSection
"""
# Wine 8 learns of a new layout from the screen's change of size alone, so every layout
# sets its own size.
SIDE_BY_SIDE = ["--fb", "3840x1080", "--output", "DUMMY0", "--mode", "1920x1080", "--pos", "0x0",
                "--primary", "--output", "DUMMY1", "--mode", "1920x1080", "--pos", "1920x0"]
SMALL_ON_THE_LEFT = ["--fb", "3200x1080", "--output", "DUMMY1", "--mode", "1280x1024",
                     "--left-of", "DUMMY0"]
PRIMARY_ALONE = ["--output", "DUMMY1", "--off", "--fb", "1920x1080"]


class TwoMonitorXserver(Xserver):
    """A private Xorg with the dummy driver, two 1920x1080 monitors side by side."""

    def __init__(self, work):
        os.makedirs(work, exist_ok=True)
        config = os.path.join(work, "xorg-dummy.conf")
        with open(config, "w") as f:
            f.write(XORG_DUMMY_CONFIG)
        self.depth = 24
        read_end, write_end = os.pipe()
        args = ["Xorg", "-displayfd", str(write_end), "-config", config, "-noreset",
                "-nolisten", "tcp", "-novtswitch", "-sharevts", "-ardelay", "2000000",
                "-logfile", os.path.join(work, "xorg-dummy.log")]
        self.process = subprocess.Popen(args, pass_fds=(write_end,), stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL, start_new_session=True)
        os.close(write_end)
        with os.fdopen(read_end, "rb") as pipe:
            number = pipe.readline().strip()
        if not number:
            _stop_process(self.process)
            raise HarnessError("Xorg with the dummy driver did not start")
        self.display = ":" + number.decode()
        self.env = dict(os.environ, DISPLAY=self.display)
        self.env.pop("XAUTHORITY", None)
        self.run("xrandr", "--addmode", "DUMMY1", "1920x1080")
        self.run("xrandr", "--addmode", "DUMMY1", "1280x1024")
        self.arrange(SIDE_BY_SIDE)

    def arrange(self, xrandr_args):
        """Changes the monitors (xrandr arguments); the screen's size follows."""
        self.run("xrandr", *xrandr_args)
        root = self.run("xwininfo", "-root")
        self.size = (int(re.search(r"Width: (\d+)", root).group(1)),
                     int(re.search(r"Height: (\d+)", root).group(1)))

    def windows_monitors(self):
        """The monitors as Windows should list them: sorted (left, top, right, bottom,
        primary), with the primary monitor's corner at the origin."""
        found = self.monitors()
        px, py = found[0][:2]
        return sorted((x - px, y - py, x - px + w, y - py + h, int(i == 0))
                      for i, (x, y, w, h) in enumerate(found))

    def monitors(self):
        """The active monitors as [(x, y, width, height)], the primary one first."""
        found = []
        for line in self.run("xrandr", "--listmonitors").splitlines()[1:]:
            match = re.search(r"(\d+)/\d+x(\d+)/\d+\+(-?\d+)\+(-?\d+)", line)
            if match:
                w, h, x, y = (int(v) for v in match.groups())
                found.insert(0 if "*" in line.split()[1] else len(found), (x, y, w, h))
        return found
