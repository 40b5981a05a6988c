#!/usr/bin/env bash
# Outside checks of Import and Export: the fixture drawing (three levels,
# all eight orientations, wide paths of both end styles, polygons, texts, an
# instance with its outline flag) exported and imported into a new empty
# drawing gives the same cells (tlc_same.py), and both top cells, written
# by our GDSII writer, are XOR-empty in klayout. Once through one TLD file,
# once through TLC files, and once through TLC files of the old form.
#   impexp_outside.sh <impexp_run> <gdsout_write> <source folder>
set -u
run="$1"
gdswriter="$2"
src="$3"
here="$src/tests/unit/converters/outside"
work="$(mktemp -d /tmp/impexpoutside.XXXXXX)"
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
status=0
mkdir drawing
cp "$src"/tests/fixtures/converters/gdsout/{*.tlc,QUIL7.CRF,QUIL7.USF} drawing/
# One instance shows its outline: the flag must survive both ways.
sed -i '0,/^0 37 0 0$/s//0 37 0 1/' drawing/TOP.tlc
grep -q '^0 37 0 1$' drawing/TOP.tlc || { echo "FAIL: fixture"; exit 1; }

check() {  # <label> <folder>
  local label="$1" dir="$2"
  python3 "$here/tlc_same.py" drawing "$dir" TOP SUB LEAF || { echo "FAIL $label: cells differ"; status=1; }
  grep -q '^0 37 0 1$' "$dir/TOP.tlc" || { echo "FAIL $label: outline flag lost"; status=1; }
  for c in TOP SUB LEAF; do
    grep -q "^$c$" "$dir/QUIL7.CRF" || { echo "FAIL $label: $c not listed"; status=1; }
  done
  cp drawing/QUIL7.USF "$dir/" 2>/dev/null
  (cd drawing && "$gdswriter" "$work/drawing/TOP.tlc" ctx=Y gfn="$work/$label.a.gds" >/dev/null 2>&1) ||
    { echo "FAIL $label: GDSII writer on the source"; status=1; return; }
  (cd "$dir" && "$gdswriter" "$work/$dir/TOP.tlc" ctx=Y gfn="$work/$label.b.gds" >/dev/null 2>&1) ||
    { echo "FAIL $label: GDSII writer on the import"; status=1; return; }
  timeout 120 klayout -b -r "$src/tests/unit/editor/outside/gds_same.py" -rd a="$work/$label.a.gds" -rd b="$work/$label.b.gds" -rd top=TOP ||
    { echo "FAIL $label: XOR"; status=1; }
}

fresh() { mkdir "$1" && echo 0 >"$1/QUIL7.CRF"; }

# One TLD file of the whole drawing.
"$run" export drawing/ tld/ ALL tld 2>tld.msg || { echo "FAIL: TLD export"; cat tld.msg; exit 1; }
grep -q '^<R>$' tld/ALL.tld || { echo "FAIL: no cell list in the TLD file"; status=1; }
fresh viatld
"$run" import tld/ viatld/ ALL tld 2>tldin.msg || { echo "FAIL: TLD import"; cat tldin.msg; exit 1; }
check tld viatld

# TLC files of the top cell and everything below it.
"$run" export drawing/ tlc/ TOP tlc 2>tlc.msg || { echo "FAIL: TLC export"; cat tlc.msg; exit 1; }
fresh viatlc
"$run" import tlc/ viatlc/ '*' tlc 2>tlcin.msg || { echo "FAIL: TLC import"; cat tlcin.msg; exit 1; }
check tlc viatlc

# The same in the old record form.
"$run" export drawing/ old/ TOP tlc old 2>old.msg || { echo "FAIL: old-form export"; cat old.msg; exit 1; }
grep -q '^=H$' old/TOP.tlc || { echo "FAIL: not the old form"; status=1; }
fresh viaold
"$run" import old/ viaold/ '*' tlc 2>oldin.msg || { echo "FAIL: old-form import"; cat oldin.msg; exit 1; }
check old viaold
[ $status -eq 0 ] && echo PASS
exit $status
