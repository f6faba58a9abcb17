"""Configuration mode: the About box, its owner, and the ways it closes."""

import os

import cases
from cases import SaverCase
from harness import SC_CLOSE, WM_SYSCOMMAND, wait_for

ABOUT_TITLE = "About Vomra Picture Cubes screen saver"
WM_COMMAND = 0x0111
IDOK = 1


class AboutBox(SaverCase):
    def wait_about(self, saver):
        def boxes():
            if not saver.running():
                raise AssertionError(f"the saver ended ({saver.process.returncode}) "
                                     "without showing the About box")
            return [w for w in self.session.probe().of(cases.SCR_EXE) if w.title == ABOUT_TITLE]
        found = wait_for(boxes, cases.WINDOW_TIMEOUT, "the About box")
        self.assertEqual(len(found), 1, found)
        return found[0]

    def test_owned_by_the_foreground_window_not_by_the_given_handle(self):
        host = self.start_host()
        wait_for(lambda: self.session.probe().foreground == host.hwnd, cases.WINDOW_TIMEOUT,
                 "the host to be the foreground window")
        saver = self.start_saver("/c:5678")
        box = self.wait_about(saver)
        self.assertEqual(box.owner, host.hwnd)
        self.assertIn("确定", [child[2] for child in box.children])
        self.x.screenshot(os.path.join(self.session.artifacts, "about-box.png"))
        self.session.post(box.hwnd, WM_COMMAND, IDOK, 0)
        self.assert_exits(saver)
        host.stop()
        self.assertEqual(host.program.wait(cases.EXIT_TIMEOUT), 0)

    def test_empty_command_line_has_no_owner_and_escape_closes(self):
        saver = self.start_saver()
        box = self.wait_about(saver)
        self.assertEqual(box.owner, 0)
        self.x.xdotool("windowfocus", self.saver_x_windows()[0][0])
        self.x.xdotool("key", "Escape")
        self.assert_exits(saver)

    def test_system_menu_close_ends_it(self):
        saver = self.start_saver("/c")
        box = self.wait_about(saver)
        self.session.post(box.hwnd, WM_SYSCOMMAND, SC_CLOSE, 0)
        self.assert_exits(saver)

    def test_not_limited_to_one_instance(self):
        first = self.start_saver("/c")
        self.wait_about(first)
        second = self.start_saver("/c")
        wait_for(lambda: len([w for w in self.session.probe().of(cases.SCR_EXE)
                              if w.title == ABOUT_TITLE]) == 2, cases.WINDOW_TIMEOUT,
                 "two About boxes")
        for box in [w for w in self.session.probe().of(cases.SCR_EXE) if w.title == ABOUT_TITLE]:
            self.session.post(box.hwnd, WM_COMMAND, IDOK, 0)
        self.assert_exits(first)
        self.assert_exits(second)
