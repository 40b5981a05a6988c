#!/usr/bin/env bash
# The editor's main window: command lines handed over by WM_COPYDATA, the
# 80-character buffer rule, and closing.
source "$(dirname "$0")/../harness.sh"

case_name="${1:?case}"
dir=$(sample_drawing "quil7_$case_name")
cd "$dir" || fail "no work folder"
quil_start QUIL7.EXE
pid=$QUIL_LAST_PID
robot wait-class QUIL7 30000 >/dev/null || fail "editor window did not appear"

case "$case_name" in
copydata)
  [ "$(robot title QUIL7)" = "Quil 7.0.91" ] || fail "title is '$(robot title QUIL7)'"
  robot copydata QUIL7 "zoom 0,0 100,100" >/dev/null || fail "copydata not delivered"
  wait_file QuilCmd.log 10 || fail "no command log"
  [ "$(tr -d '\r' <QuilCmd.log)" = "command: zoom 0,0 100,100" ] || fail "log holds: $(cat QuilCmd.log)"
  ;;
limit)
  line79=$(printf 'zoom %074d' 0)
  line80="${line79}1"
  [ ${#line79} -eq 79 ] && [ ${#line80} -eq 80 ] || fail "bad fixture"
  robot copydata QUIL7 "$line80" >/dev/null || fail "copydata not delivered"
  robot copydata QUIL7 "$line79" >/dev/null || fail "copydata not delivered"
  wait_file QuilCmd.log 10 "^command:" || fail "79-character line not recorded"
  log=$(tr -d '\r' <QuilCmd.log)
  expected="refused: 80 characters
command: $line79"
  [ "$log" = "$expected" ] || fail "log holds: $log"
  ;;
close)
  robot close QUIL7 >/dev/null || fail "close not posted"
  wait_gone "$pid" 10 || fail "editor still running 10 s after WM_CLOSE"
  robot gone-class QUIL7 5000 >/dev/null || fail "an editor window is left"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
note "ok: $case_name"
