#!/usr/bin/env python3
"""Writes a zip of the given files that depends on their bytes alone: entries in the order
given, one fixed date and the same permissions on every entry.

    make_zip.py OUT.zip NAME=PATH...
"""

import sys
import zipfile

FIXED_DATE = (1980, 1, 1, 0, 0, 0)  # the earliest date a zip entry can hold


def main(out, pairs):
    with zipfile.ZipFile(out, "w") as archive:
        for pair in pairs:
            name, _, path = pair.partition("=")
            if not name or not path:
                sys.exit(f"make_zip.py: {pair!r} is not NAME=PATH")
            entry = zipfile.ZipInfo(name, FIXED_DATE)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.external_attr = 0o644 << 16
            entry.create_system = 0  # as made on Windows, the files' system
            with open(path, "rb") as f:
                archive.writestr(entry, f.read(), compresslevel=9)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2:])
