#!/usr/bin/env python3
"""Fails when a source file includes a header of a higher layer.

Layers, low to high:

    platform < framework < render, import < scene < app < make < programs

render and import stand side by side: neither may include the other. The programs (tools,
tests, bench, e2e, fuzz) are the top layer and may include each other. A file may include
its own layer and any lower one.

An include is looked up as the compiler looks it up: a quoted name beside the including
file first, then in the include folders (src/ for everything, plus the few folders the
programs add). A name found nowhere still counts when it starts with a layer's folder, so a
misspelt path cannot hide an offence.

Usage: include_layers.py [REPOSITORY]   (default: the repository this script is in)
Prints every offending include as file:line and exits with 1 when there is one.
"""

import os
import re
import sys

LIBRARY_RANKS = {"platform": 0, "framework": 1, "render": 2, "import": 2, "scene": 3, "app": 4,
                 "make": 5}
PROGRAMS = ("tools", "tests", "bench", "e2e", "fuzz")
PROGRAM_RANK = 6
SOURCE_SUFFIXES = (".h", ".hpp", ".c", ".cc", ".cpp", ".rc")
# Include folders besides a file's own: src/ for every target, and what targets add.
INCLUDE_FOLDERS = ("src", "e2e/framecheck", "res")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def layer_of(path):
    """The layer of a repository-relative path, or None outside the layered folders."""
    parts = path.split("/")
    if parts[0] == "src":
        return parts[1] if len(parts) > 2 and parts[1] in LIBRARY_RANKS else None
    return parts[0] if parts[0] in PROGRAMS else None


def rank(layer):
    return LIBRARY_RANKS.get(layer, PROGRAM_RANK)


def may_include(includer, included):
    if includer == included:
        return True
    if includer in PROGRAMS and included in PROGRAMS:
        return True
    return rank(included) < rank(includer)


def resolve(root, includer_path, quote, name):
    """The repository-relative path an include names, or None for a header from elsewhere."""
    candidates = []
    if quote == '"':
        candidates.append(os.path.join(os.path.dirname(includer_path), name))
    candidates += [os.path.join(folder, name) for folder in INCLUDE_FOLDERS]
    for candidate in candidates:
        candidate = os.path.normpath(candidate)
        if not candidate.startswith("..") and os.path.isfile(os.path.join(root, candidate)):
            return candidate.replace(os.sep, "/")
    if name.split("/")[0] in LIBRARY_RANKS:
        return "src/" + name
    return None


def source_files(root):
    for top in ("src",) + PROGRAMS:
        for folder, subfolders, files in os.walk(os.path.join(root, top)):
            subfolders[:] = sorted(d for d in subfolders if not d.startswith((".", "__")))
            for name in sorted(files):
                if name.endswith(SOURCE_SUFFIXES):
                    yield os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")


def check(root):
    """Every offending include as (file, line number, include, includer's layer, included
    layer), and the number of includes between layered files looked at."""
    found = []
    checked = 0
    for path in source_files(root):
        includer = layer_of(path)
        if includer is None:
            continue
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            for number, line in enumerate(f, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                target = resolve(root, path, match.group(1), match.group(2))
                included = layer_of(target) if target else None
                if included is None:
                    continue
                checked += 1
                if not may_include(includer, included):
                    found.append((path, number, match.group(2), includer, included))
    return found, checked


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, ".."))
    found, checked = check(root)
    for path, number, name, includer, included in found:
        print(f"{path}:{number}: {includer} must not include {included}: {name}")
    print(f"{checked} includes between layered files checked, {len(found)} offending")
    if checked == 0:
        print("no include between layered files found: is the repository path right?")
        return 1
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
