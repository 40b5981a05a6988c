#!/usr/bin/env bash
# The editor's main window: command lines handed over by WM_COPYDATA, the
# 80-character buffer rule, keys and accelerators, the layout, closing.
source "$(dirname "$0")/../harness.sh"
source "$(dirname "$0")/quil7_lib.sh"

case_name="${1:?case}"
dir=$(sample_drawing "quil7_$case_name")
editor_start "$dir"
robot wait-class QUIL7 30000 >/dev/null || fail "editor window did not appear"
editor_ready

readout_at_centre() {
  local cx cy
  read -r cx cy < <(area_centre)
  robot mouse QUIL7 "$cx" "$cy" >/dev/null
  sleep 0.3
  robot ctl-text QUIL7 601
}

case "$case_name" in
copydata)
  title=$(robot title QUIL7)
  case "$title" in "Quil 7.0.91 beta2 "*) ;; *) fail "title is '$title'" ;; esac
  before=$(readout_at_centre)
  # The sample opens on its saved view of TOP, centred at 12.23,5.125.
  case "$before" in " x=12.23  y=5.125"*) ;; *) fail "readout before zoom: '$before'" ;; esac
  robot copydata QUIL7 "zoom 0,0 100,100" >/dev/null || fail "copydata not delivered"
  grep -q '^line key zoom 0,0 100,100$' "$TRACE" || fail "line did not reach the runner: $(cat "$TRACE")"
  # The view now centres the zoomed window: the area's centre reads 50,50.
  after=$(readout_at_centre)
  case "$after" in " x=50  y=50"*) ;; *) fail "readout after zoom: '$after'" ;; esac
  ;;
