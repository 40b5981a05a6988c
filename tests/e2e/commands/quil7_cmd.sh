#!/usr/bin/env bash
# The command engine in the editor: a script run through the CMD dialog
# builds a new cell that Save writes; lines from other programs run with
# key-line rights; undo and redo; Cancel on the dialogs; closing with
# unsaved changes.
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../harness.sh"
source "$here/../editor/quil7_lib.sh"

case_name="${1:?case}"
dir=$(sample_drawing "quil7cmd_$case_name")
# An empty cell NEWC of rank 3 becomes the drawing's current cell; the
# script case makes it itself through Load and the NEWCELL dialog.
if [ "$case_name" != script ]; then
  {
    echo 5
    sed -n '2,9p' "$dir/QUIL7.CRF"
    printf 'NEWC\n3 0 0 1 1 0 0 0 0\n'
  } >"$dir/QUIL7.CRF.new" && mv "$dir/QUIL7.CRF.new" "$dir/QUIL7.CRF"
  printf '<?xml version="1.0"?>\n<TLC>\n<H>\nNEWC\n7.0.91\n7.0.91\n1000\num\n12/10/26\n12:00:00\n3 0 0 1 1\n0 0 0 0\n</H>\n</TLC>\n' \
    >"$dir/NEWC.tlc"
  sed -i 's/^cellname=.*/cellname=NEWC/' "$dir/QUIL7.USF"
fi
sed -i 's/^objname=.*/objname=B/' "$dir/QUIL7.USF"
cp "$here/build.txt" "$dir/build.txt"

if [ "$case_name" = fulldisk ]; then
  # The drawing on a small disk of its own, to be filled during the test.
  disk="$QUIL_E2E_STATE/work/quil7cmd_fulldisk_disk"
  mkdir -p "$disk"
  if ! mount -t tmpfs -o size=4m tmpfs "$disk" 2>/dev/null; then
    note "skipped: can't mount a small file system here"
    exit 0
  fi
  trap 'quil_end_all; umount -l "$disk"' EXIT
  cp -r "$dir/." "$disk/"
  dir=$disk
fi

editor_start "$dir"
robot wait-class QUIL7 30000 >/dev/null || fail "editor window did not appear"
editor_ready
[ "$case_name" = script ] || trace_wait '^load NEWC' 1 || fail "NEWC was not loaded: $(cat "$TRACE")"

# masked FILE: the file without its date and time lines.
masked() { sed -E 's#^[0-9]{2}/[0-9]{2}/[0-9]{2}$#DATE#; s#^[0-9]{2}:[0-9]{2}:[0-9]{2}$#TIME#' "$1"; }

run_script() {
  robot post QUIL7 1025 77 0 >/dev/null  # Cmd
  robot wait-dialog "Command Line" 10000 >/dev/null || fail "no CMD dialog"
  robot set-text "Command Line" 1325 "$1" >/dev/null || fail "no script box: $(robot dialogs)"
  robot press "Command Line" "Run Script" >/dev/null || fail "no Run Script button"
  trace_wait "^line\\|^start" 1 || true
  wait_no_dialog "Command Line"
}

wait_no_dialog() {
  local n=0
  while robot dialog-text "$1" >/dev/null 2>&1; do
    [ $n -ge 50 ] && fail "dialog '$1' still open"
    sleep 0.2
    n=$((n + 1))
  done
}

save_cell() {
  robot command QUIL7 18 >/dev/null
  robot wait-dialog "Save Cell" 10000 >/dev/null || fail "no SCELL dialog"
  [ "$(robot get-text "Save Cell" 1411)" = NEWC ] || fail "SCELL does not offer NEWC"
  robot press "Save Cell" OK >/dev/null
  wait_no_dialog "Save Cell"
  sleep 0.5
}

box_lines() { grep -c '^<B>$' "$dir/NEWC.tlc"; }

case "$case_name" in
script)
  # NEWC comes into being through Load and the NEWCELL dialog.
  robot command QUIL7 19 >/dev/null
  robot wait-dialog "Load Cell" 10000 >/dev/null || fail "no LCELL dialog"
  robot set-text "Load Cell" 1004 NEWC >/dev/null
  robot press "Load Cell" OK >/dev/null
  robot wait-dialog "New Cell Rank" 10000 >/dev/null || fail "no NEWCELL dialog"
  robot set-text "New Cell Rank" 1005 3 >/dev/null
  robot press "New Cell Rank" OK >/dev/null
  wait_file "$dir/NEWC.tlc" 10 NEWC || fail "the new cell has no file"
  grep -q '^NEWC$' "$dir/QUIL7.CRF" || fail "NEWC is not in the cell list"
  run_script build.txt
  sleep 1
  screenshot "$QUIL_E2E_STATE/quil7cmd_script.png"
  save_cell
  diff <(masked "$dir/NEWC.tlc") <(masked "$here/NEWC.golden") >&2 || fail "saved cell differs from the golden file"
  grep -q '^NEWC$' "$dir/QUIL7.CRF" || fail "NEWC left the cell list"
  grep -A1 '^NEWC$' "$dir/QUIL7.CRF" | tail -n1 | grep -q '^3 ' || fail "NEWC's rank changed"
  ;;
