#!/usr/bin/env python3
"""Packs the installer's archive: every file named goes in flat (no folders,
as the installer makes none), then each inner zip, itself flat.

    pack_setup.py <archive> <file>... [--inner <name.zip> <file>... ]...

Members keep the file's own name; the zip's times are the files' times.
"""
import io
import os
import sys
import zipfile


def add_flat(z, paths):
    seen = set()
    for p in paths:
        name = os.path.basename(p)
        if name.lower() in seen:
            sys.exit(f"pack_setup: {name} named twice")
        seen.add(name.lower())
        z.write(p, name)


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    out = sys.argv[1]
    groups = [[None, []]]
    args = sys.argv[2:]
    i = 0
    while i < len(args):
        if args[i] == "--inner":
            groups.append([args[i + 1], []])
            i += 2
        else:
            groups[-1][1].append(args[i])
            i += 1
    tmp = out + ".part"
    with zipfile.ZipFile(tmp, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        add_flat(z, groups[0][1])
        for name, paths in groups[1:]:
            buf = io.BytesIO()
            with zipfile.ZipFile(buf, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as inner:
                add_flat(inner, paths)
            z.writestr(zipfile.ZipInfo(name, date_time=(2026, 12, 10, 12, 0, 0)), buf.getvalue(),
                       compress_type=zipfile.ZIP_STORED)
    os.replace(tmp, out)


main()
