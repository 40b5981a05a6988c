#!/usr/bin/env bash
# Outside check of the GDSII reader: libraries written by klayout and by
# gdspy are read by the native engine; the cells are written again by our
# GDSII writer, and klayout compares that stream with the original (XOR per
# layer, texts). Then the sample drawing goes TLC -> GDSII -> TLC and must
# give the same objects.
#   gdsin_outside.sh <gdsin_read> <gdsout_write> <source folder>
set -u
reader="$1"
writer="$2"
src="$3"
here="$src/tests/unit/converters/outside"
fixture="$src/tests/fixtures/converters/gdsin"
work="$(mktemp -d /tmp/gdsinoutside.XXXXXX)"
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
status=0

# Cell files get the upper-case names the writer asks for (Linux is not
# blind to case as the programs' own system is).
upper_names() {
  local f u
  for f in "$1"/*.tlc; do
    u="$1/$(basename "$f" .tlc | tr a-z A-Z).tlc"
    [ "$f" = "$u" ] || mv "$f" "$u"
  done
}

roundtrip() { # name: <name>.gds was made; read, write, compare
  local n="$1"
  cp "$fixture/Top.ldm" "$n.ldm"
  "$reader" "$n.gds" cbb=Y ctx=Y mlf=Y >"$n.read.out" 2>&1 || { echo "FAIL: reader on $n"; cat "$n.read.out"; return 1; }
  local out
  out=$(ls -d ./*_files | grep -i "/${n}_files") || { echo "FAIL: no output folder for $n"; return 1; }
  upper_names "$out"
  "$writer" "$out/TOP.tlc" ldf="$work/$n.ldm" ctx=Y gfn="$work/$n.rt.gds" >"$n.write.out" 2>&1 ||
    { echo "FAIL: writer on $n"; cat "$n.write.out"; return 1; }
  timeout 120 klayout -b -r "$here/gdsin_xor.py" -rd a="$work/$n.gds" -rd b="$work/$n.rt.gds" -rd top=TOP
}

timeout 120 /usr/bin/python3 "$fixture/make_gdspy.py" "$work/gdspy.gds" || { echo "FAIL: gdspy"; exit 1; }
roundtrip gdspy || status=1
timeout 120 klayout -b -r "$fixture/make_klayout.py" -rd out="$work/klayout.gds" || { echo "FAIL: klayout"; exit 1; }
roundtrip klayout || status=1

# The sample drawing through our writer and back.
mkdir sample && cp "$src"/samples/demo/*.tlc sample/ && cd sample || exit 1
{
  echo "*LDM built from TOP.tlc"
  echo "*gdslayer,datatype,tlclayer"
  for n in $(seq 1 64); do echo "$n,0,$n"; done
} >TOP.ldm
# Text rows that carry the sample's four text sizes both ways.
"$writer" "$work/sample/TOP.tlc" ctx=Y font0=1 font6=0.795 font12=0.6 font18=0.405 >write.out 2>&1 || { echo "FAIL: writer on the sample"; cat write.out; exit 1; }
"$reader" TOP.gds ldf=TOP.ldm cbb=Y ctx=Y font0=1 font6=0.795 font12=0.6 font18=0.405 >read.out 2>&1 || { echo "FAIL: reader on the sample"; cat read.out; exit 1; }
cells=$(ls ./*.tlc | xargs -n1 basename | sed 's/\.tlc$//')
/usr/bin/python3 "$here/tlc_same.py" . ./Top_files $cells || status=1
exit $status
