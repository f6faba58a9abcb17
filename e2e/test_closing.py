"""What closes the running saver and what does not; the foreground window afterwards."""

import cases
from cases import SaverCase
from harness import SC_CLOSE, SC_SCREENSAVE, WM_SYSCOMMAND, wait_for


class ClosesOnActivity(SaverCase):
    def running_saver(self):
        saver = self.start_saver("/s")
        self.wait_saver_window(saver)
        return saver

    def test_key_press(self):
        saver = self.running_saver()
        self.x.xdotool("key", "a")
        self.assert_exits(saver)

    def test_left_button(self):
        saver = self.running_saver()
        self.x.xdotool("click", 1)
        self.assert_exits(saver)

    def test_middle_button(self):
        saver = self.running_saver()
        self.x.xdotool("click", 2)
        self.assert_exits(saver)

    def test_right_button(self):
        saver = self.running_saver()
        self.x.xdotool("click", 3)
        self.assert_exits(saver)

    def test_travel_of_four_pixels(self):
        saver = self.running_saver()
        cx, cy = self.centre
        self.x.xdotool("mousemove", cx + 3, cy - 1)
        self.assert_exits(saver)

    def test_small_moves_add_up_from_the_first_position(self):
        saver = self.running_saver()
        cx, cy = self.centre
        # 3 in total (2 across, 1 down) is still within the tolerance, and so is coming back.
        self.x.xdotool("mousemove", cx + 2, cy + 1)
        self.assert_keeps_running(saver)
        self.x.xdotool("mousemove", cx, cy)
        self.assert_keeps_running(saver, 0.5)
        # 4 from where the pointer was when the window came up.
        self.x.xdotool("mousemove", cx - 2, cy - 2)
        self.assert_exits(saver)

    def test_switching_to_another_window(self):
        host = self.start_host()
        host_x = wait_for(lambda: self.x.windows("preview_host.exe"), cases.WINDOW_TIMEOUT,
                          "the host's X window")[0][0]
        saver = self.running_saver()
        self.x.xdotool("windowfocus", host_x)
        self.assert_exits(saver)
        host.stop()
        self.assertEqual(host.program.wait(cases.EXIT_TIMEOUT), 0)


class IgnoresOtherInput(SaverCase):
    def test_key_release(self):
        self.x.xdotool("keydown", "shift")
        try:
            saver = self.start_saver("/s")
            self.wait_saver_window(saver)
        finally:
            self.x.xdotool("keyup", "shift")
        self.assert_keeps_running(saver)
        self.close_with_key(saver)

    def test_wheel_and_extra_buttons(self):
        saver = self.start_saver("/s")
        self.wait_saver_window(saver)
        for button in (4, 5, 6, 7, 8, 9):
            self.x.xdotool("click", button)
        self.assert_keeps_running(saver)
        self.close_with_key(saver)

    def test_screen_saver_and_close_commands(self):
        saver = self.start_saver("/s")
        window = self.wait_saver_window(saver)
        self.session.post(window.hwnd, WM_SYSCOMMAND, SC_SCREENSAVE, 0)
        self.session.post(window.hwnd, WM_SYSCOMMAND, SC_CLOSE, 0)
        self.assert_keeps_running(saver)
        self.assertEqual(len(self.saver_x_windows()), 1)
        self.close_with_key(saver)


class Foreground(SaverCase):
    def test_previous_foreground_window_is_active_again(self):
        host = self.start_host()
        wait_for(lambda: self.session.probe().foreground == host.hwnd, cases.WINDOW_TIMEOUT,
                 "the host to be the foreground window")
        saver = self.start_saver("/s")
        window = self.wait_saver_window(saver)
        self.assertEqual(window.owner, host.hwnd, "the saver should be owned by the foreground window")
        activations_before = len(host.events("activate"))
        self.close_with_key(saver)
        wait_for(lambda: self.session.probe().foreground == host.hwnd, cases.EXIT_TIMEOUT,
                 "the host to be the foreground window again")
        self.assertEqual(host.events("activate")[-1], ["1"])
        self.assertGreater(len(host.events("activate")), activations_before)
        host.stop()
        self.assertEqual(host.program.wait(cases.EXIT_TIMEOUT), 0)
