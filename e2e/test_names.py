"""Names in any script, under Wine in the C.UTF-8 locale (ANSI code page 1252, which holds
none of these characters): the pack tool given faces named in Japanese, Greek and accented
Latin, printing to a pipe and to a console; the finished saver kept in a folder named in
Greek and Japanese with such a temporary folder; the maker given those names on its command
line, through its Open dialog and by a drop; Install writing such a path."""

import contextlib
import fcntl
import os
import pty
import select
import shutil
import struct
import subprocess
import termios

import cases
import harness
from fixtures import pixels, savers
from fixtures.finished_case import FinishedSaverCase
from harness import wait_for
from test_maker import BM_CLICK, IDOK, WM_COMMAND, Maker

FOLDER = "Ωμέγα 東京"
TEMP = "Τεμπ 一時"
# (face fixture, its name here, its colour)
FACES = [("face3.jpg", "日本の写真.jpg", "yellow"), ("face4.png", "Ελλάδα.png", "cyan"),
         ("face0.bmp", "Café Ωμέγα 東京.bmp", "red")]
VIDEO = "Ταινία 映画.avi"  # opened by the system's video library under its wide name
MIN_PIXELS = 2000  # of a face's colour on one screenshot, as test_faces counts
THUMBNAIL_SHARE = 0.4


