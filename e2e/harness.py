"""End-to-end harness: runs the real VomraCube.scr under 32-bit Wine on a private Xvfb.

One Session owns one Xvfb server (started by us, stopped by its PID), one Wine prefix under
the build tree (initialised once and reused) and that prefix's wineserver (started by us in
the foreground, so we hold its PID too). Everything waits on conditions with generous
timeouts; a delay is only ever used after a condition, to let Wine deliver what is queued.

Facts about Wine 8 that the design rests on:
- Without a window manager every DestroyWindow stalls 2 s unless the prefix sets
  HKCU\\Software\\Wine\\X11 Driver Managed=N; a crash would wait on a dialog unless
  HKCU\\Software\\Wine\\WineDbg ShowCrashDialog=0.
- A wineserver keeps the X display its first desktop used, so each session starts its own
  server and stops it at the end with SIGTERM, which also writes the registry to disk
  (wineserver -k would not).
- A server that stays up with no program left (-p) never tells the prefix's services to
  end, and SIGTERM leaves them running without a server: the session ends them with
  wineboot first. Every process of a prefix carries its WINEPREFIX, services included.
- Wine moves the X keyboard focus only for managed windows: tests hand the focus to the
  saver's X window themselves, as the desktop does on Windows.
- Background processes inherit a program's standard handles, so Windows programs never
  write to a pipe of ours (it would stay open after they end).
- Exit codes of Windows processes arrive cut to their low byte.
"""

import atexit
import contextlib
import fcntl
import getpass
import glob
import hashlib
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.environ.get("VC_WIN_BUILD", os.path.join(ROOT, "build", "win"))
WORK = os.environ.get("VC_E2E_WORK", os.path.join(ROOT, "build", "e2e"))
SCREEN_SIZE = (1024, 768)

# The dialog fonts' Chinese glyphs are left to e2e/fixtures/prefix.py, whose tests switch
# them on and off.
REGISTRY = "\n".join([
    "Windows Registry Editor Version 5.00",
    "",
    r"[HKEY_CURRENT_USER\Software\Wine\X11 Driver]",
    '"Managed"="N"',
    "",
    r"[HKEY_CURRENT_USER\Software\Wine\WineDbg]",
    '"ShowCrashDialog"=dword:00000000',
]) + "\n"

WS_CHILD = 0x40000000
WS_POPUP = 0x80000000
WS_VISIBLE = 0x10000000
WS_EX_TOPMOST = 0x00000008
WM_CLOSE = 0x0010
WM_SYSCOMMAND = 0x0112
SC_SCREENSAVE = 0xF140
SC_CLOSE = 0xF060


class HarnessError(Exception):
    pass


def wait_for(condition, timeout, what, interval=0.05):
    """Polls condition() until it returns something true; returns that or raises."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise HarnessError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


def holds_for(condition, duration, interval=0.05):
    """True when condition() stays true for the whole duration."""
    deadline = time.monotonic() + duration
    while time.monotonic() < deadline:
        if not condition():
            return False
        time.sleep(interval)
    return bool(condition())


def find_build_file(name):
    """A program of the Windows build, wherever its CMake folder put it."""
    for folder, _, files in os.walk(BUILD):
        if name in files and "CMakeFiles" not in folder:
            return os.path.join(folder, name)
    return None


def note(text):
    """A remark on standard error that a closed pipe (its reader gone on Ctrl-C) cannot turn
    into an exception in the middle of a clean-up."""
    with contextlib.suppress(OSError):
        print(text, file=sys.stderr, flush=True)


def _proc_file(pid, name):
    """A /proc file of a process, read through any thread that still runs: once the main
    thread has ended, the process's own environ and cmdline read empty."""
    for path in [f"/proc/{pid}/{name}"] + glob.glob(f"/proc/{pid}/task/*/{name}"):
        with contextlib.suppress(OSError), open(path, "rb") as f:
            data = f.read()
            if data:
                return data
    return b""


