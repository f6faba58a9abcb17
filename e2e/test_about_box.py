"""The About box as a user meets it under Wine: its Chinese texts drawn, whole at 150 % and
200 % as well, the web link that turns purple and reports a page that cannot be opened, and
the three ways to close it by mouse and keyboard."""

import os
import time

import cases
from cases import SaverCase
from fixtures import pixels, prefix
from harness import wait_for

ABOUT_TITLE = "About Vomra Picture Cubes screen saver"
FAILURE_TEXT = "Access to Vomra web site failed"
LINK_BLUE = (0, 0, 255)
LINK_PURPLE = (128, 0, 128)
CHINESE_TEXTS = ["屏保是Vomra Framewright 3D生成建立的", "确定",
                 "制作或生成3D屏保及其它一些模板特效，请访问下面的网站:"]
WM_COMMAND = 0x0111
IDOK = 1
# Horizontal extent of the dialog's static texts, as shares of its width: right of the
# icon and left of the OK button (dialog units 36 to 192 of 240).
TEXT_COLUMNS = (0.14, 0.81)
DISTINCT_GLYPHS = 12  # on the invitation's first line (21 ideographs)


class AboutBoxOnScreen(SaverCase):
    def setUp(self):
        super().setUp()
        prefix.prepare_once(self.session)

    def open_about(self, *args):
        saver = self.start_saver(*args)

        def box():
            if not saver.running():
                raise AssertionError(f"the saver ended ({saver.process.returncode}) "
                                     "without showing the About box")
            return [w for w in self.session.probe().of(cases.SCR_EXE) if w.title == ABOUT_TITLE]
        found = wait_for(box, cases.WINDOW_TIMEOUT, "the About box")
        self.assertEqual(len(found), 1, found)
        time.sleep(cases.SETTLE)  # let it paint
        return saver, found[0]

    def screenshot(self, label):
        name = f"{self.id().split('.')[-1]}-{label}.png"
        return self.x.screenshot(os.path.join(self.session.artifacts, name))

    def box_rows(self, png, box):
        left, top, right, bottom = box.rect
        return pixels.rgb_rows(png, (left, top, right - left, bottom - top))

    def text_area(self, rows):
        """The client area between the icon and the button; its top row's offset."""
        top = pixels.below_caption(rows)
        width = len(rows[0])
        left, right = (int(share * width) for share in TEXT_COLUMNS)
        return [row[left:right] for row in rows[top:]], (left, top)

    # -- texts ---------------------------------------------------------------------------
    def test_chinese_texts_are_drawn_with_their_glyphs(self):
        saver, box = self.open_about("/c")
        texts = [child[2] for child in box.children]
        for text in CHINESE_TEXTS:
            self.assertIn(text, texts)
        rows = self.box_rows(self.screenshot("texts"), box)
        area, _ = self.text_area(rows)
        self.session.post(box.hwnd, WM_COMMAND, IDOK, 0)
        self.assert_exits(saver)
        lines = pixels.glyph_shapes(area)
        # The first line mixes ideographs with Latin words; the lines between it and the
        # blue link are the invitation, all ideographs but "3D".
        plain = []
        for line in lines[1:]:
            if any(p == LINK_BLUE for row in area[line[0]:line[1]] for p in row):
                break
            plain.append(line)
        best = max(plain, key=lambda line: line[3], default=None)
        self.assertIsNotNone(best, f"no line of ideographs: {lines}")
        self.assertGreaterEqual(best[3], DISTINCT_GLYPHS, f"lines (top, bottom, wide, "
                                f"distinct): {lines}")
        self.assertGreaterEqual(best[3], 0.8 * best[2], lines)

    # -- at 150 % ----------------------------------------------------------------------------
    def measure(self, label):
        """The About box as drawn: its size, its text lines (glyph_shapes) and the width of
        the blue link."""
        saver, box = self.open_about("/c")
        rows = self.box_rows(self.screenshot(label), box)
        area, _ = self.text_area(rows)
        self.session.post(box.hwnd, WM_COMMAND, IDOK, 0)
        self.assert_exits(saver)
        link = [x for row in area for x, p in enumerate(row) if p == LINK_BLUE]
        left, top, right, bottom = box.rect
        return {"size": (right - left, bottom - top), "lines": pixels.glyph_shapes(area),
                "link": max(link) - min(link) + 1 if link else 0}

    def test_texts_stay_whole_at_144_and_192_dpi(self):
        normal = self.measure("96dpi")
        for dpi in (144, 192):
            prefix.set_dpi(self.session, dpi)
            try:
                large = self.measure(f"{dpi}dpi")
            finally:
                prefix.set_dpi(self.session, None)
            scale = dpi / 96
            detail = f"96 DPI: {normal}\n{dpi} DPI: {large}"
            for axis in (0, 1):
                ratio = large["size"][axis] / normal["size"][axis]
                self.assertTrue(0.85 * scale <= ratio <= 1.15 * scale,
                                f"box grew by {ratio:.2f}\n{detail}")
            # Every text keeps its lines, the invitation its ideographs, the link its
            # length: a text cut by its control would lose a line or its end.
            self.assertEqual(len(large["lines"]), len(normal["lines"]), detail)
            best = max(line[3] for line in large["lines"])
            self.assertGreaterEqual(best, DISTINCT_GLYPHS, detail)
            self.assertGreater(normal["link"], 0, detail)
            self.assertGreaterEqual(large["link"], 0.85 * scale * normal["link"], detail)

    # -- the link ------------------------------------------------------------------------
    def test_link_turns_purple_and_a_page_that_cannot_open_is_reported(self):
        saver, box = self.open_about("/c")
        rows = self.box_rows(self.screenshot("before"), box)
        area, (left, top) = self.text_area(rows)
        origin = (box.rect[0] + left, box.rect[1] + top)
        link = pixels.centre_of(area, LINK_BLUE, origin)
        self.assertIsNotNone(link, "no blue link text in the About box")
        self.assertIsNone(pixels.centre_of(area, LINK_PURPLE), "purple before the click")

        self.x.xdotool("mousemove", *link)
        self.x.xdotool("click", 1)

        def failure_box():
            return [w for w in self.session.probe().of(cases.SCR_EXE)
                    if FAILURE_TEXT in [child[2] for child in w.children]]
        message = wait_for(failure_box, cases.WINDOW_TIMEOUT, "the failure message")[0]
        self.assertEqual(message.title, "VomraCube")
        self.screenshot("message")

        # The message (centred over the About box, hiding the link) closes; the About box
        # stays, its link purple.
        self.session.post(message.hwnd, WM_COMMAND, IDOK, 0)
        wait_for(lambda: not failure_box(), cases.EXIT_TIMEOUT, "the message to close")
        self.assertTrue(saver.running())
        self.assertEqual(len([w for w in self.session.probe().of(cases.SCR_EXE)
                              if w.title == ABOUT_TITLE]), 1)
        time.sleep(cases.SETTLE)
        area, _ = self.text_area(self.box_rows(self.screenshot("after"), box))
        purple = sum(1 for row in area for p in row if p == LINK_PURPLE)
        blue = sum(1 for row in area for p in row if p == LINK_BLUE)
        self.assertGreater(purple, 50)
        self.assertEqual(blue, 0)
        self.session.post(box.hwnd, WM_COMMAND, IDOK, 0)
        self.assert_exits(saver)

    # -- closing by hand -------------------------------------------------------------------
    def test_ok_button_click_ends_the_program(self):
        saver, box = self.open_about("/c")
        rows = self.box_rows(self.screenshot("open"), box)
        top = pixels.below_caption(rows)
        start = int(TEXT_COLUMNS[1] * len(rows[0]))
        # The button is the only thing with dark pixels right of the texts.
        dark = [(x, y) for y, row in enumerate(rows[top:-4], top)
                for x, p in enumerate(row[start:-4], start) if sum(p) < 3 * 80]
        self.assertTrue(dark, "no button right of the texts")
        x = box.rect[0] + (min(p[0] for p in dark) + max(p[0] for p in dark)) // 2
        y = box.rect[1] + (min(p[1] for p in dark) + max(p[1] for p in dark)) // 2
        self.x.xdotool("mousemove", x, y)
        self.x.xdotool("click", 1)
        self.assert_exits(saver)

    def test_escape_ends_the_program_started_without_arguments(self):
        saver, _ = self.open_about()
        self.x.xdotool("windowfocus", self.saver_x_windows()[0][0])
        self.x.xdotool("key", "Escape")
        self.assert_exits(saver)

    def test_close_box_click_ends_the_program(self):
        saver, box = self.open_about("/c")
        rows = self.box_rows(self.screenshot("open"), box)
        # The close box is the last light run of the caption's middle row.
        caption = [y for y, row in enumerate(rows[:pixels.below_caption(rows)])
                   if sum(1 for p in row if sum(p) < 3 * 170) > 0.6 * len(row)]
        middle = rows[(caption[0] + caption[-1]) // 2]
        light = [x for x, p in enumerate(middle[:-3]) if sum(p) >= 3 * 170]
        right = light[-1]
        left = right
        while left - 1 in light:
            left -= 1
        self.x.xdotool("mousemove", box.rect[0] + (left + right) // 2,
                       box.rect[1] + (caption[0] + caption[-1]) // 2)
        self.x.xdotool("click", 1)
        self.assert_exits(saver)
