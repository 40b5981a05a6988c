#!/usr/bin/env bash
# The editor's start-up: the STARTUP dialog in a folder that holds no
# drawing (New, OK with the empty-drawing question, Cancel), and a cell file
# named on the command line.
source "$(dirname "$0")/../harness.sh"
source "$(dirname "$0")/quil7_lib.sh"

case_name="${1:?case}"

startup_dialog() {
  robot wait-dialog "QUIL 7 Startup" 30000 >/dev/null || fail "no STARTUP dialog"
}

case "$case_name" in
new)
  dir=$(work_folder quil7_startup_new)
  editor_start "$dir"
  startup_dialog
  robot dialog-text "QUIL 7 Startup" | grep -q "must run in a Drawing Folder" || fail "start message missing"
  cur=$(robot get-text "QUIL 7 Startup" 1102)
  [ -n "$cur" ] || fail "no current folder shown"
  # New on a folder that exists already: error, and the dialog comes back.
  robot set-text "QUIL 7 Startup" 1102 "$cur" >/dev/null
  robot press "QUIL 7 Startup" New >/dev/null || fail "no New button"
  robot wait-dialog "Error ..." 10000 | grep -q "Folder already Exists" || fail "no 'Folder already Exists'"
  robot press "Error ..." OK >/dev/null
  sleep 0.5
  startup_dialog
  # New on a fresh name makes and enters the folder; it holds no drawing
  # yet, so the dialog asks again and OK offers to make it one.
  robot set-text "QUIL 7 Startup" 1102 "$cur\\NEWDRAW" >/dev/null
  robot press "QUIL 7 Startup" New >/dev/null
  sleep 0.5
  [ -d "$dir/NEWDRAW" ] || fail "New did not make the folder"
  startup_dialog
  cur2=$(robot get-text "QUIL 7 Startup" 1102)
  case "$cur2" in *NEWDRAW) ;; *) fail "New did not enter the folder: $cur2" ;; esac
  robot press "QUIL 7 Startup" OK >/dev/null
  robot wait-dialog "Drawing Folder ?" 10000 | grep -q "Make it into an EMPTY Drawing Folder" ||
    fail "no empty-drawing question"
  robot press "Drawing Folder ?" Yes >/dev/null
  robot wait-dialog "New Drawing Folder" 10000 >/dev/null || fail "no confirmation"
  robot press "New Drawing Folder" OK >/dev/null
  editor_ready
  [ "$(tr -d '\r' <"$dir/NEWDRAW/QUIL7.CRF")" = "0" ] || fail "QUIL7.CRF holds: $(cat "$dir/NEWDRAW/QUIL7.CRF")"
  grep -q "^ready .*NEWDRAW" "$TRACE" || fail "not working in the new folder"
  editor_close
  ;;
cancel)
  dir=$(work_folder quil7_startup_cancel)
  editor_start "$dir"
  startup_dialog
  robot press "QUIL 7 Startup" Cancel >/dev/null
  wait_gone "$EDITOR_PID" 15 || fail "editor still running after Cancel"
  [ -z "$(ls -A "$dir" | grep -v quil7.trace)" ] || fail "Cancel left files: $(ls -A "$dir")"
  ! grep -q '^shutdown' "$TRACE" || fail "shutdown ran without a drawing"
  ;;
cellarg)
  dir=$(sample_drawing quil7_startup_cellarg)
  other=$(work_folder quil7_startup_elsewhere)
  winpath="Z:$(echo "$dir/inv.tlc" | tr / '\\')"
  editor_start "$other" "$winpath"
  editor_ready
  grep -q "^ready .*quil7_startup_cellarg" "$TRACE" || fail "did not enter the cell's folder"
  n=0
  until robot title QUIL7 | grep -q "Cell: INV "; do
    [ $n -ge 50 ] && fail "title is '$(robot title QUIL7)'"
    sleep 0.1
    n=$((n + 1))
  done
  # The cell's objects are in the store: the counts line after the draw.
  n=0
  until robot ctl-text QUIL7 602 | grep -q "^ 2 Cells  3 Boxes"; do
    [ $n -ge 50 ] && fail "counts pane: '$(robot ctl-text QUIL7 602)'"
    sleep 0.1
    n=$((n + 1))
  done
  editor_close
  ;;
badfolder)
  other=$(work_folder quil7_startup_badfolder)
  editor_start "$other" 'Z:\no\such\folder\INV.tlc'
  robot wait-dialog "Error ..." 30000 | grep -q "Unable to Change Folder ... Unknown Reason" ||
    fail "no folder error"
  robot press "Error ..." OK >/dev/null
  wait_gone "$EDITOR_PID" 15 || fail "editor still running"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
note "ok: $case_name"
