"""The Windows build draws exactly what the native build draws.

Scene frames (framecheck) and two fixed sets of region fills (regioncheck, fillcheck) are
drawn by the native programs and by the same code built for Windows and run under Wine, and
the stored pixels are compared byte for byte: 32-bit pixels on a true-colour screen, palette
indices on an 8-bit PseudoColor one. fillcheck's window is also compared with the screen,
and the template saver itself is watched drawing its moving default scene."""

import os
import shutil
import subprocess
import time

import cases
import harness
from cases import SaverCase
from fixtures import pixels, savers
from harness import HarnessError, wait_for

OUT = os.path.join(harness.WORK, "pixels")
PROGRAM_TIMEOUT = 120

# Clock values from the start over ordinary running times to far beyond them, where the
# scene's own sine and cosine still have to agree between the builds.
CLOCKS = ["0", "0.02", "0.04", "1.5", "12.34", "333.3", "4096.02", "123456.78"]


def _built(path, build, target, configure=False):
    """path, building the target in build (configured first if asked) when it is missing."""
    if (configure and not os.path.exists(path)
            and not os.path.exists(os.path.join(build, "CMakeCache.txt"))):
        subprocess.run(["cmake", "-S", harness.ROOT, "--preset", "native", "-B", build],
                       capture_output=True, timeout=300)
    if not os.path.exists(path):
        subprocess.run(["cmake", "--build", build, "-j2", "--target", target],
                       capture_output=True, timeout=900)
    if not os.path.exists(path):
        raise HarnessError(f"{target} is not built ({path})")
    return path


def native_program(folder, name):
    return _built(os.path.join(savers.NATIVE_BUILD, folder, name), savers.NATIVE_BUILD, name,
                  configure=True)


def windows_program(folder, name):
    return _built(os.path.join(harness.BUILD, folder, name + ".exe"), harness.BUILD, name)


def read_pam(path):
    """(width, height, bytes per pixel, tuple type, pixel bytes) of a pixel file."""
    with open(path, "rb") as f:
        data = f.read()
    end = data.index(b"ENDHDR\n") + len(b"ENDHDR\n")
    fields = dict(line.split(" ", 1) for line in data[:end].decode().splitlines()[1:-1])
    width, height, depth = int(fields["WIDTH"]), int(fields["HEIGHT"]), int(fields["DEPTH"])
    body = data[end:]
    if len(body) != width * height * depth:
        raise HarnessError(f"{path}: {len(body)} pixel bytes for {width}x{height}x{depth}")
    return width, height, depth, fields["TUPLTYPE"], body


