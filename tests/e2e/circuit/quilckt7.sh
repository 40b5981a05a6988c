#!/usr/bin/env bash
# QUILCKT7.EXE under Wine: its window and tool bar in the sample drawing,
# the Ctrl+A figures, the start-up error outside a drawing, and a batch run
# that compiles an inverter chain, writes its settings and closes.
source "$(dirname "$0")/../harness.sh"

case_name="${1:?case}"

start_ckt() {
  quil_start QUILCKT7.EXE "$@"
  pid=$QUIL_LAST_PID
}

case "$case_name" in
window)
  dir=$(sample_drawing ckt_window)
  cd "$dir" || fail "no work folder"
  # The sample has no main setup file of its own.
  [ -f QUIL7.USF ] || printf 'scale=1000\nphysunit=um\n' >QUIL7.USF
  start_ckt
  robot wait-class QuilCkt7 30000 >/dev/null || fail "QuilCkt7 window did not appear: $(robot dialogs)"
  [ "$(robot title QuilCkt7)" = "QuilCkt 7.0.91 beta2" ] || fail "title is '$(robot title QuilCkt7)'"
  kids=$(robot children QuilCkt7)
  for b in "Help" "Run" "LVS" "Setup" "Trace" "Cap" "Ant" "Smsh" "Omit" "Go"; do
    printf '%s\n' "$kids" | grep -q "\] $b\$" || fail "tool bar lacks $b: $kids"
  done
  sleep 2
  kill -0 "$pid" 2>/dev/null || fail "the program ended by itself"
  [ -z "$(robot dialogs)" ] || fail "unexpected dialog: $(robot dialogs)"
  screenshot "$QUIL_E2E_STATE/quilckt7.png"
  robot chars QuilCkt7 $'\x01' >/dev/null
  robot wait-dialog Allocation 20000 >/dev/null || fail "no Ctrl+A box"
  text=$(robot dialog-text Allocation)
  for want in "Version 7.0.91 beta2" "25000 on a Single Cell" "50000 Total on all Lower Cells" \
      "100000 Total on all Conductors" "Max Cell Collection: 8190 Cells" "5000000 Boxes" "2500000 Paths" \
      "12500000 Vertices" "1000000 Cells"; do
    printf '%s\n' "$text" | grep -q "$want" || fail "Ctrl+A box lacks '$want': $text"
  done
  robot press Allocation OK >/dev/null
  robot command QuilCkt7 14 >/dev/null
  robot wait-dialog "Layer Trace Table" 20000 >/dev/null || fail "Trace gave no dialog"
  # The sample's own table traces "2 5"; the edit must reach the file.
  robot set-text "Layer Trace Table" 300 "5 2" || fail "trace field"
  robot press "Layer Trace Table" OK >/dev/null
  sleep 0.5
  robot close QuilCkt7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  f=$(ls | grep -i '^quilckt\.usf$') || fail "settings not saved: $(ls)"
  grep -q '^con0_0=5 2' "$f" || fail "trace table not saved: $(cat "$f")"
  grep -Eq '^lft=[0-9-]+' "$f" || fail "no window rectangle saved"
  # The sample's other settings are kept and the rest derived.
  grep -q '^nnl=11' "$f" || fail "sample settings not kept: $(head -8 "$f")"
  grep -q '^ins1=8' "$f" || fail "sample trace table not kept: $(cat "$f")"
  grep -q '^vnp=vn' "$f" || fail "defaults not derived: $(cat "$f")"
  ;;
nosetup)
  dir=$(work_folder ckt_nosetup)
  cd "$dir" || fail "no work folder"
  start_ckt
  text=$(robot wait-dialog "Error ..." 30000) || fail "no error box"
  printf '%s\n' "$text" | grep -q "The Main Setup File is Missing" || fail "error box says: $text"
  printf '%s\n' "$text" | grep -q "This Program Should Run from a Drawing Folder" || fail "error box says: $text"
  robot press "Error ..." OK >/dev/null
  robot wait-class QuilCkt7 20000 >/dev/null || fail "window did not appear after the message"
  robot close QuilCkt7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  [ -z "$(ls | grep -i '^quilckt\.usf$')" ] || fail "settings written after a failed start"
  ;;