copydata)
  # The refusal's message box holds the sender until it is answered.
  robot copydata QUIL7 "print" >/dev/null &
  sender=$!
  robot wait-dialog "Error ..." 10000 >/dev/null || fail "Print on a key line was not refused"
  txt=$(robot dialog-text "Error ...")
  case "$txt" in *"PRINT is not available as an Fkey"*) ;; *) fail "message: $txt" ;; esac
  robot press "Error ..." OK >/dev/null
  wait_no_dialog "Error ..."
  wait "$sender"
  # A key line may carry fewer numbers: the rest come from the mouse.
  robot copydata QUIL7 "add 1 1 2 2" >/dev/null
  robot copydata QUIL7 "add 3 3" >/dev/null
  trace_wait '^line key add 3 3$' 1 || fail "lines did not run: $(cat "$TRACE")"
  save_cell
  [ "$(box_lines)" = 1 ] || fail "expected one box, file: $(cat "$dir/NEWC.tlc")"
  grep -A1 '^<B>$' "$dir/NEWC.tlc" | grep -q '^1 1000 1000 2000 2000$' ||
    grep -A1 '^<B>$' "$dir/NEWC.tlc" | grep -q ' 1000 1000 2000 2000$' || fail "box not where asked: $(cat "$dir/NEWC.tlc")"
  ;;
undo)
  for i in $(seq 1 11); do
    robot copydata QUIL7 "add $i 0 $i.5 1" >/dev/null
  done
  trace_wait '^line key add 11 0 11.5 1$' 1 || fail "adds did not run"
  for i in 0 1 2 3 4 5 6 7 8 9; do
    [ -f "$dir/Undobkup$i.tlc" ] || fail "Undobkup$i.tlc missing: $(ls "$dir")"
  done
  [ ! -f "$dir/Undobkup10.tlc" ] || fail "more than ten undo files"
  robot command QUIL7 16 >/dev/null  # Undo
  sleep 0.5
  save_cell
  [ "$(box_lines)" = 10 ] || fail "Undo left $(box_lines) boxes"
  robot command QUIL7 17 >/dev/null  # Redo
  sleep 0.5
  save_cell
  [ "$(box_lines)" = 11 ] || fail "Redo left $(box_lines) boxes"
  ;;
cancel)
  # Cancel ends each dialog without its work, and the editor goes on.
  kept=$(cat "$dir/NEWC.tlc")
  for d in "77 Command Line" "18 Save Cell" "19 Load Cell"; do
    id=${d%% *}
    title=${d#* }
    if [ "$id" = 77 ]; then
      robot post QUIL7 1025 77 0 >/dev/null
    else
      robot command QUIL7 "$id" >/dev/null
    fi
    robot wait-dialog "$title" 10000 >/dev/null || fail "no '$title' dialog"
    robot press "$title" Cancel >/dev/null || fail "no Cancel on '$title'"
    wait_no_dialog "$title"
  done
  [ "$(cat "$dir/NEWC.tlc")" = "$kept" ] || fail "a cancelled dialog wrote the cell"
  robot copydata QUIL7 "add 0 0 1 1" >/dev/null
  trace_wait '^line key add 0 0 1 1$' 1 || fail "the editor stopped after the cancels: $(cat "$TRACE")"
  save_cell
  [ "$(box_lines)" = 1 ] || fail "expected one box, file: $(cat "$dir/NEWC.tlc")"
  ;;
close)
  robot copydata QUIL7 "add 0 0 1 1" >/dev/null
  save_cell
  kept=$(cat "$dir/NEWC.tlc")
  robot copydata QUIL7 "add 5 5 6 6" >/dev/null
  trace_wait '^line key add 5 5 6 6$' 1 || fail "add did not run"
  robot close QUIL7 >/dev/null
  robot wait-dialog "Confirm Save ..." 10000 >/dev/null || fail "closing did not ask"
  txt=$(robot dialog-text "Confirm Save ...")
  case "$txt" in *"Quil Editor is Closing"*) ;; *) fail "question: $txt" ;; esac
  robot press "Confirm Save ..." No >/dev/null
  wait_gone "$EDITOR_PID" 15 || fail "editor still running after No"
  [ "$(cat "$dir/NEWC.tlc")" = "$kept" ] || fail "No still wrote the cell"
  exit 0
  ;;