def main_thread_ended(pid):
    """True once the process's main thread has ended, though other threads may still run."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().rsplit(")", 1)[1].split()[0] in "ZX"
    except OSError:
        return True


def wine_processes(prefix):
    """Running processes whose WINEPREFIX is prefix or a folder inside it: {pid: command}."""
    prefix = os.path.abspath(prefix)
    found = {}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        for item in _proc_file(pid, "environ").split(b"\0"):
            if item.startswith(b"WINEPREFIX="):
                path = os.path.abspath(os.fsdecode(item[len(b"WINEPREFIX="):]))
                if path == prefix or path.startswith(prefix + os.sep):
                    command = _proc_file(pid, "cmdline").replace(b"\0", b" ")
                    found[int(pid)] = command.decode(errors="replace").strip()
    return found


def kill_wine_processes(prefix, grace=10.0):
    """SIGKILL, by PID, to every process of the prefix; returns those it found running."""
    found = wine_processes(prefix)
    for pid in found:
        with contextlib.suppress(ProcessLookupError):
            os.kill(pid, signal.SIGKILL)
    with contextlib.suppress(HarnessError):
        wait_for(lambda: not found.keys() & wine_processes(prefix).keys(), grace,
                 "the killed processes to end")
    return found


def _stop_process(process, grace=5.0):
    if process is None or process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(grace)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait(grace)


class Xserver:
    """A private Xvfb on the first free display; depth 8 gives a PseudoColor screen."""

    def __init__(self, depth=24, size=SCREEN_SIZE):
        self.depth = depth
        self.size = size
        read_end, write_end = os.pipe()
        # Held keys must not repeat (a test holds one across the saver's start): the
        # autorepeat delay is set far beyond any test's length.
        args = ["Xvfb", "-displayfd", str(write_end), "-nolisten", "tcp", "-noreset",
                "-ardelay", "2000000",
                "-screen", "0", f"{size[0]}x{size[1]}x{depth}"]
        if depth <= 8:
            args += ["-cc", "3"]  # PseudoColor as the default visual
        self.process = subprocess.Popen(args, pass_fds=(write_end,), stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL, start_new_session=True)
        os.close(write_end)
        number = b""
        with os.fdopen(read_end, "rb") as pipe:
            number = pipe.readline().strip()
        if not number:
            _stop_process(self.process)
            raise HarnessError("Xvfb did not start")
        self.display = ":" + number.decode()
        self.env = dict(os.environ, DISPLAY=self.display)
        self.env.pop("XAUTHORITY", None)

    @classmethod
    def attach(cls, display):
        """An X server that is already running (the user's display): never stopped by us."""
        self = cls.__new__(cls)
        self.process = None
        self.display = display
        self.env = dict(os.environ, DISPLAY=display)
        root = self.run("xwininfo", "-root")
        self.size = (int(re.search(r"Width: (\d+)", root).group(1)),
                     int(re.search(r"Height: (\d+)", root).group(1)))
        self.depth = int(re.search(r"Depth: (\d+)", root).group(1))
        return self

    def run(self, *args, check=True, timeout=30):
        result = subprocess.run(args, env=self.env, capture_output=True, text=True,
                                timeout=timeout)
        if check and result.returncode != 0:
            raise HarnessError(f"{' '.join(args)} failed: {result.stderr.strip()}")
        return result.stdout

    def xdotool(self, *args):
        return self.run("xdotool", *[str(a) for a in args])

    def windows(self, classname):
        """Mapped X windows whose WM_CLASS instance matches, as [(id, x, y, w, h)]."""
        out = self.run("xdotool", "search", "--onlyvisible", "--classname",
                       f"^{re.escape(classname)}$", check=False)
        found = []
        for window in out.split():
            geometry = self.geometry(window)
            if geometry:
                found.append((int(window),) + geometry)
        return found

    def geometry(self, window):
        out = self.run("xwininfo", "-id", str(window), check=False)
        values = dict(re.findall(r"^\s*(Absolute upper-left [XY]|Width|Height|Map State):\s*(\S+)",
                                 out, re.M))
        if values.get("Map State") != "IsViewable":
            return None
        return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
                int(values["Width"]), int(values["Height"]))

    def pointer(self):
        out = self.xdotool("getmouselocation")
        values = dict(re.findall(r"(\w+):(\d+)", out))
        return int(values["x"]), int(values["y"])

    def screenshot(self, path):
        """The whole screen as PNG (xwd, converted with ImageMagick)."""
        os.makedirs(os.path.dirname(path), exist_ok=True)
        xwd = subprocess.run(["xwd", "-root", "-silent", "-display", self.display],
                             env=self.env, capture_output=True, timeout=30, check=True).stdout
        subprocess.run(["convert", "xwd:-", "png:" + path], input=xwd, env=self.env,
                       capture_output=True, timeout=60, check=True)
        return path

    def stop(self):
        _stop_process(self.process)


