#!/usr/bin/env bash
# QUILDRC7.EXE under Wine, started as the editor starts it ("TOP cx cy w"),
# Go pressed by the robot: the same log and map files as the native engine
# on a copy of the same drawing.
#   quildrc7.sh go DRCRUN
#   quildrc7.sh maps_full|maps_readonly DRCRUN   no map file can be written
source "$(dirname "$0")/../harness.sh"

case_name="${1:?case}"
drcrun="${2:?native drcrun}"
dir=$(work_folder "quildrc7_$case_name")
native=$(work_folder "quildrc7_${case_name}_native")
/usr/bin/python3 "$QUIL_SOURCE/tests/fixtures/drc/make_fixture.py" "$dir" || fail "fixture"
/usr/bin/python3 "$QUIL_SOURCE/tests/fixtures/drc/make_fixture.py" "$native" || fail "fixture"
args="TOP 100 50 250"
case "$case_name" in resume | close) args="TOP 100 50 600" ;; esac

"$drcrun" "$native" $args >"$native/messages.txt" || fail "native run: $(cat "$native/messages.txt")"

case "$case_name" in
maps_full | maps_readonly)
  # The drawing on a small file system of its own, full or read-only, so no
  # map file can be written; the log goes to a folder that takes it.
  logdir=$(work_folder "quildrc7_${case_name}_log")
  log="$logdir/QuilDrc.log"
  printf 'wr2=Z:%s\n' "$(echo "$log" | tr / '\\')" >>"$dir/QuilDrc.usf"
  src=$(work_folder "quildrc7_${case_name}_src")
  cp -r "$dir/." "$src/"
  if ! mount -t tmpfs -o size=1m tmpfs "$dir" 2>/dev/null; then
    note "skipped: can't mount a file system here"
    exit 0
  fi
  trap 'quil_end_all; umount -l "$dir"' EXIT
  cp -r "$src/." "$dir/"
  if [ "$case_name" = maps_full ]; then
    dd if=/dev/zero of="$dir/filler" bs=4k 2>/dev/null
  else
    mount -o remount,ro "$dir" || fail "can't make the drawing read-only"
  fi
  ;;
esac

cd "$dir" || fail "no work folder"
quil_start QUILDRC7.EXE $args
pid=$QUIL_LAST_PID
robot_wait 180 wait-class QuilDrc7 >/dev/null || fail "rule checker window did not appear"
[ "$(robot title QuilDrc7)" = "QuilDrc 7.0.91 beta2" ] || fail "title is '$(robot title QuilDrc7)'"

case "$case_name" in
go)
  robot command QuilDrc7 14 >/dev/null || fail "Go not posted"
  wait_file QuilDrc.log 120 "DRC Completed" || fail "no completed log: $(cat QuilDrc.log 2>/dev/null | tail -5)"
  robot press QuilDrc OK 10000 >/dev/null || fail "no closing message: $(robot dialogs)"
  robot close QuilDrc7 >/dev/null || fail "close not posted"
  wait_gone "$pid" 20 || fail "rule checker still running 20 s after WM_CLOSE"
  # Logs alike but for the run's date, time and duration.
  strip() { tr -d '\r' <"$1" | grep -v -e '^\*\*\* QUIL Design Rule Check' -e '^Total Run Time:'; }
  diff -u <(strip "$native/QuilDrc.log") <(strip QuilDrc.log) || fail "logs differ"
  n=$(ls TOP_*.pcx 2>/dev/null | wc -l)
  [ "$n" -gt 0 ] || fail "no map files"
  (cd "$native" && md5sum TOP_*.pcx) >"$dir/native.md5"
  md5sum -c --quiet "$dir/native.md5" || fail "map files differ"
  grep -q '^wl=-25um' QuilDrc.usf || fail "window of the command line not kept: $(grep '^w' QuilDrc.usf)"
  note "$n map files alike"
  ;;
