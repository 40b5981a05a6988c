#!/usr/bin/env bash
# QUILFLAT7.EXE under Wine: its window, the start-up checks, a flatten and a
# smash run driven through Setup and Go whose files equal the native
# engine's, and an aborted run.
source "$(dirname "$0")/../harness.sh"

case_name="${1:?case}"
fixture="$QUIL_SOURCE/tests/fixtures/flatten"

fixture_drawing() {
  local dir
  dir=$(work_folder "$1")
  cp -r "$fixture/$2/." "$dir/"
  echo "$dir"
}

# Text of the message box captioned $1 (waits for it).
box_text() {
  robot wait-dialog "$1" "${2:-30000}" | sed -n 's/^  \[Static [0-9]*\] //p'
}

# Answers the program's message boxes with OK until one holds $1; prints it.
# A wait that finds no box presses nothing (a box coming just after must be
# read, not answered unseen); a second abort question (Esc reaches both the
# poll and the progress dialog) is answered Yes. 180 s in all: a loaded
# machine can be slow.
answer_until() {
  local pat="$1" text start=$SECONDS
  while [ $((SECONDS - start)) -lt 180 ]; do
    text=$(box_text QuilFlat 5000)
    [ -n "$text" ] || continue
    if printf '%s' "$text" | grep -q -- "$pat"; then
      printf '%s\n' "$text"
      return 0
    fi
    if [ "$text" = "Aborting ... OK?" ]; then
      robot press QuilFlat Yes >/dev/null
    else
      robot press QuilFlat OK >/dev/null
    fi
  done
  echo "none in 180 s; last box: ${text:-none}; running: $(kill -0 "$pid" 2>/dev/null && echo yes || echo no)"
  return 1
}

# Dates, times and line ends aside, as the native engine wrote it.
same_cell() {
  diff <(tr -d '\r' <"$1" | sed -E 's#^[0-9]{2}[/:][0-9]{2}[/:][0-9]{2}$#<stamp>#') \
       <(sed -E 's#^[0-9]{2}[/:][0-9]{2}[/:][0-9]{2}$#<stamp>#' "$2")
}

# The log: header date and time aside; the byte count of the cell file is
# the native one plus one carriage return a line.
same_log() {
  local cell="$1" lines
  lines=$(wc -l <"$cell")
  diff <(tr -d '\r' <"$2" | sed -E '1s/  7\.0\.91.*//' |
           awk -v n="$lines" '/^Completed \.\.\. [0-9]+ Bytes/ { $3 = $3 - n } { print }') \
       <(sed -E '1s/  7\.0\.91.*//' "$3")
}

start_flat() {
  quil_start QUILFLAT7.EXE
  pid=$QUIL_LAST_PID
  robot_wait 180 wait-class QuilFlat7 >/dev/null || fail "QuilFlat7 window did not appear"
}

# A cell BIG placing MID 3000 times: a run long enough to stop by hand.
big_cell() {
  {
    printf '<?xml version="1.0"?>\n<TLC>\n'
    for i in $(seq 1 3000); do printf '<C>\nMID\n%d %d 0 0\n</C>\n' $((i % 8)) $((i * 1000)); done
    printf '</TLC>\n'
  } >BIG.tlc
  { head -n1 QUIL7.CRF | awk '{print $1 + 1}'; tail -n +2 QUIL7.CRF | sed '/^$/d'; printf 'BIG\n3 0 0 1 1 0 0 0 3000\n\n'; } >crf.new
  mv crf.new QUIL7.CRF
}

# The settings are taken once the dialog is gone: Go posted while it still
# stands would run inside its modal loop, before its OK.
setup() {  # setup CELL MODE(Flatten|Smash)
  robot command QuilFlat7 12 >/dev/null
  robot_wait 120 wait-dialog "Process Setup" >/dev/null || fail "no setup dialog"
  robot set-text "Process Setup" 100 "$1" || fail "cell field"
  robot click "Process Setup" "$2" >/dev/null || fail "no $2 button"
  robot press "Process Setup" OK >/dev/null || fail "no OK"
  dialog_gone "Process Setup" 60 || fail "the setup dialog stays after OK"
}

