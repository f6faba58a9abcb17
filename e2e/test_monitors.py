"""Run mode on a desk with two monitors (e2e/run.py --monitors 2: Xorg's dummy driver).

Every monitor is covered by a window of the saver that shows a moving scene and no pixel of
the desktop, whether the monitors lie side by side or a smaller one lies left of the primary
(negative coordinates in Windows, and a strip below it that belongs to no monitor); input on
either monitor closes the saver, and so does another program's activation, but not the
activation moving between its own windows; a layout changed while it runs is followed; and the primary
monitor shows exactly what a desk with that monitor alone shows; at 144 DPI the windows
still cover the monitors pixel for pixel."""

import time

import cases
import harness
import twomonitors
from fixtures import pixels, prefix
from fixtures.finished_case import FinishedSaverCase
from harness import HarnessError, wait_for

# The desktop's colour while these tests run: the X root window is Wine's desktop here.
DESKTOP = (0x3F, 0x7F, 0x5F)
DESKTOP_NAME = "#3f7f5f"
MIN_LIT_SHARE = 0.002  # of a monitor's pixels; the default scene lights about 2 %
# Nothing moves: the same settings and the default picture on every face, speeds 0, so
# that a frame depends on the scene's objects alone and not on when it was taken.
STILL_SCENE = ["--cube-speed", "0", "--box-speed", "0", "--boxes", "12", "--cubes", "2"]


