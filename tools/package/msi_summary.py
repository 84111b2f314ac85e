#!/usr/bin/env python3
"""Makes an MSI's summary information reproducible: wixl stamps the package code
(revision number) with a random GUID and the creation and last-save times with the clock.
This writes the given package code and SOURCE_DATE_EPOCH's time in their place, in the
file itself (the stream keeps its size, so nothing else of the file moves).

Usage: msi_summary.py <file.msi> <package code {GUID}> <seconds since 1970>
"""
import struct
import sys

import olefile

STREAM = "\x05SummaryInformation"
PID_REVNUMBER = 9
PID_CREATE_DTM = 12
PID_LASTSAVE_DTM = 13
VT_LPSTR = 30
VT_FILETIME = 64
EPOCH_AS_FILETIME = 116444736000000000  # 1970-01-01 in 100 ns steps since 1601-01-01


def patched(data, package_code, seconds):
    data = bytearray(data)
    sections = struct.unpack_from("<I", data, 24)[0]
    if sections < 1:
        raise ValueError("no property section")
    section = struct.unpack_from("<I", data, 28 + 16)[0]
    count = struct.unpack_from("<I", data, section + 4)[0]
    done = set()
    for index in range(count):
        pid, offset = struct.unpack_from("<II", data, section + 8 + 8 * index)
        where = section + offset
        kind = struct.unpack_from("<I", data, where)[0]
        if pid in (PID_CREATE_DTM, PID_LASTSAVE_DTM) and kind == VT_FILETIME:
            struct.pack_into("<Q", data, where + 4, EPOCH_AS_FILETIME + seconds * 10000000)
            done.add(pid)
        elif pid == PID_REVNUMBER and kind == VT_LPSTR:
            length = struct.unpack_from("<I", data, where + 4)[0]
            text = package_code.encode("ascii") + b"\0"
            if len(text) != length:
                raise ValueError("the package code %s is not as long as the one written" % package_code)
            data[where + 8:where + 8 + length] = text
            done.add(pid)
    missing = {PID_REVNUMBER, PID_CREATE_DTM, PID_LASTSAVE_DTM} - done
    if missing:
        raise ValueError("summary properties not found: %s" % sorted(missing))
    return bytes(data)


def main(arguments):
    if len(arguments) != 4:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    path, package_code, seconds = arguments[1], arguments[2], int(arguments[3])
    with olefile.OleFileIO(path, write_mode=True) as msi:
        data = msi.openstream(STREAM).read()
        msi.write_stream(STREAM, patched(data, package_code, seconds))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
