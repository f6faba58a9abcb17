"""The installer as a user runs it without questions: VomraCube-Setup-<version>.exe /S
installs the saver, the maker, the Start-menu entry, the maker's registration and the
uninstall entry, and makes VomraCube the screen saver, remembering the one before; the
uninstaller with /S puts that back and leaves no file and no registry value of VomraCube.
Also the version resources of the programs and the installer."""

import glob
import os
import re
import shutil
import tempfile
import zipfile

import cases
import harness
from cases import SaverCase
from harness import wait_for
from peresources import resource

RT_VERSION = 16
FIXED_INFO_SIGNATURE = b"\xbd\x04\xef\xfe"
DESKTOP = r"HKCU\Control Panel\Desktop"
UNINSTALL = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\VomraCube"
OWN_KEY = r"HKCU\Software\VomraCube"
PREVIOUS_SAVER = r"C:\windows\system32\previous.scr"
INSTALL_TIMEOUT = 120


def project_version():
    with open(os.path.join(harness.ROOT, "CMakeLists.txt")) as f:
        return re.search(r"project\(VomraCube VERSION (\d+\.\d+\.\d+)", f.read()).group(1)


def setup_program():
    found = glob.glob(os.path.join(harness.BUILD, "**", "VomraCube-Setup-*.exe"), recursive=True)
    return found[0] if found else None


def version_of(path):
    """(fixed file version as "a.b.c.d", the ProductVersion string) of a program's version
    resource, or None when it has none."""
    with open(path, "rb") as f:
        data = resource(f.read(), RT_VERSION, 1)
    if data is None:
        return None
    at = data.find(FIXED_INFO_SIGNATURE)
    ms, ls = (int.from_bytes(data[at + i:at + i + 4], "little") for i in (8, 12))
    fixed = f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
    key = "ProductVersion\0".encode("utf-16-le")
    start = data.find(key) + len(key)
    start += -start % 4  # values start on a 32-bit boundary
    end = start
    while data[end:end + 2] != b"\0\0":
        end += 2
    return fixed, data[start:end].decode("utf-16-le")


