#!/usr/bin/env bash
# The drawing area: the sample drawing's top cell drawn by the renderer and
# compared, pixel by pixel wherever the reference is certain, with the same
# cell drawn on the recording canvas (display_ref).
#   display.sh fit REF        TOP at fit
#   display.sh missing REF    TOP at fit with NMOS.tlc deleted: its outlines
#   display.sh quick REF      TOP at fit redrawn with Esc held: quick draw
#   display.sh readonly REF   TOP at fit from a read-only drawing folder: the
#                             whole hierarchy, Save refused
source "$(dirname "$0")/../harness.sh"
source "$(dirname "$0")/quil7_lib.sh"

case_name="${1:?case}"
REF="${2:?display_ref}"
dir=$(sample_drawing "display_$case_name")
[ "$case_name" = missing ] && rm -f "$dir/NMOS.tlc"
if [ "$case_name" = readonly ]; then
  # The sample on a file system of its own, made read-only under the editor.
  src=$(work_folder display_readonly_src)
  cp -r "$dir/." "$src/"
  if ! mount -t tmpfs -o size=4m tmpfs "$dir" 2>/dev/null; then
    note "skipped: can't mount a file system here"
    exit 0
  fi
  trap 'quil_end_all; umount -l "$dir"' EXIT
  cp -r "$src/." "$dir/"
  mount -o remount,ro "$dir" || fail "can't make the drawing read-only"
  touch "$dir/probe" 2>/dev/null && fail "the drawing folder is still writable"
  export EDITOR_TRACE="$QUIL_E2E_STATE/display_readonly.trace"
  spare_root="$WINEPREFIX/drive_c/users"
  # What an editor ended by force left there would pass for this one's.
  find "$spare_root" -name QuilTempFiles -prune -exec rm -rf {} +
fi
editor_start "$dir"
robot wait-class QUIL7 30000 >/dev/null || fail "editor window did not appear"
if [ "$case_name" = missing ]; then
  # The drawing load tells about the cell without its file.
  robot wait-dialog "Warning ..." 30000 >/dev/null || fail "no warning about NMOS.tlc"
  robot dialog-text "Warning ..." | grep -q NMOS || fail "warning does not name NMOS"
  robot press "Warning ..." OK >/dev/null
fi
editor_ready
if [ "$case_name" = readonly ]; then
  # The load backup can't be written: said once. Nothing about the swap file.
  robot_wait 60 wait-dialog "Error ..." >/dev/null || fail "the failed load backup was not said"
  txt=$(robot dialog-text "Error ...")
  case "$txt" in *"Unable to Write Loadbkup.tlc File"*) ;; *) fail "message: $txt" ;; esac
  robot press "Error ..." OK >/dev/null
  dialog_gone "Error ..." 10 || fail "another message: $(robot dialog-text "Error ...")"
fi
trace_wait '^draw ' 1 || fail "nothing drawn: $(cat "$TRACE")"
# The start-up's own redraws must not be taken for the zoom's.
trace_settle || fail "the editor kept writing its trace"

# TOP's outline with a margin, then the mouse off the drawing area.
draws=$(trace_count '^draw ')
if [ "$case_name" = quick ]; then
  robot esc-hold 3000 >/dev/null &
  esc_pid=$!
  sleep 1
fi
robot copydata QUIL7 "zoom -6.5,-5.5 26.5,15.75" >/dev/null || fail "zoom not delivered"
trace_wait '^draw ' $((draws + 1)) || fail "no redraw after zoom"
if [ "$case_name" = quick ]; then
  wait "$esc_pid"
  export DISPLAY_REF_ESC=1
fi
robot cursor-pos 0 0 >/dev/null
robot mouse QUIL7 3 3 >/dev/null
sleep 1

shot="$QUIL_E2E_STATE/display_$case_name"
screenshot "$shot.png"
convert "$shot.png" "$shot.ppm" || fail "no ppm"
read -r ox oy < <(robot origin QUIL7)
line=$(grep '^draw ' "$TRACE" | tail -n1)
note "$line"
read -r _ cx cy width _ area _ togs _ < <(echo "$line")

# World points: a TOP via (solid magenta); 650 units past the left end of
# the upper metal2 rail (width -1500: its end reaches 750 further), where
# only its yellow hatch can bring red and green together; the middle of the
# top edge of the first NMOS outline; the TOP text.
out=$("$REF" "$dir" TOP "$cx" "$cy" "$width" "$area" "$togs" - "$shot.ppm" "$ox" "$oy" \
  0 12000 -4650 12000 0 2000 300 14500)
