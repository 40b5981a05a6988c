#!/usr/bin/env bash
# QUIL3D7.EXE under Wine, driven by the robot.
#   go:    SETUP filled (file, spacing, angles, layer list) and OK, Go: the
#          closing message, and the result cell equals the native engine's
#          but for date and time; help list, Ctrl-A and the saved settings.
#   bad:   a record that can't be read: its error, "Aborted ... Files may be
#          Incomplete", and the old result cell stays.
#   quil3d7.sh go|bad Q3DRUN
source "$(dirname "$0")/../harness.sh"

case_name="${1:?case}"
q3drun="${2:?native q3drun}"
make_fixture="$QUIL_SOURCE/tests/fixtures/quil3d/make_fixture.py"

box_text() {
  robot wait-dialog "$1" "${2:-30000}" | sed -n 's/^  \[Static [0-9]*\] //p'
}

start_3d() {
  quil_start QUIL3D7.EXE
  pid=$QUIL_LAST_PID
  robot_wait 180 wait-class QUIL3D7 >/dev/null || fail "QUIL3D7 window did not appear"
}

# Dates and times aside, carriage returns dropped.
stamped() { tr -d '\r' <"$1" | sed -E -e 's#^[0-9]{2}[/:][0-9]{2}[/:][0-9]{2}$#<stamp>#'; }

result_of() { ls "$1" | grep -i '^flat_3d\.tlc$'; }

case "$case_name" in
go)
  dir=$(work_folder quil3d7_go)
  native=$(work_folder quil3d7_go_native)
  /usr/bin/python3 "$make_fixture" "$dir" || fail "fixture"
  /usr/bin/python3 "$make_fixture" "$native" || fail "fixture"
  "$q3drun" "$native" sfn=FLAT stp=12 aa1=30 aa2=50 l0=2 l1= l2=1 >"$native/messages.txt" ||
    fail "native run: $(cat "$native/messages.txt")"
  cd "$dir" || fail "no work folder"
  start_3d
  [ "$(robot title QUIL3D7)" = "Quil3D 7.0.91 beta2" ] || fail "title is '$(robot title QUIL3D7)'"
  robot command QUIL3D7 12 >/dev/null
  robot_wait 60 wait-dialog "Quil3D Setup" >/dev/null || fail "no setup dialog"
  [ "$(robot get-text "Quil3D Setup" 102)" = "45" ] || fail "Z Angle default: $(robot get-text "Quil3D Setup" 102)"
  for f in "100 FLAT" "101 12" "102 30" "103 50" "501 2" "503 1"; do
    set -- $f
    robot set-text "Quil3D Setup" "$1" "$2" || fail "field $1"
  done
  robot press "Quil3D Setup" OK >/dev/null || fail "no OK"
  dialog_gone "Quil3D Setup" 60 || fail "the setup dialog stays after OK"
  robot command QUIL3D7 13 >/dev/null
  text=$(box_text Quil3D 60000) || fail "no closing message"
  [ "$text" = "Flat_3D.tlc Created" ] || [ "$(printf '%s' "$text" | head -1)" = "Flat_3D.tlc Created" ] ||
    fail "closing: $text; dialogs: $(robot dialogs)"
  robot press Quil3D OK >/dev/null
  dialog_gone Quil3D 30 || fail "the closing message stays"
  res=$(result_of .)
  [ -n "$res" ] || fail "no result cell: $(ls)"
  diff -u <(stamped "$native/$(result_of "$native")") <(stamped "$res") || fail "result differs from the native engine's"
  ls ./*.tmp >/dev/null 2>&1 && fail "scratch file left: $(ls)"
  # Help list and Ctrl-A.
  robot command QUIL3D7 10 >/dev/null
  robot_wait 30 wait-dialog Help >/dev/null || fail "no help list"
  robot get-text Help 1001 | grep -q "Quil3D Help" || fail "help caption line"
  robot press Help Cancel >/dev/null
  dialog_gone Help 30 || fail "help list stays"
  robot chars QUIL3D7 $'\x01' >/dev/null
  a=$(robot wait-dialog Allocation 20000 | tr '\n' ' ')
  printf '%s' "$a" | grep -q "Max Vertex 1024" || fail "Ctrl-A: $a"
  robot press Allocation OK >/dev/null
  dialog_gone Allocation 30 || fail "Ctrl-A box stays"
  robot close QUIL3D7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  usf=$(ls | grep -i '^quil3d\.usf$')
  tr -d '\r' <"$usf" | grep -q '^aa1=30$' || fail "settings not saved: $(cat "$usf")"
  tr -d '\r' <"$usf" | grep -q '^l2=1$' || fail "layer list not saved: $(cat "$usf")"
  note "$text"
  ;;
bad)
  dir=$(work_folder quil3d7_bad)
  /usr/bin/python3 "$make_fixture" "$dir" --bad --old-result || fail "fixture"
  cd "$dir" || fail "no work folder"
  old=$(md5sum <FLAT_3D.tlc)
  printf 'sfn=FLAT\nstp=10\naa1=45\naa2=60\nold=N\nl0=1\nl1=2\n' >Quil3D.usf
  start_3d
  robot command QUIL3D7 13 >/dev/null
  e=$(box_text "Error ..." 60000)
  [ "$e" = "Box Record Read Error" ] || fail "error: $e; dialogs: $(robot dialogs)"
  robot press "Error ..." OK >/dev/null
  text=$(box_text Quil3D 60000)
  [ "$text" = "Aborted ... Files may be Incomplete" ] || fail "closing: $text"
  robot press Quil3D OK >/dev/null
  dialog_gone Quil3D 30 || fail "the closing message stays"
  [ "$(md5sum <FLAT_3D.tlc)" = "$old" ] || fail "the old result cell changed"
  ls ./*.tmp >/dev/null 2>&1 && fail "scratch file left: $(ls)"
  robot close QUIL3D7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
echo "ok"