fulldisk)
  # A close whose save fails on a full disk says so and leaves the editor
  # running, the old file whole; once there is room, closing saves.
  robot copydata QUIL7 "add 0 0 1 1" >/dev/null
  save_cell
  kept=$(cat "$dir/NEWC.tlc")
  robot copydata QUIL7 "add 5 5 6 6" >/dev/null
  trace_wait '^line key add 5 5 6 6$' 1 || fail "add did not run"
  dd if=/dev/zero of="$dir/filler" bs=64k 2>/dev/null
  robot close QUIL7 >/dev/null
  robot wait-dialog "Confirm Save ..." 10000 >/dev/null || fail "closing did not ask"
  robot press "Confirm Save ..." Yes >/dev/null
  robot_wait 30 wait-dialog "Error ..." | grep -q "Unable to Write NEWC.tlc File" || fail "the failed save was not said"
  robot press "Error ..." OK >/dev/null
  sleep 2
  kill -0 "$EDITOR_PID" 2>/dev/null || fail "the editor quit with its edit unsaved"
  [ "$(cat "$dir/NEWC.tlc")" = "$kept" ] || fail "the old file was spoilt"
  rm -f "$dir/filler"
  robot close QUIL7 >/dev/null
  robot wait-dialog "Confirm Save ..." 10000 >/dev/null || fail "the second close did not ask"
  robot press "Confirm Save ..." Yes >/dev/null
  wait_gone "$EDITOR_PID" 30 || fail "editor still running after the save"
  [ "$(box_lines)" = 2 ] || fail "expected two boxes, file: $(cat "$dir/NEWC.tlc")"
  exit 0
  ;;
declined)
  # No to the save of a button leaves the edit unsaved: closing asks again.
  robot copydata QUIL7 "add 0 0 1 1" >/dev/null
  save_cell
  robot copydata QUIL7 "add 5 5 6 6" >/dev/null
  trace_wait '^line key add 5 5 6 6$' 1 || fail "add did not run"
  robot command QUIL7 11 >/dev/null  # Run
  robot wait-dialog "Confirm Save ..." 10000 >/dev/null || fail "Run did not offer to save"
  robot press "Confirm Save ..." No >/dev/null
  robot wait-dialog "Run Windows Application" 10000 >/dev/null || fail "no RUNNER dialog"
  robot press "Run Windows Application" Cancel >/dev/null
  wait_no_dialog "Run Windows Application"
  robot close QUIL7 >/dev/null
  robot wait-dialog "Confirm Save ..." 10000 >/dev/null || fail "closing did not ask for the unsaved edit"
  robot press "Confirm Save ..." Yes >/dev/null
  wait_gone "$EDITOR_PID" 30 || fail "editor still running after the save"
  [ "$(box_lines)" = 2 ] || fail "expected two boxes, file: $(cat "$dir/NEWC.tlc")"
  exit 0
  ;;
moves)
  # Lines from another program select, move, copy, window-move, shift the
  # origin and delete; each saved cell is read back and compared with what
  # the test computes from the cell saved before the edits.
  key() {
    robot copydata QUIL7 "$1" >/dev/null
    trace_wait "^line key $1\$" 1 || fail "line '$1' did not run: $(tail -5 "$TRACE")"
  }
  printf '%s\n' "obj b" "add 0 0 2 1" "add 5 0 6 4" "add 10 10 12 12" "obj p" "wdth 0.5" "add 0 5" "add 3 5" \
    "add 3 8" "aput" "obj b" >"$dir/start.txt"
  run_script start.txt
  trace_wait '^start Obj' 3 || fail "the start script did not run: $(tail -5 "$TRACE")"
  tool_save() {
    robot click-id QUIL7 18 >/dev/null || fail "no Save button on the tool strip"
    robot wait-dialog "Save Cell" 10000 >/dev/null || fail "no SCELL dialog"
    robot press "Save Cell" OK >/dev/null
    wait_no_dialog "Save Cell"
    sleep 0.5
  }
  tool_save
  mkdir -p "$dir/original" && cp "$dir/NEWC.tlc" "$dir/original/"
  for l in "get -1 -1 3 2" "mov 0 0 1 1" "aput" "get 4.5 3 6.5 5" "mov 0 0 0 -1" "aput" \
    "fget 9 9 13 13" "cpy 0 0 3 0" "aput" "wmov 4 -1 7 5 0 0 1 0" "orig 1 1"; do
    key "$l"
  done
  tool_save
  python3 "$here/moves_expect.py" "$dir/original" "$dir" NEWC moved >&2 || fail "the moved cell is not as expected"
  mkdir -p "$dir/moved" && cp "$dir/NEWC.tlc" "$dir/moved/"
  key "aput"
  key "fget 8 8 15 12"
  key "del"
  tool_save
  python3 "$here/moves_expect.py" "$dir/original" "$dir" NEWC deleted >&2 || fail "Del did not leave the expected cell"
  robot command QUIL7 16 >/dev/null  # Undo
  sleep 0.5
  tool_save
  diff <(masked "$dir/NEWC.tlc") <(masked "$dir/moved/NEWC.tlc") >&2 || fail "Undo after Del did not restore the cell exactly"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
editor_close
