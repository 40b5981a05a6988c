#!/usr/bin/env bash
# The editor on a drawing: quilrunning= while it runs, one editor per
# drawing, F-key lines, the view kept in the setup file at close.
source "$(dirname "$0")/../harness.sh"
source "$(dirname "$0")/quil7_lib.sh"

case_name="${1:?case}"

usf_value() { tr -d '\r' <"$1/QUIL7.USF" | grep "^$2=" | head -n1 | cut -d= -f2-; }

set_usf() {  # set_usf DIR KEY VALUE
  sed -i "s/^$2=.*/$2=$3/" "$1/QUIL7.USF"
  grep -q "^$2=$3\$" "$1/QUIL7.USF" || fail "fixture: $2 not set"
}

case "$case_name" in
running)
  dir=$(sample_drawing quil7_running)
  editor_start "$dir"
  editor_ready
  [ "$(usf_value "$dir" quilrunning)" = 1 ] || fail "quilrunning=$(usf_value "$dir" quilrunning) while running"
  robot copydata QUIL7 "zoom 0,0 100,100" >/dev/null || fail "copydata not delivered"
  editor_close
  [ "$(usf_value "$dir" quilrunning)" = 0 ] || fail "quilrunning=$(usf_value "$dir" quilrunning) after close"
  # The zoomed view is kept for the rank of the current cell (TOP, rank 3).
  # Centre 50,50 um; width at least the 100 um square with its margin.
  [ "$(usf_value "$dir" winx3)" = 50000 ] || fail "winx3=$(usf_value "$dir" winx3)"
  [ "$(usf_value "$dir" winy3)" = 50000 ] || fail "winy3=$(usf_value "$dir" winy3)"
  [ "$(usf_value "$dir" winw3)" -ge 110000 ] || fail "winw3=$(usf_value "$dir" winw3)"
  [ "$(usf_value "$dir" cellname)" = TOP ] || fail "cellname=$(usf_value "$dir" cellname)"
  ;;
same)
  dir=$(sample_drawing quil7_same)
  editor_start "$dir"
  editor_ready
  first=$EDITOR_PID
  first_trace=$TRACE
  before=$(md5sum <"$dir/QUIL7.USF")
  touch -d '2001-01-01' "$dir/QUIL7.USF" "$dir/QUIL7.CRF"
  stamp=$(stat -c %Y "$dir/QUIL7.USF")
  # The second editor writes its own trace.
  export QUIL7_TRACE="$dir/second.trace"
  quil_start QUIL7.EXE
  second=$QUIL_LAST_PID
  robot_wait 180 wait-dialog "Same Drawing" | grep -q "More than One Instance of QUIL on the Same Drawing" ||
    fail "no same-drawing refusal"
  robot press "Same Drawing" OK >/dev/null
  wait_gone "$second" 120 || fail "second editor still running"
  [ "$(stat -c %Y "$dir/QUIL7.USF")" = "$stamp" ] || fail "the refused editor wrote QUIL7.USF"
  [ "$(md5sum <"$dir/QUIL7.USF")" = "$before" ] || fail "QUIL7.USF changed"
  ! grep -q '^shutdown' "$dir/second.trace" || fail "the refused editor ran the shutdown"
  kill -0 "$first" || fail "the first editor ended"
  [ "$(usf_value "$dir" quilrunning)" = 1 ] || fail "quilrunning cleared by the refused editor"
  TRACE=$first_trace
  EDITOR_PID=$first
  editor_close
  ;;
symlink)
  # A second editor reaching the drawing through a symbolic link to its
  # folder is refused like one given the folder itself.
  dir=$(sample_drawing quil7_symlink)
  link="$(dirname "$dir")/quil7_symlink_link"
  rm -f "$link"
  ln -s "$dir" "$link"
  editor_start "$dir"
  editor_ready
  first=$EDITOR_PID
  first_trace=$TRACE
  # The link is named on the command line: the way a user reaches it.
  other=$(work_folder quil7_symlink_elsewhere)
  cd "$other" || fail "no folder $other"
  export QUIL7_TRACE="$dir/second.trace"
  quil_start QUIL7.EXE "Z:$(echo "$link/TOP.tlc" | tr / '\\')"
  second=$QUIL_LAST_PID
  robot_wait 90 wait-dialog "Same Drawing" | grep -q "More than One Instance of QUIL on the Same Drawing" ||
    fail "no same-drawing refusal through the link"
  robot press "Same Drawing" OK >/dev/null
  wait_gone "$second" 120 || fail "second editor still running"
  TRACE=$first_trace
  EDITOR_PID=$first
  editor_close
  rm -f "$link"
  ;;
