"""A finished saver extracts its six face files into the temporary folder while it runs and
leaves none behind, however each mode ends."""

import cases
from fixtures import savers
from fixtures.finished_case import FinishedSaverCase
from harness import wait_for

WM_COMMAND = 0x0111
IDOK = 1
ABOUT_TITLE = "About Vomra Picture Cubes screen saver"


class FaceFilesCleanedUp(FinishedSaverCase):
    def saver(self):
        return self.make_saver("six-faces", [], savers.STILL_FACES)

    def assert_face_files_while_running(self, before):
        """The six extracted face files exist now (so their absence later means something)."""
        made = wait_for(lambda: self.face_files() - before if len(self.face_files() - before) >= 6
                        else None, cases.WINDOW_TIMEOUT, "six face files")
        self.assertEqual(len(made), 6, made)

    def assert_none_left(self, before):
        self.assertEqual(self.face_files() - before, set())

    def test_run_mode_ended_by_a_key(self):
        before = self.face_files()
        saver = self.start_finished(self.saver(), "/s")
        self.wait_saver_window(saver)
        self.assert_face_files_while_running(before)
        self.close_with_key(saver)
        self.assert_none_left(before)

    def test_preview_ended_by_its_host_going_away(self):
        before = self.face_files()
        host = self.start_host_for(self.saver(), "/p %u")
        wait_for(host.child, cases.WINDOW_TIMEOUT, "the preview child window")
        self.assert_face_files_while_running(before)
        host.stop()
        code = wait_for(lambda: host.first("saver-exit"), cases.EXIT_TIMEOUT, "the saver's end")
        self.assertEqual(code, ["0"])
        self.assertEqual(host.program.wait(cases.EXIT_TIMEOUT), 0)
        self.assert_none_left(before)

    def test_configuration_ended_by_ok(self):
        before = self.face_files()
        saver = self.start_finished(self.saver(), "/c")
        box = wait_for(lambda: [w for w in self.session.probe().of(cases.SCR_EXE)
                                if w.title == ABOUT_TITLE], cases.WINDOW_TIMEOUT,
                       "the About box")[0]
        self.assert_face_files_while_running(before)
        self.session.post(box.hwnd, WM_COMMAND, IDOK, 0)
        self.assert_exits(saver)
        self.assert_none_left(before)
