#!/usr/bin/python3
"""Checks that a saver draws each picture kind the importer once refused or showed wrong
(picture_kinds.py) as it draws Pillow's decoding of the same file: two savers are made
with vomracube-pack, one with the file on all six faces and one with Pillow's PNG, a frame
of each is drawn with vomracube-render, and the mean difference over the pixels the cube
covers must stay under 2 levels. A face the saver refused would show the default picture
(or an open cube) and differ by tens of levels; an upside-down or turned one by about as
much.

usage: faces.py PACK RENDER   Prints one line per kind and "N passed, M failed"."""

import os
import subprocess
import sys
import tempfile

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
LIMIT = 2.0


def make_saver(pack, template, face, out):
    """One large cube, no boxes, the face on all six sides."""
    subprocess.run([pack, "make", "--template", template, "--out", out, "--cubes", "0",
                    "--boxes", "0", "--cube-size", "4", "--fill"] + [face] * 6,
                   check=True, stdout=subprocess.DEVNULL)


def draw(render, saver, out):
    """Three frames, two seconds apart, side by side: most sides of the cube are seen."""
    subprocess.run([render, "--size", "320x240", "--time", "1", "--frames", "3", "--step", "2",
                    "--sheet", "--out", out, saver], check=True)
    return Image.open(out).convert("RGB")


def cube_difference(ours, theirs):
    """Mean channel difference over the pixels either frame does not leave as background
    (the colour of the top-left corner)."""
    background = ours.getpixel((0, 0))
    cube = 0
    total = 0
    for a, b in zip(ours.getdata(), theirs.getdata()):
        if a != background or b != background:
            cube += 1
            total += abs(a[0] - b[0]) + abs(a[1] - b[1]) + abs(a[2] - b[2])
    return total / (3 * cube) if cube else 0.0, cube


def main():
    pack, render = sys.argv[1], sys.argv[2]
    passed = failed = 0
    with tempfile.TemporaryDirectory() as work:
        template = os.path.join(work, "template.scr")
        with open(template, "wb") as f:
            f.write(b"MZ" + bytes(62))
        listing = subprocess.run([sys.executable, os.path.join(HERE, "picture_kinds.py"), work],
                                 check=True, capture_output=True, text=True).stdout.split()
        for path in listing:
            name = os.path.basename(path)
            try:
                make_saver(pack, template, path, os.path.join(work, "ours.scr"))
                make_saver(pack, template, path + ".png", os.path.join(work, "pillow.scr"))
                ours = draw(render, os.path.join(work, "ours.scr"), os.path.join(work, "a.png"))
                theirs = draw(render, os.path.join(work, "pillow.scr"),
                              os.path.join(work, "b.png"))
                difference, cube = cube_difference(ours, theirs)
            except subprocess.CalledProcessError as error:
                difference, cube = None, 0
                print("FAILED %s: %s" % (name, error))
            if difference is not None and difference < LIMIT and cube > 20000:
                passed += 1
                print("ok %s: %.3f levels over %d pixels" % (name, difference, cube))
            else:
                failed += 1
                print("MISMATCH %s: %s levels over %d pixels" % (name, difference, cube))
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
