#!/usr/bin/env bash
# The view and setting commands in the editor, driven through the command
# panel's buttons and their dialogs as a user would:
#   dialogs  Dpth (Apply, then Last), Wdth and Tsiz (a refused value shows
#            the dialog again), Swin and Rwin through SWIN, Ctrl+Wgrd through
#            WDGRD; the settings reach the setup file at the close.
#   grid     Grid, then Dgrd: the screen shows dots at the grid's pixels.
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../harness.sh"
source "$here/../editor/quil7_lib.sh"

case_name="${1:?case}"
dir=$(sample_drawing "quil7view_$case_name")
sed -i 's/^objname=.*/objname=P/' "$dir/QUIL7.USF"

editor_start "$dir"
robot_wait 60 wait-class QUIL7 >/dev/null || fail "editor window did not appear"
editor_ready
trace_wait '^draw ' 1 || fail "nothing drawn: $(cat "$TRACE")"
trace_settle || fail "the editor kept writing its trace"

# button ID: a command-panel button clicked (the panel that shows it).
button() { robot click-id QUIL7 "$1" >/dev/null || fail "no button $1: $(robot tree QUIL7)"; }

dialog_gone() {
  local n=0
  while robot dialog-text "$1" >/dev/null 2>&1; do
    [ $n -ge 50 ] && fail "dialog '$1' still open"
    sleep 0.2
    n=$((n + 1))
  done
}

# ok_again CAPTION ID TEXT: a value typed and OK pressed; the dialog must
# come back (the value is refused).
ok_again() {
  robot set-text "$1" "$2" "$3" >/dev/null || fail "no field $2 in $1"
  robot press "$1" OK >/dev/null
  sleep 0.5
  robot_wait 30 wait-dialog "$1" >/dev/null || fail "$1 did not come back after '$3'"
  [ "$(robot get-text "$1" "$2")" != "$3" ] || fail "$1 kept the refused '$3'"
}

pane() { robot ctl-text QUIL7 "$1"; }

# last_draw: "cx cy width" of the last redraw.
last_draw() { grep '^draw ' "$TRACE" | tail -n1 | awk '{ print $2, $3, $4 }'; }

