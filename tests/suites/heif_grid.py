#!/usr/bin/python3
"""Writes the HEIF files no encoder here makes: a grid-tiled picture as phones write them
(tiles coded one by one, a grid item that places them and crops the whole), optionally
turned (irot) and mirrored (imir).

usage: heif_grid.py SOURCE.png OUT.heic COLUMNS ROWS [TURNS [MIRROR_AXIS]]

SOURCE is cut into COLUMNS x ROWS tiles of equal size (each side a multiple of 8, at
least 64), each tile is coded with heif-enc, and their coded data and hvcC
properties are put into one new container whose primary item is the grid, of SOURCE's
size. TURNS is the number of quarter turns anticlockwise, MIRROR_AXIS 0 (top to bottom)
or 1 (left to right)."""

import os
import struct
import subprocess
import sys
import tempfile

from PIL import Image


def box(kind, payload):
    return struct.pack(">I", 8 + len(payload)) + kind + payload


def full_box(kind, version, flags, payload):
    return box(kind, struct.pack(">I", version << 24 | flags) + payload)


def children(data, start=0, end=None):
    """(kind, payload start, payload end) of each box in data[start:end]."""
    end = len(data) if end is None else end
    at = start
    while at + 8 <= end:
        size, kind = struct.unpack(">I4s", data[at:at + 8])
        if size < 8:
            raise ValueError("box size")
        yield kind, at + 8, at + size
        at += size


def find(data, kind, start=0, end=None):
    for k, s, e in children(data, start, end):
        if k == kind:
            return s, e
    raise ValueError("no %r box" % kind)


def coded_tile(path):
    """The primary item's coded data and its hvcC box (whole) from a heif-enc file."""
    data = open(path, "rb").read()
    ms, me = find(data, b"meta")
    ms += 4  # full box
    ps, _ = find(data, b"pitm", ms, me)
    primary = struct.unpack(">H", data[ps + 4:ps + 6])[0]
    ls, _ = find(data, b"iloc", ms, me)
    version = data[ls]
    sizes, base = data[ls + 4], data[ls + 5]
    offset_size, length_size, base_size = sizes >> 4, sizes & 15, base >> 4
    index_size = base & 15 if version in (1, 2) else 0
    at = ls + 6
    count = struct.unpack(">H", data[at:at + 2])[0]
    at += 2

    def number(size):
        nonlocal at
        value = int.from_bytes(data[at:at + size], "big") if size else 0
        at += size
        return value

    coded = None
    for _ in range(count):
        item = number(2)
        if version in (1, 2):
            number(2)  # construction method
        number(2)  # data reference
        base_offset = number(base_size)
        extents = number(2)
        parts = []
        for _ in range(extents):
            number(index_size)
            offset, length = number(offset_size), number(length_size)
            parts.append(data[base_offset + offset:base_offset + offset + length])
        if item == primary:
            coded = b"".join(parts)
    rs, re_ = find(data, b"iprp", ms, me)
    cs, ce = find(data, b"ipco", rs, re_)
    for kind, s, e in children(data, cs, ce):
        if kind == b"hvcC":
            return coded, data[s - 8:e]
    raise ValueError("no hvcC")


def build(tiles, tile_w, tile_h, columns, rows, width, height, turns, mirror):
    """The container: items 1..n the tiles, item n+1 the grid (primary)."""
    n = len(tiles)
    grid_id = n + 1
    grid_data = struct.pack(">BBBBHH", 0, 0, rows - 1, columns - 1, width, height)
    hdlr = full_box(b"hdlr", 0, 0, b"\0" * 4 + b"pict" + b"\0" * 12 + b"\0")
    pitm = full_box(b"pitm", 0, 0, struct.pack(">H", grid_id))
    infes = [full_box(b"infe", 2, 1, struct.pack(">HH", i + 1, 0) + b"hvc1\0") for i in range(n)]
    infes.append(full_box(b"infe", 2, 0, struct.pack(">HH", grid_id, 0) + b"grid\0"))
    iinf = full_box(b"iinf", 0, 0, struct.pack(">H", len(infes)) + b"".join(infes))
    dimg = box(b"dimg", struct.pack(">HH", grid_id, n) + b"".join(struct.pack(">H", i + 1) for i in range(n)))
    iref = full_box(b"iref", 0, 0, dimg)
    # Properties: each tile's hvcC, the tile size, the grid size, then the turn and mirror.
    props = [hvcc for _, hvcc in tiles]
    props.append(full_box(b"ispe", 0, 0, struct.pack(">II", tile_w, tile_h)))
    props.append(full_box(b"ispe", 0, 0, struct.pack(">II", width, height)))
    grid_props = [n + 2]
    if turns % 4:
        props.append(box(b"irot", bytes([turns % 4])))
        grid_props.append(len(props) | 0x80)
    if mirror is not None:
        props.append(box(b"imir", bytes([mirror])))
        grid_props.append(len(props) | 0x80)
    ipco = box(b"ipco", b"".join(props))
    entries = [struct.pack(">HBBB", i + 1, 2, (i + 1) | 0x80, n + 1) for i in range(n)]
    entries.append(struct.pack(">HB", grid_id, len(grid_props)) + bytes(grid_props))
    ipma = full_box(b"ipma", 0, 0, struct.pack(">I", len(entries)) + b"".join(entries))
    iprp = box(b"iprp", ipco + ipma)
    ftyp = box(b"ftyp", b"heic" + struct.pack(">I", 0) + b"mif1heic")
    payloads = [coded for coded, _ in tiles] + [grid_data]

    def meta_with(first_offset):
        at, locs = first_offset, []
        for i, p in enumerate(payloads):
            locs.append(struct.pack(">HHHII", i + 1, 0, 1, at, len(p)))
            at += len(p)
        iloc = full_box(b"iloc", 0, 0, bytes([0x44, 0x00]) + struct.pack(">H", len(locs)) + b"".join(locs))
        return full_box(b"meta", 0, 0, hdlr + pitm + iloc + iinf + iref + iprp)

    mdat_start = len(ftyp) + len(meta_with(0)) + 8
    return ftyp + meta_with(mdat_start) + box(b"mdat", b"".join(payloads))


def write_grid(source, out, columns, rows, turns=0, mirror=None):
    image = Image.open(source).convert("RGB")
    width, height = image.size
    # heif-enc wraps pictures with a side under 64 in a grid of its own.
    tile_w = max(64, ((width + columns - 1) // columns + 7) // 8 * 8)
    tile_h = max(64, ((height + rows - 1) // rows + 7) // 8 * 8)
    tiles = []
    with tempfile.TemporaryDirectory() as work:
        for r in range(rows):
            for c in range(columns):
                tile = Image.new("RGB", (tile_w, tile_h))
                tile.paste(image.crop((c * tile_w, r * tile_h, (c + 1) * tile_w, (r + 1) * tile_h)))
                png = os.path.join(work, "t.png")
                heic = os.path.join(work, "t.heic")
                tile.save(png)
                subprocess.run(["heif-enc", "-q", "95", png, "-o", heic], check=True,
                               stdout=subprocess.DEVNULL)
                tiles.append(coded_tile(heic))
    with open(out, "wb") as f:
        f.write(build(tiles, tile_w, tile_h, columns, rows, width, height, turns, mirror))


if __name__ == "__main__":
    a = sys.argv[1:]
    if len(a) < 4:
        sys.exit(__doc__)
    write_grid(a[0], a[1], int(a[2]), int(a[3]), int(a[4]) if len(a) > 4 else 0,
               int(a[5]) if len(a) > 5 else None)
