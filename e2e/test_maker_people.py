"""The maker as people meet it: faces in reading order, verdicts in plain sentences, the
original names of a saver's faces when it is opened again, a setting that is not valid
blocking Save with the field named, the locale's decimal comma, and a window that fits the
work area with every text whole at 96, 144 and 192 DPI (the screenshots in docs/ come from
here: `python3 e2e/run.py MakerForPeople` with VC_DOCS_SHOTS=1)."""

import os
import re
import subprocess
import time

import cases
import harness
from fixtures import savers
from harness import wait_for
from test_maker import IDOK, MakerCase, WM_COMMAND

IDCANCEL = 2

FACES = ["face0.bmp", "face1.ico", "face2.gif", "face3.jpg", "face4.png", "face5.tif"]
# Words of the command line and the tools that a person should not meet in the slots.
JARGON = ["--", "->", "bytes", "bits per pixel", "4:2:0", "opposite", "max-side"]
INTERNATIONAL = r"HKCU\Control Panel\International"
DESKTOP = r"HKCU\Control Panel\Desktop"
WIDE_SCREEN = (1366, 768)
DOCS = os.path.join(harness.ROOT, "docs", "maker")


def popups(session, maker):
    """The maker's windows besides its main one and its tooltips: message boxes, dialogs."""
    return [w for w in session.probe().of("vomracubemaker.exe")
            if w.hwnd != maker.window.hwnd and w.classname != "tooltips_class32"]


class MakerForPeople(MakerCase):
    def test_six_dropped_faces_read_in_order_and_come_back_with_their_names(self):
        maker = self.start_maker()
        self.drop(maker, "Face 1", [os.path.join(self.faces, n) for n in FACES])
        names = wait_for(lambda: list(maker.file_names().values()) == FACES and
                         maker.file_names(), cases.WINDOW_TIMEOUT, "six faces in order")
        self.assertEqual(list(names), [f"Face {i}" for i in range(1, 7)])
        # Reading order on the screen: 1 2 3 on the first row, 4 5 6 under them.
        rects = {title: maker.thumbnail_rect(title) for title in names}
        for row in ((1, 2, 3), (4, 5, 6)):
            tops = {rects[f"Face {i}"][1] for i in row}
            self.assertEqual(len(tops), 1, rects)
            lefts = [rects[f"Face {i}"][0] for i in row]
            self.assertEqual(lefts, sorted(lefts), rects)
        self.assertLess(rects["Face 1"][1], rects["Face 4"][1])
        verdicts = wait_for(lambda: all(v.startswith("Shown") for v in maker.verdicts().values())
                            and maker.verdicts(), cases.WINDOW_TIMEOUT, "six verdicts")
        for title, sentence in verdicts.items():
            self.assertRegex(sentence, r"^[A-Z][^\n]*\.$", title)
            for word in JARGON:
                self.assertNotIn(word, sentence.lower(), title)

        saver = os.path.join(self.out_dir, "Named.scr")
        self.save_as(maker, saver)
        maker.close()
        again = self.start_maker(self.session.windows_path(saver))
        wait_for(lambda: list(again.file_names().values()) == FACES, cases.WINDOW_TIMEOUT,
                 f"the original names (shown: {again.file_names()})")
        again.close()

    def test_a_value_out_of_range_blocks_save_and_names_the_field(self):
        maker = self.start_maker(*self.face_args(["face0.bmp"]))
        wait_for(lambda: maker.verdicts().get("Face 1", "").startswith("Shown"),
                 cases.WINDOW_TIMEOUT, "face 1's verdict")
        # 20000 passes through 2000 on the way: no value in range may stand in for it.
        self.type_setting(maker, "Boxes", ["key:End", "key:shift+Home", "20000"])
        message = maker.child_after("&Defaults...", 1, "Static")
        wait_for(lambda: "Boxes" in maker.control(message)[1], cases.WINDOW_TIMEOUT,
                 "the complaint about the box count")
        self.assertNotIn("--", maker.control(message)[1])
        for command in ("&Save", "&Try", "&Install..."):
            maker.click(command)
            box = maker.popup(containing="The saver was not")
            text = " ".join(c[2] for c in box.children)
            self.assertIn("Boxes goes from 0 to 10000; 20000 is too large.", text)
            self.session.post(box.hwnd, WM_COMMAND, IDOK)
            wait_for(lambda: not popups(self.session, maker), cases.WINDOW_TIMEOUT,
                     "the message to close")
        self.assertEqual(os.listdir(self.out_dir), [])
        maker.close()

    def test_a_decimal_comma_is_read_under_a_german_locale(self):
        before = self.session._run_windows(["reg", "query", INTERNATIONAL, "/v", "sDecimal"])
        self.session._run_windows(["reg", "add", INTERNATIONAL, "/v", "sDecimal", "/d", ",",
                                   "/f"], check=True)
        try:
            maker = self.start_maker()
            self.wait_setting(maker, "Cube size", "1,25")
            self.type_setting(maker, "Cube size", ["key:End", "key:shift+Home", "2,5"])
            self.wait_setting(maker, "Cube size", "2,5")
            message = maker.child_after("&Defaults...", 1, "Static")
            self.assertEqual(maker.control(message)[1], "")
            saver = os.path.join(self.out_dir, "Komma.scr")
            self.save_as(maker, saver)
            maker.close()
        finally:
            old = re.search(r"sDecimal\s+REG_SZ\s+(\S*)", before)
            if old:
                self.session._run_windows(["reg", "add", INTERNATIONAL, "/v", "sDecimal", "/d",
                                           old.group(1), "/f"])
            else:
                self.session._run_windows(["reg", "delete", INTERNATIONAL, "/v", "sDecimal",
                                           "/f"])
        show = subprocess.run([savers.pack_tool(), "show", saver], capture_output=True,
                              text=True, timeout=60)
        self.assertIn("size 2.500", show.stdout, show.stdout + show.stderr)