stale)
  # A quilrunning=1 left behind opens normally, also while an editor runs
  # on another drawing.
  other=$(sample_drawing quil7_stale_other)
  editor_start "$other"
  editor_ready
  first=$EDITOR_PID
  dir=$(sample_drawing quil7_stale)
  set_usf "$dir" quilrunning 1
  editor_start "$dir"
  start=$SECONDS
  until grep -q '^ready' "$TRACE" 2>/dev/null; do
    robot dialog-text "Same Drawing" >/dev/null 2>&1 && fail "refused a drawing with a stale quilrunning="
    [ $((SECONDS - start)) -ge 180 ] && fail "editor not ready after 180 s"
    sleep 0.2
  done
  kill -0 "$first" || fail "the first editor ended"
  # Both windows are of class QUIL7 and the robot closes the first it finds:
  # the first editor is ended by its id before the second is closed.
  kill "$first"
  wait_gone "$first" 60 || fail "the first editor did not end"
  editor_close
  ;;
flashsave)
  # Each editor gets its own temp folder under C:\QuilTempFiles, removed
  # at close.
  temp="$QUIL_PREFIX/drive_c/QuilTempFiles"
  rm -rf "$temp"
  a=$(sample_drawing quil7_flash_a)
  b=$(sample_drawing quil7_flash_b)
  set_usf "$a" flashsave 1
  set_usf "$b" flashsave 1
  editor_start "$a"
  editor_ready
  pid_a=$EDITOR_PID
  trace_a=$TRACE
  editor_start "$b"
  editor_ready
  [ "$(find "$temp" -mindepth 1 -maxdepth 1 -type d | wc -l)" = 2 ] ||
    fail "temp folders: $(ls "$temp" 2>&1)"
  editor_close
  [ "$(find "$temp" -mindepth 1 -maxdepth 1 -type d | wc -l)" = 1 ] || fail "second editor left its folder"
  TRACE=$trace_a
  EDITOR_PID=$pid_a
  editor_close
  [ ! -d "$temp" ] || fail "temp folder left: $(ls -R "$temp")"
  ;;
runner)
  # The Run button: the chosen application starts with the file argument,
  # the lists keep it, a missing program is reported. Run first offers to
  # save the current cell, modified or not; No goes on without saving.
  run_asks_save() {
    robot wait-dialog "Confirm Save ..." 10000 >/dev/null || fail "Run did not offer to save"
    robot press "Confirm Save ..." No >/dev/null
  }
  dir=$(sample_drawing quil7_runner)
  editor_start "$dir"
  editor_ready
  robot command QUIL7 11 >/dev/null
  run_asks_save
  robot wait-dialog "Run Windows Application" 10000 >/dev/null || fail "no RUNNER dialog"
  [ "$(robot get-text "Run Windows Application" 400)" = "Notepad.exe" ] || fail "default application not shown"
  robot set-text "Run Windows Application" 400 "cmd.exe" >/dev/null
  robot set-text "Run Windows Application" 401 "/c echo ran>ran.txt" >/dev/null
  robot press "Run Windows Application" Run >/dev/null
  wait_file "$dir/ran.txt" 20 ran || fail "the application did not run"
  robot command QUIL7 11 >/dev/null
  run_asks_save
  robot wait-dialog "Run Windows Application" 10000 >/dev/null || fail "no RUNNER dialog"
  robot set-text "Run Windows Application" 400 "no_such_program_here.exe" >/dev/null
  robot press "Run Windows Application" Run >/dev/null
  robot wait-dialog "Error ..." 10000 | grep -q "Can't Find Application" || fail "no missing-program error"
  robot press "Error ..." OK >/dev/null
  sleep 0.3
  editor_close
  [ "$(usf_value "$dir" rdp1)" = "no_such_program_here.exe" ] || [ "$(usf_value "$dir" rdp0)" = "no_such_program_here.exe" ] ||
    fail "application list: $(grep '^rdp' "$dir/QUIL7.USF" | head -3)"
  grep -qi '^rdp[0-9]*=cmd.exe' "$dir/QUIL7.USF" || fail "cmd.exe not kept: $(grep '^rdp' "$dir/QUIL7.USF" | head -3)"
  ;;
