#!/usr/bin/env python3
"""Zeroes the modification and access times of a GDSII stream in place
(the BGNLIB and BGNSTR records), so that two runs at different moments give
the same bytes. Every other byte is kept; a stream that does not parse is
left alone and reported.
    gds_mask.py FILE...
"""
import sys

BGNLIB, ENDLIB, BGNSTR = 0x01, 0x04, 0x05


def mask(path):
    with open(path, "rb") as f:
        data = bytearray(f.read())
    pos = 0
    while pos + 4 <= len(data):
        size = (data[pos] << 8) | data[pos + 1]
        if size < 4 or pos + size > len(data):
            return "record at %d: length %d" % (pos, size)
        if data[pos + 2] in (BGNLIB, BGNSTR):
            data[pos + 4:pos + size] = bytes(size - 4)
        pos += size
        if data[pos - size + 2] == ENDLIB:
            break  # what follows is block padding
    with open(path, "wb") as f:
        f.write(data)
    return None


def main():
    bad = 0
    for path in sys.argv[1:]:
        why = mask(path)
        if why:
            print("%s: not masked, %s" % (path, why), file=sys.stderr)
            bad = 1
    return bad


if __name__ == "__main__":
    sys.exit(main())
