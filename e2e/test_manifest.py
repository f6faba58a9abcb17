"""The application manifest embedded in the saver, the pack tool and the maker: per-monitor DPI
awareness (version 2 first, the older forms behind it), version 6 of the common controls,
and the supported-system entries."""

import os
import unittest
import xml.etree.ElementTree as ElementTree

import cases
import harness
from peresources import CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST, resource

ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"
SETTINGS_2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
SETTINGS_2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
WINDOWS_10 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"
WINDOWS_7 = "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"


class EmbeddedManifest(unittest.TestCase):
    def programs(self):
        if cases.SCR is None:
            self.skipTest("no saver: run the tests through e2e/run.py")
        pack = harness.find_build_file("vomracube-pack.exe")
        self.assertIsNotNone(pack, "vomracube-pack.exe is not built (build/win)")
        maker = harness.find_build_file("VomraCubeMaker.exe")
        self.assertIsNotNone(maker, "VomraCubeMaker.exe is not built (build/win)")
        return [cases.SCR, pack, maker]

    def manifest(self, path):
        with open(path, "rb") as f:
            data = f.read()
        text = resource(data, RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID)
        self.assertIsNotNone(text, f"no manifest resource in {os.path.basename(path)}")
        return ElementTree.fromstring(text)

    def test_declares_per_monitor_dpi_awareness(self):
        for path in self.programs():
            with self.subTest(program=os.path.basename(path)):
                settings = self.manifest(path).find(f"{ASM_V3}application/{ASM_V3}windowsSettings")
                self.assertIsNotNone(settings)
                awareness = settings.find(f"{SETTINGS_2016}dpiAwareness")
                self.assertIsNotNone(awareness)
                forms = [form.strip().lower() for form in awareness.text.split(",")]
                self.assertEqual(forms[:2], ["permonitorv2", "permonitor"])
                self.assertEqual(settings.find(f"{SETTINGS_2005}dpiAware").text.strip().lower(),
                                 "true/pm")

    def test_asks_for_common_controls_6_and_names_the_supported_systems(self):
        for path in self.programs():
            with self.subTest(program=os.path.basename(path)):
                root = self.manifest(path)
                identities = root.findall(f"{ASM_V1}dependency/{ASM_V1}dependentAssembly/"
                                          f"{ASM_V1}assemblyIdentity")
                controls = [i for i in identities
                            if i.get("name") == "Microsoft.Windows.Common-Controls"]
                self.assertEqual([i.get("version") for i in controls], ["6.0.0.0"])
                self.assertEqual(controls[0].get("processorArchitecture"), "x86")
                systems = {s.get("Id") for s in root.iter(f"{COMPATIBILITY}supportedOS")}
                self.assertLessEqual({WINDOWS_7, WINDOWS_10}, systems)
