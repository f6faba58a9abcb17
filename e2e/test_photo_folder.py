"""Savers whose faces show the photos of a folder (vomracube-pack make --photos): the faces
change through many photos, never one photo on two faces at once, a key still closes the
saver at once, a folder deleted while it runs changes nothing, a folder of hostile files
gives the default picture, and two monitors show different photos."""

import os
import shutil
import struct
import time

import cases
import twomonitors
from fixtures import pixels, savers
from fixtures.finished_case import FinishedSaverCase
from harness import wait_for

PHOTOS = 200
STEP = 18  # the green and blue steps of the photos' colours: 15 x 14 > PHOTOS
MIN_PIXELS = 1500  # of a photo's colour on one screenshot: a face, not an edge
SAMPLE = 4  # every 4th pixel of every 4th row, for the faces' connected regions
SCENE = ["--boxes", "0", "--cubes", "2", "--change", "2"]
MAX_CLOSING = 0.25


def photo_colour(index):
    """Photo k is (255, 18 * (k // 14), 18 * (k % 14)): lighting scales all three channels,
    so the ratios to red name the photo on any face."""
    return 255, STEP * (index // 14), STEP * (index % 14)


def bmp(width, height, rgb):
    stride = (width * 3 + 3) & ~3
    row = bytes((rgb[2], rgb[1], rgb[0])) * width + b"\0" * (stride - width * 3)
    header = struct.pack("<2sIHHI", b"BM", 54 + stride * height, 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, stride * height, 3780, 3780,
                       0, 0)
    return header + info + row * height


def photo_index(rgb):
    """The photo a screen pixel shows, or None."""
    r, g, b = rgb
    if r < 60 or g > r or b > r:
        return None
    gi, bi = g * 255 / r / STEP, b * 255 / r / STEP
    if abs(gi - round(gi)) > 0.3 or abs(bi - round(bi)) > 0.3:
        return None
    index = round(gi) * 14 + round(bi)
    return index if index < PHOTOS else None


def photos_on_screen(png, crop=None):
    """{photo: [pixel count of each connected region]} of a screenshot, on a sampled grid."""
    data = pixels.rgb_bytes(png, crop)
    if crop:
        width, height = crop[2], crop[3]
    else:
        width, height = cases.SESSION.x.size
    grid = {}
    for y in range(0, height, SAMPLE):
        for x in range(0, width, SAMPLE):
            at = 3 * (y * width + x)
            index = photo_index(tuple(data[at:at + 3]))
            if index is not None:
                grid[(x // SAMPLE, y // SAMPLE)] = index
    regions = {}
    seen = set()
    for start, index in grid.items():
        if start in seen:
            continue
        seen.add(start)
        stack, size = [start], 0
        while stack:
            x, y = stack.pop()
            size += 1
            for n in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
                if n not in seen and grid.get(n) == index:
                    seen.add(n)
                    stack.append(n)
        regions.setdefault(index, []).append(size * SAMPLE * SAMPLE)
    return {index: sizes for index, sizes in regions.items()
            if max(sizes) >= MIN_PIXELS}


class PhotoFolder(FinishedSaverCase):
    def setUp(self):
        super().setUp()
        if self.x.depth <= 8:
            self.skipTest("on a palette screen the photos' colours are dithered")

    def photo_folder(self, name, count=PHOTOS):
        folder = os.path.join(savers.run_folder(), name)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(os.path.join(folder, "more"))
        for k in range(count):
            sub = "more" if k % 2 else ""
            with open(os.path.join(folder, sub, f"photo{k:03d}.bmp"), "wb") as f:
                f.write(bmp(16, 16, photo_colour(k)))
        with open(os.path.join(folder, "notes.txt"), "w") as f:
            f.write("not a photo\n")
        return folder

    def photo_saver(self, name, folder, settings=SCENE):
        return self.make_saver(name, settings + ["--photos", self.session.windows_path(folder)],
                               [])

    def close_in_time(self, saver):
        pressed = time.monotonic()
        self.x.xdotool("key", "space")
        while saver.running() and time.monotonic() - pressed < 15:
            time.sleep(0.002)
        closing = time.monotonic() - pressed
        self.assert_exits(saver)
        self.assertLess(closing, MAX_CLOSING, f"the key closed the saver in {closing * 1000:.0f} ms")

    def test_faces_go_through_the_photos_never_two_alike_and_a_key_closes_at_once(self):
        folder = self.photo_folder("photos-200")
        saver = self.start_finished(self.photo_saver("photos-200", folder), "/s")
        self.wait_saver_window(saver)
        shown, doubled = set(), []

        def enough(paths):
            on_screen = photos_on_screen(paths[-1])
            shown.update(on_screen)
            doubled.extend((os.path.basename(paths[-1]), index)
                           for index, sizes in on_screen.items()
                           if len([s for s in sizes if s >= MIN_PIXELS]) > 1)
            return len(shown) >= 12
        self.shots_until("shot", enough, 60, interval=0.5)
        self.assertGreaterEqual(len(shown), 12, f"photos seen: {sorted(shown)}")
        self.assertEqual(doubled, [], "one photo on two faces at once")
        self.close_in_time(saver)

    def test_a_folder_deleted_while_running_changes_nothing(self):
        folder = self.photo_folder("photos-deleted", 40)
        saver = self.start_finished(self.photo_saver("photos-deleted", folder), "/s")
        self.wait_saver_window(saver)
        def all_faces_photos(paths):
            return (len(photos_on_screen(paths[-1])) >= 2 and
                    pixels.colour_counts(paths[-1]).get("default", 0) < MIN_PIXELS // 10)
        self.shots_until("before", all_faces_photos, 30)
        shutil.rmtree(folder)
        paths = self.shots_until("after", lambda p: False, 6, interval=1.0)
        for path in paths:
            on_screen = photos_on_screen(path)
            self.assertGreaterEqual(len(on_screen), 1, f"no photo left on {path}")
            self.assertLess(pixels.colour_counts(path).get("default", 0), MIN_PIXELS // 10,
                            f"a face fell back to the default picture on {path}")
        self.assertTrue(saver.running(), "the saver ended")
        self.close_in_time(saver)

    def test_a_folder_of_hostile_files_gives_the_default_picture(self):
        corpus = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "fuzz",
                              "corpus")
        folder = os.path.join(savers.run_folder(), "photos-hostile")
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        names = ("jpg", "png", "gif", "bmp", "tif", "ico", "webp")
        for target in sorted(os.listdir(corpus)):
            for k, name in enumerate(sorted(os.listdir(os.path.join(corpus, target)))[:20]):
                shutil.copy(os.path.join(corpus, target, name),
                            os.path.join(folder, f"{target}-{k}.{names[k % len(names)]}"))
        saver = self.start_finished(self.photo_saver("photos-hostile", folder), "/s")
        self.wait_saver_window(saver)
        paths = self.shots_until("shot", lambda p: False, 8, interval=1.0)
        best = max(pixels.colour_counts(p).get("default", 0) for p in paths)
        self.assertGreaterEqual(best, MIN_PIXELS * 2, "the default picture is not on the faces")
        self.assertTrue(saver.running(), "the saver ended")
        self.close_in_time(saver)


class PhotoFolderTwoMonitors(PhotoFolder):
    def setUp(self):
        if cases.SESSION is None or cases.SESSION.monitors != 2:
            self.skipTest("two monitors only: e2e/run.py --monitors 2")
        cases.SESSION.use_layout(twomonitors.SIDE_BY_SIDE)
        super().setUp()

    def test_faces_go_through_the_photos_never_two_alike_and_a_key_closes_at_once(self):
        self.skipTest("one monitor's case")

    def test_a_folder_deleted_while_running_changes_nothing(self):
        self.skipTest("one monitor's case")

    def test_a_folder_of_hostile_files_gives_the_default_picture(self):
        self.skipTest("one monitor's case")

    def test_two_monitors_show_different_photos(self):
        folder = self.photo_folder("photos-two", 100)
        saver = self.start_finished(self.photo_saver("photos-two", folder), "/s")
        monitors = self.x.monitors()

        def covered():
            if not saver.running():
                raise AssertionError(f"the saver ended with {saver.process.returncode}")
            windows = {tuple(w[1:]): w[0] for w in self.saver_x_windows()}
            return all(m in windows for m in monitors) and windows[monitors[0]]
        self.x.xdotool("windowfocus", wait_for(covered, cases.WINDOW_TIMEOUT, "both windows"))
        time.sleep(cases.SETTLE)
        both = []

        def differ(paths):
            seen = [set(photos_on_screen(paths[-1], m)) for m in monitors]
            both.append(seen)
            return all(seen) and not (seen[0] & seen[1])
        self.shots_until("shot", differ, 30, interval=0.5)
        seen = both[-1]
        self.assertTrue(all(seen), f"a monitor shows no photo: {both}")
        for s in both:
            self.assertFalse(s[0] & s[1], f"one photo on both monitors: {both}")
        self.close_in_time(saver)