class Installer(SaverCase):
    def setUp(self):
        super().setUp()
        self.setup = setup_program()
        if not self.setup:
            self.fail("VomraCube-Setup-*.exe is not built (build/win, target installer)")
        self.profile = os.path.dirname(self.session.temp_dir)  # the user's own folder

    def reg(self, *args):
        return self.session._run_windows(["reg"] + list(args))

    def value(self, key, name):
        out = self.reg("query", key, "/v", name)
        match = re.search(rf"^\s*{re.escape(name)}\s+REG_\w+\s*(.*?)\s*$", out, re.M | re.I)
        return match.group(1) if match else None

    def registry_of_vomracube(self):
        """Every line of the user's registry that names VomraCube."""
        export = os.path.join(tempfile.mkdtemp(dir=self.session.artifacts), "user.reg")
        self.reg("export", "HKCU", self.session.windows_path(export), "/y")
        with open(export, "rb") as f:
            text = f.read().decode("utf-16", errors="replace")
        return [line for line in text.splitlines() if "vomracube" in line.lower()]

    def files_of_vomracube(self):
        """Every file and folder of the user's profile that names VomraCube."""
        found = []
        for folder, dirs, files in os.walk(self.profile):
            dirs[:] = [d for d in dirs if d != "Temp"]
            found += [os.path.join(folder, n) for n in dirs + files if "vomracube" in n.lower()]
        return sorted(found)

    def test_silent_install_and_uninstall_leave_nothing(self):
        self.reg("add", DESKTOP, "/v", "SCRNSAVE.EXE", "/d", PREVIOUS_SAVER, "/f")
        self.reg("add", DESKTOP, "/v", "ScreenSaveActive", "/d", "0", "/f")
        self.session._run_windows([self.setup, "/S"], timeout=INSTALL_TIMEOUT, check=True)

        folder = os.path.join(self.profile, "AppData", "Local", "Programs", "VomraCube")
        self.assertEqual(sorted(os.listdir(folder)), ["README.txt", "Uninstall.exe",
                                                      "VomraCube.scr", "VomraCubeMaker.exe"])
        shortcut = glob.glob(os.path.join(self.profile, "**", "Start Menu", "Programs",
                                          "VomraCube Maker.lnk"), recursive=True)
        self.assertEqual(len(shortcut), 1, self.files_of_vomracube())
        installed = self.value(UNINSTALL, "InstallLocation")
        self.assertTrue(installed and installed.lower().endswith(r"\programs\vomracube"), installed)
        self.assertEqual(self.value(UNINSTALL, "DisplayVersion"), project_version())
        self.assertRegex(self.value(UNINSTALL, "QuietUninstallString") or "",
                         r'^"[^"]+\\Uninstall\.exe" /S$')
        self.assertEqual(self.value(OWN_KEY, "Maker"), installed + r"\VomraCubeMaker.exe")
        self.assertEqual(self.value(DESKTOP, "SCRNSAVE.EXE"), installed + r"\VomraCube.scr")
        self.assertEqual(self.value(DESKTOP, "ScreenSaveActive"), "1")

        # Then the maker installs a saver of the user's own (as SaverInstall does).
        savers = os.path.join(self.profile, "AppData", "Local", "VomraCube", "Savers")
        os.makedirs(savers, exist_ok=True)
        shutil.copy(cases.SCR, os.path.join(savers, "Mine.scr"))
        mine = installed.replace(r"\Programs\VomraCube", r"\VomraCube\Savers\Mine.scr")
        self.reg("add", DESKTOP, "/v", "SCRNSAVE.EXE", "/d", mine, "/f")

        # The uninstaller runs from a copy of itself in the temporary folder, so its own
        # process ends at once: wait for its work instead.
        temp_before = self.session.temp_files()
        self.session._run_windows([os.path.join(folder, "Uninstall.exe"), "/S"],
                                  timeout=INSTALL_TIMEOUT, check=True)
        wait_for(lambda: not self.files_of_vomracube() and not self.registry_of_vomracube(),
                 INSTALL_TIMEOUT, "the uninstaller to remove VomraCube", interval=1.0)
        self.assertEqual(self.files_of_vomracube(), [])
        self.assertEqual(self.registry_of_vomracube(), [])
        self.assertEqual(self.value(DESKTOP, "SCRNSAVE.EXE"), PREVIOUS_SAVER)
        self.assertEqual(self.value(DESKTOP, "ScreenSaveActive"), "0")
        wait_for(lambda: not [c for c in harness.wine_processes(self.session.prefix).values()
                              if "~nsu" in c.lower()],
                 INSTALL_TIMEOUT, "the uninstaller's copy to end", interval=0.5)
        # Its folder there (~nsuN.tmp), empty by now, goes at the next restart of Windows.
        self.temp_before |= self.session.temp_files() - temp_before

    def test_portable_zip_holds_the_built_programs_and_a_read_me(self):
        found = glob.glob(os.path.join(harness.BUILD, "installer", "VomraCube-*-portable.zip"))
        self.assertEqual(len(found), 1, found)
        with zipfile.ZipFile(found[0]) as archive:
            self.assertEqual(archive.namelist(),
                             ["VomraCube.scr", "VomraCubeMaker.exe", "README.txt"])
            for name in ("VomraCube.scr", "VomraCubeMaker.exe"):
                with open(harness.find_build_file(name), "rb") as f:
                    self.assertEqual(archive.read(name), f.read(), name)
            self.assertIn(b"VomraCubeMaker.exe", archive.read("README.txt"))

    def test_programs_and_installer_carry_the_project_version(self):
        version = project_version()
        programs = [cases.SCR, harness.find_build_file("VomraCubeMaker.exe"),
                    harness.find_build_file("vomracube-pack.exe"), self.setup]
        for path in programs:
            self.assertIsNotNone(path)
            self.assertEqual(version_of(path), (version + ".0", version), path)
