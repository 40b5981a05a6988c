#!/usr/bin/env bash
# DXFOUT7.EXE under Wine: Go is refused before Setup and Layers; after them
# it writes the DXF file and reports its byte count, the bytes equal to the
# native engine's; a confirmed Cancel ends the run as aborted.
#   dxfout7.sh <case> <native dxfout_write>
source "$(dirname "$0")/../harness.sh"

case_name="${1:?case}"
native="${2:?native writer}"
dir=$(work_folder "dxfout7_$case_name")
cp "$QUIL_SOURCE"/tests/fixtures/converters/gdsout/* "$dir/"
cd "$dir" || fail "no work folder"

# The closing message of a run, every geometry question on the way answered
# OK (the native writer answers alike); prints it.
closing() {
  local start=$SECONDS q text
  while [ $((SECONDS - start)) -lt 120 ]; do
    if q=$(robot dialog-text "Warning ..." 2>/dev/null); then
      echo "$q" | grep -q "or Cancel Conversion?" || fail "question: $q"
      # The next question may follow at once under the same caption.
      robot press "Warning ..." OK >/dev/null
      sleep 0.3
      continue
    fi
    if text=$(robot dialog-text DxfOut 2>/dev/null) && echo "$text" | grep -q -E "Completed|Aborted"; then
      printf '%s\n' "$text"
      return 0
    fi
    sleep 0.3
  done
  return 1
}

case "$case_name" in
dialogs)
  quil_start DXFOUT7.EXE
  pid=$QUIL_LAST_PID
  robot_wait 180 wait-class DxfOut7 >/dev/null || fail "DxfOut window did not appear"
  robot command DxfOut7 14 >/dev/null || fail "Go not posted"
  robot_wait 120 wait-dialog "Error ..." >/dev/null || fail "Go was not refused"
  robot dialog-text "Error ..." | grep -q "??? ... Please do Setup first and then Layers" || fail "wrong refusal"
  robot press "Error ..." OK >/dev/null
  dialog_gone "Error ..." 60 || fail "the refusal stays after OK"
  [ -e TOP.dxf ] && fail "a DXF file was written"
  robot command DxfOut7 12 >/dev/null
  robot wait-dialog "Conversion Setup" 30000 >/dev/null || fail "no SETUP dialog"
  robot set-text "Conversion Setup" 100 TOP.tlc >/dev/null || fail "file name not set"
  robot press "Conversion Setup" OK >/dev/null
  dialog_gone "Conversion Setup" 60 || fail "SETUP stays"
  robot command DxfOut7 13 >/dev/null
  layers=$(robot wait-dialog "Layer Table 1" 30000) || fail "no LAYERS dialog"
  echo "$layers" | grep -q "met1     1" || fail "layer table: $layers"
  robot press "Layer Table 1" OK >/dev/null
  dialog_gone "Layer Table 1" 60 || fail "LAYERS stays"
  robot command DxfOut7 14 >/dev/null
  text=$(closing) || fail "no closing message"
  echo "$text"
  size=$(stat -c %s TOP.dxf)
  echo "$text" | grep -q "Completed ... $size Bytes in DXF File" || fail "closing message: $text (file $size)"
  robot press DxfOut OK >/dev/null
  dialog_gone DxfOut 60 || fail "the closing message stays"
  robot close DxfOut7 >/dev/null
  wait_gone "$pid" 20 || fail "DxfOut did not close"
  grep -q "TLC to DXF Conversion Log" DxfOut.log || fail "log header missing"
  grep -q "^ftr=1-7" DxfOut.usf || fail "the layer table's choice is not kept: $(grep ftr= DxfOut.usf)"
  # The native engine on a copy, with the filter the LAYERS dialog made.
  mkdir native && cp TOP.tlc SUB.tlc LEAF.tlc native/
  (cd native && "$native" TOP.tlc ftr=1-7 >/dev/null 2>&1) || fail "native writer failed"
  cmp TOP.dxf native/TOP.dxf || fail "Wine and native DXF files differ"
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
  echo old >WIDE.dxf
  quil_start DXFOUT7.EXE WIDE.tlc
  pid=$QUIL_LAST_PID
  robot_wait 180 wait-class DxfOut7 >/dev/null || fail "DxfOut window did not appear"
  robot command DxfOut7 14 >/dev/null || fail "Go not posted"
  robot press "Creating WIDE.dxf" Cancel 20000 >/dev/null || fail "no progress dialog"
  q=$(robot wait-dialog DxfOut 10000) || fail "no abort question"
  echo "$q" | grep -q "Aborting Conversion ... OK ?" || fail "question: $q"
  robot press DxfOut Yes >/dev/null
  n=0
  while robot dialog-text DxfOut 2>/dev/null | grep -q "Aborting"; do
    n=$((n + 1)); [ $n -lt 50 ] || fail "question stays"; sleep 0.1
  done
  text=$(robot wait-dialog DxfOut 30000) || fail "no closing message"
  echo "$text" | grep -q "Aborted ... Files may be Incomplete" || fail "closing message: $text"
  robot press DxfOut OK >/dev/null
  wait_gone "$pid" 20 || fail "DxfOut did not close after its command-line run"
  [ "$(cat WIDE.dxf)" = old ] || fail "an aborted run replaced the DXF file"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
note "ok: $case_name"
