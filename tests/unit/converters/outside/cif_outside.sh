#!/usr/bin/env bash
# Outside checks of the CIF converters.
# 1. Our writer: the fixture hierarchy goes to CIF (grid .01), klayout reads
#    it with its defaults and compares it with the TLC drawing flattened on
#    its side (shapes per layer, texts, references).
# 2. Our reader: klayout writes CIF of a hierarchy it built; the native
#    engine turns it into cells, our GDSII writer writes them, and klayout
#    compares that stream with the original (XOR per layer, texts).
#   cif_outside.sh <cifout_write> <cifin_read> <gdsout_write> <source folder>
set -u
writer="$1"
reader="$2"
gdswriter="$3"
src="$4"
here="$src/tests/unit/converters/outside"
work="$(mktemp -d /tmp/cifoutside.XXXXXX)"
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
status=0

# 1. Layer n is the CIF layer "Ln", the layer klayout reads as n.
mkdir out && cp "$src"/tests/fixtures/converters/gdsout/*.tlc out/ && cd out || exit 1
for n in 1 2 3 4 5 6 7; do echo "(LAYER $n CIF= L$n);"; done >layers.cif
"$writer" "$work/out/TOP.tlc" lfn=layers.cif "tmp=94 <text> <x> <y>" >write.out 2>&1 ||
  { echo "FAIL: CIF writer"; cat write.out; exit 1; }
# Scale 500 at grid .01: each database unit is 2 CIF units over 10, that is
# 2 of klayout's nanometres; open polygons become paths 2 units wide.
timeout 120 klayout -b -r "$here/cif_klayout.py" -rd cif="$work/out/TOP.cif" -rd tlc="$work/out" -rd top=TOP \
  -rd ratio=2 -rd mpw=4 -rd lib="$here" || status=1

# 2. klayout's CIF read by ours.
cd "$work" || exit 1
timeout 120 klayout -b -r "$here/cif_make_klayout.py" -rd out="$work/kl" >/dev/null || { echo "FAIL: klayout"; exit 1; }
printf '(LAYER 1 CIF= L1D0);\n(LAYER 10 CIF= L10D0);\n(LAYER 11 CIF= L10D1);\n' >kl_layers.cif
# CIF polygons close by themselves: "Close Open Poly".
"$reader" kl.cif lfn=kl_layers.cif cop=Y "tmp=94 <text> <x> <y>" 'tfp=.\Kl_out\' >read.out 2>&1 ||
  { echo "FAIL: CIF reader"; cat read.out; exit 1; }
grep -q "Completed ... 3 TLC Files Made" read.out || { echo "FAIL: reader message"; cat read.out; status=1; }
# Cell files get the upper-case names the writer asks for (Linux is not
# blind to case as the programs' own system is).
for f in Kl_out/*.tlc; do
  u="Kl_out/$(basename "$f" .tlc | tr a-z A-Z).tlc"
  [ "$f" = "$u" ] || mv "$f" "$u"
done
printf '1,0,1\n10,0,10\n10,1,11\n64,0,64\n' >kl.ldm
"$gdswriter" "$work/Kl_out/TOP.tlc" ldf="$work/kl.ldm" csu=100 ctx=Y gfn="$work/kl.rt.gds" >gds.out 2>&1 ||
  { echo "FAIL: GDSII writer"; cat gds.out; exit 1; }
timeout 120 klayout -b -r "$here/cif_xor.py" -rd a="$work/kl.gds" -rd b="$work/kl.rt.gds" -rd top=TOP || status=1
exit $status
