#!/usr/bin/python3
"""Compares the pictures vomracube-import wrote with what an independent decoder (Pillow)
makes of the same files, pixel for pixel, allowing for what the importer produces: the
first GIF frame only, on its logical screen as an animation shows it (at the size of its
image descriptor where that covers the screen); transparency marked in the colour table;
16-bit samples cut to their high byte; 8-bit output for grey and palette PNGs and 32-bit
output for the other PNG colour types.

usage: compare.py OUTDIR FILE...   (OUTDIR holds <sha1>.json and <sha1>.png per FILE)
Prints counts per format and "N passed, M failed"; exits 1 on any mismatch."""

import hashlib
import json
import os
import sys
import warnings

from PIL import Image

warnings.simplefilter("ignore")


def expected_png(path):
    im = Image.open(path)
    im.load()
    if im.mode in ("I", "I;16", "I;16B", "I;16L"):
        grey = bytes(min(v, 65535) >> 8 for v in im.getdata())
        return im.size, bytes(b for g in grey for b in (g, g, g)), 8
    depth = 8 if im.mode in ("1", "L", "P") else 32
    return im.size, im.convert("RGB").tobytes(), depth


def gif_screen(path):
    """The logical screen's size and background colour (black without a global table)."""
    with open(path, "rb") as f:
        head = f.read(13 + 3 * 256)
    width, height = head[6] | head[7] << 8, head[8] | head[9] << 8
    background = (0, 0, 0)
    if head[10] & 0x80 and head[11] < 2 << (head[10] & 7):
        at = 13 + 3 * head[11]
        background = tuple(head[at : at + 3])
    return (width, height), background


def expected_gif(path):
    """The first image alone where it covers the screen exactly; else the screen as an
    animation shows its first frame: the background colour around the image and under its
    transparent pixels."""
    im = Image.open(path)
    x0, y0, x1, y1 = im.tile[0][1]
    im.load()
    frame = im.crop((x0, y0, x1, y1))
    screen, background = gif_screen(path)
    if (x0, y0, x1 - x0, y1 - y0) == (0, 0) + screen or 0 in screen:
        return frame.size, frame.convert("RGB").tobytes(), None
    transparency = im.info.get("transparency")
    out = Image.new("RGB", screen, background)
    rgb = frame.convert("RGB")
    for y in range(frame.size[1]):
        for x in range(frame.size[0]):
            if x0 + x < screen[0] and y0 + y < screen[1] and frame.getpixel((x, y)) != transparency:
                out.putpixel((x0 + x, y0 + y), rgb.getpixel((x, y)))
    return screen, out.tobytes(), 32


def gif_depth(path):
    """The depth the importer chooses from the colour count of the first image."""
    with open(path, "rb") as f:
        data = f.read()
    count = 2 << (data[10] & 7)
    at = 13 + (3 * count if data[10] & 0x80 else 0)
    while at < len(data) and data[at] == 0x21:
        at += 2
        while at < len(data) and data[at]:
            at += data[at] + 1
        at += 1
    if at + 10 <= len(data) and data[at] == 0x2C and data[at + 9] & 0x80:
        count = 2 << (data[at + 9] & 7)
    return 8 if count > 16 else 4 if count > 2 else 1


def main():
    outdir, files = sys.argv[1], sys.argv[2:]
    counts = {}
    passed = failed = 0
    for path in files:
        fmt = os.path.splitext(path)[1].lower().lstrip(".")
        c = counts.setdefault(fmt, {"files": 0, "accepted": 0, "refused": 0, "match": 0,
                                   "mismatch": 0, "unverified": 0})
        c["files"] += 1
        with open(path, "rb") as f:
            sha = hashlib.sha1(f.read()).hexdigest()
        with open(os.path.join(outdir, sha + ".json")) as f:
            report = json.load(f)
        if report["result"] != "Ok":
            c["refused"] += 1
            continue
        c["accepted"] += 1
        problem = None
        try:
            size, pixels, depth = expected_png(path) if fmt == "png" else expected_gif(path)
            if fmt == "gif" and depth is None:
                depth = gif_depth(path)
        except Exception as error:
            # Nothing to compare with: counted apart, neither passed nor failed.
            c["unverified"] += 1
            print("UNVERIFIED %s: the reference decoder refuses it (%s)" % (path, error))
            continue
        if problem is None:
            ours = Image.open(os.path.join(outdir, sha + ".png")).convert("RGB")
            if ours.size != size:
                problem = "size %s, expected %s" % (ours.size, size)
            elif report["bitcount"] != depth:
                problem = "depth %d, expected %d" % (report["bitcount"], depth)
            elif ours.tobytes() != pixels:
                theirs = pixels
                mine = ours.tobytes()
                first = next(i for i in range(len(mine)) if mine[i] != theirs[i]) // 3
                problem = "pixels differ, first at (%d, %d)" % (first % size[0], first // size[0])
        if problem:
            c["mismatch"] += 1
            failed += 1
            print("MISMATCH %s: %s" % (path, problem))
        else:
            c["match"] += 1
            passed += 1
    for fmt, c in sorted(counts.items()):
        print("%s: %d files, %d accepted (%d match, %d mismatch, %d unverified), %d refused"
              % (fmt, c["files"], c["accepted"], c["match"], c["mismatch"], c["unverified"],
                 c["refused"]))
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
