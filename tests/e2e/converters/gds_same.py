#!/usr/bin/env python3
# gds_same.py A.gds B.gds: 0 when the two streams hold the same records,
# the modification and access times of BGNLIB and BGNSTR aside.
import sys


def records(path):
    data = open(path, "rb").read()
    out, p = [], 0
    while p + 4 <= len(data):
        n = (data[p] << 8) | data[p + 1]
        if n < 4 or p + n > len(data):
            return out, "bad record at %d" % p
        rtype = data[p + 2]
        body = data[p + 4:p + n]
        if rtype in (0x01, 0x05):
            body = b"\0" * len(body)
        out.append((rtype, data[p + 3], body))
        p += n
    return out, None if p == len(data) else "trailing bytes"


a, ea = records(sys.argv[1])
b, eb = records(sys.argv[2])
if ea or eb:
    print("FAIL: %s %s" % (ea, eb))
    sys.exit(1)
if a != b:
    for i, (x, y) in enumerate(zip(a, b)):
        if x != y:
            print("FAIL: record %d differs: %r / %r" % (i, x, y))
            break
    else:
        print("FAIL: %d records / %d records" % (len(a), len(b)))
    sys.exit(1)
print("same: %d records" % len(a))