resume)
  # Escape during the run, answered Yes: the restart point is saved; a
  # second run resumes there. Together they log exactly the areas of one
  # uninterrupted run.
  robot command QuilDrc7 14 >/dev/null || fail "Go not posted"
  wait_file QuilDrc.log 120 "^Area: " || fail "the run logs no area"
  # The run looks at Esc between its tests: on a loaded machine one hold
  # can fall between two looks, so Esc is held again until it asks.
  start=$SECONDS
  until robot wait-dialog "Pause ..." 2000 >/dev/null; do
    grep -q "DRC Completed" QuilDrc.log && fail "the run completed before Esc was seen"
    [ $((SECONDS - start)) -ge 120 ] && fail "no abort question: $(robot dialogs)"
    robot esc-hold 1500 >/dev/null
  done
  robot press "Pause ..." Yes >/dev/null || fail "Yes not pressed"
  dialog_gone "Pause ..." 60 || fail "the abort question stays"
  robot_wait 180 press QuilDrc OK >/dev/null || fail "no closing message: $(robot dialogs)"
  grep -q "Aborted ... DRC may be Incomplete" QuilDrc.log || fail "the run did not stop"
  dialog_gone QuilDrc 60 || fail "the closing message stays"
  robot close QuilDrc7 >/dev/null
  wait_gone "$pid" 60 || fail "rule checker still running after WM_CLOSE"
  tr -d '\r' <QuilDrc.usf | grep -q '^ckl=.\+um$' || fail "no restart point saved: $(grep '^ck' QuilDrc.usf)"
  saved="$(tr -d '\r' <QuilDrc.usf | grep '^ck[lb]=\|^csn=' | tr '\n' ' ')"
  cp QuilDrc.log first.log
  sed -i 's/^ers=.*/ers=N/' QuilDrc.usf
  quil_start QUILDRC7.EXE $args
  pid=$QUIL_LAST_PID
  robot_wait 180 wait-class QuilDrc7 >/dev/null || fail "second start"
  robot command QuilDrc7 14 >/dev/null || fail "Go not posted"
  wait_file QuilDrc.log 300 "DRC Completed" || fail "the resumed run did not complete"
  robot_wait 120 press QuilDrc OK >/dev/null || fail "no closing message"
  dialog_gone QuilDrc 60 || fail "the closing message stays"
  robot close QuilDrc7 >/dev/null
  wait_gone "$pid" 60 || fail "rule checker still running after WM_CLOSE"
  areas() { tr -d '\r' <"$1" | grep -e '^Area: ' -e '^Check ' | sed 's/Map File: .*//'; }
  # The resumed log holds both runs (ers=N); their area lines, check by check.
  merged=$(tr -d '\r' <QuilDrc.log | awk '/^Check /{c=$0} /^Area: /{sub(/Map File: .*/,""); print c " | " $0}' | sort -u)
  wanted=$(tr -d '\r' <"$native/QuilDrc.log" | awk '/^Check /{c=$0} /^Area: /{sub(/Map File: .*/,""); print c " | " $0}' | sort -u)
  [ -n "$wanted" ] || fail "the native run logged no area"
  diff <(echo "$wanted") <(echo "$merged") || fail "resumed areas differ from one whole run (restart: $saved)"
  n1=$(tr -d '\r' <QuilDrc.log | awk '/^Check /{c=$0} /^Area: /{print c " | " $0}' | wc -l)
  n2=$(echo "$wanted" | wc -l)
  [ "$n1" -eq "$n2" ] || fail "an area was logged twice ($n1 lines, $n2 wanted)"
  note "stopped at $saved; $n2 areas logged in all"
  ;;
close)
  # Closing the window during a run: confirmed, the run stops at its next
  # test and saves its restart point, and only then are the settings written.
  robot command QuilDrc7 14 >/dev/null || fail "Go not posted"
  wait_file QuilDrc.log 60 "^Area: " || fail "the run logs no area"
  robot close QuilDrc7 >/dev/null || fail "close not posted"
  robot press QuilDrc Yes 20000 >/dev/null || fail "no close question: $(robot dialogs)"
  robot press QuilDrc OK 30000 >/dev/null || fail "no closing message: $(robot dialogs)"
  wait_gone "$pid" 20 || fail "rule checker still running after a confirmed close"
  grep -q "Aborted ... DRC may be Incomplete" QuilDrc.log || fail "the run did not stop"
  tr -d '\r' <QuilDrc.usf | grep -q '^ckl=.\+um$' || fail "restart point not in the settings: $(grep '^ck' QuilDrc.usf)"
  note "settings after close: $(tr -d '\r' <QuilDrc.usf | grep '^ck[lb]=\|^csn=' | tr '\n' ' ')"
  ;;
