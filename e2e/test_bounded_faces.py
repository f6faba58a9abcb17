"""Faces cannot hold the saver: six copies of a GIF whose frames are 65535 x 65535 pixels on
a 2 x 2 screen (made at test time by fixtures/make_hostile_gif.py) and a key closes the
saver within a second."""

import os
import subprocess
import sys
import time

import cases
from fixtures import savers
from fixtures.finished_case import FinishedSaverCase

KEY_TO_EXIT = 1.0


class HugeGifFrames(FinishedSaverCase):
    def hostile_saver(self, name, *options):
        gif = os.path.join(savers.run_folder(), f"{name}.gif")
        script = os.path.join(os.path.dirname(os.path.abspath(savers.__file__)),
                              "make_hostile_gif.py")
        subprocess.run([sys.executable, script, gif, *options], check=True, timeout=300,
                       capture_output=True)
        return self.make_saver(name, [], [gif] * 6)

    def assert_key_closes_within_a_second(self, path):
        saver = self.start_finished(path, "/s")
        self.wait_saver_window(saver)
        self.assert_keeps_running(saver)  # drawing the faces all along
        sent = time.monotonic()
        self.x.xdotool("key", "space")
        self.assertEqual(saver.wait(cases.EXIT_TIMEOUT), 0)
        took = time.monotonic() - sent
        with open(os.path.join(self.session.artifacts, f"{self.id()}-key-to-exit.txt"), "w") as f:
            f.write(f"{took:.3f} s\n")
        self.assertLess(took, KEY_TO_EXIT, f"the saver took {took:.2f} s to close")

    def test_a_key_closes_the_saver_within_a_second(self):
        self.assert_key_closes_within_a_second(self.hostile_saver("hostile-gif"))

    def test_interlaced_frames_too(self):
        self.assert_key_closes_within_a_second(
            self.hostile_saver("hostile-gif-interlaced", "--interlaced"))
