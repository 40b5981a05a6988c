#!/usr/bin/env bash
# Outside check of the GDS-I reader: the fixture writer's file is read by
# ours; klayout builds the same cells from the writer's description and its
# GDSII, flattened, is XOR-empty against our cells flattened on their own.
#   gdsi_outside.sh <gdsiread7> <source folder>
set -u
reader="$1"
src="$2"
here="$src/tests/unit/converters/outside"
work="$(mktemp -d /tmp/gdsioutside.XXXXXX)"
trap 'rm -rf "$work"' EXIT
python3 "$here/gdsi_make.py" "$work/CALMA.TXT" || { echo "FAIL: GDS-I writer"; exit 1; }
"$reader" "$work/CALMA.TXT" </dev/null >"$work/read.out" 2>&1 || { echo "FAIL: reader"; cat "$work/read.out"; exit 1; }
grep -q "^2 Cells Created$" "$work/read.out" || { echo "FAIL: cell count"; cat "$work/read.out"; exit 1; }
timeout 120 klayout -b -r "$here/gdsi_klayout.py" -rd desc="$work/CALMA.TXT.json" -rd tlc="$work" \
  -rd gds="$work/kl.gds" -rd top=TOP -rd lib="$here"