class WineProcess:
    """A Windows program started by the session; exit codes are cut to their low byte."""

    def __init__(self, session, args, log_name):
        self.args = args
        self.log_path = os.path.join(session.artifacts, log_name + ".log")
        with open(self.log_path, "wb") as log:
            self.process = subprocess.Popen(["wine"] + args, env=session.env, stdout=log,
                                            stderr=subprocess.STDOUT,
                                            stdin=subprocess.DEVNULL)

    def running(self):
        return self.process.poll() is None

    def wait(self, timeout):
        """The exit code, or raises when the program is still running after timeout."""
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError(f"{self.args[0]} still running after {timeout} s") from None

    def kill(self):
        _stop_process(self.process, grace=3.0)

    def output(self):
        with open(self.log_path, "rb") as log:
            return log.read().decode(errors="replace")


class ProbedWindow:
    def __init__(self, line):
        match = re.match(r"window (\d+) pid (\d+) rect (-?\d+) (-?\d+) (-?\d+) (-?\d+) "
                         r"style ([0-9a-f]+) exstyle ([0-9a-f]+) owner (\d+) exe (\S+) "
                         r"class (\S*) title (.*)$", line)
        if not match:
            raise HarnessError(f"unreadable probe line: {line!r}")
        g = match.groups()
        self.hwnd, self.pid = int(g[0]), int(g[1])
        self.rect = tuple(int(v) for v in g[2:6])
        self.style, self.exstyle = int(g[6], 16), int(g[7], 16)
        self.owner, self.exe, self.classname, self.title = int(g[8]), g[9], g[10], g[11]
        self.children = []  # (hwnd, class, text)

    def __repr__(self):
        return (f"<window {self.hwnd} {self.exe} {self.classname!r} {self.title!r} "
                f"rect={self.rect} style={self.style:08x} exstyle={self.exstyle:08x}>")


class Probe:
    """What winprobe.exe saw: the screen size, the foreground window, visible windows."""

    def __init__(self, text):
        self.screen = None
        self.foreground = None
        self.windows = []
        self.monitors = []  # (left, top, right, bottom, primary) in Windows coordinates
        for line in text.splitlines():
            if line.startswith("screen "):
                self.screen = tuple(int(v) for v in line.split()[1:3])
            elif line.startswith("monitor "):
                self.monitors.append(tuple(int(v) for v in line.split()[1:6]))
            elif line.startswith("foreground "):
                self.foreground = int(line.split()[1])
            elif line.startswith("window "):
                self.windows.append(ProbedWindow(line))
            elif line.startswith("  child ") and self.windows:
                match = re.match(r"  child (\d+) class (\S*) text (.*)$", line)
                if match:
                    self.windows[-1].children.append(
                        (int(match.group(1)), match.group(2), match.group(3)))
        if self.screen is None:
            raise HarnessError(f"winprobe printed nothing useful: {text!r}")

    def of(self, exe):
        return [w for w in self.windows if w.exe == exe.lower()]


