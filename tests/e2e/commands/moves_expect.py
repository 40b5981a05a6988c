#!/usr/bin/env python3
# The cell the moves case of quil7_cmd.sh should have saved, computed from
# the cell saved before the edits, and compared with what it did save. Both
# are read with the project's independent TLC reader.
#   moves_expect.py <original folder> <saved folder> <cell> <stage>
# stage "moved": box 1 moved by (1000, 1000); box 2's top edge down by 1000
# and then the whole box right by 1000; a copy of box 3 at +3000 x; then
# everything shifted by (-1000, -1000) (Orig 1 1).
# stage "deleted": the moved cell without box 3 and its copy.
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../unit/converters/outside"))
import tlcflat  # noqa: E402

orig_dir, saved_dir, cell, stage = sys.argv[1:5]
orig = tlcflat.read_cell(orig_dir, cell)
saved = tlcflat.read_cell(saved_dir, cell)

b1, b2, b3 = orig["boxes"][:3]
boxes = [
    (b1[0], b1[1] + 1000, b1[2] + 1000, b1[3] + 1000, b1[4] + 1000),
    (b2[0], b2[1] + 1000, b2[2], b2[3] + 1000, b2[4] - 1000),
    b3,
    (b3[0], b3[1] + 3000, b3[2], b3[3] + 3000, b3[4]),
]
if stage == "deleted":
    boxes = boxes[:2]
boxes = [(l, x1 - 1000, y1 - 1000, x2 - 1000, y2 - 1000) for (l, x1, y1, x2, y2) in boxes]
paths = [(l, w, [(x - 1000, y - 1000) for x, y in pts]) for (l, w, pts) in orig["paths"]]

want = {"boxes": sorted(boxes), "paths": sorted(paths)}
got = {"boxes": sorted(saved["boxes"]), "paths": sorted(saved["paths"])}
if want != got:
    print("FAIL %s\n  want %s\n  got  %s" % (stage, want, got))
    sys.exit(1)
print("PASS %s" % stage)
