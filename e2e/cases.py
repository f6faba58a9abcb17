"""Shared test-case base for the end-to-end tests: starts the saver and the test hosts in
the runner's session, waits for their windows and checks what each run leaves behind."""

import os
import re
import time
import unittest

import harness
from harness import HarnessError, wait_for

SESSION = None  # set by run.py before the tests load
SCR = None  # path of VomraCube.scr
SCR_EXE = "vomracube.scr"  # Wine names a program's X windows and processes in lower case

WINDOW_TIMEOUT = 30  # the first start in a fresh session is slow
EXIT_TIMEOUT = 15
QUIET_PERIOD = 1.5  # how long "keeps running" has to hold
SETTLE = 0.3  # after a window is seen on both sides, for Wine to deliver what is queued


class SaverCase(unittest.TestCase):
    def setUp(self):
        if SESSION is None or SCR is None:
            self.skipTest("no session: run the tests through e2e/run.py")
        self.session = SESSION
        self.x = SESSION.x
        self.programs = []
        self.temp_before = SESSION.temp_files()
        self.centre = (self.x.size[0] // 2, self.x.size[1] // 2)
        self.x.xdotool("mousemove", *self.centre)

    def tearDown(self):
        left_running = [p for p in self.programs if p.running()]
        for program in left_running:
            program.kill()
        for program in self.programs:
            with_exit = program.process.poll()
            if with_exit is not None:
                program.wait(EXIT_TIMEOUT)
        leftovers = SESSION.temp_files() - self.temp_before
        if left_running:
            self.fail("left running: " + ", ".join(p.args[0] for p in left_running))
        if leftovers:
            self.fail(f"temporary files left behind: {sorted(leftovers)}")

    # -- starting things ---------------------------------------------------------------
    def start_saver(self, *args):
        name = f"{self.id().split('.')[-1]}-{len(self.programs)}"
        program = SESSION.start_program(SCR, *args, log_name=name)
        self.programs.append(program)
        return program

    def start_host(self, saver_switch=None, rect=None, title="Preview host"):
        """preview_host.exe; with saver_switch it starts the saver with its handle."""
        path = harness.find_build_file("preview_host.exe")
        if not path:
            raise HarnessError("preview_host.exe is not built (build/win)")
        index = len(self.programs)
        log = os.path.join(SESSION.artifacts, f"{self.id().split('.')[-1]}-host{index}.txt")
        stop = log + ".stop"
        for stale in (log, stop):
            if os.path.exists(stale):
                os.unlink(stale)
        args = ["--log", SESSION.windows_path(log), "--stop-file", SESSION.windows_path(stop),
                "--title", title]
        if rect:
            args += ["--rect"] + [str(v) for v in rect]
        if saver_switch:
            args += ["--saver", SESSION.windows_path(SCR), "--switch", saver_switch]
        program = SESSION.start_program(path, *args, log_name=f"host{index}")
        self.programs.append(program)
        host = Host(program, log, stop)
        host.hwnd = int(wait_for(lambda: host.first("host"), WINDOW_TIMEOUT,
                                 "the host window")[0])
        return host

    # -- the full-screen window ------------------------------------------------------------
    def saver_x_windows(self):
        return self.x.windows(SCR_EXE)

    def full_screen_x_window(self):
        width, height = self.x.size
        return [w for w in self.saver_x_windows() if w[1:] == (0, 0, width, height)]

    def wait_saver_window(self, program):
        """Waits until the saver's full-screen window is up on X and inside Wine; returns
        the probed window."""
        def up():
            if not program.running():
                raise HarnessError(f"saver ended with {program.process.returncode} "
                                   f"before showing a window")
            return self.full_screen_x_window()
        x_window = wait_for(up, WINDOW_TIMEOUT, "the saver's full-screen window")[0][0]
        window = wait_for(lambda: self.probed_saver_window(), WINDOW_TIMEOUT,
                          "the saver's window inside Wine")
        # Wine moves the X keyboard focus only for managed windows, so the keys would still
        # go to whichever X window had it before; give it to the saver, as Windows does when
        # the saver calls SetFocus.
        self.x.xdotool("windowfocus", x_window)
        time.sleep(SETTLE)
        return window

    def probed_saver_window(self, probe=None):
        probe = probe or SESSION.probe()
        width, height = self.x.size
        found = [w for w in probe.of(SCR_EXE) if w.rect == (0, 0, width, height)]
        return found[0] if found else None

    # -- ends --------------------------------------------------------------------------
    def assert_exits(self, program, timeout=EXIT_TIMEOUT):
        code = program.wait(timeout)
        self.assertEqual(code, 0, f"exit code {code}; output:\n{program.output()}")
        wait_for(lambda: not self.saver_x_windows(), EXIT_TIMEOUT, "the saver's windows to go")

    def assert_keeps_running(self, program, duration=QUIET_PERIOD):
        still = harness.holds_for(lambda: program.running() and self.full_screen_x_window(),
                                  duration)
        self.assertTrue(still, f"the saver closed (exit {program.process.poll()})")

    def assert_exits_without_window(self, program, timeout=EXIT_TIMEOUT):
        """The process ends and no window of the saver is ever mapped meanwhile."""
        deadline = time.monotonic() + timeout
        seen = []
        while program.running() and time.monotonic() < deadline:
            seen += self.saver_x_windows()
            time.sleep(0.02)
        self.assertFalse(program.running(), f"still running after {timeout} s")
        self.assertEqual(program.wait(1), 0)
        seen += self.saver_x_windows()
        self.assertEqual(seen, [], "the saver showed a window")

    def close_with_key(self, program):
        self.x.xdotool("key", "space")
        self.assert_exits(program)


class Host:
    """A running preview_host.exe and its log."""

    def __init__(self, program, log, stop):
        self.program = program
        self.log = log
        self.stop_file = stop
        self.hwnd = None

    def lines(self):
        try:
            with open(self.log) as f:
                text = f.read()
        except FileNotFoundError:
            return []
        # Every line starts with the host's tick count; only whole lines count.
        return [line.split(" ", 1)[1] for line in text.splitlines(keepends=True)
                if line.endswith("\n") and " " in line.strip()]

    def events(self, kind):
        return [line.split()[1:] for line in self.lines()
                if line.split() and line.split()[0] == kind]

    def first(self, kind):
        found = self.events(kind)
        return found[0] if found else None

    def child(self):
        """The saver's child window as logged: dict with hwnd, class, rect, style."""
        for line in self.lines():
            match = re.match(r"child (\d+) class (\S*) rect (-?\d+) (-?\d+) (-?\d+) (-?\d+) "
                             r"style ([0-9a-f]+) exstyle ([0-9a-f]+)", line)
            if match:
                g = match.groups()
                return {"hwnd": int(g[0]), "class": g[1],
                        "rect": tuple(int(v) for v in g[2:6]), "style": int(g[6], 16)}
        return None

    def client(self):
        """The host's client area in screen coordinates: x, y, width, height."""
        for line in self.lines():
            parts = line.split()
            if parts[0] == "host":
                return tuple(int(v) for v in parts[3:7])
        return None

    def stop(self):
        with open(self.stop_file, "w"):
            pass
