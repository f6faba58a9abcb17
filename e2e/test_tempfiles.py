"""A finished saver shows its picture faces from memory and writes no file for them; only a
video face goes to a temporary file, which is gone however the saver ends, and a killed
saver's is removed by the next saver that starts."""

import os
import signal
import time

import cases
import harness
from fixtures import savers
from fixtures.finished_case import FinishedSaverCase
from harness import wait_for

WM_COMMAND = 0x0111
IDOK = 1
ABOUT_TITLE = "About Vomra Picture Cubes screen saver"


class FaceFilesCleanedUp(FinishedSaverCase):
    def saver(self):
        return self.make_saver("six-faces", [], savers.STILL_FACES)

    def assert_no_face_file_while_running(self, program):
        self.assertTrue(harness.holds_for(lambda: program.running() and not self.face_files(),
                                          cases.QUIET_PERIOD), sorted(self.face_files()))

    def test_run_mode_ended_by_a_key(self):
        saver = self.start_finished(self.saver(), "/s")
        self.wait_saver_window(saver)
        self.assert_no_face_file_while_running(saver)
        self.close_with_key(saver)

    def test_preview_ended_by_its_host_going_away(self):
        host = self.start_host_for(self.saver(), "/p %u")
        wait_for(host.child, cases.WINDOW_TIMEOUT, "the preview child window")
        self.assertEqual(self.face_files(), set())
        host.stop()
        code = wait_for(lambda: host.first("saver-exit"), cases.EXIT_TIMEOUT, "the saver's end")
        self.assertEqual(code, ["0"])
        self.assertEqual(host.program.wait(cases.EXIT_TIMEOUT), 0)

    def test_configuration_ended_by_ok(self):
        saver = self.start_finished(self.saver(), "/c")
        box = wait_for(lambda: [w for w in self.session.probe().of(cases.SCR_EXE)
                                if w.title == ABOUT_TITLE], cases.WINDOW_TIMEOUT,
                       "the About box")[0]
        self.assert_no_face_file_while_running(saver)
        self.session.post(box.hwnd, WM_COMMAND, IDOK, 0)
        self.assert_exits(saver)

    def kill(self, program):
        """SIGKILL to the saver's own process, as a task manager or a crash would end it."""
        pids = [pid for pid, command in harness.wine_processes(self.session.prefix).items()
                if cases.SCR_EXE in command.lower()]
        self.assertTrue(pids, "the saver's process")
        for pid in pids:
            os.kill(pid, signal.SIGKILL)
        program.process.wait(cases.EXIT_TIMEOUT)
        wait_for(lambda: not self.saver_x_windows(), cases.EXIT_TIMEOUT, "the saver's windows")

    def test_three_kills_while_showing_six_pictures_leave_nothing(self):
        before = self.session.temp_files()
        path = self.saver()
        for _ in range(3):
            saver = self.start_finished(path, "/s")
            self.wait_saver_window(saver)
            self.kill(saver)
        self.assertEqual(self.session.temp_files() - before, set())

    def test_a_killed_video_saver_leaves_its_file_to_the_next_start(self):
        path = self.make_saver("one-clip", [], [savers.CLIP, "-", "-", "-", "-", "-"])
        saver = self.start_finished(path, "/s")
        self.wait_saver_window(saver)
        made = wait_for(self.face_files, cases.WINDOW_TIMEOUT, "the video's face file")
        self.assertEqual(len(made), 1, made)
        self.kill(saver)
        self.assertEqual(self.face_files(), made)
        # Files younger than ten seconds may be a starting saver's: this one is made older
        # rather than waited for.
        for name in made:
            old = time.time() - 60
            os.utime(os.path.join(self.session.temp_dir, name), (old, old))
        again = self.start_finished(path, "/s")
        self.wait_saver_window(again)
        wait_for(lambda: not self.face_files() & made, cases.WINDOW_TIMEOUT,
                 "the killed saver's face file to be removed")
        self.assertEqual(len(self.face_files()), 1)  # the new saver's own
        self.close_with_key(again)
        self.assertEqual(self.face_files(), set())