case "$case_name" in
window)
  dir=$(fixture_drawing flat_window nested)
  cd "$dir" || fail "no work folder"
  start_flat
  [ "$(robot title QuilFlat7)" = "QuilFlat 7.0.91 beta2" ] || fail "title is '$(robot title QuilFlat7)'"
  sleep 0.5
  screenshot "$QUIL_E2E_STATE/quilflat7.png"
  robot chars QuilFlat7 $'\x01' >/dev/null
  text=$(box_text Allocation 20000) || fail "no Ctrl+A box"
  [ "$text" = "Version 7.0.91 beta2" ] || true  # the static shows the first line; check the rest below
  robot dialog-text Allocation | grep -q "8190 Max TLC Cells" || fail "Ctrl+A text: $(robot dialog-text Allocation)"
  robot press Allocation OK >/dev/null
  # The cell chooser of the settings dialog lists the drawing's cells.
  robot command QuilFlat7 12 >/dev/null
  robot wait-dialog "Process Setup" 20000 >/dev/null || fail "no setup dialog"
  before=$(robot get-text "Process Setup" 100)
  # Cancel leaves the cell field alone.
  robot press "Process Setup" List >/dev/null
  robot wait-dialog "Cell Collection" 20000 >/dev/null || fail "no cell list"
  robot press "Cell Collection" Cancel >/dev/null || fail "no Cancel on the cell list"
  for _ in $(seq 50); do
    robot dialog-text "Cell Collection" >/dev/null 2>&1 || break
    sleep 0.2
  done
  robot dialog-text "Cell Collection" >/dev/null 2>&1 && fail "the cell list stayed after Cancel"
  [ "$(robot get-text "Process Setup" 100)" = "$before" ] || fail "Cancel changed the cell field"
  robot press "Process Setup" List >/dev/null
  robot wait-dialog "Cell Collection" 20000 >/dev/null || fail "no cell list"
  picked=$(robot list-pick "Cell Collection" 1000 3) || fail "no fourth cell in the list"
  robot gone-class "#none#" 10 >/dev/null
  sleep 0.5
  [ "$(robot get-text "Process Setup" 100)" = "TOP" ] || fail "cell field: $(robot get-text "Process Setup" 100)"
  robot press "Process Setup" OK >/dev/null
  sleep 0.5
  robot close QuilFlat7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  [ -f QuilFlat.usf ] || [ -f Quilflat.usf ] || fail "settings not saved"
  grep -q '^mcn=TOP' QuilFlat.usf || fail "settings: $(cat QuilFlat.usf)"
  grep -Eq '^lft=[0-9-]+' QuilFlat.usf || fail "no window rectangle saved"
  ;;
winemode)
  # Wine mode: the system's message boxes, and Ctrl+A says so.
  dir=$(fixture_drawing flat_winemode nested)
  cd "$dir" || fail "no work folder"
  printf 'winemods=1\n' >>QUIL7.USF
  start_flat
  robot chars QuilFlat7 $'\x01' >/dev/null
  text=$(robot wait-dialog Allocation 20000) || fail "no Ctrl+A box"
  printf '%s\n' "$text" | grep -q "Wine Mode is On" || fail "Ctrl+A text: $text"
  robot dialog-text Allocation | grep -q "Static 1240" && fail "the program's own box in Wine mode"
  robot press Allocation OK >/dev/null
  sleep 0.3
  robot close QuilFlat7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  ;;
nosetup|nocrf)
  dir=$(work_folder "flat_$case_name")
  cd "$dir" || fail "no work folder"
  if [ "$case_name" = nocrf ]; then
    printf 'scale=1000\n' >QUIL7.USF
    want="The Cell Reference File is Missing and is not a Drawing Folder"
  else
    want="The Main Setup File is Missing"
  fi
  quil_start QUILFLAT7.EXE
  pid=$QUIL_LAST_PID
  text=$(robot wait-dialog "Error ..." 30000) || fail "no error box"
  printf '%s\n' "$text" | grep -q "$want" || fail "error box says: $text"
  printf '%s\n' "$text" | grep -q "This Program Should Run from a Drawing Folder" || fail "error box says: $text"
  robot press "Error ..." OK >/dev/null
  robot wait-class QuilFlat7 20000 >/dev/null || fail "window did not appear after the message"
  robot close QuilFlat7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  [ ! -f QuilFlat.usf ] || fail "settings written after a failed start"
  ;;