nocrf)
  dir=$(work_folder ckt_nocrf)
  cd "$dir" || fail "no work folder"
  printf 'scale=1000\n' >QUIL7.USF
  start_ckt
  text=$(robot wait-dialog "Error ..." 30000) || fail "no error box"
  printf '%s\n' "$text" | grep -q "The Cell Reference File is Missing and is not a Drawing Folder" ||
    fail "error box says: $text"
  robot press "Error ..." OK >/dev/null
  robot wait-class QuilCkt7 20000 >/dev/null || fail "window did not appear after the message"
  robot close QuilCkt7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  [ -z "$(ls | grep -i '^quilckt\.usf$')" ] || fail "settings written after a failed start"
  ;;
batch)
  dir=$(work_folder ckt_batch)
  cp -r "$QUIL_SOURCE/tests/fixtures/circuit/netlist/." "$dir/"
  cd "$dir" || fail "no work folder"
  header="models_of_the_inverter_chain_with_a_long_name_beyond_thirty_three.hdr"
  cp sim.hdr "$header"
  start_ckt chain3 "$header" N
  wait_gone "$pid" 90 || fail "batch run did not close: $(robot dialogs)"
  log=$(ls | grep -i '^quilckt\.log$') || fail "no compile log: $(ls)"
  grep -q "0 Warnings  0 Errors" "$log" || fail "log: $(cat "$log")"
  grep -q "Finished ..." "$log" || fail "log: $(cat "$log")"
  grep -q "Compiling INV" "$log" || fail "log: $(cat "$log")"
  grep -q "Start of $header" CHAIN3.cir || fail "header not copied: $(head -8 CHAIN3.cir)"
  f=$(ls | grep -i '^quilckt\.usf$') || fail "settings not saved"
  grep -q "^cfn=CHAIN3" "$f" || fail "cell not stored: $(head -4 "$f")"
  grep -q "^hfn=$header" "$f" || fail "header not stored whole: $(sed -n 3p "$f")"
  grep -q "^sch=N" "$f" || fail "rules not stored"
  ;;
errors|abort)
  # A pin on no geometry: one counted error, answered No (go on) or Yes.
  dir=$(work_folder "ckt_$case_name")
  cp -r "$QUIL_SOURCE/tests/fixtures/circuit/open_pin/." "$dir/"
  cd "$dir" || fail "no work folder"
  start_ckt
  robot wait-class QuilCkt7 30000 >/dev/null || fail "QuilCkt7 window did not appear"
  robot command QuilCkt7 19 >/dev/null
  text=$(robot wait-dialog "Error ..." 60000) || fail "no counted error: $(robot dialogs)"
  printf '%s\n' "$text" | grep -q "Connector 1 on OPEN at X=0.05 Y=0.05 is Open" || fail "error box says: $text"
  printf '%s\n' "$text" | grep -q "Abort Compile ?" || fail "error box says: $text"
  if [ "$case_name" = errors ]; then answer=No; else answer=Yes; fi
  robot press "Error ..." "$answer" >/dev/null
  # Going on, the open pin's device line and the device cell without an
  # alias are counted as well: each is answered No.
  n=0
  until text=$(robot wait-dialog QuilCkt 3000); do
    n=$((n + 1))
    [ $n -lt 30 ] || fail "no closing message: $(robot dialogs)"
    robot dialogs | grep -q "Error \.\.\." && robot press "Error ..." No >/dev/null
  done
  if [ "$case_name" = errors ]; then
    printf '%s\n' "$text" | grep -q "Finished ..." || fail "closing message: $text"
    printf '%s\n' "$text" | grep -Eq "[0-9]+ Warnings  [1-9][0-9]* Errors" || fail "closing message: $text"
  else
    printf '%s\n' "$text" | grep -q "Aborted ... Files may be Incomplete" || fail "closing message: $text"
  fi
  robot press QuilCkt OK >/dev/null
  log=$(ls | grep -i '^quilckt\.log$') || fail "no compile log: $(ls)"
  grep -q "ERROR ... Connector 1 on OPEN" "$log" || fail "log: $(cat "$log")"
  if [ "$case_name" = errors ]; then
    grep -Eq "^[0-9]+ Warnings  [1-9][0-9]* Errors" "$log" || fail "log: $(cat "$log")"
    grep -q "Finished ..." "$log" || fail "log: $(cat "$log")"
  else
    grep -q "Aborted ... Files may be Incomplete" "$log" || fail "log: $(cat "$log")"
    grep -Eq "^[0-9]+ Warnings  1 Errors" "$log" || fail "log: $(cat "$log")"
  fi
  robot wait-class QuilCkt7 10000 >/dev/null || fail "window gone after the run"
  robot close QuilCkt7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  ;;
