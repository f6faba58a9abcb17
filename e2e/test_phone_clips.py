"""Phone clips with no converter anywhere on the PATH: vomracube-pack.exe and the maker
turn an H.264 MP4 and an HEVC MOV (made here by the system's ffmpeg program, which the
Wine prefix cannot see) into Motion-JPEG faces with the decoder they carry; `show` says
they are shown, and the saver plays them: the faces change colour in the clips' order."""

import os
import shutil
import subprocess

import cases
import harness
from fixtures import pixels, savers
from fixtures.finished_case import FinishedSaverCase
from harness import wait_for
import test_maker
from test_maker import Maker

MIN_PIXELS = 2000  # of a face's colour on one screenshot, as test_faces counts
SIDE = 96
CLIP_RGB = [(255, 128, 0), (0, 255, 128), (128, 0, 255)]  # savers.CLIP_COLOURS, as make_faces
# (file, encoder arguments): 4:2:0 as phones write it; the MOV tagged as phones tag HEVC.
CLIPS = [("phone-h264.mp4", ["-c:v", "libx264", "-pix_fmt", "yuv420p"]),
         ("phone-hevc.mov", ["-c:v", "libx265", "-x265-params", "log-level=error",
                             "-pix_fmt", "yuv420p", "-tag:v", "hvc1"])]


def write_clip(path, encoder):
    """The fixtures' clip colours, one second each, at 30 frames per second."""
    raw = b"".join(bytes(colour) * (SIDE * SIDE) for colour in CLIP_RGB)
    subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "rawvideo",
                    "-pix_fmt", "rgb24", "-s", f"{SIDE}x{SIDE}", "-r", "1", "-i", "-",
                    "-r", "30"] + encoder + [path], input=raw, check=True)


class PhoneClips(FinishedSaverCase):
    def setUp(self):
        super().setUp()
        if self.x.depth <= 8:
            self.skipTest("on a palette screen face colours are dithered, not classified")
        self.pack = harness.find_build_file("vomracube-pack.exe")
        self.maker_exe = harness.find_build_file("VomraCubeMaker.exe")
        if not self.pack or not self.maker_exe:
            self.fail("vomracube-pack.exe or VomraCubeMaker.exe is not built (build/win)")
        self.folder = os.path.join(self.session.prefix, "drive_c", "phoneclips")
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        for name, encoder in CLIPS:
            write_clip(os.path.join(self.folder, name), encoder)
        self.assertNotIn("ffmpeg", self.session.env.get("WINEPATH", ""))

    def tearDown(self):
        try:
            super().tearDown()
        finally:
            shutil.rmtree(self.folder, ignore_errors=True)

    def windows(self, name):
        return f"C:\\phoneclips\\{name}"

    def shot(self, label):
        name = f"{self.id().split('.')[-1]}-{label}.png"
        return self.x.screenshot(os.path.join(self.session.artifacts, name))

    def assert_clips_play(self, path):
        """Runs the saver until each clip colour has been seen alone on a screenshot."""
        saver = self.start_finished(path, "/s")
        self.wait_saver_window(saver)
        counts = []

        def alone(c):
            present = [n for n in savers.CLIP_COLOURS if c.get(n, 0) >= MIN_PIXELS]
            return present[0] if len(present) == 1 else None
        self.shots_until("shot", lambda paths: counts.append(pixels.colour_counts(paths[-1]))
                         or {alone(c) for c in counts} >= set(savers.CLIP_COLOURS), 30)
        seen = {alone(c) for c in counts} - {None}
        self.assertEqual(seen, set(savers.CLIP_COLOURS), f"clip colours seen: {counts}")
        for c in counts:
            self.assertLess(c.get("default", 0), MIN_PIXELS // 10, counts)
        self.close_with_key(saver)

    def test_pack_exe_converts_phone_clips_that_the_saver_plays(self):
        faces = [self.windows(name) for name, _ in CLIPS] * 3
        report = self.session._run_windows(
            [self.pack, "make", "--template", cases.SCR, "--out", self.windows("VomraCube.scr")]
            + savers.BIG_CUBE + faces, timeout=300, check=True)
        self.assertIn("converted from MP4 video (H.264, 96 x 96, ", report)
        self.assertIn("converted from QuickTime (MOV) video (HEVC, 96 x 96, ", report)
        self.assertIn("to Motion-JPEG AVI, 96 x 96, 30 frames per second, 90 frames", report)
        shown = self.session._run_windows([self.pack, "show", self.windows("VomraCube.scr")],
                                          check=True)
        self.assertEqual(shown.count("Motion-JPEG AVI video, 96 x 96, 90 frames at 30 "
                                     "frames per second -> shown"), 6, shown)
        self.assert_clips_play(os.path.join(self.folder, "VomraCube.scr"))

    def test_maker_converts_phone_clips_that_the_saver_plays(self):
        program = self.session.start_program(
            self.maker_exe, *[self.windows(name) for name, _ in CLIPS] * 3,
            log_name=f"{self.id().split('.')[-1]}-maker")
        self.programs.append(program)
        maker = Maker(self, program)

        def first_lines():
            # The verdict, then the notes on what was done (winprobe shows line ends as \n).
            return {face: text.split("\\n")[0]
                    for face, text in maker.details().items()}, maker.details()
        verdicts, full = wait_for(lambda: len(first_lines()[0]) == 6 and
                                  all(v.endswith("-> shown") for v in first_lines()[0].values())
                                  and first_lines(),
                                  cases.WINDOW_TIMEOUT * 4, "both clips' verdicts")
        for face, name, source in (("Face 1", "phone-h264\\.mp4", "MP4 video \\(H\\.264"),
                                   ("Face 2", "phone-hevc\\.mov", "QuickTime \\(MOV\\) video \\(HEVC")):
            self.assertRegex(verdicts[face], rf"^{name} \(\d+ bytes, fit\): Motion-JPEG AVI video, 96 x 96, "
                                             r".*90 frames at 30 frames per second -> shown$")
            self.assertRegex(full[face], rf"converted from {source}, 96 x 96, \d+ bytes\) to "
                                         r"Motion-JPEG AVI")
        saved = os.path.join(savers.run_folder(), "phone-clips-maker", "VomraCube.scr")
        os.makedirs(os.path.dirname(saved), exist_ok=True)
        try:
            test_maker.MakerTests.save_as(self, maker, saved)
        except harness.HarnessError:
            self.shot("save")
            raise
        maker.close()
        shown = self.session._run_windows([self.pack, "show", self.session.windows_path(saved)],
                                          check=True)
        self.assertEqual(shown.count("frames at 30 frames per second -> shown"), 6, shown)
        self.assert_clips_play(saved)