flatten|smash)
  dir=$(fixture_drawing "flat_$case_name" nested)
  cd "$dir" || fail "no work folder"
  start_flat
  if [ "$case_name" = flatten ]; then mode=Flatten; cell=Flat_files/Top_flat.tlc; else mode=Smash; cell=Smsh_files/Top_smsh.tlc; fi
  setup top "$mode"
  robot command QuilFlat7 13 >/dev/null
  done_text=$(answer_until "Completed") || fail "no closing message: $done_text; boxes: $(robot dialogs)"
  printf '%s\n' "$done_text" | grep -q "Bytes in TLC File" || fail "closing: $done_text"
  robot press QuilFlat OK >/dev/null
  wait_file Quilflat.log 10 "^Use Import" || fail "log not finished: $(cat Quilflat.log)"
  [ -f "$cell" ] || fail "no $cell: $(ls -R)"
  same_cell "$cell" "$fixture/expected/$case_name/$(basename "$cell")" || fail "cell differs from the native engine's"
  same_log "$fixture/expected/$case_name/$(basename "$cell")" Quilflat.log "$fixture/expected/$case_name/Quilflat.log" ||
    fail "log differs from the native engine's"
  size=$(stat -c %s "$cell")
  printf '%s\n' "$done_text" | grep -q "Completed ... $size Bytes" || fail "byte count: $done_text, file $size"
  robot close QuilFlat7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  grep -q "^mcn=TOP" QuilFlat.usf || fail "settings: $(cat QuilFlat.usf)"
  ;;
