#!/usr/bin/env bash
# Import and Export from the tool strip (winemods=0): the dialogs' fields,
# the questions and the replace box's answers, the closing messages.
source "$(dirname "$0")/../harness.sh"
source "$(dirname "$0")/quil7_lib.sh"

case_name="${1:?case}"

winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }

case "$case_name" in
tld)
  dir=$(sample_drawing quil7_impexp)
  out=$(work_folder quil7_impexp_out)
  cells=$(head -n1 "$dir/QUIL7.CRF" | tr -d '\r')
  editor_start "$dir"
  editor_ready
  trace_settle
  # Export the whole drawing as one TLD file.
  robot command QUIL7 15 >/dev/null
  robot_wait 30 wait-dialog "Export" >/dev/null || fail "no Export dialog"
  robot set-text "Export" 1201 "$(winpath "$out")\\" >/dev/null || fail "no destination field"
  robot click "Export" TLD >/dev/null || fail "no TLD choice"
  [ "$(robot get-text "Export" 1206 | tr -d '\r')" = "Cellname" ] ||
    [ "$(robot get-text "Export" 1206 | head -n1 | tr -d '\r')" = "Cellname" ] || fail "label not for TLD"
  robot set-text "Export" 1207 "ALL" >/dev/null
  robot press "Export" OK >/dev/null
  robot_wait 60 wait-dialog "Exporting ..." | grep -q "Write Complete Drawing?" || fail "no whole-drawing question"
  robot press "Exporting ..." Yes >/dev/null
  said=$(robot_wait 60 wait-dialog "Exporting ...")
  echo "$said" | grep -q "Export is Complete ... $cells Cells" || fail "no completion: $said"
  robot press "Exporting ..." OK >/dev/null
  [ -s "$out/ALL.tld" ] || fail "no TLD file"
  grep -q '^<R>' "$out/ALL.tld" || fail "no cell list in the TLD file"
  # Import it back: every cell exists, so the replace box asks; Yes to All
  # needs its confirmation.
  robot command QUIL7 14 >/dev/null
  robot_wait 30 wait-dialog "Import" >/dev/null || fail "no Import dialog"
  robot set-text "Import" 1101 "$(winpath "$out")\\" >/dev/null
  robot click "Import" TLD >/dev/null
  robot set-text "Import" 1107 "ALL" >/dev/null
  robot press "Import" OK >/dev/null
  robot_wait 60 wait-dialog "Converting  ALL" >/dev/null || fail "no replace box"
  robot press "Converting  ALL" "Yes to All" >/dev/null
  robot_wait 30 wait-dialog "Warning ..." | grep -q "Remaining Drawing Cells will be Replaced" || fail "no confirmation"
  robot press "Warning ..." Yes >/dev/null
  said=$(robot_wait 60 wait-dialog "Importing ...")
  echo "$said" | grep -q "Import Complete ... $cells Cells + 0 Layers" || fail "no import completion: $said"
  robot press "Importing ..." OK >/dev/null
  editor_close
  ;;
system)
  # System Mode: Organize through its dialog (item 1001 then says done and
  # the list is written again), and a launcher row whose program is missing.
  dir=$(sample_drawing quil7_system)
  # The editor runs from a folder of its own that lacks QUILMX7.EXE, so the
  # launcher row has a program to miss now that every satellite is built.
  bin=$(work_folder quil7_system_bin)
  cp "$QUIL_BIN"/QUIL7.EXE "$QUIL_BIN"/ROBOT.EXE "$QUIL_BIN"/*.tff "$bin"/
  QUIL_BIN="$bin"
  editor_start "$dir"
  editor_ready
  trace_settle
  touch -d '2001-01-01' "$dir/QUIL7.CRF"
  robot command QUIL7 13 >/dev/null
  robot_wait 30 wait-dialog "System Mode" >/dev/null || fail "no System Mode dialog"
  robot press "System Mode" Organize >/dev/null
  robot_wait 30 wait-dialog "Organize" >/dev/null || fail "no Organize dialog"
  robot press "Organize" Yes >/dev/null
  n=0
  until [ "$(robot get-text "System Mode" 1001 | tr -d '\r')" = " ... Done !" ]; do
    [ $n -ge 100 ] && fail "Organize not done: $(robot get-text "System Mode" 1001)"
    sleep 0.2
    n=$((n + 1))
  done
  [ "$(stat -c %Y "$dir/QUIL7.CRF")" != "$(date -d 2001-01-01 +%s)" ] || fail "QUIL7.CRF not written"
  head -n1 "$dir/QUIL7.CRF" | grep -q '^[1-9]' || fail "QUIL7.CRF lost its cells"
  # No QUILMX7.EXE beside the editor: the row says so and System Mode stays.
  robot press "System Mode" QuilMx >/dev/null
  robot_wait 30 wait-dialog "Error ..." | grep -q "QUILMX7.EXE is Missing" || fail "no missing-program message"
  robot press "Error ..." OK >/dev/null
  robot press "System Mode" Exit >/dev/null
  sleep 0.5
  editor_close
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
note "ok: $case_name"