lvs)
  # The compiled inverter chain's node list against a schematic copy with
  # its own virtual names, the blocks renamed with a suffix and one pin
  # missing: LVS, the fields, Compare; the compare window, its closing
  # message and the compare log.
  dir=$(work_folder ckt_lvs)
  cp -r "$QUIL_SOURCE/tests/fixtures/circuit/netlist/." "$dir/"
  cd "$dir" || fail "no work folder"
  cp "$QUIL_SOURCE/tests/fixtures/circuit/netlist_expected/CHAIN3.nod" layout.nod
  sed -e 's/^\[CHAIN3\]/[CHAIN3_SCH]/' -e 's/^vn1:/vn9:/' -e 's/^ X_1_INV\.4  X_2_INV\.4  X_3_INV\.4 $/ X_1_INV.4  X_2_INV.4 /' \
    layout.nod >schem.nod
  start_ckt
  robot wait-class QuilCkt7 30000 >/dev/null || fail "QuilCkt7 window did not appear"
  robot command QuilCkt7 12 >/dev/null
  robot wait-dialog "Layout versus Schematic" 20000 >/dev/null || fail "LVS gave no dialog: $(robot dialogs)"
  robot set-text "Layout versus Schematic" 200 "layout.nod" || fail "layout field"
  robot set-text "Layout versus Schematic" 201 "schem.nod" || fail "schematic field"
  robot set-text "Layout versus Schematic" 202 "chain3" || fail "name field"
  robot set-text "Layout versus Schematic" 203 "LvsError.log" || fail "log field"
  robot set-text "Layout versus Schematic" 204 "_SCH" || fail "suffix field"
  robot press "Layout versus Schematic" Compare >/dev/null
  text=$(robot wait-dialog QuilCkt 30000) || fail "no closing message: $(robot dialogs)"
  printf '%s\n' "$text" | grep -q "Compare Finished ... 1 Errors" || fail "closing message: $text"
  robot dialogs | grep -q "Nodelist Compare" || fail "no compare window: $(robot dialogs)"
  robot press QuilCkt OK >/dev/null
  log=$(ls | grep -i '^lvserror\.log$') || fail "no compare log: $(ls)"
  tr -d '\r' <"$log" >log.txt
  grep -q "^\*\*\* QuilCkt Node Compare Error List  7.0.91 " log.txt || fail "log: $(cat log.txt)"
  grep -qx "Comparing CHAIN3 in layout.nod to CHAIN3_SCH in schem.nod" log.txt || fail "log: $(cat log.txt)"
  grep -qx "X_3_INV.4 on Node VSS:0 in \[CHAIN3\] is NOT on Node VSS:0 in \[CHAIN3_SCH\]" log.txt ||
    fail "log: $(cat log.txt)"
  [ "$(tail -c 29 log.txt)" = "Compare Finished ... 1 Errors" ] || fail "log end: $(tail -c 60 log.txt)"
  robot close QuilCkt7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  f=$(ls | grep -i '^quilckt\.usf$') || fail "settings not saved"
  grep -q '^bas=CHAIN3' "$f" || fail "block name not stored: $(grep -i '^bas=' "$f")"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
echo "ok: quilckt7 $case_name"
