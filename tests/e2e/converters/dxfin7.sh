#!/usr/bin/env bash
# DXFIN7.EXE under Wine: Go is refused until Layers scanned the DXF file's
# layer table; after Setup, Layers (each DXF layer numbered in "Layer Map
# Setup") and Go the drawing becomes TLC cells, the same as the native
# engine makes (dates aside).
#   dxfin7.sh <case> <native dxfout_write> <native dxfin_read>
source "$(dirname "$0")/../harness.sh"

case_name="${1:?case}"
writer="${2:?native writer}"
reader="${3:?native reader}"
dir=$(work_folder "dxfin7_$case_name")
cp "$QUIL_SOURCE"/tests/fixtures/converters/gdsout/* "$dir/"
cd "$dir" || fail "no work folder"
# The drawing: our DXF of the fixture (blocks, inserts, polylines, texts),
# block LEAF renamed to LE.AF, which can't be a cell name.
"$writer" TOP.tlc mpp=N >/dev/null 2>&1 || fail "native writer failed"
mkdir in && sed 's/^LEAF$/LE.AF/' TOP.dxf >in/CHIP.dxf && rm -f ./*.tlc TOP.dxf
cp in/CHIP.dxf CHIP.dxf

case "$case_name" in
setup_go)
  quil_start DXFIN7.EXE
  pid=$QUIL_LAST_PID
  robot_wait 180 wait-class DxfIn7 >/dev/null || fail "DxfIn window did not appear"
  robot command DxfIn7 14 >/dev/null || fail "Go not posted"
  robot_wait 120 wait-dialog "Error ..." >/dev/null || fail "Go was not refused"
  robot dialog-text "Error ..." | grep -q "Layers Not Defined ... Can't Continue" || fail "wrong refusal"
  robot press "Error ..." OK >/dev/null
  dialog_gone "Error ..." 60 || fail "the refusal stays after OK"
  robot command DxfIn7 12 >/dev/null
  robot wait-dialog "Conversion Setup" 30000 >/dev/null || fail "no SETUP dialog"
  robot set-text "Conversion Setup" 100 CHIP.dxf >/dev/null || fail "file name not set"
  robot press "Conversion Setup" OK >/dev/null
  dialog_gone "Conversion Setup" 60 || fail "SETUP stays"
  robot command DxfIn7 13 >/dev/null
  robot wait-dialog "Layer Map Setup" 30000 >/dev/null || fail "no LAYERS dialog"
  # Each row's DXF layer LAYER_<n> goes to TLC layer <n>.
  rows=0
  for i in $(seq 0 35); do
    name=$(robot get-text "Layer Map Setup" $((200 + i)))
    case "$name" in LAYER_*) ;; *) break ;; esac
    robot set-text "Layer Map Setup" $((250 + i)) "${name#LAYER_}" >/dev/null || fail "row $i not set"
    rows=$((rows + 1))
  done
  [ "$rows" -gt 0 ] || fail "no layers listed"
  robot press "Layer Map Setup" OK >/dev/null
  dialog_gone "Layer Map Setup" 60 || fail "LAYERS stays"
  robot command DxfIn7 14 >/dev/null
  # The folder's note, NEWNAME for LE.AF (its proposal taken), then the
  # closing message.
  start=$SECONDS asked=0 text=""
  while [ $((SECONDS - start)) -lt 120 ]; do
    if q=$(robot dialog-text "Illegal Cellname" 2>/dev/null); then
      echo "$q" | grep -q "Cellname LE.AF is Illegal" || fail "NEWNAME: $q"
      p=$(robot get-text "Illegal Cellname" 601)
      [ "$p" = LE_AF ] || fail "proposal: $p"
      robot press "Illegal Cellname" OK >/dev/null
      asked=$((asked + 1))
      sleep 0.5
      continue
    fi
    if text=$(robot dialog-text DxfIn 2>/dev/null); then
      echo "$text" | grep -q "Folder" || break
      robot press DxfIn OK >/dev/null
      sleep 0.5
      continue
    fi
    text=""
    sleep 0.3
  done
  [ -n "$text" ] || fail "no closing message: $(robot dialogs)"
  [ "$asked" -eq 1 ] || fail "NEWNAME asked $asked times"
  echo "$text" | grep -q "Completed ... 3 TLC Files Made" || fail "closing message: $text"
  robot press DxfIn OK >/dev/null
  dialog_gone DxfIn 60
  robot close DxfIn7 >/dev/null
  wait_gone "$pid" 20 || fail "DxfIn did not close"
  grep -q "^lnum0=LAYER_" DxfIn.usf || fail "the scanned layers are not kept"
  (cd in && "$reader" CHIP.dxf $(for l in 1 2 3 4 5 6 7; do printf 'map:LAYER_%d=%d ' $l $l; done) \
    >/dev/null 2>&1) || fail "native reader failed"
  for f in in/Dxf_files/*.tlc; do
    b=$(basename "$f")
    w=$(ls Dxf_files | grep -i -x "$b") || fail "no $b from the program"
    # The header's date and time are the moment of the run; cell files are
    # text, with the system's line ends.
    diff <(tr -d '\r' <"$f" | grep -v -E '^[0-9]{2}[/:][0-9]{2}[/:][0-9]{2}$') \
         <(tr -d '\r' <"Dxf_files/$w" | grep -v -E '^[0-9]{2}[/:][0-9]{2}[/:][0-9]{2}$') || fail "$b differs"
  done
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
note "ok: $case_name"
