#!/usr/bin/env bash
# Outside check of the GDSII writer: the native engine writes the fixture
# hierarchy, then klayout and gdspy read the file and compare it with the
# TLC drawing flattened on their side.
#   gds_outside.sh <gdsout_write program> <fixture folder>
set -u
writer="$1"
fixture="$2"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d /tmp/gdsoutside.XXXXXX)"
trap 'rm -rf "$work"' EXIT
cp "$fixture"/* "$work/"
cd "$work" || exit 1

# Texts of sizes 1 and 2 um, fonts 0 and 1.
"$writer" "$work/TOP.tlc" ctx=Y wtx=Y font0=1 font6=2 || { echo "FAIL: writer"; cat GdsOut.log; exit 1; }
[ -s TOP.gds ] || { echo "FAIL: no TOP.gds"; exit 1; }
[ -s GdsWrite.txt ] || { echo "FAIL: no listing"; exit 1; }

status=0
timeout 120 klayout -b -r "$here/gds_klayout.py" -rd gds="$work/TOP.gds" -rd tlc="$work" -rd top=TOP \
  -rd ratio=2 -rd mpw=2 -rd lib="$here" || status=1
timeout 120 /usr/bin/python3 "$here/gds_gdspy.py" "$work/TOP.gds" "$work" TOP 2 2 || status=1

# The same drawing with the protocol checks, every question answered OK:
# open polygons become closed boundaries, segments and crushed boxes go.
mkdir protocol && cp TOP.tlc SUB.tlc LEAF.tlc TOP.ldm protocol/ && cd protocol || exit 1
"$writer" "$work/protocol/TOP.tlc" ctx=Y mpp=Y font0=1 font6=2 2>protocol.msg || { echo "FAIL: writer"; exit 1; }
grep -q "Open Poly at" protocol.msg || { echo "FAIL: no open-polygon question"; cat protocol.msg; status=1; }
grep -q "Open Poly Closed at X=0 Y=-2 L=2 in TOP" GdsOut.log || { echo "FAIL: closing not logged"; status=1; }
timeout 120 klayout -b -r "$here/gds_klayout.py" -rd gds="$work/protocol/TOP.gds" -rd tlc="$work/protocol" \
  -rd top=TOP -rd ratio=2 -rd mpw=2 -rd protocol=Y -rd lib="$here" || status=1
timeout 120 /usr/bin/python3 "$here/gds_gdspy.py" "$work/protocol/TOP.gds" "$work/protocol" TOP 2 2 Y || status=1

# The sample drawing's top cell, with a map made on the way (every layer as
# itself, datatype 0).
sample="$(cd "$here/../../../.." && pwd)/samples/demo"
mkdir "$work/sample" && cp "$sample"/* "$work/sample/" && cd "$work/sample" || exit 1
"$writer" "$work/sample/TOP.tlc" ctx=Y 2>sample.msg || { echo "FAIL: writer on the sample"; cat sample.msg; exit 1; }
timeout 120 klayout -b -r "$here/gds_klayout.py" -rd gds="$work/sample/TOP.gds" -rd tlc="$work/sample" \
  -rd top=TOP -rd ratio=1 -rd mpw=2 -rd lib="$here" || status=1
timeout 120 /usr/bin/python3 "$here/gds_gdspy.py" "$work/sample/TOP.gds" "$work/sample" TOP 1 2 || status=1
exit $status
