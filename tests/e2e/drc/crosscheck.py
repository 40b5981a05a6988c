#!/usr/bin/python3
"""Compares the rule checker's log with klayout's markers, area by area.

crosscheck.py LOG LYRDB GUARD CHECK=CATEGORY...

Every marker of a category must lie in the core (the area less its guard band)
of an area the log lists for that category's check, and every listed area's
core must hold a marker. Prints one line per finding; exit 1 on any."""
import re
import sys
import xml.etree.ElementTree as ET


def log_areas(path):
    areas, check = {}, None
    for line in open(path):
        m = re.match(r"Check (\d+): ", line)
        if m:
            check = int(m.group(1))
            areas.setdefault(check, [])
        m = re.match(r"Area: L= (\S+) B= (\S+) R= (\S+) T= (\S+) ", line)
        if m and check is not None:
            areas[check].append(tuple(float(v) for v in m.groups()))
    return areas


def markers(path):
    out = {}
    for item in ET.parse(path).getroot().iter("item"):
        cat = item.findtext("category").strip("'")
        for v in item.iter("value"):
            nums = [float(x) for x in re.findall(r"-?\d+(?:\.\d+)?(?:e-?\d+)?", v.text)]
            xs, ys = nums[0::2], nums[1::2]
            out.setdefault(cat, []).append((min(xs), min(ys), max(xs), max(ys)))
    return out


def overlaps(box, core):
    return box[0] <= core[2] and box[2] >= core[0] and box[1] <= core[3] and box[3] >= core[1]


def main():
    log, db, guard = sys.argv[1], sys.argv[2], float(sys.argv[3])
    pairs = dict((int(a), b) for a, b in (p.split("=") for p in sys.argv[4:]))
    areas, marks = log_areas(log), markers(db)
    bad = 0
    for check, cat in sorted(pairs.items()):
        cores = [(l + guard, b + guard, r - guard, t - guard) for (l, b, r, t) in areas.get(check, [])]
        ms = marks.get(cat, [])
        for m in ms:
            if not any(overlaps(m, c) for c in cores):
                print("klayout %s marker %s lies in no logged area of check %d" % (cat, m, check))
                bad += 1
        for c in cores:
            if not any(overlaps(m, c) for m in ms):
                print("logged area core %s of check %d holds no klayout %s marker" % (c, check, cat))
                bad += 1
        print("check %d (%s): %d logged areas, %d klayout markers" % (check, cat, len(cores), len(ms)))
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
