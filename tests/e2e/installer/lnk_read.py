#!/usr/bin/env python3
"""Prints what a shell link holds, one "key: value" a line: target (the
local base path of its link info, else its relative path), description,
working folder. Used where lnkinfo is not installed.

    lnk_read.py <file.lnk>
"""
import struct
import sys

data = open(sys.argv[1], "rb").read()
if len(data) < 76 or struct.unpack_from("<I", data, 0)[0] != 0x4C:
    sys.exit("not a shell link")
flags = struct.unpack_from("<I", data, 20)[0]
at = 76
target = ""
if flags & 0x01:  # an item id list
    at += 2 + struct.unpack_from("<H", data, at)[0]
if flags & 0x02:  # link info
    size = struct.unpack_from("<I", data, at)[0]
    base_off = struct.unpack_from("<I", data, at + 16)[0]
    if base_off:
        end = data.index(b"\0", at + base_off)
        target = data[at + base_off:end].decode("latin-1")
    at += size
unicode = flags & 0x80
strings = {}
for bit, key in ((0x04, "description"), (0x08, "relative"), (0x10, "working"), (0x20, "arguments"),
                 (0x40, "icon")):
    if flags & bit:
        n = struct.unpack_from("<H", data, at)[0]
        at += 2
        if unicode:
            strings[key] = data[at:at + 2 * n].decode("utf-16-le")
            at += 2 * n
        else:
            strings[key] = data[at:at + n].decode("latin-1")
            at += n
print("target:", target or strings.get("relative", ""))
print("description:", strings.get("description", ""))
print("working:", strings.get("working", ""))