class TwoMonitors(FinishedSaverCase):
    def setUp(self):
        if cases.SESSION is None or cases.SESSION.monitors != 2:
            self.skipTest("two monitors only: e2e/run.py --monitors 2")
        cases.SESSION.use_layout(twomonitors.SIDE_BY_SIDE)
        cases.SESSION.x.run("xsetroot", "-solid", DESKTOP_NAME)
        super().setUp()

    # -- helpers ------------------------------------------------------------------------
    def monitor_centre(self, index):
        x, y, width, height = self.x.monitors()[index]
        return x + width // 2, y + height // 2

    def probed_primary(self):
        """The handle of the saver's window on the primary monitor."""
        _, _, width, height = self.x.monitors()[0]
        return [w.hwnd for w in self.session.probe().of(cases.SCR_EXE)
                if w.rect == (0, 0, width, height)][0]

    def covering_windows(self):
        """The saver's X windows, one per monitor in monitor order, when every monitor has
        exactly one lying over it; else None."""
        windows = {tuple(w[1:]): w[0] for w in self.saver_x_windows()}
        monitors = self.x.monitors()
        if len(windows) != len(monitors) or any(m not in windows for m in monitors):
            return None
        return [windows[m] for m in monitors]

    def wait_covered(self, program):
        """Waits for a window on every monitor and gives the primary one the keyboard, as
        the desktop does for the saver's window."""
        seen = []

        def up():
            if not program.running():
                raise HarnessError(f"saver ended with {program.process.returncode}")
            seen[:] = [self.saver_x_windows(), self.x.monitors()]
            windows = self.covering_windows()
            if not windows:
                return None
            # A window may go between the look and the focus: look again then.
            try:
                self.x.xdotool("windowfocus", windows[0])
            except HarnessError:
                return None
            return windows
        try:
            windows = wait_for(up, cases.WINDOW_TIMEOUT, "a saver window on every monitor")
        except HarnessError as error:
            raise HarnessError(f"{error}; windows and monitors: {seen}") from None
        time.sleep(cases.SETTLE)
        return windows

    def start_on(self, monitor, *args):
        self.x.xdotool("mousemove", *self.monitor_centre(monitor))
        saver = self.start_saver(*args)
        self.wait_covered(saver)
        return saver

    def assert_monitors_show_moving_scenes(self, label):
        """On every monitor: no desktop pixel, a lit scene, and a change within a second."""
        first = self.shot(f"{label}-a")
        time.sleep(1.0)
        second = self.shot(f"{label}-b")
        for index, crop in enumerate(self.x.monitors()):
            counts = dict(pixels.histogram(second, crop))
            area = crop[2] * crop[3]
            self.assertEqual(counts.get(DESKTOP, 0), 0, f"desktop on monitor {index} {crop}")
            lit = area - counts.get((0, 0, 0), 0)
            self.assertGreater(lit, MIN_LIT_SHARE * area, f"monitor {index} {crop} is dark")
            self.assertNotEqual(pixels.rgb_bytes(first, crop), pixels.rgb_bytes(second, crop),
                                f"the scene on monitor {index} {crop} did not move")

    # -- coverage -------------------------------------------------------------------------
    def test_side_by_side_both_monitors_show_moving_scenes(self):
        saver = self.start_on(0, "/s")
        self.assertEqual(len(self.x.monitors()), 2)
        self.assert_monitors_show_moving_scenes("side-by-side")
        self.close_with_key(saver)

    def test_smaller_monitor_left_of_the_primary_is_covered_too(self):
        self.session.use_layout(twomonitors.SMALL_ON_THE_LEFT)
        self.assertEqual(self.x.monitors()[1], (0, 0, 1280, 1024))
        saver = self.start_on(0, "/s")
        windows = [w for w in self.session.probe().of(cases.SCR_EXE)
                   if w.style & harness.WS_VISIBLE]
        self.assertIn((-1280, 0, 0, 1024), [w.rect for w in windows])
        self.assert_monitors_show_moving_scenes("left-of")
        self.close_with_key(saver)

    def test_at_144_dpi_every_monitor_is_covered_pixel_for_pixel(self):
        # Windows of a program that is not DPI-aware would be laid out in 96-DPI units
        # (1280 by 720 on these monitors) and stretched; the saver's cover whole monitors.
        prefix.set_dpi(self.session, 144)
        try:
            saver = self.start_on(0, "/s")
        finally:
            prefix.set_dpi(self.session, None)
        self.assert_monitors_show_moving_scenes("144dpi")
        self.close_with_key(saver)

    def test_a_layout_changed_while_running_is_followed(self):
        saver = self.start_on(0, "/s")
        self.x.arrange(twomonitors.SMALL_ON_THE_LEFT)
        wait_for(self.covering_windows, cases.WINDOW_TIMEOUT, "windows on the new monitors")
        self.assert_monitors_show_moving_scenes("changed")
        self.x.arrange(twomonitors.SIDE_BY_SIDE)
        wait_for(self.covering_windows, cases.WINDOW_TIMEOUT, "windows on the old monitors")
        self.assert_monitors_show_moving_scenes("changed-back")
        self.assertTrue(saver.running())
        self.close_with_key(saver)

    def test_primary_monitor_shows_what_it_shows_alone(self):
        path = self.make_saver("still", STILL_SCENE, ["-"] * 6)
        shots = []
        for layout in (twomonitors.PRIMARY_ALONE, twomonitors.SIDE_BY_SIDE):
            # The pointer goes first to where it stays in both layouts: a restarted Wine
            # may report a position the X server dropped when the screen shrank.
            self.x.xdotool("mousemove", *self.monitor_centre(0))
            self.session.use_layout(layout)
            saver = self.start_finished(path, "/s")
            self.wait_covered(saver)
            primary = self.x.monitors()[0]
            # The first frames clear the window; two equal shots in a row are the scene.
            last = []

            def steady():
                frame = pixels.rgb_bytes(self.shot(f"still{len(shots)}"), primary)
                lit = len(frame) - frame.count(0)
                last.append(frame if lit > MIN_LIT_SHARE * len(frame) else None)
                return len(last) >= 2 and last[-1] is not None and last[-1] == last[-2]
            wait_for(steady, 15, "a steady frame", 0.3)
            shots.append(last[-1])
            self.close_with_key(saver)
        self.assertEqual(len(shots[0]), len(shots[1]))
        self.assertTrue(shots[0] == shots[1], "the primary monitor's frame differs")

    # -- closing ---------------------------------------------------------------------------
    def test_key_closes(self):
        saver = self.start_on(1, "/s")
        self.x.xdotool("key", "a")
        self.assert_exits(saver)

    def test_click_on_the_second_monitor_closes(self):
        saver = self.start_on(1, "/s")
        self.x.xdotool("click", 1)
        self.assert_exits(saver)

    def test_activation_moving_between_its_windows_keeps_it_another_program_closes_it(self):
        host = self.start_host()
        host_x = wait_for(lambda: self.x.windows("preview_host.exe"), cases.WINDOW_TIMEOUT,
                          "the host's X window")[0][0]
        saver = self.start_on(0, "/s")
        x, y, width, height = self.x.monitors()[1]
        second = [w.hwnd for w in self.session.probe().of(cases.SCR_EXE)
                  if w.rect == (x, y, x + width, y + height)]
        self.assertEqual(len(second), 1)
        self.session.activate(second[0])
        wait_for(lambda: self.session.probe().foreground == second[0], cases.WINDOW_TIMEOUT,
                 "the second monitor's window to be the foreground window")
        self.assert_keeps_running(saver)
        primary = self.probed_primary()
        self.session.activate(primary)
        wait_for(lambda: self.session.probe().foreground == primary,
                 cases.WINDOW_TIMEOUT, "the primary window to be the foreground window")
        self.assert_keeps_running(saver, 0.5)
        self.x.xdotool("windowfocus", host_x)
        self.assert_exits(saver)
        host.stop()
        self.assertEqual(host.program.wait(cases.EXIT_TIMEOUT), 0)

    def test_travel_on_the_second_monitor_closes_from_four_pixels(self):
        saver = self.start_on(1, "/s")
        cx, cy = self.monitor_centre(1)
        self.x.xdotool("mousemove", cx + 2, cy + 1)
        self.assert_keeps_running(saver)
        self.x.xdotool("mousemove", cx - 2, cy - 2)
        self.assert_exits(saver)

    def test_travel_across_the_border_is_measured_from_the_first_position(self):
        # From the primary monitor's right edge onto the second: 3 pixels in all still keep
        # the saver, whichever window the moves reach; 4 close it.
        x, y, width, _ = self.x.monitors()[0]
        edge = (x + width - 2, y + 300)
        self.x.xdotool("mousemove", *edge)
        saver = self.start_saver("/s")
        self.wait_covered(saver)
        self.x.xdotool("mousemove", edge[0] + 1, edge[1])
        self.x.xdotool("mousemove", edge[0] + 3, edge[1])
        self.assert_keeps_running(saver)
        self.x.xdotool("mousemove", edge[0] + 4, edge[1])
        self.assert_exits(saver)

    # -- what the base class looks for -----------------------------------------------------
    def full_screen_x_window(self):
        return self.covering_windows()

    def tearDown(self):
        try:
            super().tearDown()
        finally:
            self.x.run("xsetroot", "-solid", "black", check=False)
