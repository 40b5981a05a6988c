#!/usr/bin/env bash
# Outside check of the layer-logic engine: for AND, OR, XOR and A NOT B, with
# boxes, with Convert to Poly and with Reduce Vertices, the native run's
# result (written to GDSII by our writer) against klayout's Booleans of the
# same drawing flattened independently.
#   ll_outside.sh <llrun> <gdsout_write>
set -u
llrun="$1"
writer="$2"
here="$(cd "$(dirname "$0")" && pwd)"
src="$(cd "$here/../../.." && pwd)"
work="$(mktemp -d /tmp/lloutside.XXXXXX)"
trap 'rm -rf "$work"' EXIT
command -v klayout >/dev/null || { echo "FAIL: klayout is not installed"; exit 1; }
status=0
# The boundary leaves part of the drawing outside, on the map grid.
bounds=(bl=-1 bb=-0.5 br=15 bt=9.5)
box="-1000,-500,15000,9500"
for fixture in rect full; do
  for mode in boxes poly reduce; do
    cases=""
    for op in 0 1 2 3; do
      dir="$work/$fixture-$mode-$op"
      if [ "$fixture" = rect ]; then
        /usr/bin/python3 "$src/tests/fixtures/layerlogic/make_fixture.py" "$dir" --rect
        res=0.05 exact=Y
      else
        /usr/bin/python3 "$src/tests/fixtures/layerlogic/make_fixture.py" "$dir"
        res=0.01 exact=N
      fi
      flags=(log=$((op == 3 ? 0 : op)) notb=$([ "$op" = 3 ] && echo Y || echo N))
      case "$mode" in
        poly) flags+=(poly=Y) ;;
        reduce) flags+=(poly=Y vxr=Y pres=$res); exact=N ;;
      esac
      "$llrun" "$dir" cln=TOP tlc=RES res=$res "${bounds[@]}" "${flags[@]}" >"$dir/run.txt" ||
        { echo "FAIL: llrun $fixture $mode $op: $(cat "$dir/run.txt")"; status=1; continue; }
      mv "$dir/Res.tlc" "$dir/RES.tlc" 2>/dev/null
      (cd "$dir" && "$writer" "$dir/RES.tlc" >writer.txt 2>&1) || { echo "FAIL: writer $fixture $mode $op"; status=1; continue; }
      cases="$cases${cases:+,}$op:$dir/RES.gds"
    done
    m=$(awk -v r=$res 'BEGIN { print int(r * 1000 + 0.5) }')
    out=$(timeout 120 klayout -b -r "$here/ll_klayout.py" -rd drawing="$work/$fixture-$mode-0" \
      -rd lib="$src/tests/unit/converters/outside" -rd m=$m -rd box="$box" -rd exact=$exact -rd cases="$cases" 2>&1) ||
      status=1
    printf '%s\n' "$out" | sed "s/^/$fixture $mode: /"
  done
done
exit $status
