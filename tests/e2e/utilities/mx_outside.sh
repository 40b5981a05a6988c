#!/usr/bin/env bash
# Outside check of the matrix router: a cell of device cells wired on its own
# is compiled by our extractor into its node list; the same placements
# without the wiring are routed from that list and the routed cell compiled
# again (the connector-end cell's via, copied into the routed cell at every
# end, joining the two bus layers; node labels on a layer the extractor does
# not read as node names, so that only geometry joins). Each net of the
# input block must be one node of the routed block with exactly its pins, and
# no node may hold pins of two input nets. Horizontal and vertical buses,
# paths and boxes, compaction and Extend with Step.
#   mx_outside.sh <mxrun> <cktnod>
set -u
mxrun="$1"
cktnod="$2"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d /tmp/mxoutside.XXXXXX)"
trap 'rm -rf "$work"' EXIT
status=0
ckt=(nnl=10 col=11 dvl=12 con0_0=21 con1_0=20 ins0=22 paf=mx.paf)
route=(cln=ORIG cfn=ROUTED nfn=WIRED.nod cec=END nbl=20 cbl=21 ntl=30 ctl=11 dtl=12 igs=Y sce=Y)

# The nets of a node-list block as sorted pin lists, one a line.
nets() {
  awk -v blk="[$2]" '$0 == blk {on = 1; next} on && $0 == "::" {on = 0}
    on && /:/ && $0 !~ /^ / {if (n != "") print n; n = ""; next}
    on && /^ / {for (i = 1; i <= NF; i++) n = n " " $i}
    END {if (n != "") print n}' "$1" | tr -d '\r' |
    while read -r line; do printf '%s\n' $line | sort | tr '\n' ' '; echo; done | sed 's/ $//' | sort
}

for c in "row paths" "row boxes box=Y path=N" "row compact npk=Y" "row extend exb=Y stp=Y" \
         "column paths hor=N vrt=Y pos=N neg=Y" "column boxes hor=N vrt=Y pos=N neg=Y box=Y path=N npk=Y"; do
  set -- $c
  layout=$1 name="$1 $2"
  shift 2
  base=bxy=48
  [ "$layout" = column ] && base=bxy=-48
  dir="$work/${name// /_}"
  /usr/bin/python3 "$here/mx_outside_make.py" "$dir" "$layout"
  printf 'DEV=<DEVX>\n' >"$dir/mx.paf"
  "$cktnod" "$dir" WIRED "${ckt[@]}" >"$dir/ckt1.txt" 2>&1 || { echo "FAIL: $name: compile of WIRED: $(tail -3 "$dir/ckt1.txt")"; status=1; continue; }
  "$mxrun" "$dir" "${route[@]}" "$base" "$@" >"$dir/route.txt" 2>&1 || { echo "FAIL: $name: route: $(cat "$dir/route.txt")"; status=1; continue; }
  res=$(ls "$dir" | grep -i '^routed\.tlc$')
  [ "$res" = ROUTED.tlc ] || mv "$dir/$res" "$dir/ROUTED.tlc"
  printf '%s\n' "$(head -1 "$dir/QUIL7.CRF" | awk '{print $1 + 1}')" >"$dir/crf.new"
  tail -n +2 "$dir/QUIL7.CRF" >>"$dir/crf.new"
  # The routed cell's entry from its own header: rank, extent and counts.
  hdr=$(awk '/^<H>/ {h = 1; n = 0; next} h {n++; if (n == 8) r = $0; if (n == 9) {print r " " $0; exit}}' "$dir/ROUTED.tlc")
  printf 'ROUTED\n%s\n' "$hdr" >>"$dir/crf.new"
  mv "$dir/crf.new" "$dir/QUIL7.CRF"
  "$cktnod" "$dir" ROUTED "${ckt[@]}" >"$dir/ckt2.txt" 2>&1 || { echo "FAIL: $name: compile of ROUTED: $(tail -3 "$dir/ckt2.txt")"; status=1; continue; }
  want=$(nets "$dir/WIRED.nod" WIRED)
  got=$(nets "$dir/ROUTED.nod" ROUTED)
  if [ -z "$want" ] || [ "$want" != "$got" ]; then
    echo "FAIL: $name: nets differ"
    diff <(printf '%s\n' "$want") <(printf '%s\n' "$got") | head -20
    status=1
  else
    echo "ok $name: $(printf '%s\n' "$want" | wc -l) nets, each one node with exactly its pins"
  fi
done
exit $status