class MakerAtEveryScale(MakerCase):
    """A session of its own on a 1366 x 768 screen; the DPI is set for each maker started."""

    @classmethod
    def setUpClass(cls):
        cls.wide = harness.Session(name="maker-1366", size=WIDE_SCREEN).start()

    @classmethod
    def tearDownClass(cls):
        cls.wide.stop()

    def setUp(self):
        super().setUp()
        self.session = self.wide
        self.x = self.wide.x
        self.temp_before = self.wide.temp_files()

    def tearDown(self):
        for program in self.programs:
            if program.running():
                program.kill()
        self.wide._run_windows(["reg", "add", DESKTOP, "/v", "LogPixels", "/t", "REG_DWORD",
                                "/d", "96", "/f"])

    def start_at(self, dpi, *args):
        self.wide._run_windows(["reg", "add", DESKTOP, "/v", "LogPixels", "/t", "REG_DWORD",
                                "/d", str(dpi), "/f"], check=True)
        return self.start_maker(*args)

    def text_fit(self, window):
        """The probe's figures and one [fit, hwnd, 0|1, ...] per control with a text."""
        hwnd = window if isinstance(window, int) else window.window.hwnd
        out = self.wide._run_windows([self.wide.winprobe, "textfit", str(hwnd), "8",
                                      "MS Shell Dlg"], check=True)
        lines = out.splitlines()
        values = {line.split(" ", 1)[0]: line.split(" ", 1)[1] for line in lines[:3]}
        fits = [line.split(" ", 8) for line in lines[3:] if line.startswith("fit ")]
        return values, fits

    def test_the_window_fits_and_every_text_is_whole(self):
        saver = self.make_saver("scales", [], FACES)
        # One DPI after the other, failing at the first (the runner reports no subtests).
        for dpi in (96, 144, 192):
            maker = self.start_at(dpi, *self.face_args(FACES))
            wait_for(lambda: all(v.startswith("Shown") for v in maker.verdicts().values())
                     and len(maker.verdicts()) == 6, cases.WINDOW_TIMEOUT, "six verdicts")
            values, fits = self.text_fit(maker)
            self.assertEqual(int(values["dpi"]), dpi)
            work = [int(v) for v in values["work"].split()]
            window = [int(v) for v in values["window"].split()]
            self.assertGreaterEqual(window[0], work[0], values)
            self.assertGreaterEqual(window[1], work[1], values)
            self.assertLessEqual(window[2], work[2], values)
            self.assertLessEqual(window[3], work[3], values)
            cut = [f[2:] for f in fits if f[2] != "1"]
            self.assertEqual(cut, [], f"texts cut at {dpi} DPI")
            self.shoot(maker.window.rect, f"main-{dpi}", docs=True)
            self.shoot_other_screens(maker, dpi)
            maker.close()
            # Install's dialog: for a saver that is saved.
            maker = self.start_at(dpi, self.wide.windows_path(saver))
            wait_for(lambda: "*" not in maker.refresh().title and
                     maker.refresh().title.endswith(".scr"), cases.WINDOW_TIMEOUT,
                     "the saver opened")
            maker.click("&Install...")
            dialog = maker.popup(title="Install the screen saver")
            self.assertEqual([f[2:] for f in self.text_fit(dialog.hwnd)[1] if f[2] != "1"], [],
                             f"Install's texts cut at {dpi} DPI")
            self.shoot(dialog.rect, f"install-{dpi}")
            self.wide.post(dialog.hwnd, WM_COMMAND, IDCANCEL)
            maker.close()

    def shoot_other_screens(self, maker, dpi):
        """The complaint of a value out of range, Save's message and Defaults' question.
        The field may be scrolled out of sight: its text is set as typing would."""
        self.wide._run_windows([self.wide.winprobe, "settext", str(maker.setting_edit("Boxes")),
                                "20000"], check=True)
        message = maker.child_after("&Defaults...", 1, "Static")
        wait_for(lambda: "Boxes" in maker.control(message)[1], cases.WINDOW_TIMEOUT,
                 "the complaint about the box count")
        maker.click("&Save")
        box = maker.popup(containing="The saver was not")
        self.shoot(box.rect, f"not-saved-{dpi}")
        self.wide.post(box.hwnd, WM_COMMAND, IDOK)
        # The field named has the focus, scrolled into sight where the window scrolls.
        wait_for(lambda: not popups(self.wide, maker), cases.WINDOW_TIMEOUT,
                 "the message to close")
        self.shoot(maker.refresh().rect, f"invalid-{dpi}", docs=True)
        maker.click("&Defaults...")
        question = maker.popup(containing="Put all nine settings back")
        self.shoot(question.rect, f"defaults-{dpi}")
        self.wide.post(question.hwnd, WM_COMMAND, IDOK)
        wait_for(lambda: maker.control(message)[1] == "", cases.WINDOW_TIMEOUT,
                 "the settings back to their defaults")

    def shoot(self, rect, name, docs=False):
        """A screenshot in the artifacts; with VC_DOCS_SHOTS=1 and `docs` also a small PNG of
        the window at `rect` (left, top, right, bottom) in docs/maker/. The dialogs are not
        copied there: this Wine draws them black in screenshots."""
        time.sleep(cases.SETTLE)
        path = os.path.join(self.wide.artifacts, f"maker-{name}.png")
        self.x.screenshot(path)
        if not (docs and os.environ.get("VC_DOCS_SHOTS")):
            return
        os.makedirs(DOCS, exist_ok=True)
        subprocess.run([savers._system_python(), "-c",
                        "import sys\nfrom PIL import Image\n"
                        "box = tuple(max(0, int(v)) for v in sys.argv[3:7])\n"
                        "im = Image.open(sys.argv[1]).convert('RGB').crop(box)\n"
                        "im.quantize(colors=64).save(sys.argv[2], optimize=True)",
                        path, os.path.join(DOCS, f"{name}.png"), *map(str, rect)],
                       check=True, timeout=60)