limit)
  line79=$(printf 'zoom %074d' 0)
  line80="${line79}1"
  [ ${#line79} -eq 79 ] && [ ${#line80} -eq 80 ] || fail "bad fixture"
  robot copydata QUIL7 "$line80" >/dev/null || fail "copydata not delivered"
  robot copydata QUIL7 "$line79" >/dev/null || fail "copydata not delivered"
  robot copydata-raw QUIL7 "Fit" 3 >/dev/null || fail "copydata not delivered"
  got=$(grep -E '^(line|copydata)' "$TRACE")
  expected="copydata refused
line key $line79
line key Fit"
  [ "$got" = "$expected" ] || fail "trace holds: $got"
  # While a modal dialog runs, a line from another program is not run.
  robot chars QUIL7 P >/dev/null
  robot wait-dialog "Polar Angle" 10000 >/dev/null || fail "no POLAR dialog"
  robot copydata QUIL7 "zoom 0,0 100,100" >/dev/null || fail "copydata not delivered"
  robot press "Polar Angle" Cancel >/dev/null
  grep -q '^copydata ignored: busy' "$TRACE" || fail "line not ignored during a dialog"
  ! grep -q '^line key zoom 0,0' "$TRACE" || fail "line ran during a dialog"
  ;;
keys)
  [ "$(robot ctl-check QUIL7 709)" = 0 ] || fail "texts shown at start"
  draws=$(trace_count '^start Draw')
  robot chars QUIL7 T >/dev/null
  sleep 0.3
  [ "$(robot ctl-check QUIL7 709)" = 1 ] || fail "T did not check 709"
  trace_wait '^start Draw' $((draws + 1)) || fail "T did not redraw"
  robot chars QUIL7 t >/dev/null
  sleep 0.3
  [ "$(robot ctl-check QUIL7 709)" = 0 ] || fail "t did not clear 709"
  # Ctrl+A, Ctrl+B and Ctrl+D show their information boxes.
  robot chars QUIL7 $'\x01' >/dev/null
  robot wait-dialog "Information and Allocations" 10000 | grep -q "Max Cell Collection: 8190 Cells" ||
    fail "no Ctrl+A box"
  robot press "Information and Allocations" OK >/dev/null
  robot chars QUIL7 $'\x02' >/dev/null
  robot wait-dialog "Version Build History" 10000 | grep -q "Version 7.0.91" || fail "no Ctrl+B box"
  robot press "Version Build History" OK >/dev/null
  robot chars QUIL7 $'\x04' >/dev/null
  robot wait-dialog "Object Information" 10000 | grep -q "Box 409  Path 682  Vtx 512  Cell 682" ||
    fail "no Ctrl+D box"
  robot press "Object Information" OK >/dev/null
  sleep 0.3
  # Buttons of the tool strip, the command panel and the bottom bar.
  draws=$(trace_count '^start Draw')
  robot click-id QUIL7 31 >/dev/null || fail "no Draw button"
  trace_wait '^start Draw' $((draws + 1)) || fail "the Draw button did nothing"
  robot click-id QUIL7 100 >/dev/null || fail "no Add button"
  trace_wait '^start Add' 1 || fail "the Add button did nothing"
  robot click-id QUIL7 709 >/dev/null || fail "no T toggle"
  sleep 0.3
  [ "$(robot ctl-check QUIL7 709)" = 1 ] || fail "toggle button 709 did not check"
  robot click-id QUIL7 709 >/dev/null
  sleep 0.3
  [ "$(robot ctl-check QUIL7 709)" = 0 ] || fail "toggle button 709 did not clear"
  # A and W/U change the snap toggle without a redraw.
  robot chars QUIL7 W >/dev/null
  sleep 0.3
  [ "$(robot ctl-check QUIL7 700)$(robot ctl-check QUIL7 701)" = 10 ] || fail "W did not set snapping"
  robot chars QUIL7 U >/dev/null
  sleep 0.3
  [ "$(robot ctl-check QUIL7 700)$(robot ctl-check QUIL7 701)" = 01 ] || fail "U did not clear snapping"
  # P asks for the polar angle; OK switches polar mode on, Cancel off.
  robot chars QUIL7 P >/dev/null
  robot wait-dialog "Polar Angle" 10000 >/dev/null || fail "no POLAR dialog"
  [ "$(robot get-text "Polar Angle" 1001)" = 45 ] || fail "angle shown: $(robot get-text "Polar Angle" 1001)"
  robot set-text "Polar Angle" 1001 30 >/dev/null
  robot press "Polar Angle" OK >/dev/null
  sleep 0.5
  [ "$(robot ctl-check QUIL7 707)" = 1 ] || fail "polar mode not on"
  robot chars QUIL7 p >/dev/null
  robot wait-dialog "Polar Angle" 10000 >/dev/null || fail "no POLAR dialog"
  [ "$(robot get-text "Polar Angle" 1001)" = 30 ] || fail "angle not kept"
  robot press "Polar Angle" Cancel >/dev/null
  sleep 0.5
  [ "$(robot ctl-check QUIL7 707)" = 0 ] || fail "polar mode still on"
  draws=$(trace_count '^start Draw')
  robot key QUIL7 0x0D >/dev/null  # Enter
  trace_wait '^start Draw' $((draws + 1)) || fail "Enter did not post Draw"
  robot key QUIL7 0x25 >/dev/null  # Left arrow: accelerator 22
  trace_wait '^start Left' 1 || fail "Left arrow did not start Left"
  robot key QUIL7 0x2D >/dev/null  # Insert runs Zoom as a key line
  trace_wait '^line key Zoom$' 1 || fail "Insert did not run the Zoom line"
  robot key QUIL7 0x2E >/dev/null  # Delete
  trace_wait '^line key Del$' 1 || fail "Delete did not run the Del line"
  robot syskey QUIL7 0x46 >/dev/null  # Alt+F: Fit
  trace_wait '^start Fit' 1 || fail "Alt+F did not start Fit"
  robot command QUIL7 29 >/dev/null  # the Zoom button's id
  trace_wait '^start Zoom' 1 || fail "WM_COMMAND 29 did not start Zoom"
  # F5 with no F-key lines defined does nothing.
  lines=$(trace_count '^line')
  robot key QUIL7 0x74 >/dev/null
  robot command QUIL7 1403 >/dev/null
  sleep 0.5
  [ "$(trace_count '^line')" = "$lines" ] || fail "F5 ran a line"
  # Any process may post these: a bad command index or a point with no
  # command waiting is ignored.
  starts=$(trace_count '^start')
  robot command QUIL7 12345 >/dev/null
  sleep 0.3
  [ "$(trace_count '^start')" = "$starts" ] || fail "unknown id started a command"
  ;;
layout)
  robot resize QUIL7 700 520 >/dev/null
  sleep 1
  # Class 0: TOOLBAR0 with captions (texttoolbar=), TOOLBAR1 with pictures.
  grep '^layout' "$TRACE" | tail -n1 | grep -qE ' TOOLBAR[01] ' || fail "narrow window: $(grep '^layout' "$TRACE" | tail -n1)"
  robot tree QUIL7 | grep -qE 'TOOLBAR[01]$' || fail "class 0 strip not shown"
  robot resize QUIL7 1200 900 >/dev/null
  sleep 1
  grep '^layout' "$TRACE" | tail -n1 | grep -qE ' TOOLBAR[67] ' || fail "wide window: $(grep '^layout' "$TRACE" | tail -n1)"
  [ "$(robot ctl-text QUIL7 2019)" = "Menu 1" ] || fail "Menu 1 not shown first"
  robot rclick QUIL7 300 300 >/dev/null
  sleep 0.5
  [ "$(robot ctl-text QUIL7 2019)" = "Menu 2" ] || fail "right click did not swap the panels"
  robot chars QUIL7 M >/dev/null
  sleep 0.5
  [ "$(robot ctl-text QUIL7 2019)" = "Menu 1" ] || fail "M did not swap the panels back"
  robot click-id QUIL7 2019 >/dev/null
  sleep 0.5
  [ "$(robot ctl-text QUIL7 2019)" = "Menu 2" ] || fail "the Menu button did not swap the panels"
  # A tiny window leaves no drawing area: no redraw, no crash.
  robot resize QUIL7 120 90 >/dev/null
  sleep 1
  grep '^layout' "$TRACE" | tail -n1 | grep -q 'area' || fail "no layout for a tiny window"
  kill -0 "$EDITOR_PID" || fail "editor died on a tiny window"
  robot resize QUIL7 1024 768 >/dev/null
  sleep 1.5
  screenshot "$QUIL_E2E_STATE/quil7_layout.png"
  note "screenshot: $QUIL_E2E_STATE/quil7_layout.png"
  ;;
