"""Preview mode inside a host window: the child window, its click message, its end."""

import cases
from cases import SaverCase
from harness import WS_CHILD, WS_VISIBLE, holds_for, wait_for


class Preview(SaverCase):
    def check_preview(self, switch):
        host = self.start_host(switch)
        wait_for(lambda: host.first("launched"), cases.WINDOW_TIMEOUT, "the saver's start")
        child = wait_for(host.child, cases.WINDOW_TIMEOUT, "the preview child window")
        x, y, width, height = host.client()
        self.assertEqual(child["rect"], (0, 0, width, height))
        self.assertEqual(child["style"] & (WS_CHILD | WS_VISIBLE), WS_CHILD | WS_VISIBLE)
        self.assertEqual(host.events("saver-exit"), [])

        # A click inside: button down and up in the child sends WM_USER+1 exactly once.
        self.x.xdotool("mousemove", x + width // 2, y + height // 2)
        self.x.xdotool("click", 1)
        wait_for(lambda: host.events("user1"), cases.EXIT_TIMEOUT, "WM_USER+1 at the host")
        self.assertTrue(holds_for(lambda: len(host.events("user1")) == 1, 1.0),
                        host.events("user1"))
        self.assertEqual(host.events("user1")[0], ["0", "0", "child", "1"])

        # The host going away takes the child with it and ends the saver.
        host.stop()
        code = wait_for(lambda: host.first("saver-exit"), cases.EXIT_TIMEOUT, "the saver's end")
        self.assertEqual(code, ["0"])
        self.assertEqual(host.program.wait(cases.EXIT_TIMEOUT), 0)
        self.assertEqual(host.events("saver-running"), [])

    def test_handle_after_a_space(self):
        self.check_preview("/p %u")

    def test_handle_after_a_colon(self):
        self.check_preview("/p:%u")

    def test_two_previews_at_once(self):
        first = self.start_host("/p %u", rect=(60, 60, 300, 220), title="First")
        second = self.start_host("/p:%u", rect=(500, 60, 300, 220), title="Second")
        for host in (first, second):
            wait_for(host.child, cases.WINDOW_TIMEOUT, "a preview child window")
        for host in (first, second):
            host.stop()
            self.assertEqual(wait_for(lambda: host.first("saver-exit"), cases.EXIT_TIMEOUT,
                                      "the saver's end"), ["0"])
