#!/usr/bin/env bash
# QUILMX7.EXE under Wine, driven by the robot.
#   go:     SETUP filled and OK, Go: the closing message, and the routed cell
#           equals the native engine's but for date and time; the omit list
#           and Ctrl-A; the settings saved.
#   nodev:  a placed cell without device text: its error, "Aborted ... File
#           may be Incomplete", and the old result cell stays.
#   quilmx7.sh go|nodev MXRUN
source "$(dirname "$0")/../harness.sh"

case_name="${1:?case}"
mxrun="${2:?native mxrun}"
make_fixture="$QUIL_SOURCE/tests/fixtures/quilmx/make_fixture.py"

box_text() {
  robot wait-dialog "$1" "${2:-30000}" | sed -n 's/^  \[Static [0-9]*\] //p'
}

start_mx() {
  quil_start QUILMX7.EXE
  pid=$QUIL_LAST_PID
  robot_wait 180 wait-class QuilMx7 >/dev/null || fail "QuilMx7 window did not appear"
}

stamped() { tr -d '\r' <"$1" | sed -E -e 's#^[0-9]{2}[/:][0-9]{2}[/:][0-9]{2}$#<stamp>#'; }

result_of() { ls "$1" | grep -i '^routed\.tlc$'; }

case "$case_name" in
go)
  dir=$(work_folder quilmx7_go)
  native=$(work_folder quilmx7_go_native)
  /usr/bin/python3 "$make_fixture" "$dir" || fail "fixture"
  /usr/bin/python3 "$make_fixture" "$native" || fail "fixture"
  "$mxrun" "$native" cln=TOP cfn=ROUTED nfn=TOP.nod cec=END npk=Y omit0=d >"$native/messages.txt" ||
    fail "native run: $(cat "$native/messages.txt")"
  cd "$dir" || fail "no work folder"
  start_mx
  robot command QuilMx7 12 >/dev/null
  robot_wait 60 wait-dialog "QuilMx Setup" >/dev/null || fail "no setup dialog"
  [ "$(robot get-text "QuilMx Setup" 104)" = "49" ] || fail "node bus layer default"
  robot click "QuilMx Setup" Vert >/dev/null
  [ "$(robot get-text "QuilMx Setup" 133)" = "Base X" ] || fail "Vert does not relabel the base"
  robot click "QuilMx Setup" Horiz >/dev/null
  for f in "100 TOP" "101 ROUTED" "102 TOP.nod" "103 END"; do
    set -- $f
    robot set-text "QuilMx Setup" "$1" "$2" || fail "field $1"
  done
  robot click "QuilMx Setup" "Compact Node Buses" >/dev/null || fail "no Compact"
  robot press "QuilMx Setup" OK >/dev/null || fail "no OK"
  dialog_gone "QuilMx Setup" 60 || fail "the setup dialog stays after OK"
  robot command QuilMx7 13 >/dev/null
  robot_wait 60 wait-dialog "Nodes to Omit" >/dev/null || fail "no omit dialog"
  robot set-text "Nodes to Omit" 300 d || fail "omit field"
  robot press "Nodes to Omit" OK >/dev/null
  dialog_gone "Nodes to Omit" 30 || fail "the omit dialog stays"
  robot command QuilMx7 14 >/dev/null
  text=$(box_text QuilMx 60000) || fail "no closing message"
  printf '%s\n' "$text" | head -1 | grep -q "^Routed.tlc Completed" || fail "closing: $text; $(robot dialogs)"
  whole=$(robot dialog-text QuilMx | tr '\n' ' ')
  printf '%s' "$whole" | grep -q "3 Node Buses" || fail "closing: $whole"
  robot press QuilMx OK >/dev/null
  dialog_gone QuilMx 30 || fail "the closing message stays"
  diff -u <(stamped "$native/$(result_of "$native")") <(stamped "$(result_of .)") ||
    fail "routed cell differs from the native engine's"
  ls ./*.tmp >/dev/null 2>&1 && fail "scratch file left: $(ls)"
  robot chars QuilMx7 $'\x01' >/dev/null
  a=$(robot wait-dialog Allocation 20000 | tr '\n' ' ')
  printf '%s' "$a" | grep -q "512 Max Node Buses" || fail "Ctrl-A: $a"
  robot press Allocation OK >/dev/null
  dialog_gone Allocation 30 || fail "Ctrl-A box stays"
  robot close QuilMx7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  usf=$(ls | grep -i '^quilmx\.usf$')
  tr -d '\r' <"$usf" | grep -q '^npk=Y$' || fail "settings not saved: $(cat "$usf")"
  tr -d '\r' <"$usf" | grep -q '^omit0=d$' || fail "omit list not saved: $(cat "$usf")"
  note "$(printf '%s' "$text" | head -1)"
  ;;
nodev)
  dir=$(work_folder quilmx7_nodev)
  /usr/bin/python3 "$make_fixture" "$dir" --nodev --old-result || fail "fixture"
  cd "$dir" || fail "no work folder"
  old=$(md5sum <ROUTED.tlc)
  printf 'cln=TOP\ncfn=ROUTED\nnfn=TOP.nod\ncec=END\n' >QuilMx.usf
  start_mx
  robot command QuilMx7 14 >/dev/null
  q=$(box_text "Error ..." 60000)
  [ "$q" = "Connected Cell Exists ... Overwrite?" ] || fail "question: $q"
  robot press "Error ..." Yes >/dev/null
  start=$SECONDS
  e=$q
  while [ "$e" = "$q" ] && [ $((SECONDS - start)) -lt 60 ]; do
    sleep 0.5
    e=$(box_text "Error ..." 5000)
  done
  [ "$e" = "No Device Text on Cell DEV" ] || fail "error: $e; $(robot dialogs)"
  robot press "Error ..." OK >/dev/null
  text=$(box_text QuilMx 60000)
  [ "$text" = "Aborted ... File may be Incomplete" ] || fail "closing: $text"
  robot press QuilMx OK >/dev/null
  dialog_gone QuilMx 30 || fail "the closing message stays"
  [ "$(md5sum <ROUTED.tlc)" = "$old" ] || fail "the old result cell changed"
  ls ./*.tmp >/dev/null 2>&1 && fail "scratch file left: $(ls)"
  robot close QuilMx7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
echo "ok"
