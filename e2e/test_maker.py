"""The maker, VomraCubeMaker.exe: faces from its command line, its Open dialog and files
dropped on its slots, their verdicts and thumbnails, a setting changed with the keyboard,
the live preview, Save through the Save dialog with a typed path, the saved saver read back
by the pack tool, run, and opened again in the maker; Try and Install; failures told."""

import os
import re
import shutil
import signal
import subprocess
import tempfile
import time

import cases
import harness
from fixtures import pixels, savers
from fixtures.finished_case import FinishedSaverCase
from harness import HarnessError, wait_for
from peresources import resource

MAKER_EXE = "vomracubemaker.exe"
BM_CLICK = 0x00F5
WM_COMMAND = 0x0111
IDOK, IDNO = 1, 7
RT_RCDATA = 10
IDR_SAVER_TEMPLATE = 201  # tools/vomracube-maker/MakerResource.h
THUMBNAIL_SHARE = 0.4  # of a thumbnail's pixels in the face's colour: the picture is there
MAKER_FOLDER = "VomraCubeMaker"  # under the temporary folder: a folder per running maker
ANSWER_LIMIT_MS = 2000  # the longest the maker's window may leave a message unanswered
CANCEL_LIMIT = 1.0  # seconds from Cancel to the converter's end
# An MP4 file's first box: enough for the maker to take the file for a clip to convert.
MP4_HEAD = b"\0\0\0\x18ftypisom\0\0\x02\0isommp41"


class Maker:
    """A running maker and its window, read through winprobe."""

    def __init__(self, case, program):
        self.case = case
        self.session = case.session
        self.program = program
        self.window = wait_for(self._main_window, cases.WINDOW_TIMEOUT, "the maker's window")

    def _main_window(self):
        if not self.program.running():
            raise HarnessError(f"the maker ended with {self.program.process.returncode}")
        found = [w for w in self.session.probe().of(MAKER_EXE)
                 if w.title.startswith("VomraCube Maker -")]
        return found[0] if found else None

    def refresh(self):
        self.window = wait_for(self._main_window, cases.WINDOW_TIMEOUT, "the maker's window")
        return self.window

    def children(self):
        return self.refresh().children

    def control(self, hwnd):
        """(rect as x, y, width, height on the screen, text) of a control."""
        lines = self._control_lines(hwnd)
        left, top, right, bottom = (int(v) for v in lines["rect"].split())
        return (left, top, right - left, bottom - top), lines.get("text", "")

    def visible(self, hwnd):
        return self._control_lines(hwnd).get("visible") == "1"

    def _control_lines(self, hwnd):
        out = self.session._run_windows([self.session.winprobe, "control", str(hwnd)])
        return dict(line.split(" ", 1) for line in out.splitlines() if " " in line)

    def child_after(self, text, offset=1, classname=None):
        """The control `offset` places after the one whose text is `text` (dialog order)."""
        kids = self.children()
        index = next(i for i, c in enumerate(kids) if c[2] == text)
        found = kids[index + offset]
        if classname:
            self.case.assertEqual(found[1], classname, kids[index:index + offset + 1])
        return found[0]

    def verdicts(self):
        """{slot title: verdict sentence}: each slot's group box is followed by its
        thumbnail, file name, Browse, Clear, fit or fill, and verdict."""
        return self._slot_texts(6)

    def details(self):
        """{slot title: the details in the tools' words}: the thumbnail's own text, which
        its tooltip shows too."""
        return self._slot_texts(1)

    def file_names(self):
        return self._slot_texts(2)

    def _slot_texts(self, offset):
        kids = self.children()
        return {kids[i][2]: kids[i + offset][2] for i, c in enumerate(kids)
                if c[1] == "Button" and re.fullmatch(r"Face \d", c[2])}

    def install(self):
        """Install..., the wait as it is, Install; the report's text, its box closed."""
        self.click("&Install...")
        self.confirm_install()
        report = self.popup(containing="is now your screen saver")
        text = " ".join(c[2] for c in report.children)
        self.session.post(report.hwnd, WM_COMMAND, IDOK)
        return text

    def confirm_install(self):
        dialog = self.popup(title="Install the screen saver")
        self.session.post(dialog.hwnd, WM_COMMAND, IDOK)

    def thumbnail_rect(self, slot_title):
        return self.control(self.child_after(slot_title, 1, "Static"))[0]

    def setting_edit(self, label):
        return self.child_after(label, 1, "Edit")

    def button(self, text):
        return next(c[0] for c in self.children() if c[1] == "Button" and c[2] == text)

    def click(self, text):
        self.session.post(self.button(text), BM_CLICK)

    def focus(self):
        x_window = wait_for(lambda: self.case.x.windows(MAKER_EXE), cases.WINDOW_TIMEOUT,
                            "the maker's X window")
        self.case.x.xdotool("windowfocus", x_window[0][0])
        time.sleep(cases.SETTLE)

    def popup(self, title=None, containing=None):
        """A window of the maker other than its main one: a message box or a file dialog."""
        def find():
            for w in self.session.probe().of(MAKER_EXE):
                if w.hwnd == self.window.hwnd or w.title.startswith("VomraCube Maker -"):
                    continue
                if title and w.title != title:
                    continue
                if containing and not any(containing in c[2] for c in w.children):
                    continue
                return w
            return None
        return wait_for(find, cases.WINDOW_TIMEOUT, f"the maker's window {title or containing!r}")

    def type_into_file_dialog(self, title, path):
        """Types a path into the focused name box of the Open or Save dialog, then Enter."""
        self.popup(title=title)
        x_window = wait_for(lambda: self.case.x.run("xdotool", "search", "--onlyvisible",
                                                     "--name", f"^{title}$", check=False).split(),
                            cases.WINDOW_TIMEOUT, f"the X window of {title!r}")
        self.case.x.xdotool("windowfocus", x_window[0])
        time.sleep(cases.SETTLE)
        self.case.x.xdotool("type", "--delay", "20", self.session.windows_path(path))
        self.case.x.xdotool("key", "Return")

    def close(self):
        """Closes the window, saying no to saving changes; the maker must end with 0."""
        self.session.post(self.window.hwnd, harness.WM_CLOSE)
        deadline = time.monotonic() + cases.EXIT_TIMEOUT
        while self.program.running() and time.monotonic() < deadline:
            for w in self.session.probe().of(MAKER_EXE):
                if any("Save the changes" in c[2] for c in w.children):
                    self.session.post(w.hwnd, WM_COMMAND, IDNO)
            time.sleep(0.2)
        self.case.assertEqual(self.program.wait(cases.EXIT_TIMEOUT), 0, self.program.output())