case "$case_name" in
dialogs)
  # Dpth: top 5 and bottom 3 give a single level 5; Last brings back 0-24.
  button 121
  robot_wait 30 wait-dialog "Depth" >/dev/null || fail "no DPTH dialog"
  robot set-text "Depth" 1274 5 >/dev/null
  robot set-text "Depth" 1277 3 >/dev/null
  robot press "Depth" Apply >/dev/null
  dialog_gone "Depth"
  sleep 0.5
  case "$(pane 604)" in " Depth(5-5) "*) ;; *) fail "pane 604 after Dpth: '$(pane 604)'" ;; esac
  button 121
  robot_wait 30 wait-dialog "Depth" >/dev/null || fail "no DPTH dialog the second time"
  [ "$(robot get-text "Depth" 1274)" = 5 ] || fail "DPTH does not show the top level"
  robot press "Depth" Last >/dev/null
  dialog_gone "Depth"
  sleep 0.5
  case "$(pane 604)" in " Depth(0-24) "*) ;; *) fail "pane 604 after Last: '$(pane 604)'" ;; esac

  # Wdth: 0.0031 is an odd width of 3 units, asked again; 0.5 Extended.
  button 163
  robot_wait 30 wait-dialog "Path Width" >/dev/null || fail "no WDTH dialog"
  ok_again "Path Width" 163 0.0031
  robot set-text "Path Width" 163 0.5 >/dev/null
  robot click "Path Width" Extended >/dev/null || fail "no Extended button"
  robot press "Path Width" OK >/dev/null
  dialog_gone "Path Width"
  sleep 0.5
  case "$(pane 603)" in *"Wdth=-0.5um"*) ;; *) fail "pane 603 after Wdth: '$(pane 603)'" ;; esac

  # Tsiz: below 15 units is asked again; 0.31 is kept as 0.315 (15s).
  button 159
  robot_wait 30 wait-dialog "Text Size" >/dev/null || fail "no TSIZ dialog"
  ok_again "Text Size" 159 0.001
  robot set-text "Text Size" 159 0.31 >/dev/null
  robot press "Text Size" OK >/dev/null
  dialog_gone "Text Size"

  # Swin into slot 3, another view, Rwin from slot 3.
  draws=$(trace_count '^draw ')
  robot copydata QUIL7 "zoom 0,0 10,10" >/dev/null
  trace_wait '^draw ' $((draws + 1)) || fail "no redraw after zoom"
  kept=$(last_draw)
  button 154
  robot_wait 30 wait-dialog "Saved Windows" >/dev/null || fail "no SWIN dialog"
  [ "$(robot get-text "Saved Windows" 1335)" = Swin ] || fail "SWIN does not say Swin"
  robot press "Saved Windows" 3 >/dev/null
  dialog_gone "Saved Windows"
  draws=$(trace_count '^draw ')
  robot copydata QUIL7 "xpnd" >/dev/null
  trace_wait '^draw ' $((draws + 1)) || fail "no redraw after xpnd"
  [ "$(last_draw)" != "$kept" ] || fail "xpnd did not change the view"
  draws=$(trace_count '^draw ')
  button 148
  robot_wait 30 wait-dialog "Saved Windows" >/dev/null || fail "no SWIN dialog for Rwin"
  [ "$(robot get-text "Saved Windows" 1335)" = Rwin ] || fail "SWIN does not say Rwin"
  robot press "Saved Windows" 3 >/dev/null
  dialog_gone "Saved Windows"
  trace_wait '^draw ' $((draws + 1)) || fail "no redraw after Rwin"
  [ "$(last_draw)" = "$kept" ] || fail "Rwin gave '$(last_draw)', saved '$kept'"

  # Wgrd with Ctrl held opens WDGRD; its value becomes the working grid.
  robot key-hold 0x11 6000 >/dev/null &
  held=$!
  sleep 1.5
  button 165
  robot_wait 30 wait-dialog "Custom Grid" >/dev/null || fail "Ctrl+Wgrd did not open WDGRD"
  wait "$held"
  robot set-text "Custom Grid" 2006 0.25 >/dev/null
  robot press "Custom Grid" OK >/dev/null
  dialog_gone "Custom Grid"
  sleep 0.5
  case "$(pane 603)" in " Wgrd=0.25um "*) ;; *) fail "pane 603 after Ctrl+Wgrd: '$(pane 603)'" ;; esac
  # Without Ctrl: the next preset (the custom grid is index 0).
  button 165
  sleep 0.5
  case "$(pane 603)" in " Wgrd=0.005um "*) ;; *) fail "pane 603 after Wgrd: '$(pane 603)'" ;; esac

  editor_close
  # The setup file as text lines (it is written with CR LF).
  usf="$QUIL_E2E_STATE/quil7view_dialogs.usf"
  tr -d '\r' <"$dir/QUIL7.USF" >"$usf"
  grep -qx 'pwidth=-500' "$usf" || fail "pwidth: $(grep '^pwidth=' "$usf")"
  grep -qx 'twidth=315' "$usf" || fail "twidth: $(grep '^twidth=' "$usf")"
  grep -qx 'topdepth=0' "$usf" && grep -qx 'botdepth=24' "$usf" || fail "depth: $(grep 'depth=' "$usf")"
  grep -qx 'lasttopdepth=5' "$usf" || fail "last depth: $(grep 'depth=' "$usf")"
  w3=$(echo "$kept" | awk '{ printf "%.9g", $3 }')
  grep -qx "savewinw3=$w3" "$usf" || fail "slot 3 (width $w3): $(grep '^savewin.3=' "$usf")"
  ;;
grid)
  # The grid off to start with; the view from the rule checker's zoom.
  draws=$(trace_count '^draw ')
  robot copydata QUIL7 "zoom -6.5,-5.5 26.5,15.75" >/dev/null
  trace_wait '^draw ' $((draws + 1)) || fail "no redraw after zoom"
  robot cursor-pos 0 0 >/dev/null
  robot mouse QUIL7 3 3 >/dev/null
  sleep 1
  read -r ox oy < <(robot origin QUIL7)
  read -r _ _ _ width _ area _ < <(grep '^draw ' "$TRACE" | tail -n1)
  IFS=, read -r left top right bottom <<<"$area"
  shots="$QUIL_E2E_STATE/quil7view_grid"
  screenshot "$shots.0.png"
  # TOP has rank 3: display grid 4 of the setup, 1000 units.
  button 128
  sleep 1
  screenshot "$shots.1.png"
  button 120  # Dgrd: the next preset, 2500 units
  sleep 1
  screenshot "$shots.2.png"
  for i in 0 1 2; do convert "$shots.$i.png" "$shots.$i.ppm" || fail "no ppm"; done
  pitch() { awk -v p="$1" -v w="$width" -v l="$left" -v r="$right" 'BEGIN { printf "%.4f", p * (r - l) / w }'; }
  python3 "$here/griddots.py" "$shots.0.ppm" "$shots.1.ppm" "$ox" "$oy" "$left" "$top" "$right" "$bottom" \
    "$(pitch 1000)" >&2 || fail "no dots of the 1 um grid after Grid"
  python3 "$here/griddots.py" "$shots.1.ppm" "$shots.2.ppm" "$ox" "$oy" "$left" "$top" "$right" "$bottom" \
    "$(pitch 2500)" >&2 || fail "no dots of the 2.5 um grid after Dgrd"
  case "$(pane 603)" in *"Dgrd=2.5um"*) ;; *) fail "pane 603 after Dgrd: '$(pane 603)'" ;; esac
  editor_close
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
exit 0
