#!/usr/bin/env bash
# Outside checks of the DXF reader. A drawing ezdxf writes (Release 12) is
# read by the native engine and every figure must come out where the
# script computes it. Then klayout's strm2dxf turns a GDSII fixture into
# DXF; our reader makes cells of it, our GDSII writer writes them again, and
# klayout compares that stream with the original (XOR per layer, texts).
#   dxfin_outside.sh <dxfin_read> <gdsout_write> <source folder>
set -u
reader="$1"
writer="$2"
src="$3"
here="$src/tests/unit/converters/outside"
work="$(mktemp -d /tmp/dxfinoutside.XXXXXX)"
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
status=0

# The cell folder as the tidied path names it.
cellfolder() { ls -d ./* | grep -i -x "./$1"; }

# ezdxf's drawing.
mkdir ez && cd ez || exit 1
timeout 120 /usr/bin/python3 "$here/dxfin_ezdxf.py" make EZ.dxf || { echo "FAIL: ezdxf"; exit 1; }
"$reader" EZ.dxf tph=out lsu=10 seg=15 agd=CCW map:M1=1 map:M2=2 'map:*=3' >read.out 2>&1 ||
  { echo "FAIL: reader on the ezdxf drawing"; cat read.out; exit 1; }
/usr/bin/python3 "$here/dxfin_ezdxf.py" check EZ.dxf "$(cellfolder out)" EZ || status=1
cd "$work" || exit 1

# klayout's DXF of the GDSII fixture, back to GDSII.
tools="${KLAYOUT_TOOLS:-/usr/lib/klayout}"
fixture="$src/tests/fixtures/converters/gdsin/Top.gds"
if ! LD_LIBRARY_PATH="$tools" timeout 120 "$tools/strm2dxf" "$fixture" top.dxf >/dev/null 2>&1; then
  # Where strm2dxf can't start, klayout's batch mode writes the same DXF.
  printf 'import pya\nly = pya.Layout()\nly.read(src)\no = pya.SaveLayoutOptions()\no.format = "DXF"\nly.write(out, o)\n' >todxf.py
  timeout 120 klayout -b -r todxf.py -rd src="$fixture" -rd out="$work/top.dxf" || { echo "FAIL: klayout DXF"; exit 1; }
fi
# Each klayout layer "L<l>D<d>" becomes TLC layer n, and back.
maps=$(awk 'NR%2==1{c=$1} NR%2==0{sub(/\r$/, ""); if (c=="2" && $0 ~ /^L[0-9]+D[0-9]+$/) print $0}' top.dxf |
  sort -u | awk '{n++; printf "map:%s=%d ", $0, n}')
{
  echo "*LDM built from top.dxf"
  echo "*gdslayer,datatype,tlclayer"
  echo "$maps" | tr ' ' '\n' | sed -n 's/^map:L\([0-9]*\)D\([0-9]*\)=\([0-9]*\)$/\1,\2,\3/p'
} >rt.ldm
# shellcheck disable=SC2086
"$reader" top.dxf tph=cells lsu=1000 ctx=Y $maps >read.out 2>&1 ||
  { echo "FAIL: reader on klayout's DXF"; cat read.out; exit 1; }
out="$(cellfolder cells)"
for f in "$out"/*.tlc; do
  u="$out/$(basename "$f" .tlc | tr a-z A-Z).tlc"
  [ "$f" = "$u" ] || mv "$f" "$u"
done
"$writer" "$work/$out/TOP.tlc" ldf="$work/rt.ldm" ctx=Y gfn="$work/rt.gds" >write.out 2>&1 ||
  { echo "FAIL: GDSII writer"; cat write.out; exit 1; }
# klayout writes round path ends as their outline: compared as they are.
timeout 120 klayout -b -r "$here/gdsin_xor.py" -rd a="$fixture" -rd b="$work/rt.gds" -rd top=TOP -rd square=0 ||
  status=1
exit $status
