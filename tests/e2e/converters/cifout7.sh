#!/usr/bin/env bash
# CIFOUT7.EXE under Wine: Go is refused before Setup and Layers; after them
# it writes the CIF file and reports its byte count, the bytes equal to the
# native engine's; a confirmed Cancel ends the run as aborted.
#   cifout7.sh <case> <native cifout_write>
source "$(dirname "$0")/../harness.sh"

case_name="${1:?case}"
native="${2:?native writer}"
dir=$(work_folder "cifout7_$case_name")
cp "$QUIL_SOURCE"/tests/fixtures/converters/gdsout/* "$dir/"
cd "$dir" || fail "no work folder"
# The layer file is by default the CIF file itself.
for n in 1 2 3 4 5 6 7; do echo "(LAYER $n CIF= L$n);"; done >TOP.cif

gone() {
  local n=0
  while robot dialog-text "$1" >/dev/null 2>&1; do
    [ $n -ge 50 ] && fail "dialog '$1' stays open"
    sleep 0.1
    n=$((n + 1))
  done
}

case "$case_name" in
dialogs)
  quil_start CIFOUT7.EXE
  pid=$QUIL_LAST_PID
  robot_wait 180 wait-class CifOut7 >/dev/null || fail "CifOut window did not appear"
  robot command CifOut7 14 >/dev/null || fail "Go not posted"
  robot_wait 120 wait-dialog "Error ..." >/dev/null || fail "Go was not refused"
  robot dialog-text "Error ..." | grep -q "??? ... Please do Setup first and then Layers" || fail "wrong refusal"
  robot press "Error ..." OK >/dev/null
  dialog_gone "Error ..." 60 || fail "the refusal stays after OK"
  [ -s TOP.cif ] && grep -q "DS#" TOP.cif && fail "a CIF file was written"
  robot command CifOut7 12 >/dev/null
  robot wait-dialog "Conversion Setup" 30000 >/dev/null || fail "no SETUP dialog"
  robot set-text "Conversion Setup" 100 TOP.tlc >/dev/null || fail "file name not set"
  robot press "Conversion Setup" OK >/dev/null
  gone "Conversion Setup"
  robot command CifOut7 13 >/dev/null
  layers=$(robot wait-dialog "Layer Table 1" 30000) || fail "no LAYERS dialog"
  echo "$layers" | grep -q "met1   1" || fail "layer table: $layers"
  robot press "Layer Table 1" OK >/dev/null
  gone "Layer Table 1"
  cp TOP.cif layers.cif
  robot command CifOut7 14 >/dev/null
  text=$(robot wait-dialog CifOut 60000) || fail "no closing message"
  echo "$text"
  size=$(stat -c %s TOP.cif)
  echo "$text" | grep -q "Completed ... $size Bytes in CIF File" || fail "closing message: $text (file $size)"
  robot press CifOut OK >/dev/null
  gone CifOut
  robot close CifOut7 >/dev/null
  wait_gone "$pid" 20 || fail "CifOut did not close"
  grep -q "TLC to CIF Conversion Log" CifOut.log || fail "log header missing"
  # The native engine on a copy: the same bytes after the dated first line.
  mkdir native && cp TOP.tlc SUB.tlc LEAF.tlc native/ && cp layers.cif native/TOP.cif
  (cd native && "$native" TOP.tlc >/dev/null 2>&1) || fail "native writer failed"
  cmp <(tail -n +2 TOP.cif) <(tail -n +2 native/TOP.cif) || fail "Wine and native CIF files differ"
  ;;
abort)
  # A main cell of 300 leaf cells keeps the run going (each cell pauses)
  # long enough for the Cancel to land mid-run.
  for i in $(seq 1 300); do sed "s/^LEAF\$/L$i/" LEAF.tlc >"L$i.tlc"; done
  {
    sed -n '1,/<\/H>/p' TOP.tlc | sed 's/^TOP$/WIDE/'
    for i in $(seq 1 300); do printf '<C>\nL%d\n0 %d 0 0\n</C>\n' "$i" $((i * 100)); done
    printf '</TLC>\n'
  } >WIDE.tlc
  cp TOP.cif WIDE.cif
  quil_start CIFOUT7.EXE WIDE.tlc
  pid=$QUIL_LAST_PID
  robot_wait 180 wait-class CifOut7 >/dev/null || fail "CifOut window did not appear"
  robot command CifOut7 14 >/dev/null || fail "Go not posted"
  robot press "Creating WIDE.cif" Cancel 20000 >/dev/null || fail "no progress dialog"
  q=$(robot wait-dialog CifOut 10000) || fail "no abort question"
  echo "$q" | grep -q "Aborting Conversion ... OK?" || fail "question: $q"
  robot press CifOut Yes >/dev/null
  n=0
  while robot dialog-text CifOut 2>/dev/null | grep -q "Aborting"; do
    n=$((n + 1)); [ $n -lt 50 ] || fail "question stays"; sleep 0.1
  done
  text=$(robot wait-dialog CifOut 30000) || fail "no closing message"
  echo "$text" | grep -q "Aborted ... Files may be Incomplete" || fail "closing message: $text"
  robot press CifOut OK >/dev/null
  wait_gone "$pid" 20 || fail "CifOut did not close after its command-line run"
  grep -q "DS#" WIDE.cif && fail "an aborted run replaced the CIF file"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
note "ok: $case_name"
