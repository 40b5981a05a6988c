#!/usr/bin/env bash
# Outside check of the 3D view builder: for several pairs of angles the
# native run's result (written to GDSII by our writer) is read by klayout and
# compared per layer with an independent projection of the source.
#   q3d_outside.sh <q3drun> <gdsout_write>
set -u
q3drun="$1"
writer="$2"
here="$(cd "$(dirname "$0")" && pwd)"
src="$(cd "$here/../../.." && pwd)"
work="$(mktemp -d /tmp/q3doutside.XXXXXX)"
trap 'rm -rf "$work"' EXIT
command -v klayout >/dev/null || { echo "FAIL: klayout is not installed"; exit 1; }
status=0
for angles in "0 0" "45 60" "30 50" "-20 75" "120 10"; do
  set -- $angles
  dir="$work/z$1-x$2"
  /usr/bin/python3 "$src/tests/fixtures/quil3d/make_fixture.py" "$dir"
  "$q3drun" "$dir" sfn=FLAT stp=10 aa1=$1 aa2=$2 l0=1 l1=0 l2=2 >"$dir/run.txt" ||
    { echo "FAIL: q3drun $1 $2: $(cat "$dir/run.txt")"; status=1; continue; }
  # The writer names files in capitals, as the drawing's list does.
  res=$(ls "$dir" | grep -i '^flat_3d\.tlc$')
  [ "$res" = FLAT_3D.tlc ] || mv "$dir/$res" "$dir/FLAT_3D.tlc"
  (cd "$dir" && "$writer" "$dir/FLAT_3D.tlc" ctx=Y >writer.txt 2>&1) || { echo "FAIL: writer $1 $2: $(cat "$dir/writer.txt")"; status=1; continue; }
  gds=$(ls "$dir" | grep -i '^flat_3d\.gds$')
  [ -n "$gds" ] || { echo "FAIL: no GDSII file: $(ls "$dir")"; status=1; continue; }
  out=$(timeout 120 klayout -b -r "$here/q3d_klayout.py" -rd drawing="$dir" -rd lib="$src/tests/unit/converters/outside" \
    -rd gds="$dir/$gds" -rd z=$1 -rd x=$2 -rd stp=10 -rd layers=1,0,2 2>&1) || status=1
  printf '%s\n' "$out"
done
exit $status
