#!/usr/bin/env python3
"""Writes two minimal 16-bit New Executable files for the catalog's tests: an MZ stub
whose header points at an NE header, and a non-resident name table whose first entry is
the module description. The output is committed in ne16/; run this again after a change.
Usage: make_ne_savers.py <output folder>"""
import struct
import sys
from pathlib import Path


def ne_file(description: bytes) -> bytes:
    ne_offset = 0x40
    table_offset = 0x80
    mz = bytearray(ne_offset)
    mz[0:2] = b"MZ"
    struct.pack_into("<H", mz, 0x18, 0x40)          # relocation table offset: a new-style header follows
    struct.pack_into("<I", mz, 0x3C, ne_offset)
    ne = bytearray(table_offset - ne_offset)
    ne[0:2] = b"NE"
    ne[2] = 5                                       # linker version
    struct.pack_into("<H", ne, 0x0C, 0x0302)        # flags: module is a program
    struct.pack_into("<I", ne, 0x2C, table_offset)  # non-resident name table (file offset)
    struct.pack_into("<H", ne, 0x20, len(description) + 4)
    ne[0x36] = 2                                    # target: Windows
    names = bytes([len(description)]) + description + b"\x00\x00" + b"\x00"
    return bytes(mz) + bytes(ne) + names


def main() -> None:
    out = Path(sys.argv[1] if len(sys.argv) > 1 else ".")
    out.mkdir(parents=True, exist_ok=True)
    (out / "FLYWIN16.SCR").write_bytes(ne_file(b"SCRNSAVE : Flying Windows"))
    (out / "NOTSAVER.SCR").write_bytes(ne_file(b"Calendar Utility (16-bit)"))


if __name__ == "__main__":
    main()