def bgrx_to_rgb(body):
    rgb = bytearray(len(body) // 4 * 3)
    rgb[0::3], rgb[1::3], rgb[2::3] = body[2::4], body[1::4], body[0::4]
    return bytes(rgb)


def png_rgb(path, crop=None):
    crop_args = [] if crop is None else ["-crop", "{2}x{3}+{0}+{1}".format(*crop), "+repage"]
    return subprocess.run(["convert", path] + crop_args + ["-depth", "8", "rgb:-"],
                          capture_output=True, timeout=60, check=True).stdout


def differences(a, b, width, depth):
    """How many pixels differ, and where the first one is, as text."""
    count, first = 0, None
    for i in range(0, min(len(a), len(b)), depth):
        if a[i:i + depth] != b[i:i + depth]:
            count += 1
            if first is None:
                pixel = i // depth
                first = (f"first at ({pixel % width}, {pixel // width}): "
                         f"{a[i:i + depth].hex()} against {b[i:i + depth].hex()}")
    return f"{count} pixels differ, {first}" if count else "same"


class PixelCase(SaverCase):
    def setUp(self):
        super().setUp()
        self.out = os.path.join(OUT, self.id().split(".")[-1])
        shutil.rmtree(self.out, ignore_errors=True)
        os.makedirs(self.out)

    def region_bits(self):
        """The bits per pixel of a drawing region on this screen."""
        return 8 if self.x.depth <= 8 else 32

    def run_native(self, program, *args):
        result = subprocess.run([program] + [str(a) for a in args], capture_output=True,
                                text=True, timeout=PROGRAM_TIMEOUT)
        self.assertEqual(result.returncode, 0, f"{program}: {result.stderr}")

    def start_windows(self, program, *args):
        name = f"{self.id().split('.')[-1]}-{len(self.programs)}"
        process = self.session.start_program(program, *args, log_name=name)
        self.programs.append(process)
        return process

    def run_windows(self, program, *args):
        process = self.start_windows(program, *args)
        code = process.wait(PROGRAM_TIMEOUT)
        self.assertEqual(code, 0, f"{program}: exit {code}\n{process.output()}")
        return process.output()

    def win(self, path):
        return self.session.windows_path(path)

    def assert_same_pixels(self, native_path, windows_path, bits):
        native, windows = read_pam(native_path), read_pam(windows_path)
        self.assertEqual(native[:4], windows[:4], f"{windows_path}: another format")
        self.assertEqual(native[2], bits // 8, f"{native_path}: not {bits} bits")
        if native[4] != windows[4]:
            self.fail(f"{os.path.basename(windows_path)}: "
                      f"{differences(native[4], windows[4], native[0], native[2])}")


class SceneFrames(PixelCase):
    """The default scene through the in-memory region: framecheck natively and under Wine
    draws the same sequence of frames into one region each."""

    def compare_frames(self, bits, width, height, clocks):
        native = native_program("e2e/framecheck", "framecheck")
        windows = windows_program("e2e/framecheck", "framecheck")
        self.run_native(native, bits, width, height, os.path.join(self.out, "native"), *clocks)
        self.run_windows(windows, bits, width, height, self.win(os.path.join(self.out, "wine")),
                         *clocks)
        # Every frame is compared before the test fails, so that the report lists them all.
        problems = []
        for i, clock in enumerate(clocks):
            try:
                self.assert_same_pixels(os.path.join(self.out, f"native-{i}.pam"),
                                        os.path.join(self.out, f"wine-{i}.pam"), bits)
            except AssertionError as error:
                problems.append(f"{bits} bits, clock {clock}: {error}")
        self.assertEqual(problems, [])

    def test_32_bit_frames(self):
        self.compare_frames(32, 320, 240, CLOCKS)

    def test_8_bit_frames(self):
        self.compare_frames(8, 320, 240, CLOCKS)

    def test_full_screen_frames(self):
        self.compare_frames(32, 1024, 768, ["0", "7.5"])
        self.compare_frames(8, 1024, 768, ["7.5"])

    def test_frames_of_the_headless_renderer(self):
        # vomracube-render draws T, T + S, ...; framecheck is given the same doubles.
        start, step, count = 2.5, 0.02, 4
        clocks = [repr(start + i * step) for i in range(count)]
        render = native_program("tools/vomracube-render", "vomracube-render")
        windows = windows_program("e2e/framecheck", "framecheck")
        for bits in (32, 8):
            png = os.path.join(self.out, f"render{bits}.png")
            self.run_native(render, "--size", "320x240", "--depth", bits, "--time", start,
                            "--frames", count, "--step", step, "--out", png)
            prefix = os.path.join(self.out, f"wine{bits}")
            self.run_windows(windows, bits, 320, 240, self.win(prefix), *clocks)
            for i in range(count):
                rendered = png_rgb(os.path.join(self.out, f"render{bits}_{i:04d}.png"))
                width, _, depth, _, body = read_pam(f"{prefix}-{i}.pam")
                where = f"{bits} bits, frame {i}"
                if depth == 4:
                    self.assertEqual(bgrx_to_rgb(body), rendered, where + ": " +
                                     differences(bgrx_to_rgb(body), rendered, width, 3))
                    continue
                # The PNG shows the palette's colours: every index must stand for one
                # colour throughout, which holds only when the indices agree.
                colour_of = {}
                for k, index in enumerate(body):
                    colour = rendered[3 * k:3 * k + 3]
                    self.assertEqual(colour_of.setdefault(index, colour), colour,
                                     f"{where}: index {index} at pixel {k}")
                self.assertGreater(len(colour_of), 20, where)


# Faces with detail for the finished check program: a photograph-like JPEG (4:2:0 and
# progressive, so the decoder's upsampling and inverse DCT are used) and a PNG with alpha.
DETAIL_FACES = r"""
import sys
from PIL import Image
w, h = 97, 81
img = Image.new("RGB", (w, h))
img.putdata([((x * 5 + y * 3) % 256, (x * y // 7) % 256, (255 - 2 * y + (x ^ y)) % 256)
             for y in range(h) for x in range(w)])
img.save(sys.argv[1] + "/detail.jpg", quality=80, subsampling=2, progressive=True)
rgba = img.convert("RGBA")
rgba.putalpha(Image.linear_gradient("L").resize((w, h)))
rgba.save(sys.argv[1] + "/detail.png")
"""
FINISHED_SETTINGS = ["--cubes", "2", "--boxes", "6", "--cube-size", "2.5", "--transparency",
                     "1", "--box-size", "0.35", "--box-phase", "0.7", "--motion", "2"]


class FinishedFrames(PixelCase):
    """A finished check program: framecheck.exe with a payload of settings and six face
    files of every picture format, decoded by the cross-built picture libraries under Wine
    and by the system's natively."""

    def test_frames_with_picture_faces(self):
        folder = savers.faces_folder()
        subprocess.run([savers._system_python(), "-c", DETAIL_FACES, folder], check=True,
                       capture_output=True, timeout=60)
        faces = ["face0.bmp", "face1.ico", "face2.gif", "detail.jpg", "detail.png", "face5.tif"]
        windows = windows_program("e2e/framecheck", "framecheck")
        finished = os.path.join(self.out, "framecheck.exe")
        result = subprocess.run([savers.pack_tool(), "make", "--template", windows, "--out",
                                 finished, "--strict"] + FINISHED_SETTINGS +
                                [os.path.join(folder, face) for face in faces],
                                capture_output=True, text=True, timeout=120)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        native = native_program("e2e/framecheck", "framecheck")
        clocks = ["0", "3.3", "17.64"]
        for bits in (32, 8):
            native_prefix = os.path.join(self.out, f"native{bits}")
            wine_prefix = os.path.join(self.out, f"wine{bits}")
            self.run_native(native, "--saver", finished, bits, 480, 360, native_prefix, *clocks)
            self.run_windows(finished, bits, 480, 360, self.win(wine_prefix), *clocks)
            for i in range(len(clocks)):
                self.assert_same_pixels(f"{native_prefix}-{i}.pam", f"{wine_prefix}-{i}.pam",
                                        bits)


class RegionFills(PixelCase):
    """Fills through the window's DIB-section region under Wine, and through the in-memory
    region natively, at the depth the screen gives the window region."""

    def test_regioncheck_fills(self):
        native = native_program("e2e/regioncheck", "regioncheck")
        windows = windows_program("e2e/regioncheck", "regioncheck")
        bits = self.region_bits()
        wine_path = os.path.join(self.out, "wine.pam")
        output = self.run_windows(windows, self.win(wine_path))
        self.assertIn(f"depth {bits}", output)
        self.run_native(native, os.path.join(self.out, "native.pam"), bits)
        self.assert_same_pixels(os.path.join(self.out, "native.pam"), wine_path, bits)

    def test_fillcheck_fills_and_screen(self):
        native = native_program("e2e/regioncheck", "fillcheck")
        windows = windows_program("e2e/regioncheck", "fillcheck")
        bits = self.region_bits()
        wine_path = os.path.join(self.out, "wine.pam")
        stop = os.path.join(self.out, "stop")
        process = self.start_windows(windows, self.win(wine_path), self.win(stop))

        def ready():
            if not process.running():
                raise HarnessError(f"fillcheck ended early: {process.output()}")
            return os.path.exists(wine_path + ".ready")
        wait_for(ready, cases.WINDOW_TIMEOUT, "fillcheck's pixel file")
        self.run_native(native, bits, os.path.join(self.out, "native.pam"))
        self.assert_same_pixels(os.path.join(self.out, "native.pam"), wine_path, bits)

        if bits == 32:
            # The window shows region row h-1-j as its row j: the pixel file's order.
            width, height, _, _, body = read_pam(wine_path)
            expected = bgrx_to_rgb(body)
            found = wait_for(lambda: self.x.windows("fillcheck.exe"), cases.WINDOW_TIMEOUT,
                             "fillcheck's window")[0]
            crop = (found[1], found[2], width, height)
            self.assertEqual(found[3:], (width, height))
            shot = os.path.join(self.session.artifacts, "fillcheck-screen.png")
            seen = []

            def screen_matches():
                seen[:] = [png_rgb(self.x.screenshot(shot), crop)]
                return seen[0] == expected
            try:
                wait_for(screen_matches, 10, "the window to show the region's pixels", 0.2)
            except HarnessError:
                self.fail("the screen differs from the region: "
                          + differences(expected, seen[0], width, 3))
        open(stop, "w").close()
        code = process.wait(cases.EXIT_TIMEOUT)
        self.assertEqual(code, 0, process.output())


# Least pixels of a screenshot of the default scene (1024 x 768) for each kind of colour;
# native frames of the scene hold about 80-900 of a box colour (each box shows some of its
# six), 9 000-11 500 of the default picture's blue and 1 400-2 000 of its gold.
BOX_COLOURS = ["red", "green", "blue", "yellow", "cyan", "magenta"]
MIN_BOX_PIXELS = 30
MIN_BOX_COLOURS = 4
MIN_PICTURE_BLUE = 3000
MIN_PICTURE_GOLD = 400
MIN_LIT_PIXELS_8_BIT = 1500


class DefaultScene(PixelCase):
    """The template saver in run mode draws its moving default scene."""

    def shot(self, label):
        return self.x.screenshot(os.path.join(self.session.artifacts,
                                              f"{self.id().split('.')[-1]}-{label}.png"))

    def test_moving_scene_on_a_true_colour_screen(self):
        if self.x.depth <= 8:
            self.skipTest("true-colour screens only")
        saver = self.start_saver("/s")
        self.wait_saver_window(saver)
        counts = {}

        def scene_shown(label):
            path = self.shot(label)
            counts[label] = pixels.colour_counts(path)
            c = counts[label]
            boxes = [name for name in BOX_COLOURS if c.get(name, 0) >= MIN_BOX_PIXELS]
            return (len(boxes) >= MIN_BOX_COLOURS and c.get("default", 0) >= MIN_PICTURE_BLUE
                    and c.get("orange", 0) >= MIN_PICTURE_GOLD) and path
        try:
            first = wait_for(lambda: scene_shown("first"), 15, "the scene's colours", 0.2)
        except HarnessError:
            self.fail(f"the default scene's colours never showed: {counts}")
        first_time = time.monotonic()
        wait_for(lambda: time.monotonic() - first_time >= 1.0, 5, "a second to pass")
        second = scene_shown("second")
        self.assertTrue(second, f"second screenshot: {counts['second']}")
        self.assertNotEqual(png_rgb(first), png_rgb(second), "the scene did not move")
        self.close_with_key(saver)

    def test_runs_draws_and_closes_on_a_palette_screen(self):
        if self.x.depth > 8:
            self.skipTest("palette screens only")
        saver = self.start_saver("/s")
        self.wait_saver_window(saver)
        drawn = []

        # Wine shows the palette's indices in its own system colours, so only the amount
        # drawn and a few distinct colours can be asked for (about 6 000 lit pixels).
        def scene_drawn():
            rgb = png_rgb(self.shot("drawn"))
            colours = [rgb[i:i + 3] for i in range(0, len(rgb), 3)]
            lit = [c for c in colours if c != b"\0\0\0"]
            drawn[:] = [len(lit), len(set(lit))]
            return len(lit) >= MIN_LIT_PIXELS_8_BIT and len(set(lit)) >= 4
        try:
            wait_for(scene_drawn, 15, "the scene on the screen", 0.2)
        except HarnessError:
            self.fail(f"lit pixels and colours on the screen: {drawn}")
        self.assert_keeps_running(saver)
        self.close_with_key(saver)
