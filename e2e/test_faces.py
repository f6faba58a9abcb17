"""Finished savers made with vomracube-pack: each face shows its own picture, whatever its
format, and a video face plays."""

from fixtures import pixels, savers
from fixtures.finished_case import FinishedSaverCase

MIN_PIXELS = 2000  # of a face's colour on one 1024x768 screenshot: a face, not an edge


class FaceColours(FinishedSaverCase):
    def setUp(self):
        super().setUp()
        if self.x.depth <= 8:
            self.skipTest("on a palette screen face colours are dithered, not classified")

    def run_and_collect(self, path, label, wanted, timeout):
        """Runs the saver in /s and screenshots it until every wanted colour has been seen
        on MIN_PIXELS pixels of one screenshot; returns the colour counts per screenshot."""
        saver = self.start_finished(path, "/s")
        self.wait_saver_window(saver)
        counts = []

        def seen_all(paths):
            counts.append(pixels.colour_counts(paths[-1]))
            return all(any(c.get(name, 0) >= MIN_PIXELS for c in counts) for name in wanted)
        self.shots_until(label, seen_all, timeout)
        self.close_with_key(saver)
        return counts

    def test_six_picture_formats_show_on_the_faces(self):
        path = self.make_saver("six-formats", savers.BIG_CUBE, savers.STILL_FACES)
        counts = self.run_and_collect(path, "shot", savers.STILL_COLOURS, 25)
        best = {name: max(c.get(name, 0) for c in counts)
                for name in savers.STILL_COLOURS + ["default"]}
        missing = [name for name in savers.STILL_COLOURS if best[name] < MIN_PIXELS]
        self.assertEqual(missing, [], f"faces not seen in {len(counts)} screenshots: {best}")
        # The default picture's dark blue is on no face (a few edge pixels may match it).
        self.assertLess(best["default"], MIN_PIXELS // 10, best)

    def test_faces_the_saver_cannot_read_show_the_default_picture(self):
        # The detector's counter-check: the same cube with an empty face, a face file that
        # is no picture and four faces without files shows the default picture everywhere.
        folder = savers.faces_folder()
        with open(f"{folder}/not-a-picture.txt", "w") as f:
            f.write("not a picture\n" * 20)
        path = self.make_saver("default-faces", savers.BIG_CUBE,
                               ["not-a-picture.txt", "-", "-", "-", "-", "-"])
        counts = self.run_and_collect(path, "shot", ["default"], 10)
        best = {name: max(c.get(name, 0) for c in counts)
                for name in savers.STILL_COLOURS + ["default"]}
        self.assertGreaterEqual(best["default"], MIN_PIXELS * 5, best)
        for name in savers.STILL_COLOURS:
            self.assertLess(best[name], MIN_PIXELS // 10, best)

    def test_video_face_changes_colour_over_time(self):
        self.check_video("video", savers.CLIP)

    def test_cinepak_video_face_changes_colour_over_time(self):
        self.check_video("video-cinepak", savers.CLIP_CINEPAK)

    def test_mjpeg_video_face_changes_colour_over_time(self):
        # Wine's video library has no Motion-JPEG decoder: the saver's own reader plays it.
        self.check_video("video-mjpeg", savers.CLIP_MJPEG)

    def test_mjpeg_video_face_of_our_writer_changes_colour_over_time(self):
        self.check_video("video-mjpeg-ours", savers.ours_clip())

    def check_video(self, name, clip):
        path = self.make_saver(name, savers.BIG_CUBE, [clip] * 6)
        counts = self.run_and_collect(path, "shot", savers.CLIP_COLOURS, 20)
        self.check_frames_in_turn(counts)

    def check_frames_in_turn(self, counts):
        # Every moving face shows the same frame at a time: one clip colour per screenshot.
        shown = []
        for c in counts:
            present = [name for name in savers.CLIP_COLOURS if c.get(name, 0) >= MIN_PIXELS]
            if len(present) == 1 and (not shown or shown[-1] != present[0]):
                shown.append(present[0])
        self.assertEqual(set(shown), set(savers.CLIP_COLOURS),
                         f"frame colours in screenshot order: {shown}; counts: {counts}")
        self.assertGreaterEqual(len(shown), 3, shown)
        for c in counts:
            self.assertLess(c.get("default", 0), MIN_PIXELS // 10, counts)

    def test_heic_avif_webp_and_animated_webp_faces(self):
        # Three faces from the formats of phones and the web, three from an animated WebP
        # whose frames change colour once per second.
        path = self.make_saver("heic-avif-webp", savers.BIG_CUBE,
                               savers.NEW_FORMAT_FACES + [savers.MOVING_WEBP] * 3)
        stills = ["red", "green", "blue"]
        counts = self.run_and_collect(path, "shot", stills + savers.CLIP_COLOURS, 40)
        best = {name: max(c.get(name, 0) for c in counts) for name in stills}
        self.assertTrue(all(n >= MIN_PIXELS for n in best.values()), best)
        self.check_frames_in_turn(counts)

    def test_v5_bmp_and_animated_gif_faces(self):
        # One face from a BMP with the 124-byte header, five from an animated GIF whose
        # frames change colour once per second.
        path = self.make_saver("v5-bmp-moving-gif", savers.BIG_CUBE,
                               [savers.V5_BMP] + [savers.MOVING_GIF] * 5)
        counts = self.run_and_collect(path, "shot", ["red"] + savers.CLIP_COLOURS, 30)
        self.assertGreaterEqual(max(c.get("red", 0) for c in counts), MIN_PIXELS, counts)
        self.check_frames_in_turn(counts)
