"""The saver as Windows' own settings reach it: the maker's Install keeps a copy of its own,
so deleting the user's file leaves the screen saver working, and the About box's "Change
pictures and settings..." starts the registered maker on this saver, or says where to get
the maker when none is registered."""

import os
import re
import shutil

import cases
import harness
from fixtures import savers
from fixtures.finished_case import FinishedSaverCase
from harness import wait_for
from test_installer import project_version
from test_maker import BM_CLICK, IDOK, MAKER_EXE, WM_COMMAND, Maker

DESKTOP = r"HKCU\Control Panel\Desktop"
OWN_KEY = r"HKCU\Software\VomraCube"
ABOUT_TITLE = "About Vomra Picture Cubes screen saver"
CHANGE_BUTTON = "Change pictures and settings…"


class SettingsFromWindows(FinishedSaverCase):
    def setUp(self):
        super().setUp()
        self.maker_exe = harness.find_build_file("VomraCubeMaker.exe")
        if not self.maker_exe:
            self.fail("VomraCubeMaker.exe is not built (build/win)")
        self.out_dir = os.path.join(savers.run_folder(), "citizen", self.id().split(".")[-1])
        os.makedirs(self.out_dir, exist_ok=True)

    def reg(self, *args):
        return self.session._run_windows(["reg"] + list(args))

    def start_maker(self, *args):
        program = self.session.start_program(self.maker_exe, *args,
                                             log_name=f"{self.id().split('.')[-1]}-maker")
        self.programs.append(program)
        return Maker(self, program)

    def linux_path(self, windows_path):
        """A path of the prefix's drive C: as this machine sees it."""
        self.assertRegex(windows_path, r"^[Cc]:\\")
        return os.path.join(self.session.prefix, "drive_c", *windows_path[3:].split("\\"))

    def test_install_keeps_working_after_the_users_file_is_deleted(self):
        template, _ = os.path.split(self.make_saver("citizen", ["--cubes", "2"], ["face0.bmp"]))
        mine = os.path.join(self.out_dir, "Lasting.scr")
        shutil.copy(os.path.join(template, "VomraCube.scr"), mine)
        maker = self.start_maker(self.session.windows_path(mine))
        maker.install()
        maker.close()

        query = self.reg("query", DESKTOP, "/v", "SCRNSAVE.EXE")
        stored = re.search(r"SCRNSAVE\.EXE\s+REG_SZ\s+(.*?)\s*$", query, re.M).group(1)
        self.assertRegex(stored, r"(?i)\\AppData\\Local\\VomraCube\\Savers\\Lasting\.scr$")
        self.assertNotIn("~", stored)  # the long path, which no file change renames
        os.unlink(mine)

        # Windows starts the saver it stores with /s. Wine names its X window after the file.
        saver = self.start_finished(self.linux_path(stored), "/s")
        screen = (0, 0) + tuple(self.x.size)
        window = wait_for(lambda: [w for w in self.x.windows("lasting.scr") if w[1:] == screen],
                          cases.WINDOW_TIMEOUT, "the installed saver's full-screen window")
        self.x.xdotool("windowfocus", window[0][0])
        self.x.xdotool("key", "space")
        self.assertEqual(saver.wait(cases.EXIT_TIMEOUT), 0, saver.output())

    def open_about(self, path=None):
        saver = self.start_finished(path, "/c") if path else self.start_saver("/c")
        about = wait_for(lambda: [w for w in self.session.probe().of(cases.SCR_EXE)
                                  if w.title == ABOUT_TITLE], cases.WINDOW_TIMEOUT,
                         "the About box")[0]
        button = next(c[0] for c in about.children if c[2] == CHANGE_BUTTON)
        return saver, about, button

    def test_change_button_starts_the_registered_maker_on_this_saver(self):
        self.reg("add", OWN_KEY, "/v", "Maker", "/d",
                 self.session.windows_path(self.maker_exe), "/f")
        finished = self.make_saver("citizen-about", ["--cubes", "3"], ["face4.png"])
        try:
            saver, _, button = self.open_about(finished)
            self.session.post(button, BM_CLICK)
            self.assert_exits(saver)  # the maker takes over
            # The maker, started by the saver, has opened this saver.
            window = wait_for(lambda: [w for w in self.session.probe().of(MAKER_EXE)
                                       if w.title == "VomraCube Maker - VomraCube.scr"],
                              cases.WINDOW_TIMEOUT, "the maker's window on this saver")[0]
        finally:
            self.reg("delete", OWN_KEY, "/f")
        self.assertIn(f"VomraCube {project_version()}", [c[2] for c in window.children])
        self.session.post(window.hwnd, harness.WM_CLOSE)
        # Not its window: the maker removes its temporary folder after the window is gone,
        # and the saver started it, so the clean-up's wait for the case's own programs does
        # not cover it.
        wait_for(lambda: not [c for c in harness.wine_processes(self.session.prefix).values()
                              if MAKER_EXE in c.lower()],
                 cases.EXIT_TIMEOUT, "the maker to end")

    def test_enter_still_closes_the_about_box(self):
        # The new button comes after OK in the dialog, so OK keeps the focus.
        saver, _, _ = self.open_about()
        self.x.xdotool("windowfocus", self.saver_x_windows()[0][0])
        self.x.xdotool("key", "Return")
        self.assert_exits(saver)

    def test_change_button_without_a_maker_says_where_to_get_it(self):
        self.reg("delete", OWN_KEY, "/f")
        saver, about, button = self.open_about()
        self.assertIn(f"VomraCube version {project_version()}", [c[2] for c in about.children])
        self.session.post(button, BM_CLICK)
        message = wait_for(lambda: [w for w in self.session.probe().of(cases.SCR_EXE)
                                    if any("not installed" in c[2] for c in w.children)],
                           cases.WINDOW_TIMEOUT, "the message")[0]
        text = " ".join(c[2] for c in message.children)
        self.assertIn("VomraCube-Setup-", text)
        self.session.post(message.hwnd, WM_COMMAND, IDOK)
        wait_for(lambda: saver.running() and [w for w in self.session.probe().of(cases.SCR_EXE)
                                              if w.title == ABOUT_TITLE],
                 cases.WINDOW_TIMEOUT, "the About box to stay")
        self.session.post(about.hwnd, WM_COMMAND, IDOK)
        self.assert_exits(saver)
