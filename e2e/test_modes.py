"""Command-line switches: which start run mode, which end silently, the password request
and the single run-mode instance."""

import os

import cases
from cases import SaverCase
from harness import WS_EX_TOPMOST, WS_POPUP, wait_for

WM_COMMAND = 0x0111
IDOK = 1
PASSWORD_TEXT = r"VomraCube does not support password operation on\nWindows 95."


class RunSwitches(SaverCase):
    def check_run_mode(self, *args):
        saver = self.start_saver(*args)
        window = self.wait_saver_window(saver)
        width, height = self.x.size
        self.assertEqual(window.rect, (0, 0, width, height))
        self.assertTrue(window.style & WS_POPUP, window)
        self.assertTrue(window.exstyle & WS_EX_TOPMOST, window)
        self.x.screenshot(os.path.join(self.session.artifacts, self.id().split(".")[-1] + ".png"))
        self.close_with_key(saver)

    def test_slash_s(self):
        self.check_run_mode("/s")

    def test_dash_capital_s(self):
        self.check_run_mode("-S")

    def test_bare_s(self):
        self.check_run_mode("s")

    def test_s_with_colon(self):
        self.check_run_mode("/s:")

    def test_s_with_a_handle_after_it(self):
        self.check_run_mode("/s", "1234")


class SilentEnds(SaverCase):
    def test_longer_switch_ends_silently(self):
        self.assert_exits_without_window(self.start_saver("/save"))

    def test_preview_without_handle_ends(self):
        self.assert_exits_without_window(self.start_saver("/p"))

    def test_unknown_switch_ends(self):
        self.assert_exits_without_window(self.start_saver("-x"))


class PasswordRequest(SaverCase):
    def test_shows_the_message_once(self):
        saver = self.start_saver("/a")

        def boxes():
            return [w for w in self.session.probe().of(cases.SCR_EXE) if w.title == "VomraCube"]
        box = wait_for(boxes, cases.WINDOW_TIMEOUT, "the password message box")
        self.assertEqual(len(box), 1, box)
        texts = [child[2] for child in box[0].children]
        self.assertIn(PASSWORD_TEXT, texts)
        self.assertEqual(len(self.saver_x_windows()), 1)

        self.session.post(box[0].hwnd, WM_COMMAND, IDOK, 0)
        wait_for(lambda: not self.saver_x_windows() or not saver.running(), cases.EXIT_TIMEOUT,
                 "the message box to close")
        self.assert_exits_without_window(saver)


class SingleInstance(SaverCase):
    def test_second_run_ends_without_window(self):
        first = self.start_saver("/s")
        self.wait_saver_window(first)
        before = self.saver_x_windows()

        second = self.start_saver("/s")
        seen = set()
        while second.running():
            seen.update(w[0] for w in self.saver_x_windows())
            if len(seen) > len(before):
                break
        self.assertEqual(second.wait(cases.EXIT_TIMEOUT), 0)
        self.assertEqual(seen - {w[0] for w in before}, set(), "the second saver showed a window")

        self.assert_keeps_running(first)
        self.close_with_key(first)

    def test_runs_again_after_the_first_ended(self):
        first = self.start_saver("/s")
        self.wait_saver_window(first)
        self.close_with_key(first)
        second = self.start_saver("/s")
        self.wait_saver_window(second)
        self.close_with_key(second)
