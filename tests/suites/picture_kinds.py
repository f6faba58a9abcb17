#!/usr/bin/python3
"""Writes one small file of each picture kind the importer once refused or showed wrong
(and JPEG orientations, Display P3 PNG and JPEG, 16-bit PNGs), and beside each, <name>.png: Pillow's decoding of it (stood upright where the file records
an orientation), as a face the saver shows as given.

usage: picture_kinds.py OUTDIR        prints the names of the files written, one a line

The BMP and ICO variants Pillow cannot write are put together byte by byte here."""

import io
import os
import struct
import sys
import zlib

from PIL import Image, ImageOps

W, H = 37, 23  # odd sizes, so row padding and turns show


def rgb_at(x, y):
    """A picture no turn or mirror maps onto itself: every pixel different."""
    return (x * 255 // (W - 1), y * 255 // (H - 1), (x * 7 + y * 13) % 256)


def index_at(x, y, colours):
    return (x // 3 + 2 * (y // 4)) % colours


def palette(colours):
    return [((i * 97) % 256, (i * 53 + 40) % 256, (255 - i * 31) % 256) for i in range(colours)]


def pack_rows(rows, bits):
    """Rows of values (palette indices or 16-/32-bit pixels) as DIB rows padded to 4 bytes."""
    out = []
    for row in rows:
        if bits <= 8:
            acc, n, b = 0, 0, bytearray()
            for v in row:
                acc = acc << bits | v
                n += bits
                if n == 8:
                    b.append(acc)
                    acc, n = 0, 0
            if n:
                b.append(acc << (8 - n))
        else:
            b = bytearray(b"".join(struct.pack("<I", v)[: bits // 8] for v in row))
        b += bytes(-len(b) % 4)
        out.append(bytes(b))
    return out


def bmp(bits, rows, top_down=False, compression=0, masks=(), table=(), clr_used=0,
        gap=0, core=False):
    """A BMP of the given rows (top row first): 40-byte header, or the 12-byte one with
    three-byte table entries; masks and table follow the header, then `gap` bytes."""
    height = len(rows)
    stored = rows if top_down else rows[::-1]
    pixels = b"".join(pack_rows(stored, bits))
    if core:
        header = struct.pack("<IHHHH", 12, W, height, 1, bits)
        colours = b"".join(struct.pack("<BBB", b, g, r) for r, g, b in table)
    else:
        header = struct.pack("<IiiHHIIiiII", 40, W, -height if top_down else height, 1, bits,
                             compression, len(pixels), 2835, 2835, clr_used, 0)
        colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in table)
    extra = b"".join(struct.pack("<I", m) for m in masks) + colours + bytes(gap)
    off = 14 + len(header) + len(extra)
    return b"BM" + struct.pack("<IHHI", off + len(pixels), 0, 0, off) + header + extra + pixels


def ico(bits, colours):
    """An icon of one W x H image at `bits` bits whose table has `colours` entries
    (biClrUsed), then the pixels and an AND mask that hides nothing."""
    table = palette(colours)
    rows = [[index_at(x, y, colours) for x in range(W)] for y in range(H)]
    pixels = b"".join(pack_rows(rows[::-1], bits))
    mask = b"".join(pack_rows([[0] * W] * H, 1))
    dib = struct.pack("<IiiHHIIiiII", 40, W, 2 * H, 1, bits, 0, 0, 0, 0, colours, 0)
    dib += b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in table) + pixels + mask
    entry = struct.pack("<BBBBHHII", W, H, 0, 0, 1, bits, len(dib), 6 + 16)
    return struct.pack("<HHH", 0, 1, 1) + entry + dib


def rgb_image():
    im = Image.new("RGB", (W, H))
    im.putdata([rgb_at(x, y) for y in range(H) for x in range(W)])
    return im


def one_frame_gif_on_screen():
    """A 23 x 13 frame at (9, 6) of a W x H screen whose background is its transparent
    colour, as a GIF editor leaves a cropped picture."""
    im = Image.new("P", (23, 13))
    im.putpalette([c for rgb in palette(16) for c in rgb])
    im.putdata([index_at(x, y, 16) for y in range(13) for x in range(23)])
    out = io.BytesIO()
    im.save(out, "GIF", transparency=5)
    d = bytearray(out.getvalue())
    d[6:10] = struct.pack("<HH", W, H)
    d[11] = 5
    at = d.index(b"\x2c", 13 + 3 * (2 << (d[10] & 7)))
    d[at + 1 : at + 5] = struct.pack("<HH", 9, 6)
    return bytes(d)


def png16(rgb, alpha):
    """A PNG of 16-bit samples (Pillow writes none): each 8-bit level c as c * 256 + 200,
    so that keeping the high byte and rounding differ; opacity from the red channel."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data))

    raw = b""
    for row in rgb:
        raw += b"\0"
        for c in row:
            samples = list(c) + ([255 - c[0] // 2] if alpha else [])
            raw += struct.pack(">%dH" % len(samples), *(v * 256 + 200 for v in samples))
    header = struct.pack(">IIBBBBB", W, H, 16, 6 if alpha else 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw))
            + chunk(b"IEND", b""))


def display_p3_icc():
    """A Display P3 profile (v2 matrix-shaper, sRGB's curve as a parametric curve), put
    together here since Pillow makes only its built-in profiles."""
    def xyz(x, y):
        return [x / y, 1.0, (1 - x - y) / y]

    def solve(m, v):  # 3x3 linear system, Cramer's rule
        def det(a):
            return (a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1])
                    - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0])
                    + a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]))
        d = det(m)
        return [det([[v[r] if c == i else m[r][c] for c in range(3)] for r in range(3)]) / d
                for i in range(3)]

    def mul(a, v):
        return [sum(a[r][c] * v[c] for c in range(3)) for r in range(3)]

    primaries = [xyz(0.680, 0.320), xyz(0.265, 0.690), xyz(0.150, 0.060)]
    d65, d50 = xyz(0.3127, 0.3290), [0.9642, 1.0, 0.8249]
    columns = [[primaries[c][r] for c in range(3)] for r in range(3)]
    scale = solve(columns, d65)
    bradford = [[0.8951, 0.2664, -0.1614], [-0.7502, 1.7135, 0.0367], [0.0389, -0.0685, 1.0296]]
    cone65, cone50 = mul(bradford, d65), mul(bradford, d50)
    inverse = [solve(bradford, [1.0 if r == i else 0.0 for r in range(3)]) for i in range(3)]

    def adapted(v):
        cone = mul(bradford, v)
        cone = [cone[i] * cone50[i] / cone65[i] for i in range(3)]
        return [sum(inverse[c][r] * cone[c] for c in range(3)) for r in range(3)]

    def s15(v):
        return struct.pack(">i", round(v * 65536))

    def xyz_tag(v):
        return b"XYZ " + bytes(4) + b"".join(s15(c) for c in v)

    curve = b"para" + bytes(4) + struct.pack(">HH", 3, 0) + b"".join(
        s15(v) for v in (2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045))
    tags = [(b"wtpt", xyz_tag(d50))]
    for i, name in enumerate((b"r", b"g", b"b")):
        tags.append((name + b"XYZ", xyz_tag(adapted([p * scale[i] for p in primaries[i]]))))
    tags += [(name + b"TRC", curve) for name in (b"r", b"g", b"b")]
    offset = 128 + 4 + 12 * len(tags)
    table, data = struct.pack(">I", len(tags)), b""
    for sig, body in tags:
        table += sig + struct.pack(">II", offset + len(data), len(body))
        data += body + bytes(-len(body) % 4)
    size = offset + len(data)
    header = (struct.pack(">I", size) + bytes(4) + struct.pack(">I", 0x02100000) + b"mntrRGB XYZ "
              + bytes(12) + b"acsp" + bytes(24) + struct.pack(">I", 1)
              + b"".join(s15(c) for c in d50) + bytes(48))
    return header + table + data


def srgb_from_p3(im, icc):
    from PIL import ImageCms
    p3 = ImageCms.ImageCmsProfile(io.BytesIO(icc))
    return ImageCms.profileToProfile(im, p3, ImageCms.createProfile("sRGB"),
                                     renderingIntent=ImageCms.Intent.RELATIVE_COLORIMETRIC)


def kinds():
    """(file name, bytes[, the bytes Pillow decodes for the reference when not these])"""
    rgb = [[rgb_at(x, y) for x in range(W)] for y in range(H)]
    pal8 = palette(256)

    def indices(colours):
        return [[index_at(x, y, colours) for x in range(W)] for y in range(H)]

    def r5g6b5(c):
        return (c[0] >> 3) << 11 | (c[1] >> 2) << 5 | c[2] >> 3

    yield "topdown-8.bmp", bmp(8, indices(256), top_down=True, table=pal8)
    # Pillow reads no 2-bit BMP: its reference is the same picture at 4 bits.
    yield "two-bit.bmp", bmp(2, indices(4), table=palette(4)), bmp(4, indices(4), table=palette(4))
    # Nor compression 6 (bit fields with alpha): its reference has the colour masks alone.
    argb = [[0xFF000000 | c[0] << 16 | c[1] << 8 | c[2] for c in r] for r in rgb]
    yield "alpha-bitfields-40.bmp", bmp(
        32, argb, compression=6, masks=(0xFF0000, 0xFF00, 0xFF, 0xFF000000)), bmp(
        32, argb, compression=3, masks=(0xFF0000, 0xFF00, 0xFF))
    yield "rgb565-with-table.bmp", bmp(
        16, [[r5g6b5(c) for c in r] for r in rgb], compression=3,
        masks=(0xF800, 0x07E0, 0x001F), table=pal8, clr_used=256)
    yield "os2-short-palette.bmp", bmp(8, indices(20), table=palette(20), core=True)
    yield "gap-before-pixels.bmp", bmp(4, indices(16), table=palette(16), gap=30)
    # Pillow refuses a table longer than the depth indexes; only its first 256 entries count.
    yield "table-over-256.bmp", bmp(8, indices(256), table=pal8 + pal8[:44], clr_used=300), bmp(
        8, indices(256), table=pal8 + pal8[:44])
    yield "icon-8bit-16-colours.ico", ico(8, 16)
    yield "icon-4bit-8-colours.ico", ico(4, 8)
    yield "one-frame-on-screen.gif", one_frame_gif_on_screen()
    for name, mode, options in (("cmyk.jpg", "CMYK", {"quality": 95}),):
        out = io.BytesIO()
        rgb_image().convert(mode).save(out, "JPEG", **options)
        yield name, out.getvalue()
    for orientation in range(2, 9):
        out = io.BytesIO()
        rgb_image().save(out, "TIFF", tiffinfo={274: orientation})
        yield "orientation-%d.tif" % orientation, out.getvalue()
    exif = Image.Exif()
    exif[274] = 6
    out = io.BytesIO()
    rgb_image().save(out, "PNG", exif=exif.tobytes())
    yield "orientation-6.png", out.getvalue()
    for orientation in range(2, 9):
        exif[274] = orientation
        out = io.BytesIO()
        rgb_image().save(out, "JPEG", exif=exif.tobytes(), quality=95)
        yield "orientation-%d.jpg" % orientation, out.getvalue()
    icc = display_p3_icc()
    for kind in ("PNG", "JPEG"):
        out = io.BytesIO()
        rgb_image().save(out, kind, icc_profile=icc, **({"quality": 95} if kind == "JPEG" else {}))
        # Pillow shows the stored colours; lcms2 through Pillow makes them sRGB.
        reference = io.BytesIO()
        with Image.open(io.BytesIO(out.getvalue())) as stored:
            srgb_from_p3(stored, icc).save(reference, "PNG")
        yield "display-p3." + kind.lower().replace("jpeg", "jpg"), out.getvalue(), reference.getvalue()
    yield "rgb-16bit.png", png16(rgb, alpha=False)
    yield "rgba-16bit.png", png16(rgb, alpha=True)


def main():
    outdir = sys.argv[1]
    for name, data, *reference in kinds():
        path = os.path.join(outdir, name)
        with open(path, "wb") as f:
            f.write(data)
        with Image.open(io.BytesIO(reference[0] if reference else data)) as im:
            im.load()
            # Pillow stands a TIFF upright as it loads it (and keeps the tag).
            upright = im if im.format == "TIFF" else ImageOps.exif_transpose(im)
            shown = upright.convert("RGBA" if "transparency" in im.info else "RGB")
            shown.info.pop("icc_profile", None)  # the reference holds colours as shown
            shown.save(path + ".png")
        print(path)


if __name__ == "__main__":
    main()