maps_full | maps_readonly)
  # One question for the run, answered Yes: every area logged without a
  # file, no map file left (not even a part-written one), and the closing
  # text counts the maps not written.
  robot command QuilDrc7 14 >/dev/null || fail "Go not posted"
  robot_wait 120 wait-dialog "Warning ..." >/dev/null || fail "no question about the map files: $(robot dialogs)"
  txt=$(robot dialog-text "Warning ...")
  case "$txt" in *"Can't Open Map File TOP_1_1.pcx ... Continue without Map Files?"*) ;; *) fail "question: $txt" ;; esac
  robot press "Warning ..." Yes >/dev/null || fail "Yes not pressed"
  dialog_gone "Warning ..." 30 || fail "the question stays"
  wait_file "$log" 120 "DRC Completed" || fail "no completed log: $(tail -5 "$log" 2>/dev/null)"
  robot_wait 60 wait-dialog QuilDrc >/dev/null || fail "no closing message: $(robot dialogs)"
  closing=$(robot dialog-text QuilDrc)
  robot dialogs | grep -q 'Warning \.\.\.' && fail "asked again: $(robot dialogs)"
  robot press QuilDrc OK >/dev/null
  robot close QuilDrc7 >/dev/null || fail "close not posted"
  wait_gone "$pid" 20 || fail "rule checker still running 20 s after WM_CLOSE"
  maps=$(tr -d '\r' <"$native/QuilDrc.log" | grep -c '^Area: .*Map File: TOP_')
  [ "$maps" -gt 0 ] || fail "the native run mapped nothing"
  case "$closing" in
  *"DRC Completed ...  $maps Total Maps"$'\n'"$maps Maps not Written to File"*) ;;
  *) fail "closing text: $closing" ;;
  esac
  [ "$(tr -d '\r' <"$log" | grep -c '^Area: .*Map File: No File$')" = "$maps" ] ||
    fail "log does not say No File for each of $maps maps: $(tr -d '\r' <"$log" | grep '^Area: ')"
  tr -d '\r' <"$log" | grep '^Area: ' | grep -v 'No File$' && fail "a map is logged as written"
  ls "$dir" | grep -i '\.pcx$' && fail "map files left in the drawing"
  note "$maps maps, none written, asked once"
  ;;
locate)
  # The editor (its window class QUIL7) in a drawing of its own traces the
  # command lines it is handed.
  source "$(dirname "$0")/../editor/quil7_lib.sh"
  editor=$(sample_drawing "quildrc7_locate_editor")
  editor_start "$editor"
  editor_ready
  cd "$dir" || fail "no work folder"
  robot command QuilDrc7 14 >/dev/null || fail "Go not posted"
  wait_file QuilDrc.log 120 "DRC Completed" || fail "no completed log"
  robot press QuilDrc OK 10000 >/dev/null || fail "no closing message: $(robot dialogs)"
  first=$(tr -d '\r' <QuilDrc.log | sed -n 's/^Area: L= \(\S*\) B= \(\S*\) R= \(\S*\) T= \(\S*\)   Map File: TOP_1_1.pcx$/\1,\2 \3,\4/p')
  [ -n "$first" ] || fail "TOP_1_1.pcx not in the log"
  robot command QuilDrc7 12 >/dev/null || fail "View not posted"
  robot wait-dialog "Open Map File" 10000 >/dev/null || fail "no open-file dialog"
  robot set-text "Open Map File" 1148 TOP_1_1.pcx >/dev/null || fail "file name not set"
  robot press "Open Map File" Open >/dev/null || fail "Open not pressed"
  title=""
  for _ in $(seq 50); do
    title=$(robot dialogs | sed -n 's/^dialog: \(.*TOP_1_1\.pcx\)$/\1/p')
    [ -n "$title" ] && break
    sleep 0.2
  done
  [ -n "$title" ] || fail "viewer did not open the map file: $(robot dialogs)"
  robot press "$title" Locate >/dev/null || fail "Locate not pressed"
  wait_file "$TRACE" 10 "^line key zoom" || fail "the editor got no zoom line: $(cat "$TRACE")"
  got=$(tr -d '\r' <"$TRACE" | grep '^line key zoom')
  [ "$got" = "line key zoom $first" ] || fail "editor got '$got', expected 'line key zoom $first'"
  robot press "$title" OK >/dev/null
  note "Locate sent: zoom $first"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
note "ok: $case_name"
