#!/usr/bin/env bash
# The drawing area while the user works: selection, rubber bands, cells
# loaded by name.
#   display_edit.sh select REF   a box edge taken by Get is drawn in the
#                                selection colour (palette 15), nothing else
#   display_edit.sh rubber REF   a Get window's rubber band drawn and taken
#                                off again leaves the screen as it was
#   display_edit.sh newcell      an unknown name brings NEWCELL; Recall goes
#                                back to the previous cell
source "$(dirname "$0")/../harness.sh"
source "$(dirname "$0")/quil7_lib.sh"

case_name="${1:?case}"
REF="${2:-}"
dir=$(sample_drawing "display_edit_$case_name")
editor_start "$dir"
robot wait-class QUIL7 30000 >/dev/null || fail "editor window did not appear"
editor_ready
trace_wait '^draw ' 1 || fail "nothing drawn: $(cat "$TRACE")"

wait_no_dialog() {
  local n=0
  while robot dialog-text "$1" >/dev/null 2>&1; do
    [ $n -ge 50 ] && fail "dialog '$1' still open"
    sleep 0.2
    n=$((n + 1))
  done
}

# wait_title TEXT: waits until the title shows "Cell: TEXT ".
wait_title() {
  local n=0
  while :; do
    case "$(robot title QUIL7)" in *"Cell: $1 "*) return 0 ;; esac
    [ $n -ge 50 ] && return 1
    sleep 0.2
    n=$((n + 1))
  done
}

# mouse_off: the mouse outside the drawing area, the editor's marks taken off.
mouse_off() {
  robot cursor-pos 0 0 >/dev/null
  robot mouse QUIL7 3 3 >/dev/null
  sleep 1
}

# shot NAME: a screenshot as binary PPM; prints its path.
shot() {
  local p="$QUIL_E2E_STATE/display_edit_${case_name}_$1"
  screenshot "$p.png"
  convert "$p.png" "$p.ppm" || fail "no ppm"
  echo "$p.ppm"
}

if [ "$case_name" = newcell ]; then
  load_cell() {
    robot command QUIL7 19 >/dev/null
    robot wait-dialog "Load Cell" 10000 >/dev/null || fail "no LCELL dialog"
    robot set-text "Load Cell" 1004 "$1" >/dev/null
    robot press "Load Cell" OK >/dev/null
  }
  wait_title TOP || fail "title '$(robot title QUIL7)'"
  load_cell INV
  wait_title INV || fail "INV not loaded: '$(robot title QUIL7)'"
  # An unknown name: NEWCELL; Cancel leaves the current cell alone.
  load_cell NOSUCH
  robot wait-dialog "New Cell Rank" 10000 >/dev/null || fail "no NEWCELL dialog for an unknown name"
  robot press "New Cell Rank" Cancel >/dev/null
  wait_no_dialog "New Cell Rank"
  sleep 0.5
  wait_title INV || fail "Cancel of NEWCELL left '$(robot title QUIL7)'"
  [ ! -f "$dir/NOSUCH.tlc" ] || fail "a cancelled NEWCELL wrote a file"
  # OK makes it, of the rank asked for.
  load_cell NEWONE
  robot wait-dialog "New Cell Rank" 10000 >/dev/null || fail "no NEWCELL dialog for NEWONE"
  robot set-text "New Cell Rank" 1005 1 >/dev/null
  robot press "New Cell Rank" OK >/dev/null
  wait_no_dialog "New Cell Rank"
  wait_title NEWONE || fail "NEWONE not current: '$(robot title QUIL7)'"
  case "$(robot title QUIL7)" in *"Cell: NEWONE    Rank: 1 "*) ;; *) fail "title '$(robot title QUIL7)'" ;; esac
  wait_file "$dir/NEWONE.tlc" 10 NEWONE || fail "the new cell has no file"
  # Recall: back to INV, then forth to NEWONE.
  robot command QUIL7 20 >/dev/null
  wait_title INV || fail "Recall did not return to INV: '$(robot title QUIL7)'"
  note "after Recall: $(robot title QUIL7) / $(robot ctl-text QUIL7 602)"
  robot command QUIL7 20 >/dev/null
  wait_title NEWONE || fail "second Recall did not return to NEWONE: '$(robot title QUIL7)'"
  editor_close
  exit 0
fi