messages)
  # WM_USER+1 with an index outside the command table: any process can post
  # it; nothing happens. A point out of range is dropped; one in range is
  # the first point of Get, which waits for it from the start.
  trace_wait '^load ' 1 || fail "the drawing was not loaded"
  trace_settle || fail "the editor kept writing its trace"
  starts=$(trace_count '^start')
  handlers=$(trace_count '^handler')
  robot post QUIL7 1025 500 0 >/dev/null
  robot post QUIL7 1025 -1 0 >/dev/null
  robot post QUIL7 1030 0x7fffffff 5 >/dev/null
  sleep 0.5
  [ "$(trace_count '^start')" = "$starts" ] || fail "a bad index started a command"
  [ "$(trace_count '^handler')" = "$handlers" ] || fail "a point out of range reached a handler"
  robot post QUIL7 1030 5 5 >/dev/null
  trace_wait '^handler Get' $((handlers + 1)) || fail "Get did not take its first point"
  draws=$(trace_count '^start Draw')
  robot post QUIL7 1025 74 0 >/dev/null
  trace_wait '^start Draw' $((draws + 1)) || fail "WM_USER+1 Draw did nothing"
  # WM_ENDSESSION with FALSE means the session goes on.
  robot post QUIL7 0x16 0 0 >/dev/null
  sleep 0.5
  kill -0 "$EDITOR_PID" || fail "editor ended on WM_ENDSESSION FALSE"
  [ "$(trace_count '^shutdown')" = 0 ] || fail "shutdown ran on WM_ENDSESSION FALSE"
  # TRUE shuts down once, though WM_DESTROY follows.
  robot post QUIL7 0x16 1 0 >/dev/null
  wait_gone "$EDITOR_PID" 15 || fail "editor still running after WM_ENDSESSION"
  [ "$(trace_count '^shutdown')" = 1 ] || fail "shutdown ran $(trace_count '^shutdown') times"
  ;;
close)
  editor_close
  robot gone-class QUIL7 5000 >/dev/null || fail "an editor window is left"
  grep -q '^shutdown' "$TRACE" || fail "shutdown did not run"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
note "ok: $case_name"