rc=$?
echo "$out"
title=$(robot title QUIL7)
counts=$(robot ctl-text QUIL7 602)
depth=$(robot ctl-text QUIL7 604)
grid=$(robot ctl-text QUIL7 603)
note "title '$title' 602 '$counts' 603 '$grid' 604 '$depth'"
if [ "$case_name" = readonly ]; then
  robot dialog-text "Error ..." >/dev/null 2>&1 && fail "a message came up: $(robot dialog-text "Error ...")"
  find "$spare_root" -path '*/QuilTempFiles/*' -name Swap.bpv | grep -q . ||
    fail "no swap file in the system's temp folder"
  # An edit is kept in memory; Save says it can't write, the cell stays modified.
  robot copydata QUIL7 "add 1 1 2 2" >/dev/null
  trace_wait '^line key add 1 1 2 2$' 1 || fail "add did not run: $(tail -n5 "$TRACE")"
  # Its undo backup fails as the load backup did: said once already.
  robot wait-dialog "Error ..." 3000 >/dev/null 2>&1 && fail "the failing backup was said again: $(robot dialog-text "Error ...")"
  robot command QUIL7 18 >/dev/null
  robot wait-dialog "Save Cell" 10000 >/dev/null || fail "no Save Cell dialog"
  robot press "Save Cell" OK >/dev/null
  robot_wait 30 wait-dialog "Error ..." >/dev/null || fail "the refused save was not said"
  txt=$(robot dialog-text "Error ...")
  case "$txt" in *"Unable to Write TOP.tlc File"*) ;; *) fail "message: $txt" ;; esac
  robot press "Error ..." OK >/dev/null
  dialog_gone "Error ..." 10 || fail "another message: $(robot dialog-text "Error ...")"
  robot title QUIL7 | grep -q "(Not Saved)" || fail "the unsaved cell lost its mark: $(robot title QUIL7)"
  robot close QUIL7 >/dev/null
  robot wait-dialog "Confirm Save ..." 10000 >/dev/null || fail "closing did not ask for the unsaved edit"
  robot press "Confirm Save ..." No >/dev/null
  wait_gone "$EDITOR_PID" 30 || fail "editor still running after No"
  diff -r "$src" "$dir" >&2 || fail "the read-only drawing changed"
  find "$spare_root" -name QuilTempFiles | grep -q . && fail "the system's temp folder keeps the editor's folder"
else
  editor_close
fi

echo "$out" | grep -q '^sure [1-9][0-9]\{3,\} mismatch 0 ' || fail "screen differs from the reference (rc $rc)"
pixel() { echo "$out" | awk -v x="$1" -v y="$2" '$1 == "at" && $2 == x && $3 == y { print $8, $9, $10 }'; }
block() { echo "$out" | awk -v x="$1" -v y="$2" '$1 == "at" && $2 == x && $3 == y { print $12, $13, $14 }'; }
whites() { echo "$out" | awk -v x="$1" -v y="$2" '$1 == "at" && $2 == x && $3 == y { print $16 }'; }
if [ "$case_name" = quick ]; then
  # Only the dotted outlines of the three inverters; no object at all.
  echo "$line" | grep -q 'boxes 0 paths 0 texts 0 cells 0 ' || fail "objects drawn while Esc was held: $line"
  [ "$(pixel 0 12000)" = "0 0 0" ] || fail "via drawn in the quick draw"
  exit 0
fi
[ "$(pixel 0 12000)" = "255 0 255" ] || fail "via at 0,12000 is $(pixel 0 12000)"
case "$(block -4650 12000)" in "255 255 "*) ;; *) fail "metal2 rail does not reach past its end: $(block -4650 12000)" ;; esac
case "$(block 300 14500)" in "0 255 255") ;; *) fail "TOP text not seen: $(block 300 14500)" ;; esac
case "$title" in "Quil 7.0.91 beta2    Cell: TOP    Rank: 3    Folder: "*"\Display_$case_name  ") ;;
*) fail "title '$title'" ;; esac
[ "$counts" = " 3 Cells  10 Boxes  4 Paths  5 Text  18 Vertex" ] || fail "pane 602 '$counts'"
[ "$depth" = " Depth(0-24)  View(1-14 )  Open(1-14 )" ] || fail "pane 604 '$depth'"
[ "$grid" = " Wgrd=0.1um  Obj=BOX  Layr= METAL1 (7)" ] || fail "pane 603 '$grid'"
case "$case_name" in
fit | readonly)
  [ "$(whites 0 2000)" = 0 ] || fail "white at the NMOS outline though NMOS is drawn"
  ;;
missing)
  # The NMOS instance that can't be loaded shows as a dotted white outline.
  [ "$(whites 0 2000)" -ge 1 ] || fail "no dotted outline where NMOS is: $(whites 0 2000) white pixels"
  ;;
esac
exit 0