class Names(FinishedSaverCase):
    def setUp(self):
        super().setUp()
        if self.x.depth <= 8:
            self.skipTest("on a palette screen face colours are dithered, not classified")
        self.pack = harness.find_build_file("vomracube-pack.exe")
        self.maker_exe = harness.find_build_file("VomraCubeMaker.exe")
        if not self.pack or not self.maker_exe:
            self.fail("vomracube-pack.exe or VomraCubeMaker.exe is not built (build/win)")
        drive_c = os.path.join(self.session.prefix, "drive_c")
        self.folder = os.path.join(drive_c, FOLDER)
        self.temp = os.path.join(drive_c, TEMP)
        for folder in (self.folder, self.temp):
            shutil.rmtree(folder, ignore_errors=True)
            os.makedirs(folder)
        for fixture, name, _ in FACES:
            shutil.copy(os.path.join(savers.faces_folder(), fixture),
                        os.path.join(self.folder, name))
        shutil.copy(os.path.join(savers.faces_folder(), savers.CLIP),
                    os.path.join(self.folder, VIDEO))

    def tearDown(self):
        try:
            super().tearDown()
        finally:
            shutil.rmtree(self.folder, ignore_errors=True)
            shutil.rmtree(self.temp, ignore_errors=True)

    @staticmethod
    def windows(name):
        return f"C:\\{FOLDER}\\{name}"

    def make_with_pack_exe(self, *more_faces):
        """vomracube-pack.exe make with the three faces and more; its output, read from a
        file."""
        args = [self.pack, "make", "--template", cases.SCR, "--out",
                self.windows("VomraCube.scr")] + savers.BIG_CUBE
        faces = [n for _, n, _ in FACES] + list(more_faces)
        return self.session._run_windows(args + [self.windows(n) for n in faces],
                                         timeout=120, check=True)

    def run_on_console(self, *args):
        """A Windows program with a terminal for its console; what the terminal showed."""
        leader, follower = pty.openpty()
        # Wide enough that no line of the report wraps.
        fcntl.ioctl(follower, termios.TIOCSWINSZ, struct.pack("HHHH", 50, 250, 0, 0))
        process = subprocess.Popen(["wine"] + list(args), env=self.session.env,
                                   stdin=follower, stdout=follower, stderr=follower)
        os.close(follower)
        shown = b""
        try:
            while select.select([leader], [], [], 60)[0]:
                chunk = os.read(leader, 4096)
                if not chunk:
                    break
                shown += chunk
        except OSError:  # the terminal is closed once the program has ended
            pass
        finally:
            os.close(leader)
        self.assertEqual(process.wait(60), 0, shown)
        return shown.decode("utf-8", errors="replace")

    def assert_faces_shown(self, path, video=False):
        """Runs the saver until each face's colour (and one of the video's) has been seen;
        returns the running saver."""
        saver = self.start_finished(path, "/s")
        self.wait_saver_window(saver)
        wanted = [[colour] for _, _, colour in FACES] + ([savers.CLIP_COLOURS] if video else [])
        counts = []

        def seen(colours):
            return any(c.get(name, 0) >= MIN_PIXELS for c in counts for name in colours)
        self.shots_until("shot", lambda paths: counts.append(pixels.colour_counts(paths[-1]))
                         or all(seen(colours) for colours in wanted), 25)
        missing = [colours for colours in wanted if not seen(colours)]
        self.assertEqual(missing, [], f"faces not seen in {len(counts)} screenshots")
        return saver

    # -- the pack tool -------------------------------------------------------------------
    def test_pack_tool_names_faces_in_any_script_to_a_pipe_and_a_console(self):
        report = self.make_with_pack_exe()
        for _, name, _ in FACES:
            self.assertRegex(report, rf"face \d: C:\\{FOLDER}\\{name} \(\d+ bytes, fit\): "
                                     rf".* -> shown", report)
        self.assertIn(f"wrote C:\\{FOLDER}\\VomraCube.scr", report)
        shown = self.run_on_console(self.pack, "show", self.windows("VomraCube.scr"))
        self.assertIn(f"C:\\{FOLDER}\\VomraCube.scr: settings text gives 9 of 9", shown)
        self.assertEqual(shown.count("-> shown"), 3, shown)
        self.assertNotIn("?", shown.replace("\x1b[?25", ""), shown)

    @contextlib.contextmanager
    def named_temporary_folder(self):
        """The user's temporary folder is C:\\Τεμπ 一時 for the programs started meanwhile."""
        saved = self.environment_value("TEMP"), self.environment_value("TMP")
        try:
            for variable in ("TEMP", "TMP"):
                self.session._run_windows(["reg", "add", r"HKCU\Environment", "/v", variable,
                                           "/t", "REG_SZ", "/d", f"C:\\{TEMP}", "/f"],
                                          check=True)
            yield
        finally:
            for variable, (kind, data) in zip(("TEMP", "TMP"), saved):
                self.session._run_windows(["reg", "add", r"HKCU\Environment", "/v", variable,
                                           "/t", kind, "/d", data, "/f"], check=True)

    def test_saver_in_a_named_folder_with_a_named_temporary_folder(self):
        self.make_with_pack_exe(VIDEO)
        with self.named_temporary_folder():
            # Whatever faces pass through the temporary folder (the video, for the video
            # library), none stays there; the usual one is checked by tearDown.
            saver = self.assert_faces_shown(os.path.join(self.folder, "VomraCube.scr"), video=True)
            self.close_with_key(saver)
            wait_for(lambda: not os.listdir(self.temp), cases.EXIT_TIMEOUT,
                     f"the saver's face files in {TEMP} to go")

    def environment_value(self, variable):
        """(type, data) of a value of the user's environment in the registry (ASCII here)."""
        query = self.session._run_windows(["reg", "query", r"HKCU\Environment", "/v", variable])
        line = next(line for line in query.splitlines() if line.strip().startswith(variable))
        _, kind, data = line.strip().split(None, 2)
        return kind, data

    # -- the maker -----------------------------------------------------------------------
    def start_maker(self, *args):
        name = f"{self.id().split('.')[-1]}-maker{len(self.programs)}"
        program = self.session.start_program(self.maker_exe, *args, log_name=name)
        self.programs.append(program)
        return Maker(self, program)

    def assert_maker_shows_the_faces(self, maker):
        slots = ["Face 1", "Face 2", "Face 3"]
        verdicts = wait_for(lambda: all(maker.details().get(s, "").endswith("-> shown")
                                        for s in slots) and maker.details(),
                            cases.WINDOW_TIMEOUT, "three faces shown")
        names = [c[2] for c in maker.children()]
        shot = self.shot("faces")
        for slot, (_, name, colour) in zip(slots, FACES):
            self.assertRegex(verdicts[slot], rf"^{name} \(\d+ bytes, fit\): ", verdicts)
            self.assertIn(name, names)
            x, y, width, height = maker.thumbnail_rect(slot)
            counts = pixels.colour_counts(shot, (x, y, width, height))
            self.assertGreaterEqual(counts.get(colour, 0), THUMBNAIL_SHARE * width * height,
                                    f"{slot}: {counts}")

    def test_maker_takes_the_names_on_its_command_line(self):
        # Its work folder and the preview's face files are in the named temporary folder.
        with self.named_temporary_folder():
            maker = self.start_maker(*[self.windows(n) for _, n, _ in FACES])
            self.assert_maker_shows_the_faces(maker)
            self.assertTrue(os.listdir(os.path.join(self.temp, "VomraCubeMaker")))
            maker.close()
            wait_for(lambda: not os.listdir(self.temp), cases.EXIT_TIMEOUT,
                     f"the maker's files in {TEMP} to go")

    def test_maker_takes_the_names_from_its_open_dialog_and_a_drop(self):
        maker = self.start_maker()
        self.session.post(maker.child_after("Face 1", 3, "Button"), BM_CLICK)
        # The name goes into the dialog's name box as a paste would put it there: typing
        # characters outside the keyboard's layout is a matter of X, not of the maker.
        dialog = maker.popup(title="Choose a picture or video for the face")
        name_box = next(c[0] for c in dialog.children if c[1] == "Edit")
        self.session._run_windows([self.session.winprobe, "settext", str(name_box),
                                   self.windows(FACES[0][1])], check=True)
        self.session.post(dialog.hwnd, WM_COMMAND, IDOK)
        wait_for(lambda: maker.details()["Face 1"].endswith("-> shown"),
                 cases.WINDOW_TIMEOUT, "the face chosen in the Open dialog")
        x, y, width, height = maker.thumbnail_rect("Face 2")
        self.session._run_windows([self.session.winprobe, "drop", str(maker.window.hwnd),
                                   str(x + width // 2), str(y + height // 2)] +
                                  [self.windows(n) for _, n, _ in FACES[1:]], check=True)
        self.assert_maker_shows_the_faces(maker)
        maker.close()

    def test_maker_opens_and_installs_a_saver_named_in_any_script(self):
        self.make_with_pack_exe()
        saver = os.path.join(self.folder, "Σώσε.scr")
        os.rename(os.path.join(self.folder, "VomraCube.scr"), saver)
        maker = self.start_maker(self.windows("Σώσε.scr"))
        wait_for(lambda: maker.refresh().title == "VomraCube Maker - Σώσε.scr",
                 cases.WINDOW_TIMEOUT, "the saver opened in the maker")
        text = maker.install()
        exported = os.path.join(self.temp, "desktop.reg")
        self.session._run_windows(["reg", "export", r"HKCU\Control Panel\Desktop",
                                   f"C:\\{TEMP}\\desktop.reg", "/y"], check=True)
        with open(exported, "rb") as f:
            registry = f.read().decode("utf-16")
        os.remove(exported)
        stored = next(line.split("=", 1)[1].strip('"').replace("\\\\", "\\")
                      for line in registry.splitlines() if line.startswith('"SCRNSAVE.EXE"'))
        self.assertIn(stored, text)
        # Whatever form the system gives it, the stored path names the saver.
        shown = self.session._run_windows([self.pack, "show", stored], check=True)
        self.assertEqual(shown.count("-> shown"), 3, shown)
        maker.close()