sample|nested_klayout)
  # klayout flattens the same hierarchy itself and must find the same boxes.
  command -v klayout >/dev/null || fail "klayout is not installed"
  if [ "$case_name" = sample ]; then
    dir=$(sample_drawing flat_sample)
    [ -f "$dir/QUIL7.USF" ] || printf 'scale=1000\nphysunit=um\n' >"$dir/QUIL7.USF"
  else
    dir=$(fixture_drawing flat_nested_klayout nested)
  fi
  cd "$dir" || fail "no work folder"
  start_flat
  setup TOP Smash
  robot command QuilFlat7 13 >/dev/null
  answer_until "Completed" >/dev/null || fail "no closing message; boxes: $(robot dialogs)"
  robot press QuilFlat OK >/dev/null
  wait_file Quilflat.log 120 "^Use Import" || fail "log not finished"
  [ -f Smsh_files/Top_smsh.tlc ] || fail "no smashed cell"
  mkdir -p cells && cp ./*.tlc cells/
  timeout 300 klayout -b -r "$QUIL_SOURCE/tests/e2e/flatten/klayout_flat.py" -rd drawing="$dir/cells" -rd cell=TOP \
    -rd smashed="$dir/Smsh_files/Top_smsh.tlc" -rd report="$dir/klayout.txt" >klayout.out 2>&1 ||
    fail "klayout failed: $(cat klayout.out)"
  grep -q '^ok [1-9]' klayout.txt || fail "klayout: $(cat klayout.txt)"
  note "klayout: $(cat klayout.txt)"
  dialog_gone QuilFlat 60 || fail "the closing message stays"
  robot close QuilFlat7 >/dev/null
  wait_gone "$pid" 60 || fail "still running after WM_CLOSE"
  ;;
abort)
  dir=$(fixture_drawing flat_abort nested)
  cd "$dir" || fail "no work folder"
  big_cell
  start_flat
  setup BIG Smash
  robot command QuilFlat7 13 >/dev/null
  robot wait-dialog "Smashing BIG to BIG_SMSH ..." 30000 >/dev/null || fail "no progress dialog: $(robot dialogs)"
  # A message box of the run may stand first ("Folder ... was Created").
  text=$(box_text QuilFlat 20000) && robot press QuilFlat OK >/dev/null
  sleep 1
  robot press "Smashing BIG to BIG_SMSH ..." Cancel >/dev/null || fail "no Cancel"
  question=$(box_text QuilFlat 20000) || fail "no abort question"
  [ "$question" = "Aborting ... OK?" ] || fail "question: $question"
  robot press QuilFlat Yes >/dev/null
  text=$(answer_until "Aborted") || fail "no aborted message: $text $(robot dialogs)"
  [ "$text" = "Aborted ... Files may be Incomplete" ] || fail "closing: $text"
  robot press QuilFlat OK >/dev/null
  # The log is closed once the box is answered.
  wait_file Quilflat.log 10 "^Aborted ... Files may be Incomplete" || fail "log: $(cat Quilflat.log)"
  [ ! -f Smsh_files/Big_smsh.tlc ] || fail "a half-written cell was left"
  ! grep -q Completed Quilflat.log || fail "log claims completion"
  robot close QuilFlat7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  ;;
guards)
  # While a run goes, commands and closing are ignored; Esc asks before it
  # aborts, in a message box whose unused buttons are greyed.
  dir=$(fixture_drawing flat_guards nested)
  cd "$dir" || fail "no work folder"
  big_cell
  start_flat
  setup BIG Smash
  robot command QuilFlat7 13 >/dev/null
  robot wait-dialog "Smashing BIG to BIG_SMSH ..." 30000 >/dev/null || fail "no progress dialog"
  text=$(box_text QuilFlat 20000) && robot press QuilFlat OK >/dev/null
  robot command QuilFlat7 12 >/dev/null
  robot command QuilFlat7 10 >/dev/null
  robot close QuilFlat7 >/dev/null
  sleep 1
  robot wait-class QuilFlat7 100 >/dev/null || fail "the window closed during the run"
  robot wait-dialog "Process Setup" 100 >/dev/null && fail "Setup opened during the run"
  robot wait-dialog "Error ..." 100 >/dev/null && fail "Help ran during the run"
  kill -0 "$pid" || fail "the program ended during the run"
  robot esc-hold 400 >/dev/null
  question=$(box_text QuilFlat 20000) || fail "Esc asked nothing: $(robot dialogs)"
  [ "$question" = "Aborting ... OK?" ] || fail "question: $question"
  buttons=$(robot buttons QuilFlat)
  printf '%s\n' "$buttons" | grep -q "^6 Yes enabled shown" || fail "buttons: $buttons"
  printf '%s\n' "$buttons" | grep -q "^7 No enabled shown" || fail "buttons: $buttons"
  printf '%s\n' "$buttons" | grep -q "^1 OK disabled shown" || fail "buttons: $buttons"
  printf '%s\n' "$buttons" | grep -q "^2 Cancel disabled shown" || fail "buttons: $buttons"
  robot press QuilFlat Yes >/dev/null
  text=$(answer_until "Aborted") || fail "no aborted message: $text $(robot dialogs)"
  robot press QuilFlat OK >/dev/null
  wait_file Quilflat.log 10 "^Aborted ... Files may be Incomplete" || fail "log: $(cat Quilflat.log)"
  [ ! -f Smsh_files/Big_smsh.tlc ] || fail "a half-written cell was left"
  robot close QuilFlat7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  ;;
rerun)
  # A second run replaces the first run's files whole and leaves no scratch
  # file behind.
  dir=$(fixture_drawing flat_rerun nested)
  cd "$dir" || fail "no work folder"
  start_flat
  setup TOP Flatten
  for run in 1 2; do
    robot command QuilFlat7 13 >/dev/null
    done_text=$(answer_until "Completed") || fail "run $run: no closing message: $done_text; boxes: $(robot dialogs)"
    robot press QuilFlat OK >/dev/null
    wait_file Quilflat.log 10 "^Use Import" || fail "run $run: log not finished"
    size=$(stat -c %s Flat_files/Top_flat.tlc)
    printf '%s\n' "$done_text" | grep -q "Completed ... $size Bytes" || fail "run $run: $done_text, file $size"
    same_cell Flat_files/Top_flat.tlc "$fixture/expected/flatten/Top_flat.tlc" || fail "run $run: cell differs"
    cmp -s Flat_files/Leaf.tlc LEAF.tlc || fail "run $run: device cell copy differs"
    [ "$(ls Flat_files | sort | tr '\n' ' ')" = "Leaf.tlc Nmos.tlc Top_flat.tlc " ] || fail "run $run: $(ls Flat_files)"
    sleep 0.5
  done
  robot close QuilFlat7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  ;;
badname)
  # A cell name Setup refused is not run: Go stops with a message, reads no
  # cell file outside the drawing and writes no cell anywhere.
  root=$(work_folder flat_badname)
  mkdir -p "$root/dwg"
  cp -r "$fixture/nested/." "$root/dwg/"
  decoy=$'<B>\n1 0 0 5 5\n</B>\n'
  printf '%s' "$decoy" >"$root/ESC.tlc"
  cd "$root/dwg" || fail "no work folder"
  start_flat
  robot command QuilFlat7 12 >/dev/null
  robot_wait 120 wait-dialog "Process Setup" >/dev/null || fail "no setup dialog"
  robot set-text "Process Setup" 100 '..\ESC' || fail "cell field"
  robot click "Process Setup" Flatten >/dev/null || fail "no Flatten button"
  robot press "Process Setup" OK >/dev/null || fail "no OK"
  for want in 'Illegal Character "." in Cellname' 'Illegal Character "." in Cellname' \
              'Illegal Character "\" in Cellname'; do
    text=$(box_text QuilFlat 20000) || fail "no name message for '$want'"
    [ "$text" = "$want" ] || fail "setup said '$text', not '$want'"
    robot press QuilFlat OK >/dev/null
    sleep 0.5
  done
  dialog_gone "Process Setup" 60 || fail "the setup dialog stays after OK"
  robot command QuilFlat7 13 >/dev/null
  text=$(robot wait-dialog "Error ..." 30000) || fail "Go said nothing: $(robot dialogs)"
  printf '%s\n' "$text" | grep -q "ESC.*Can't Continue" || fail "Go said '$text'"
  robot press "Error ..." OK >/dev/null
  text=$(answer_until "Aborted") || fail "no aborted message: $text $(robot dialogs)"
  [ "$text" = "Aborted ... Files may be Incomplete" ] || fail "closing: $text"
  robot press QuilFlat OK >/dev/null
  sleep 0.5
  robot close QuilFlat7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  [ "$(cat "$root/ESC.tlc")" = "$(printf '%s' "$decoy")" ] || fail "the cell file outside the drawing changed"
  found=$(find "$root" -iname '*_flat.tlc' -o -iname '*_smsh.tlc')
  [ -z "$found" ] || fail "a cell was written: $found"
  [ -z "$(ls -A Flat_files 2>/dev/null)" ] || fail "Flat_files holds: $(ls Flat_files)"
  ! grep -qs Completed Quilflat.log || fail "log claims completion"
  ;;
help_run)
  dir=$(fixture_drawing flat_help_run nested)
  cd "$dir" || fail "no work folder"
  start_flat
  robot command QuilFlat7 10 >/dev/null
  text=$(robot wait-dialog "Error ..." 20000) || fail "no message for the missing help launcher"
  printf '%s\n' "$text" | grep -q "Can't Find Help" || fail "help: $text"
  robot press "Error ..." OK >/dev/null
  sleep 0.3
  robot command QuilFlat7 11 >/dev/null
  robot wait-dialog "Run Windows Application" 20000 >/dev/null || fail "no run dialog: $(robot dialogs)"
  robot set-text "Run Windows Application" 400 "No Such App.exe"
  robot set-text "Run Windows Application" 401 "x.txt"
  robot press "Run Windows Application" Run >/dev/null
  text=$(robot wait-dialog "Error ..." 20000) || fail "no message for the missing application"
  printf '%s\n' "$text" | grep -q "Can't Find Application" || fail "run: $text"
  robot press "Error ..." OK >/dev/null
  sleep 0.3
  robot close QuilFlat7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  tr -d '\r' <QuilFlat.usf | grep -qx "rdp0=No Such App.exe" || fail "settings: $(cat QuilFlat.usf)"
  tr -d '\r' <QuilFlat.usf | grep -qx "rdp1=Notepad.exe" || fail "settings: $(cat QuilFlat.usf)"
  tr -d '\r' <QuilFlat.usf | grep -qx "rdf0=x.txt" || fail "settings: $(cat QuilFlat.usf)"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
note "ok: $case_name"