[ -n "$REF" ] || fail "no display_ref"
trace_settle || fail "the editor kept writing its trace"
draws=$(trace_count '^draw ')
robot copydata QUIL7 "zoom -6.5,-5.5 26.5,15.75" >/dev/null || fail "zoom not delivered"
trace_wait '^draw ' $((draws + 1)) || fail "no redraw after zoom"
mouse_off
before=$(shot before)
read -r ox oy < <(robot origin QUIL7)
line=$(grep '^draw ' "$TRACE" | tail -n1)
read -r _ cx cy width _ area _ togs _ < <(echo "$line")
# The screen before is the reference's; the via at 0,12000 (-500..500 both
# ways): where its top edge, its middle and its left edge fall.
out=$("$REF" "$dir" TOP "$cx" "$cy" "$width" "$area" "$togs" - "$before" "$ox" "$oy" \
  -400 12500 400 12500 0 12000 -500 12000)
echo "$out"
echo "$out" | grep -q '^sure [1-9][0-9]\{3,\} mismatch 0 ' || fail "screen before differs from the reference"
px() { echo "$out" | awk -v x="$1" -v y="$2" '$1 == "at" && $2 == x && $3 == y { print $5, $6 }'; }
read -r el ey < <(px -400 12500)
read -r er _ < <(px 400 12500)

case "$case_name" in
select)
  draws=$(trace_count '^draw ')
  # Get's window holds the via's top edge and no other edge of TOP's own.
  robot copydata QUIL7 "get -0.4 12.4 0.4 12.6" >/dev/null || fail "get not delivered"
  trace_wait '^line key get' 1 || fail "get did not run: $(tail -n5 "$TRACE")"
  sleep 1.5
  mouse_off
  after=$(shot after)
  d=$("$REF" diff "$before" "$after" "$area" "$ox" "$oy")
  echo "$d"
  note "edge from $el,$ey to $er,$ey; redraws $(($(trace_count '^draw ') - draws))"
  read -r _ n _ bl bt br bb < <(echo "$d" | head -n1)
  [ "$n" -gt 0 ] || fail "nothing changed on the screen after Get"
  # Only white (palette 15) pixels came, and only on the edge's row.
  [ "$(echo "$d" | grep -c '^colour')" = 1 ] || fail "more than the selection colour changed: $d"
  echo "$d" | grep -q '^colour 255 255 255 ' || fail "edge not in the selection colour: $d"
  [ $((bt - ey)) -ge -1 ] && [ $((bb - ey)) -le 1 ] || fail "changed rows $bt..$bb, edge at $ey"
  [ "$bl" -ge $((el - 16)) ] && [ "$br" -le $((er + 16)) ] || fail "changed columns $bl..$br, edge $el..$er"
  [ "$n" -ge $(((er - el) * 3 / 4)) ] || fail "only $n pixels of the edge changed"
  ;;
rubber)
  draws=$(trace_count '^draw ')
  # Get at step 0 waits for its first corner: the via's centre.
  robot post QUIL7 1025 0 0 >/dev/null  # Get started afresh
  sleep 0.5
  robot post QUIL7 1030 0 12000 >/dev/null  # point 1 (database units)
  trace_wait '^handler Get' 2 || true
  sleep 0.5
  read -r mx my < <(px -500 12000)
  # The mouse inside the area of the foreground window: cursor mark and
  # rubber rectangle.
  robot front QUIL7 >/dev/null || fail "the editor is not the foreground window"
  for d in 120,90 160,120; do
    IFS=, read -r dx dy <<<"$d"
    robot cursor-pos $((ox + el + dx)) $((oy + ey + dy)) >/dev/null
    robot mouse QUIL7 $((el + dx)) $((ey + dy)) >/dev/null
    sleep 0.3
  done
  sleep 1
  during=$(shot during)
  d=$("$REF" diff "$before" "$during" "$area" "$ox" "$oy")
  echo "$d"
  read -r _ n _ bl bt br bb < <(echo "$d" | head -n1)
  [ "$n" -gt 100 ] || fail "no rubber band on the screen ($n pixels changed)"
  # The rectangle runs from the first corner to the cursor.
  read -r cxp cyp < <(px 0 12000)
  [ "$bl" -le $((cxp + 1)) ] && [ "$bt" -le $((cyp + 1)) ] || fail "band box $bl,$bt..$br,$bb does not start at $cxp,$cyp"
  [ "$br" -ge $((el + 150)) ] && [ "$bb" -ge $((ey + 110)) ] || fail "band box $bl,$bt..$br,$bb does not reach the cursor"
  # The mouse leaves the area: band and mark are drawn again, which takes
  # them off; no redraw may have helped.
  mouse_off
  after=$(shot after)
  [ "$(trace_count '^draw ')" = "$draws" ] || fail "the drawing was redrawn meanwhile"
  d=$("$REF" diff "$before" "$after" "$area" "$ox" "$oy")
  echo "$d"
  echo "$d" | head -n1 | grep -q '^changed 0 ' || fail "screen after the band differs from before: $d"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
editor_close
exit 0
