"""The 32-bit pack tool under Wine gives every face file the verdict the native one gives:
the picture kinds the importer once refused or showed wrong (tests/suites/picture_kinds.py),
which the native renderer draws as Pillow decodes them (tests/suites/faces.py), and a JPEG
and a PNG larger than the saver holds, which both call the default picture as given and
both shrink into a face that is shown."""

import os
import re
import subprocess

import cases
import harness
from fixtures import savers

FACE_LINE = re.compile(r"^  face (\d): .* \((\d+) bytes, (fit|fill)\): (.*)$")
PACK_TIMEOUT = 300


class PackVerdicts(cases.SaverCase):
    def setUp(self):
        super().setUp()
        self.pack_exe = harness.find_build_file("vomracube-pack.exe")
        if self.pack_exe is None:
            self.fail("vomracube-pack.exe is not built (build/win)")
        self.folder = os.path.join(savers.run_folder(), "verdicts")
        os.makedirs(self.folder, exist_ok=True)

    def picture_files(self):
        script = os.path.join(harness.ROOT, "tests", "suites", "picture_kinds.py")
        listing = subprocess.run([savers._system_python(), script, self.folder], check=True,
                                 capture_output=True, text=True, timeout=120)
        # 9000 x 8000: 72 megapixels, above the 64 the saver holds in colour; the JPEG is
        # read at a fraction of its size, the PNG shrunk while it is decoded.
        big = [os.path.join(self.folder, name) for name in ("big.jpg", "big.png")]
        subprocess.run([savers._system_python(), "-c",
                        "import sys\nfrom PIL import Image\n"
                        "im = Image.new('RGB', (9000, 8000), (200, 40, 40))\n"
                        "for path in sys.argv[1:]: im.save(path, compress_level=1)", *big],
                       check=True, timeout=300)
        return listing.stdout.split() + big

    def face_lines(self, report):
        lines = {}
        for line in report.splitlines():
            match = FACE_LINE.match(line)
            if match:
                lines[int(match.group(1))] = match.group(2, 3, 4)
        return lines

    def verdicts(self, files, windows, *options):
        """Face number to (bytes, mode, description and verdict), six files at a time."""
        found = {}
        for start in range(0, len(files), 6):
            group = files[start:start + 6]
            out = os.path.join(self.folder, f"{'win' if windows else 'native'}-{start}.scr")
            if windows:
                args = [self.session.windows_path(p) for p in group]
                program = self.session.start_program(
                    self.pack_exe, "make", "--template", self.session.windows_path(cases.SCR),
                    "--out", self.session.windows_path(out), *options, *args,
                    log_name=f"pack-verdicts-{start}")
                self.assertEqual(program.wait(PACK_TIMEOUT), 0, program.output())
                report = program.output()
            else:
                report = subprocess.run(
                    [savers.pack_tool(), "make", "--template", cases.SCR, "--out", out,
                     *options, *group], check=True, capture_output=True, text=True,
                    timeout=PACK_TIMEOUT).stdout
            for number, line in self.face_lines(report).items():
                found[os.path.basename(group[number - 1])] = line
            os.remove(out)
        return found

    def test_windows_and_native_pack_tools_agree(self):
        files = self.picture_files()
        for options in (["--max-side", "0"], []):
            with self.subTest(options=options):
                native = self.verdicts(files, False, *options)
                windows = self.verdicts(files, True, *options)
                self.assertEqual(len(native), len(files), native)
                # Faces stored as given have the same bytes too; re-encoded ones may not.
                keep = slice(0, 3) if options else slice(1, 3)
                self.assertEqual({n: line[keep] for n, line in windows.items()},
                                 {n: line[keep] for n, line in native.items()})
                shown = {name for name, line in native.items() if line[2].endswith("-> shown")}
                expected = {os.path.basename(f) for f in files}
                if options:
                    for name in ("big.jpg", "big.png"):
                        expected.discard(name)
                        self.assertIn("larger than the saver holds", native[name][2])
                self.assertEqual(shown, expected, native)