options)
  # notogdraw=: toggles change without a redraw; leftcmdmenu=: the command
  # panel on the left, the drawing area ending 8 pixels before the right edge.
  dir=$(sample_drawing quil7_options)
  set_usf "$dir" notogdraw 1
  set_usf "$dir" leftcmdmenu 1
  editor_start "$dir"
  editor_ready
  sleep 0.5
  draws=$(trace_count '^start Draw')
  robot chars QUIL7 T >/dev/null
  sleep 0.5
  [ "$(robot ctl-check QUIL7 709)" = 1 ] || fail "T did not check 709"
  [ "$(trace_count '^start Draw')" = "$draws" ] || fail "T redrew with notogdraw="
  read -r w _ < <(robot client QUIL7)
  area=$(grep '^layout' "$TRACE" | tail -n1 | sed 's/.*area //')
  IFS=, read -r left _ right _ <<<"$area"
  [ "$left" -gt 8 ] || fail "area starts at $left"
  [ "$right" = $((w - 8)) ] || fail "area ends at $right of $w"
  editor_close
  ;;
badcrf)
  # A cell list that promises more cells than it holds and no setup file:
  # the messages, then the editor runs with what was valid and writes a
  # setup file.
  dir=$(work_folder quil7_badcrf)
  printf '3\nA\n1 0 0 1 1 0 0 0 0\n' >"$dir/QUIL7.CRF"
  editor_start "$dir"
  robot wait-dialog "Error ..." 30000 | grep -q "File Error ... Keeping Valid Cells" || fail "no list error"
  robot press "Error ..." OK >/dev/null
  robot wait-dialog "Warning ..." 10000 | grep -q "A.tlc File is Missing" || fail "no missing-file warning"
  robot press "Warning ..." OK >/dev/null
  editor_ready
  [ "$(usf_value "$dir" quilrunning)" = 1 ] || fail "no setup file written"
  editor_close
  [ "$(usf_value "$dir" quilrunning)" = 0 ] || fail "quilrunning not cleared"
  ;;
badfont)
  dir=$(sample_drawing quil7_badfont)
  printf 'short' >"$dir/bad.tff"
  set_usf "$dir" tffname bad.tff
  set_usf "$dir" stdmsgbox 0
  editor_start "$dir"
  robot wait-dialog "Warning ..." 30000 | grep -q "Font File is Incorrect ... Using Default Font" ||
    fail "no font warning"
  robot press "Warning ..." OK >/dev/null
  editor_ready
  editor_close
  ;;
winemode)
  # winemods=: Import and Export refuse from the tool strip, the information
  # box says so.
  dir=$(sample_drawing quil7_winemode)
  set_usf "$dir" winemods 1
  editor_start "$dir"
  editor_ready
  robot command QUIL7 14 >/dev/null
  robot wait-dialog "Error ..." 10000 | grep -q "Use Import in System Mode" || fail "Import not refused"
  robot press "Error ..." OK >/dev/null
  sleep 0.3
  robot command QUIL7 15 >/dev/null
  robot wait-dialog "Error ..." 10000 | grep -q "Use Export in System Mode" || fail "Export not refused"
  robot press "Error ..." OK >/dev/null
  sleep 0.3
  robot chars QUIL7 $'\x01' >/dev/null
  robot wait-dialog "Information and Allocations" 10000 | grep -q "Wine Mode is On" || fail "no Wine mode note"
  robot press "Information and Allocations" OK >/dev/null
  sleep 0.3
  editor_close
  ;;
fkeys)
  dir=$(sample_drawing quil7_fkeys)
  printf 'fkey=Fit\nfkey=Xpnd\nfkey=Last\n' >>"$dir/QUIL7.USF"
  editor_start "$dir"
  editor_ready
  robot key QUIL7 0x71 >/dev/null  # F2: line 1
  trace_wait '^line key Fit$' 1 || fail "F2 did not run line 1"
  robot key QUIL7 0x73 >/dev/null  # F4: line 3
  trace_wait '^line key Last$' 1 || fail "F4 did not run line 3"
  lines=$(trace_count '^line')
  robot key QUIL7 0x74 >/dev/null  # F5: line 4 is not defined
  sleep 0.5
  [ "$(trace_count '^line')" = "$lines" ] || fail "F5 ran a line"
  editor_close
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
note "ok: $case_name"
