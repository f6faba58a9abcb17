"""Reads resources out of a 32-bit Windows executable (PE32) without running it.

    resource(data, type_id, name_id) -> bytes or None

Only numeric types and names are looked up; the first language of a name is taken. Every
offset is checked against the file, so a damaged file gives an error, never a wrong answer.
"""

import struct

RT_MANIFEST = 24
CREATEPROCESS_MANIFEST_RESOURCE_ID = 1
_RESOURCE_DIRECTORY = 2  # index in the optional header's data directories


class PeError(Exception):
    pass


def _unpack(fmt, data, offset):
    size = struct.calcsize(fmt)
    if offset < 0 or offset + size > len(data):
        raise PeError(f"structure at {offset:#x} runs past the end of the file")
    return struct.unpack_from(fmt, data, offset)


def _sections(data):
    """The section table as [(virtual address, virtual size, file offset, file size)], and
    the resource directory's RVA."""
    (pe_offset,) = _unpack("<I", data, 0x3C)
    if data[:2] != b"MZ" or data[pe_offset:pe_offset + 4] != b"PE\0\0":
        raise PeError("not a PE file")
    _, sections, _, _, _, optional_size, _ = _unpack("<HHIIIHH", data, pe_offset + 4)
    optional = pe_offset + 24
    (magic,) = _unpack("<H", data, optional)
    if magic != 0x10B:
        raise PeError("not PE32")
    (directories,) = _unpack("<I", data, optional + 92)
    if directories <= _RESOURCE_DIRECTORY:
        return [], 0
    rva, _ = _unpack("<II", data, optional + 96 + 8 * _RESOURCE_DIRECTORY)
    table = []
    for i in range(sections):
        _, size, address, raw_size, offset = _unpack("<8sIIII", data,
                                                    optional + optional_size + 40 * i)
        table.append((address, size, offset, raw_size))
    return table, rva


def _file_offset(table, rva):
    for address, size, offset, raw_size in table:
        if address <= rva < address + max(size, raw_size):
            return offset + rva - address
    raise PeError(f"RVA {rva:#x} lies in no section")


def _entries(data, directory):
    """The entries of one resource directory: [(id or None for a name, offset, is_dir)]."""
    named, numbered = _unpack("<HH", data, directory + 12)
    found = []
    for i in range(named + numbered):
        name, target = _unpack("<II", data, directory + 16 + 8 * i)
        found.append((None if name & 0x80000000 else name, target & 0x7FFFFFFF,
                      bool(target & 0x80000000)))
    return found


def resource(data, type_id, name_id):
    """The bytes of resource (type_id, name_id), or None when the file has no such one."""
    table, rva = _sections(data)
    if not rva:
        return None
    root = _file_offset(table, rva)
    level = root
    for wanted in (type_id, name_id, None):
        entries = _entries(data, level)
        match = [e for e in entries if wanted is None or e[0] == wanted]
        if not match:
            return None
        _, offset, is_dir = match[0]
        if wanted is None:
            if is_dir:
                raise PeError("a language entry names a directory")
            data_rva, size, _, _ = _unpack("<IIII", data, root + offset)
            start = _file_offset(table, data_rva)
            if start + size > len(data):
                raise PeError("resource data runs past the end of the file")
            return data[start:start + size]
        if not is_dir:
            raise PeError("a type or name entry names data")
        level = root + offset
    return None