class MakerCase(FinishedSaverCase):
    """What every test of the maker starts from: the face files, a folder for its savers,
    and the ways to start, drive and look at it."""

    def setUp(self):
        super().setUp()
        self.exe = harness.find_build_file("VomraCubeMaker.exe")
        if not self.exe:
            self.fail("VomraCubeMaker.exe is not built (build/win)")
        self.faces = savers.faces_folder()
        self.hostile = os.path.join(self.faces, "hostile.jpg")
        with open(self.hostile, "wb") as f:  # a JPEG's first bytes, then noise
            f.write(b"\xff\xd8\xff\xe0\x00\x10JFIF\x00" + bytes(range(256)) * 16)
        self.out_dir = os.path.join(savers.run_folder(), "maker", self.id().split(".")[-1])
        os.makedirs(self.out_dir, exist_ok=True)

    def start_maker(self, *args):
        name = f"{self.id().split('.')[-1]}-maker{len(self.programs)}"
        program = self.session.start_program(self.exe, *args, log_name=name)
        self.programs.append(program)
        return Maker(self, program)

    def maker_temp_files(self):
        """Paths, relative to the temporary folder, of everything in the makers' folder."""
        root = os.path.join(self.session.temp_dir, MAKER_FOLDER)
        found = []
        for folder, dirs, files in os.walk(root):
            found += [os.path.relpath(os.path.join(folder, n), self.session.temp_dir)
                      for n in dirs + files]
        return sorted(found)

    def face_args(self, names):
        return [self.session.windows_path(os.path.join(self.faces, n)) for n in names]

    def shot(self, label):
        name = f"{self.id().split('.')[-1]}-{label}.png"
        return self.x.screenshot(os.path.join(self.session.artifacts, name))

    def assert_thumbnail(self, maker, shot, slot_title, colour):
        x, y, width, height = maker.thumbnail_rect(slot_title)
        # Above the caption ("moving", "default picture") over the thumbnail's foot.
        height = height * 3 // 4
        counts = pixels.colour_counts(shot, (x, y, width, height))
        self.assertGreaterEqual(counts.get(colour, 0), THUMBNAIL_SHARE * width * height,
                                f"{slot_title}: {counts}")

    def type_setting(self, maker, label, keys):
        x, y, width, height = maker.control(maker.setting_edit(label))[0]
        maker.focus()
        self.x.xdotool("mousemove", x + width // 2, y + height // 2)
        self.x.xdotool("click", 1)
        for key in keys:
            if key.startswith("key:"):
                self.x.xdotool("key", key[4:])
            else:
                self.x.xdotool("type", "--delay", "20", key)

    def wait_setting(self, maker, label, text):
        edit = maker.setting_edit(label)
        wait_for(lambda: maker.control(edit)[1] == text, cases.WINDOW_TIMEOUT,
                 f"{label} to read {text!r} (reads {maker.control(edit)[1]!r})")

    def save_as(self, maker, path):
        maker.click("Save &as...")
        maker.type_into_file_dialog("Save the saver", path)
        wait_for(lambda: os.path.exists(path) and "*" not in maker.refresh().title,
                 cases.WINDOW_TIMEOUT, f"the saver saved as {path}")

    def drop(self, maker, slot_title, paths):
        x, y, width, height = maker.thumbnail_rect(slot_title)
        self.session._run_windows([self.session.winprobe, "drop", str(maker.window.hwnd),
                                   str(x + width // 2), str(y + height // 2)] +
                                  [self.session.windows_path(p) for p in paths], check=True)


class MakerTests(MakerCase):
    def test_carries_the_saver_it_copies(self):
        with open(self.exe, "rb") as f:
            carried = resource(f.read(), RT_RCDATA, IDR_SAVER_TEMPLATE)
        with open(cases.SCR, "rb") as f:
            self.assertTrue(carried == f.read(), "the maker carries another saver than the built")

    def test_make_save_run_and_open_again(self):
        maker = self.start_maker(*self.face_args(
            ["face0.bmp", "face1.ico", "face2.gif", "hostile.jpg", "clip.avi",
             "face-moving.gif"]))
        verdicts = wait_for(lambda: len(maker.details()) == 6 and maker.details(),
                            cases.WINDOW_TIMEOUT, "six verdicts")
        self.assertRegex(verdicts["Face 1"],
                         r"^face0\.bmp \(\d+ bytes, fit\): BMP picture.* -> shown$")
        self.assertRegex(verdicts["Face 4"], r"^hostile\.jpg .*-> default picture$")
        self.assertTrue(verdicts["Face 5"].endswith("-> shown if the codec is there"),
                        verdicts)
        self.assertRegex(verdicts["Face 6"], r"GIF picture.*3 frames -> shown$")

        time.sleep(1.0)  # the thumbnails paint after the verdicts are set
        shot = self.shot("faces")
        for title, colour in [("Face 1", "red"), ("Face 2", "green"), ("Face 3", "blue"),
                              ("Face 4", "default"),
                              ("Face 5", "orange"),
                              ("Face 6", "orange")]:
            self.assert_thumbnail(maker, shot, title, colour)

        # The live preview moves.
        preview = next(c[0] for c in maker.children() if c[1].startswith("VcWnd:"))
        area = maker.control(preview)[0]
        first = pixels.rgb_bytes(shot, area)
        wait_for(lambda: pixels.rgb_bytes(self.shot("preview"), area) != first, 15,
                 "the preview's pixels to change")

        # Keyboard: the up arrow in the cube count, a size typed over the old one.
        self.type_setting(maker, "Picture cubes", ["key:Up"])
        self.wait_setting(maker, "Picture cubes", "3")
        self.type_setting(maker, "Cube size", ["key:End", "key:shift+Home", "2.5"])
        self.wait_setting(maker, "Cube size", "2.5")
        self.type_setting(maker, "Boxes", ["key:End", "key:shift+Home", "x"])
        message = maker.child_after("&Defaults...", 1, "Static")
        wait_for(lambda: "Boxes" in maker.control(message)[1] or
                 "boxes" in maker.control(message)[1], cases.WINDOW_TIMEOUT,
                 "the complaint about the typed box count")
        self.type_setting(maker, "Boxes", ["key:End", "key:shift+Home", "4"])
        self.wait_setting(maker, "Boxes", "4")
        wait_for(lambda: maker.control(message)[1] == "", cases.WINDOW_TIMEOUT,
                 "the complaint to go")
        self.shot("settings")

        # Fill for face 2, chosen with the keyboard in its list.
        mode = maker.child_after("Face 2", 5, "ComboBox")
        x, y, width, height = maker.control(mode)[0]
        self.x.xdotool("mousemove", x + width // 2, y + height // 2)
        self.x.xdotool("click", 1)
        time.sleep(cases.SETTLE)
        self.x.xdotool("key", "Down", "Return")
        wait_for(lambda: "(12862 bytes, fill)" in maker.details()["Face 2"],
                 cases.WINDOW_TIMEOUT, "face 2 to fill")

        saver = os.path.join(self.out_dir, "VomraCube.scr")
        self.save_as(maker, saver)
        maker.close()

        show = subprocess.run([savers.pack_tool(), "show", saver], capture_output=True,
                              text=True, timeout=60)
        with open(os.path.join(self.session.artifacts, "maker-show.txt"), "w") as f:
            f.write(show.stdout + show.stderr)
        self.assertEqual(show.returncode, 0, show.stdout + show.stderr)
        self.assertIn("picture cubes  3, size 2.500", show.stdout)
        self.assertIn("boxes          4,", show.stdout)
        self.assertRegex(show.stdout, r"face 1: .*\(\d+ bytes, fit\): BMP picture.* -> shown")
        self.assertRegex(show.stdout, r"face 2: .*\(12862 bytes, fill\): ICO")
        self.assertRegex(show.stdout, r"face 4: .* -> default picture")
        self.assertRegex(show.stdout, r"face 5: .*AVI video.* -> shown if the codec is there")

        run = self.start_finished(saver, "/s")
        self.wait_saver_window(run)
        self.close_with_key(run)

        again = self.start_maker(self.session.windows_path(saver))
        wait_for(lambda: again.refresh().title == "VomraCube Maker - VomraCube.scr",
                 cases.WINDOW_TIMEOUT, "the saver opened in the maker")
        self.wait_setting(again, "Picture cubes", "3")
        self.wait_setting(again, "Cube size", "2.5")
        self.wait_setting(again, "Boxes", "4")
        reopened = again.details()
        self.assertRegex(reopened["Face 1"], r"^face0\.bmp .*BMP picture.* -> shown$")
        self.assertRegex(reopened["Face 4"], r"-> default picture$")
        self.assertRegex(reopened["Face 6"], r"GIF picture.*-> shown$")
        time.sleep(1.0)
        shot = self.shot("reopened")
        self.assert_thumbnail(again, shot, "Face 2", "green")
        self.assert_thumbnail(again, shot, "Face 5", "orange")
        again.close()

    def test_photos_from_a_folder_go_into_the_saver_and_come_back(self):
        folder = os.path.join(self.out_dir, "My Photos")  # xdotool types ASCII only into Wine
        os.makedirs(folder, exist_ok=True)
        # An exact saver opened and saved again stays exact (the maker once saved all smooth).
        exact = os.path.join(self.out_dir, "Exact.scr")
        subprocess.run([savers.pack_tool(), "make", "--template", cases.SCR, "--out", exact,
                        "--pictures", "exact"], check=True, capture_output=True, timeout=60)
        maker = self.start_maker(self.session.windows_path(exact))
        wait_for(lambda: maker.refresh().title == "VomraCube Maker - Exact.scr",
                 cases.WINDOW_TIMEOUT, "the saver opened in the maker")
        maker.click("Photos from a &folder...")
        maker.type_into_file_dialog("Photos from a folder", folder)
        saver = os.path.join(self.out_dir, "VomraCube.scr")
        wait_for(lambda: "*" in maker.refresh().title, cases.WINDOW_TIMEOUT, "the change")
        self.save_as(maker, saver)
        maker.close()
        show = subprocess.run([savers.pack_tool(), "show", saver], capture_output=True,
                              text=True, timeout=60)
        self.assertIn(f"photos         {self.session.windows_path(folder)}, shuffle, a change "
                      "every 10 s", show.stdout)
        self.assertIn("face 1: photos from the folder", show.stdout)
        self.assertIn("pictures       exact", show.stdout)

    def test_open_dialog_drops_try_and_install(self):
        for value in ("SCRNSAVE.EXE", "ScreenSaveActive"):
            self.session._run_windows(["reg", "delete", r"HKCU\Control Panel\Desktop", "/v",
                                       value, "/f"])
        maker = self.start_maker(*self.face_args(["face4.png"]))
        wait_for(lambda: maker.details().get("Face 1", "").endswith("-> shown"),
                 cases.WINDOW_TIMEOUT, "face 1's verdict")

        # A hostile file through the Open dialog: a verdict, not a crash.
        browse = maker.child_after("Face 2", 3, "Button")
        self.session.post(browse, BM_CLICK)
        maker.type_into_file_dialog("Choose a picture or video for the face", self.hostile)
        wait_for(lambda: maker.details()["Face 2"].endswith("-> default picture"),
                 cases.WINDOW_TIMEOUT, "the hostile face's verdict")
        self.assertTrue(maker.program.running())

        # Files dropped on a slot: the hostile one on face 3; two on face 5 fill 5 and 6.
        self.drop(maker, "Face 3", [self.hostile])
        self.drop(maker, "Face 5", [os.path.join(self.faces, "face0.bmp"),
                                                 os.path.join(self.faces, "face1.ico")])
        empty = "empty -> default picture"
        verdicts = wait_for(lambda: maker.details()["Face 6"] != empty and
                            maker.details(), cases.WINDOW_TIMEOUT, "the dropped faces")
        self.assertRegex(verdicts["Face 3"], r"^hostile\.jpg .*-> default picture$")
        self.assertRegex(verdicts["Face 5"], r"^face0\.bmp .*-> shown$")
        self.assertRegex(verdicts["Face 6"], r"^face1\.ico .*-> shown$")

        # Install asks to save first, saves, then says what it changed.
        saver = os.path.join(self.out_dir, "Installed.scr")
        maker.click("&Install...")
        question = maker.popup(containing="save it first?")
        self.session.post(question.hwnd, WM_COMMAND, IDOK)
        maker.type_into_file_dialog("Save the saver", saver)
        maker.confirm_install()
        report = maker.popup(containing="is now your screen saver")
        text = " ".join(c[2] for c in report.children)
        self.assertIn("VomraCube is now your screen saver; it starts after", text)
        self.assertNotIn("SCRNSAVE", text)
        self.session.post(report.hwnd, WM_COMMAND, IDOK)
        query = self.session._run_windows(["reg", "query", r"HKCU\Control Panel\Desktop"])
        stored = next(line.split("REG_SZ", 1)[1].strip() for line in query.splitlines()
                      if "SCRNSAVE.EXE" in line)
        self.assertIn(stored, text)
        self.assertTrue(stored.upper().endswith(".SCR"), stored)
        self.assertRegex(query, r"ScreenSaveActive\s+REG_SZ\s+1")
        self.assertTrue(os.path.exists(saver))

        # Try runs the saver full screen from a copy that goes when it ends.
        maker.click("&Try")
        tried = wait_for(lambda: self.full_screen_x_window(), cases.WINDOW_TIMEOUT,
                         "the tried saver's full-screen window")
        self.x.xdotool("windowfocus", tried[0][0])
        time.sleep(cases.SETTLE)
        self.x.xdotool("key", "space")
        wait_for(lambda: not self.saver_x_windows(), cases.EXIT_TIMEOUT, "the tried saver to end")
        wait_for(lambda: not [n for n in self.maker_temp_files() if "vct" in n.lower()],
                 cases.EXIT_TIMEOUT, "the tried saver's copy to go")
        maker.close()

    def test_failures_are_told_and_the_maker_goes_on(self):
        # A saver without settings or faces (the template itself) is not one to open.
        maker = self.start_maker(self.session.windows_path(cases.SCR))
        box = maker.popup(containing="could not be opened")
        self.assertTrue(any("not a saver made with" in c[2] for c in box.children),
                        box.children)
        self.session.post(box.hwnd, WM_COMMAND, IDOK)
        wait_for(lambda: maker.refresh().title == "VomraCube Maker - new saver",
                 cases.WINDOW_TIMEOUT, "the empty project")
        maker.close()

        # A face file that is not there and one too large to take (sparse: nothing is
        # written) are named in one message; the others are taken.
        huge = os.path.join(self.out_dir, "huge.avi")
        with open(huge, "wb") as f:
            f.truncate(600 << 20)
        maker = self.start_maker(*self.face_args(["missing.png", "face0.bmp"]),
                                 self.session.windows_path(huge))
        box = maker.popup(containing="could not be used")
        text = " ".join(c[2] for c in box.children)
        self.assertIn("missing.png", text)
        self.assertIn("huge.avi", text)
        self.assertIn("600 MiB", text)
        self.session.post(box.hwnd, WM_COMMAND, IDOK)
        verdicts = wait_for(lambda: maker.details().get("Face 2", "").endswith("-> shown") and
                            maker.details(), cases.WINDOW_TIMEOUT, "face 2's verdict")
        self.assertEqual(verdicts["Face 1"], "empty -> default picture")
        self.assertEqual(verdicts["Face 3"], "empty -> default picture")
        maker.close()
        os.unlink(huge)

    def test_a_slow_converter_leaves_the_window_answering_and_is_cancelled(self):
        """A clip (Flash video) whose converter (a stand-in on the PATH) takes 20 s: the window answers
        throughout, shows the work's progress and Cancel, and Cancel ends the converter; a
        maker killed while converting ends its converter too."""
        converter = harness.find_build_file("slowconverter.exe")
        if not converter:
            self.fail("slowconverter.exe is not built (build/win, target slowconverter)")
        folder = os.path.join(self.out_dir, "bin")
        os.makedirs(folder, exist_ok=True)
        shutil.copy(converter, os.path.join(folder, "ffmpeg.exe"))
        # Phone clips are converted in process; a Flash video still goes to ffmpeg.
        clip = os.path.join(self.out_dir, "clip.flv")
        with open(clip, "wb") as f:
            f.write(b"FLV\x01\x05\0\0\0\x09" + bytes(4096))

        def converters():
            return [c for c in harness.wine_processes(self.session.prefix).values()
                    if "ffmpeg.exe" in c.lower()]

        saved_env = self.session.env
        self.session.env = dict(saved_env, WINEPATH=self.session.windows_path(folder))
        try:
            maker = self.start_maker(self.session.windows_path(clip))
        finally:
            self.session.env = saved_env
        with tempfile.TemporaryFile() as out:
            pings = subprocess.Popen(["wine", self.session.winprobe, "ping",
                                      str(maker.window.hwnd), "15"], env=self.session.env,
                                     stdout=out, stderr=subprocess.DEVNULL,
                                     stdin=subprocess.DEVNULL)
            status = maker.child_after("Photos from a &folder...", 1, "Static")
            cancel = maker.button("Cancel")
            wait_for(lambda: converters(), cases.WINDOW_TIMEOUT, "the converter to run")
            wait_for(lambda: re.search(r"Preparing Face 1 from clip\.flv\.\.\. \d+ s",
                                       maker.control(status)[1]) and maker.visible(cancel),
                     cases.WINDOW_TIMEOUT, "the progress and Cancel to show")
            self.shot("progress")
            self.assertTrue(converters(), "the converter ended before Cancel")
            maker.click("Cancel")
            clicked = time.monotonic()
            wait_for(lambda: not converters(), cases.EXIT_TIMEOUT, "the converter to end")
            self.assertLess(time.monotonic() - clicked, CANCEL_LIMIT)
            wait_for(lambda: not maker.visible(cancel), cases.WINDOW_TIMEOUT,
                     "Cancel to go")
            self.assertEqual(maker.details()["Face 1"], "empty -> default picture")
            self.assertIn("cancelled", maker.control(status)[1])
            pings.wait(60)
            out.seek(0)
            answered = out.read().decode(errors="replace")
        match = re.search(r"pings (\d+) slowest (\d+) late (\d+)", answered)
        self.assertTrue(match, answered)
        harness.note(f"the maker's window while converting: {match.group(0)} (ms)")
        self.assertGreater(int(match.group(1)), 50, answered)
        self.assertLess(int(match.group(2)), ANSWER_LIMIT_MS, answered)
        self.assertEqual(int(match.group(3)), 0, answered)
        maker.close()

        # A maker killed while it converts takes the converter with it (its job object).
        self.session.env = dict(saved_env, WINEPATH=self.session.windows_path(folder))
        try:
            maker = self.start_maker(self.session.windows_path(clip))
        finally:
            self.session.env = saved_env
        wait_for(lambda: converters(), cases.WINDOW_TIMEOUT, "the converter to run again")
        for pid, command in harness.wine_processes(self.session.prefix).items():
            if MAKER_EXE in command.lower():
                os.kill(pid, signal.SIGKILL)
        maker.program.wait(cases.EXIT_TIMEOUT)
        wait_for(lambda: not converters(), cases.EXIT_TIMEOUT, "the converter to end with it")
        # Its folder goes at the next start.
        self.start_maker().close()

    def test_a_killed_maker_leaves_nothing_after_the_next_start(self):
        maker = self.start_maker(*self.face_args(["clip.avi"]))
        wait_for(lambda: maker.details().get("Face 1", "").endswith("codec is there"),
                 cases.WINDOW_TIMEOUT, "the clip's verdict")
        # The preview's copy of the clip is in the maker's folder.
        held = wait_for(lambda: [n for n in self.maker_temp_files() if n.lower().endswith(".tmp")],
                        cases.WINDOW_TIMEOUT, "the preview's face file")
        pids = [pid for pid, command in harness.wine_processes(self.session.prefix).items()
                if MAKER_EXE in command.lower()]
        self.assertTrue(pids)
        for pid in pids:
            os.kill(pid, signal.SIGKILL)
        maker.program.wait(cases.EXIT_TIMEOUT)
        self.assertTrue(set(held) & set(self.maker_temp_files()), "nothing was left to remove")

        again = self.start_maker()
        wait_for(lambda: again.refresh().title == "VomraCube Maker - new saver",
                 cases.WINDOW_TIMEOUT, "the maker started again")
        left = self.maker_temp_files()
        self.assertFalse(set(held) & set(left), left)
        # Only the new maker's own folder and its lock are there.
        self.assertEqual(len(left), 2, left)
        again.close()
        self.assertEqual(self.maker_temp_files(), [])

    def test_three_large_clips_stay_within_the_budget(self):
        """Three 250 MiB clips (sparse files): two are taken, the third is refused with a
        message that names the limit, and the maker goes on."""
        clips = []
        for name in ("big1.mp4", "big2.mp4", "big3.mp4"):
            clips.append(os.path.join(self.out_dir, name))
            with open(clips[-1], "wb") as f:
                f.write(MP4_HEAD)
                f.truncate(250 << 20)
        maker = self.start_maker(*[self.session.windows_path(c) for c in clips])
        box = maker.popup(containing="could not be used")
        text = " ".join(c[2] for c in box.children)
        self.assertIn("big3.mp4", text)
        self.assertIn("at most 512 MiB of faces", text)
        self.session.post(box.hwnd, WM_COMMAND, IDOK)
        verdicts = maker.details()
        self.assertRegex(verdicts["Face 1"], r"^big1\.mp4 \(262144000 bytes, fit\)")
        self.assertRegex(verdicts["Face 2"], r"^big2\.mp4 \(262144000 bytes, fit\)")
        self.assertEqual(verdicts["Face 3"], "empty -> default picture")
        self.assertTrue(maker.program.running())
        maker.close()
        for clip in clips:
            os.unlink(clip)
