#!/usr/bin/python3
"""Checks that a display grid came onto the screen: the pixels of the drawing
area that turned white between two screenshots are single dots on a lattice
of the expected pitch.

usage: griddots.py BEFORE.ppm AFTER.ppm OX OY LEFT TOP RIGHT BOTTOM PITCH_PX

OX OY: the client area's screen origin; LEFT.. the drawing area (client
pixels); PITCH_PX: the grid's pitch in pixels. Prints what it found; exit
0 when the dots are there, 1 when not."""
import sys


def ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    assert fields[0] == b"P6" and fields[3] == b"255", "not an 8-bit P6 file"
    return int(fields[1]), int(fields[2]), data[pos + 1:]


def steps(values, pitch):
    """The gaps between neighbouring runs of values, runs merged within 1."""
    runs = []
    for v in sorted(set(values)):
        if runs and v - runs[-1][-1] <= 1:
            runs[-1].append(v)
        else:
            runs.append([v])
    centres = [sum(r) / len(r) for r in runs]
    return [b - a for a, b in zip(centres, centres[1:])]


def main():
    if len(sys.argv) != 10:
        sys.exit(__doc__)
    w, h, before = ppm(sys.argv[1])
    w2, h2, after = ppm(sys.argv[2])
    if (w, h) != (w2, h2):
        sys.exit("screenshots differ in size")
    ox, oy, left, top, right, bottom = (int(a) for a in sys.argv[3:9])
    pitch = float(sys.argv[9])
    dots = []
    # A margin of two pixels keeps the area's border out.
    for y in range(oy + top + 2, min(h, oy + bottom - 2)):
        row = y * w * 3
        for x in range(ox + left + 2, min(w, ox + right - 2)):
            i = row + 3 * x
            if after[i:i + 3] == b"\xff\xff\xff" and before[i:i + 3] != b"\xff\xff\xff":
                dots.append((x, y))
    cols = int((right - left - 4) / pitch)
    rows = int((bottom - top - 4) / pitch)
    xs = steps([x for x, _ in dots], pitch)
    ys = steps([y for _, y in dots], pitch)
    bad = [s for s in xs + ys if abs(s - pitch) > 1.5]
    print("dots %d expected about %d x %d, pitch %.2f, x gaps %s, y gaps %s" %
          (len(dots), cols, rows, pitch, sorted(set(round(s) for s in xs)), sorted(set(round(s) for s in ys))))
    # A grid drawn over a finer one shows only its dots between the finer
    # one's (about three in four); each dot is one pixel.
    want = cols * rows
    if not dots or bad or len(dots) < 0.5 * want or len(dots) > 1.3 * (cols + 1) * (rows + 1):
        print("no grid of that pitch")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