class Session:
    """Xvfb + Wine prefix + wineserver; start() once, stop() at the end."""

    def __init__(self, depth=24, name=None, display=None, size=SCREEN_SIZE, monitors=1):
        self.depth = depth
        self.display = display  # an existing X display to use instead of our own Xvfb
        self.size = size  # of our own Xvfb's screen
        self.monitors = monitors  # 2: our own Xorg with two monitors instead of Xvfb
        self.name = name or (f"d{depth}" if monitors == 1 else "two-monitors")
        self.x = None
        self.server = None
        self.lock = None
        self.prefix = None
        self.artifacts = os.path.join(WORK, "artifacts")
        self.prefix_seconds = 0.0
        self.warm_up_seconds = 0.0

    # -- life cycle -------------------------------------------------------------------
    def start(self):
        os.makedirs(self.artifacts, exist_ok=True)
        self.prefix = self._lock_prefix(os.path.join(WORK, "prefix-" + self.name))
        os.makedirs(self.prefix, exist_ok=True)
        if self.display:
            self.x = Xserver.attach(self.display)
        elif self.monitors == 2:
            from twomonitors import TwoMonitorXserver
            self.x = TwoMonitorXserver(self.artifacts)
        else:
            self.x = Xserver(self.depth, self.size)
        self.env = dict(self.x.env, WINEPREFIX=self.prefix, WINEARCH="win32",
                        WINEDEBUG="-all",
                        # No menu entries on this machine for the shortcuts programs make
                        # (the installer's Start-menu entry).
                        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
        # A server left by an interrupted run would keep its old display; the processes of
        # a run killed outright are stale too, as we hold the prefix's lock.
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True, timeout=30)
        stale = kill_wine_processes(self.prefix)
        if stale:
            note(f"e2e: killed {len(stale)} processes that an earlier run left in {self.prefix}")
        stamp_text = self._prefix_stamp()
        stamp = os.path.join(self.prefix, ".vc-initialised")
        ready = os.path.exists(stamp) and open(stamp).read() == stamp_text
        if not ready:
            # Emptied before its server starts: the server keeps files of its own there.
            for entry in os.listdir(self.prefix):
                path = os.path.join(self.prefix, entry)
                if os.path.isdir(path) and not os.path.islink(path):
                    shutil.rmtree(path)
                else:
                    os.unlink(path)
        self._start_server()
        if not ready:
            self._initialise_prefix()
            with open(stamp, "w") as f:
                f.write(stamp_text)
        # The first Windows program of a session also starts Wine's desktop process; doing
        # that here keeps it from racing the first test's programs (seen to hang a probe).
        started = time.monotonic()
        self.probe()
        self.warm_up_seconds = time.monotonic() - started
        return self

    def _start_server(self):
        self.server = subprocess.Popen(["wineserver", "-f", "-p"], env=self.env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                       start_new_session=True)

    def _stop_server(self):
        """Ends every Windows process of the prefix, then its server: SIGTERM makes the
        server write the registry to the prefix before it exits (wineserver -k would drop
        what changed since its last periodic save).

        wineboot ends the session as a shut-down does: first windows are asked to close,
        then whatever still runs is ended, services included. A process still there after
        the server (one it lost) is killed by its PID."""
        if self.server is None:
            return
        server = self.server.pid
        if self.server.poll() is None:  # else wine would start a server of its own
            for how in (["--end-session"], ["--end-session", "--force", "--kill"]):
                with contextlib.suppress(subprocess.TimeoutExpired):
                    subprocess.run(["wine", "wineboot", "--shutdown"] + how, env=self.env,
                                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL, timeout=30)
            # A desktop that wineboot itself brought up closes a second after it. A thread
            # that a library started on its own (libusb's in winedevice.exe) outlives the
            # Windows side of its process and keeps it: those end by their PID.
            with contextlib.suppress(HarnessError):
                wait_for(lambda: all(pid == server or main_thread_ended(pid)
                                     for pid in wine_processes(self.prefix)), 10,
                         "the prefix's Windows processes to end", interval=0.2)
            for pid in wine_processes(self.prefix):
                if pid != server and main_thread_ended(pid):
                    with contextlib.suppress(ProcessLookupError):
                        os.kill(pid, signal.SIGKILL)
        self.server.terminate()
        try:
            self.server.wait(20)
        except subprocess.TimeoutExpired:
            subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True, timeout=30)
            _stop_process(self.server)
        self.server = None
        left = kill_wine_processes(self.prefix)
        if left:
            note("e2e: still running after the server ended, killed: "
                 + ", ".join(sorted(left.values())))

    def stop(self):
        self._stop_server()
        if self.x is not None:
            self.x.stop()
            self.x = None
        if self.lock is not None:
            self.lock.close()
            self.lock = None
        elif self.prefix and os.path.basename(self.prefix).startswith("prefix-tmp"):
            shutil.rmtree(self.prefix, ignore_errors=True)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()

    def _lock_prefix(self, wanted):
        """The wanted prefix, or a private one when another run holds it."""
        os.makedirs(WORK, exist_ok=True)
        self.lock = open(wanted + ".lock", "w")
        try:
            fcntl.flock(self.lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
            return wanted
        except OSError:
            self.lock.close()
            self.lock = None
            return tempfile.mkdtemp(prefix="prefix-tmp", dir=WORK)

    def _prefix_stamp(self):
        version = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout
        return version.strip() + " " + hashlib.sha256(REGISTRY.encode()).hexdigest()[:16]

    def _initialise_prefix(self):
        started = time.monotonic()
        self._run_windows(["wineboot", "-i"], timeout=300, check=True)
        reg = os.path.join(self.prefix, "drive_c", "vc-settings.reg")
        with open(reg, "w", encoding="utf-16") as f:  # regedit's version 5 files are UTF-16
            f.write(REGISTRY.replace("\n", "\r\n"))
        self._run_windows(["regedit", "/S", reg], timeout=120, check=True)
        os.unlink(reg)
        # Only a registry that has reached the disk counts as initialised.
        self._stop_server()
        self._start_server()
        self.prefix_seconds = time.monotonic() - started

    # -- Windows programs -------------------------------------------------------------
    def start_program(self, path, *args, log_name=None):
        name = log_name or os.path.basename(path)
        return WineProcess(self, [path] + [str(a) for a in args], name)

    def _run_windows(self, args, timeout=60, check=False):
        """Runs a Windows program to its end; returns its standard output.

        Output goes through a file, never a pipe: a program that starts Wine's background
        processes (the desktop, services) passes its handles on to them, and a pipe would
        then stay open after the program itself has ended.
        """
        with tempfile.TemporaryFile() as out:
            process = subprocess.Popen(["wine"] + args, env=self.env, stdout=out,
                                       stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
            try:
                code = process.wait(timeout)
            except subprocess.TimeoutExpired:
                _stop_process(process)
                raise HarnessError(f"{' '.join(args)} did not end within {timeout} s") from None
            if check and code != 0:
                raise HarnessError(f"{' '.join(args)} failed with exit code {code}")
            out.seek(0)
            return out.read().decode("utf-8", errors="replace")

    def probe(self):
        return Probe(self._run_windows([self.winprobe, "list"]))

    def use_layout(self, xrandr_args):
        """Two-monitor sessions: changes the monitors and waits until Wine lists them.

        Wine 8 learns of a new layout through a program's window: with none open its
        desktop keeps listing the old monitors. A window of preview_host.exe is held open
        until the probe lists the new ones.

        Wine 8's wineserver has been seen to crash on such a change (it says so on its
        standard error, and the next Windows program starts a server of its own); the
        prefix's processes are then ended and the session's server started again."""
        wanted = None
        host = None
        try:
            path = find_build_file("preview_host.exe")
            if not path:
                raise HarnessError("preview_host.exe is not built (build/win)")
            stop = os.path.join(self.artifacts, "layout-host.stop")
            if os.path.exists(stop):
                os.unlink(stop)
            host = self.start_program(path, "--stop-file", self.windows_path(stop),
                                      "--title", "Layout", log_name="layout-host")
            time.sleep(0.5)
            self.x.arrange(xrandr_args)
            wanted = self.x.windows_monitors()
            wait_for(lambda: sorted(self.probe().monitors) == wanted, 60,
                     f"Wine to list the monitors {wanted}", interval=0.3)
        finally:
            if host is not None:
                with open(stop, "w"):
                    pass
                with contextlib.suppress(HarnessError):
                    host.wait(15)
                host.kill()
        if self.server.poll() is not None:
            note(f"e2e: the wineserver ended ({self.server.returncode}) on a change of "
                 "monitors; starting it again")
            kill_wine_processes(self.prefix)
            self._start_server()
            wait_for(lambda: sorted(self.probe().monitors) == wanted, 60,
                     f"Wine to list the monitors {wanted}", interval=0.3)

    def counts(self, pid):
        """What the Windows process pid holds, as winprobe.exe counts it: a dict of "handles",
        "gdi" and "user", each None where the system does not say."""
        words = self._run_windows([self.winprobe, "counts", str(pid)]).split()
        values = dict(zip(words[::2], words[1::2]))
        # winprobe writes -1 for what it could not learn
        return {key: int(values[key]) if values.get(key, "").isdigit() else None
                for key in ("handles", "gdi", "user")}

    def activate(self, hwnd):
        """SetForegroundWindow from another program, as a task switcher does."""
        self._run_windows([self.winprobe, "activate", str(hwnd)])

    def post(self, hwnd, message, wparam=0, lparam=0):
        self._run_windows([self.winprobe, "post", str(hwnd), str(message), str(wparam),
                           str(lparam)])

    @property
    def winprobe(self):
        path = find_build_file("winprobe.exe")
        if not path:
            raise HarnessError("winprobe.exe is not built (build/win, target winprobe)")
        return path

    def windows_path(self, path):
        """A Linux path as the Windows programs see it (Wine maps / to drive Z:)."""
        return "Z:" + os.path.abspath(path).replace("/", "\\")

    @property
    def temp_dir(self):
        return os.path.join(self.prefix, "drive_c", "users", getpass.getuser(), "Temp")

    def temp_files(self):
        with contextlib.suppress(FileNotFoundError):
            return set(os.listdir(self.temp_dir))
        return set()


class Interrupted(KeyboardInterrupt):
    """A signal stopped the run. As a KeyboardInterrupt it passes through unittest, which
    records any other exception as the test's error and goes on with the next test."""


def install_signal_cleanup(sessions):
    """Stops the sessions on SIGINT, SIGTERM and SIGHUP too, not only at a normal end; a
    second signal (Ctrl-C pressed again) does not cut the clean-up short.

    Interrupted then ends the program quietly, exit handlers remove the run's files, and at
    the very end the signal itself ends the process, so that a calling shell script stops
    too (it carries on after a program that exits with a status of its own). Call this
    before anything else registers an exit handler: they run last registered first."""
    caught = (signal.SIGINT, signal.SIGTERM, signal.SIGHUP)
    received = []

    def handler(signum, frame):
        for each in caught:
            signal.signal(each, signal.SIG_IGN)
        received.append(signum)
        for session in sessions:
            session.stop()
        raise Interrupted(signal.Signals(signum).name)

    def end_by_the_signal():
        if received:
            with contextlib.suppress(OSError):
                sys.stdout.flush()
            signal.signal(received[0], signal.SIG_DFL)
            os.kill(os.getpid(), received[0])

    report = sys.excepthook

    def quiet_when_interrupted(kind, value, traceback):
        if not issubclass(kind, Interrupted):
            report(kind, value, traceback)

    sys.excepthook = quiet_when_interrupted
    atexit.register(end_by_the_signal)
    for each in caught:
        signal.signal(each, handler)
