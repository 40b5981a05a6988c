#!/usr/bin/env bash
# QUILLL7.EXE under Wine, driven by the robot: SETUP filled and OK, Go, and
# the result cell and log equal the native engine's but for date and time;
# a run stopped with Esc keeps the old result cell, and Go, Setup and Close
# do nothing while it runs.
#   quilll7.sh go|abort LLRUN
source "$(dirname "$0")/../harness.sh"

case_name="${1:?case}"
llrun="${2:?native llrun}"
make_fixture="$QUIL_SOURCE/tests/fixtures/layerlogic/make_fixture.py"

# Text of the message box captioned $1 (waits for it).
box_text() {
  robot wait-dialog "$1" "${2:-30000}" | sed -n 's/^  \[Static [0-9]*\] //p'
}

# Answers QuilLL's boxes until one holds $1 (a second abort question, Esc
# reaching both the poll and the progress dialog, is answered Yes); prints it.
# The rounding question is answered Ignore All, as the native run ignores it.
answer_until() {
  local pat="$1" text start=$SECONDS
  while [ $((SECONDS - start)) -lt 120 ]; do
    robot press Rounding "Ignore All" 500 >/dev/null 2>&1
    text=$(box_text QuilLL 3000)
    [ -n "$text" ] || continue
    if printf '%s' "$text" | grep -q -- "$pat"; then
      printf '%s\n' "$text"
      return 0
    fi
    if printf '%s' "$text" | grep -q "Aborting"; then
      robot press QuilLL Yes >/dev/null
    else
      robot press QuilLL OK >/dev/null
    fi
  done
  echo "none in 120 s; last box: ${text:-none}"
  return 1
}

start_ll() {
  quil_start QUILLL7.EXE
  pid=$QUIL_LAST_PID
  robot_wait 180 wait-class QuilLL7 >/dev/null || fail "QuilLL7 window did not appear"
}

# Dates and times aside, carriage returns dropped.
stamped() { tr -d '\r' <"$1" | sed -E -e 's#^[0-9]{2}[/:][0-9]{2}[/:][0-9]{2}$#<stamp>#' \
  -e 's#(Conversion Log  7\.0\.91).*#\1#' -e 's#^Total Time: .*#Total Time#'; }

case "$case_name" in
go)
  dir=$(work_folder quilll7_go)
  native=$(work_folder quilll7_go_native)
  /usr/bin/python3 "$make_fixture" "$dir" || fail "fixture"
  /usr/bin/python3 "$make_fixture" "$native" || fail "fixture"
  "$llrun" "$native" cln=TOP tlc=RES res=0.01 bl=-1 bb=-0.5 br=15 bt=9.5 log=2 poly=Y siz=0.02 \
    >"$native/messages.txt" || fail "native run: $(cat "$native/messages.txt")"
  cd "$dir" || fail "no work folder"
  start_ll
  [ "$(robot title QuilLL7)" = "QuilLL 7.0.91 beta2" ] || fail "title is '$(robot title QuilLL7)'"
  robot command QuilLL7 12 >/dev/null
  robot_wait 60 wait-dialog "Process Setup" >/dev/null || fail "no setup dialog"
  for f in "100 TOP" "101 RES" "105 0.01" "106 0.02" "108 -1" "109 -0.5" "110 15" "111 9.5"; do
    set -- $f
    robot set-text "Process Setup" "$1" "$2" || fail "field $1"
  done
  robot click "Process Setup" XOR >/dev/null || fail "no XOR"
  robot click "Process Setup" "Convert to Poly" >/dev/null || fail "no Convert to Poly"
  robot press "Process Setup" OK >/dev/null || fail "no OK"
  dialog_gone "Process Setup" 60 || fail "the setup dialog stays after OK"
  robot command QuilLL7 13 >/dev/null
  text=$(answer_until "Completed") || fail "no closing message: $text; dialogs: $(robot dialogs); files: $(ls)"
  printf '%s\n' "$text" | grep -Eq "^Completed \.\.\. [0-9]+ Boxes  [0-9]+ Poly  [0-9]+ Vertices" ||
    fail "closing: $text"
  robot press QuilLL OK >/dev/null
  wait_file Quilll.log 20 "^Use Import" || fail "log not finished"
  diff -u <(stamped "$native/Res.tlc") <(stamped Res.tlc) || fail "result cell differs from the native engine's"
  diff -u <(stamped "$native/Quilll.log") <(stamped Quilll.log) || fail "log differs from the native engine's"
  grep -q "Poly" "$native/messages.txt" || fail "native: $(cat "$native/messages.txt")"
  robot close QuilLL7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  tr -d '\r' <Quilll.usf 2>/dev/null | grep -q '^cln=TOP' || tr -d '\r' <QuilLL.usf | grep -q '^cln=TOP' ||
    fail "settings not saved"
  note "$(printf '%s' "$text" | head -1)"
  ;;
abort)
  dir=$(work_folder quilll7_abort)
  /usr/bin/python3 "$make_fixture" "$dir" --old-result || fail "fixture"
  cd "$dir" || fail "no work folder"
  old=$(md5sum <RES.tlc)
  # Map cells of one unit over 150 x 150 um: thousands of areas.
  printf 'cln=TOP\ntlc=RES\nres=0.001\nbl=0\nbb=0\nbr=150\nbt=150\n' >QuilLL.usf
  start_ll
  robot command QuilLL7 13 >/dev/null
  q=$(box_text "Error ..." 30000) || fail "no overwrite question"
  [ "$q" = "Result Cell Exists ... Overwrite?" ] || fail "question: $q"
  robot press "Error ..." Yes >/dev/null
  robot_wait 60 wait-dialog "Creating Res.tlc" >/dev/null || fail "the run did not start: $(robot dialogs)"
  # Setup, Go and Close are refused while the run goes.
  robot command QuilLL7 12 >/dev/null
  robot command QuilLL7 13 >/dev/null
  robot close QuilLL7 >/dev/null
  sleep 2
  robot dialog-text "Process Setup" >/dev/null 2>&1 && fail "Setup opened during the run"
  kill -0 "$pid" 2>/dev/null || fail "the program closed during the run"
  robot wait-class QuilLL7 5000 >/dev/null || fail "the window went during the run"
  start=$SECONDS
  until robot wait-dialog QuilLL 2000 >/dev/null; do
    [ $((SECONDS - start)) -ge 90 ] && fail "no abort question: $(robot dialogs)"
    robot esc-hold 1500 >/dev/null
  done
  text=$(answer_until "Aborted") || fail "no aborted message: $text"
  [ "$text" = "Aborted ... TLC File may be Incomplete" ] || fail "closing: $text"
  robot press QuilLL OK >/dev/null
  dialog_gone QuilLL 60 || fail "the closing message stays"
  [ "$(md5sum <RES.tlc)" = "$old" ] || fail "the old result cell changed"
  ls ./*.tmp >/dev/null 2>&1 && fail "scratch file left: $(ls)"
  robot close QuilLL7 >/dev/null
  wait_gone "$pid" 30 || fail "still running after WM_CLOSE"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
echo "ok"
