#!/usr/bin/python3
"""Checks the importer on HEIC, AVIF and WebP files made here with Debian's encoders
(heif-enc, avifenc, cwebp, img2webp; grids and turns with heif_grid.py) against the
reference decoders of the same libraries (heif-convert, avifdec, dwebp; Pillow's animated
WebP reader, which is libwebp's animation decoder, for an animation's first frame): every
pixel within 2 levels. A turned and mirrored grid is also checked against its source
turned and mirrored here, so a turn applied twice or not at all shows.

usage: new_formats.py IMPORT   Prints one line per file and "N passed, M failed"."""

import hashlib
import os
import subprocess
import sys
import tempfile

from PIL import Image, ImageChops, ImageStat

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import heif_grid  # noqa: E402

LIMIT = 2
W, H = 301, 203  # odd sides: chroma subsampling and row padding show


def source(path, alpha=False, colour=None):
    if colour:
        image = Image.new("RGB", (W, H), colour)
    else:
        image = Image.new("RGB", (W, H))
        image.putdata([(x * 255 // (W - 1), y * 255 // (H - 1), (x // 16 * 40 + y // 16 * 90) % 256)
                       for y in range(H) for x in range(W)])
    if alpha:
        image = image.convert("RGBA")
        image.putalpha(Image.linear_gradient("L").resize((W, H)))
    image.save(path)
    return path


def run(*command):
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def make_cases(work):
    """(name, file, reference PNG, expected picture or None) for each kind."""
    plain = source(os.path.join(work, "plain.png"))
    alpha = source(os.path.join(work, "alpha.png"), alpha=True)
    red = source(os.path.join(work, "red.png"), colour=(200, 30, 30))
    p = lambda name: os.path.join(work, name)  # noqa: E731
    run("heif-enc", "-q", "90", plain, "-o", p("single.heic"))
    heif_grid.write_grid(plain, p("grid.heic"), 3, 2)
    heif_grid.write_grid(plain, p("grid-turned.heic"), 2, 2, 1, 1)
    run("avifenc", plain, p("picture.avif"))
    run("cwebp", "-quiet", "-q", "85", plain, "-o", p("lossy.webp"))
    run("cwebp", "-quiet", "-lossless", plain, "-o", p("lossless.webp"))
    run("cwebp", "-quiet", alpha, "-o", p("alpha.webp"))
    run("img2webp", "-loop", "0", "-lossy", "-d", "100", plain, "-d", "100", red, "-o",
        p("animated.webp"))
    refs = {}
    for name in ("single.heic", "grid.heic", "grid-turned.heic"):
        run("heif-convert", p(name), p(name + ".png"))
        refs[name] = p(name + ".png")
    run("avifdec", p("picture.avif"), p("picture.avif.png"))
    refs["picture.avif"] = p("picture.avif.png")
    for name in ("lossy.webp", "lossless.webp", "alpha.webp"):
        run("dwebp", "-quiet", p(name), "-o", p(name + ".png"))
        refs[name] = p(name + ".png")
    with Image.open(p("animated.webp")) as animation:
        animation.seek(0)
        animation.convert("RGB").save(p("animated.webp.png"))
    refs["animated.webp"] = p("animated.webp.png")
    turned = Image.open(plain).rotate(90, expand=True).transpose(Image.FLIP_LEFT_RIGHT)
    expected = {"grid-turned.heic": turned, "grid.heic": Image.open(plain)}
    return [(n, p(n), refs[n], expected.get(n)) for n in refs]


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    tool = sys.argv[1]
    passed = failed = 0
    with tempfile.TemporaryDirectory() as work:
        cases = make_cases(work)
        out = os.path.join(work, "out")
        os.mkdir(out)
        subprocess.run([tool, "--out", out] + [c[1] for c in cases], check=True,
                       stdout=subprocess.DEVNULL)
        for name, path, ref, expected in cases:
            digest = hashlib.sha1(open(path, "rb").read()).hexdigest()
            ours_path = os.path.join(out, digest + ".png")
            if not os.path.exists(ours_path):
                ok, why = False, "not imported"
            else:
                ours = Image.open(ours_path).convert("RGB")
                theirs = Image.open(ref).convert("RGB")
                if ours.size != theirs.size:
                    ok, why = False, "size %s, reference %s" % (ours.size, theirs.size)
                else:
                    worst = max(high for _, high in ImageChops.difference(ours, theirs).getextrema())
                    ok, why = worst <= LIMIT, "largest difference %d" % worst
                    if ok and expected is not None:
                        # Lossy coding leaves a few levels on average; a wrong turn, tens.
                        mean = max(ImageStat.Stat(ImageChops.difference(ours, expected)).mean)
                        ok = mean < 8
                        why += ", mean %.1f from the source as the file places it" % mean
            print("%-18s %s (%s)" % (name, "ok" if ok else "FAILED", why))
            passed += ok
            failed += not ok
    print("%d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
