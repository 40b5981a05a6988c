#!/usr/bin/env bash
# Mov under Wine on the flat cell of 1,000,000 boxes: the wall time of a
# "mov" line sent by WM_COPYDATA (the send returns when the command, its
# undo backup and its redraw are done) after an Fget of everything, against
# a "draw" line (the redraw alone) and the Fget itself.
#   move_wine.sh              (after the win64 build; prints one line each)
set -u
root="$(cd "$(dirname "$0")/.." && pwd)"
export QUIL_BIN="${QUIL_BIN:-$root/build/win64/bin}" QUIL_SOURCE="$root"
export QUIL_E2E_STATE="${QUIL_E2E_STATE:-$root/build/bench/e2e}" QUIL_PREFIX="${QUIL_PREFIX:-$root/build/win64/wineprefix}"
bash "$root/tests/e2e/session.sh" start >/dev/null || exit 1
source "$root/tests/e2e/harness.sh"
source "$root/tests/e2e/editor/quil7_lib.sh"
dir="$QUIL_E2E_STATE/move_bench"
rm -rf "$dir"
/usr/bin/python3 "$root/bench/render_make.py" "$root/samples/demo" "$dir" || exit 1
sed -i "s/^cellname=.*/cellname=FLAT/" "$dir/QUIL7.USF"
editor_start "$dir"
robot wait-class QUIL7 60000 >/dev/null || fail "no editor window"
editor_ready
trace_wait "^load FLAT" 1 || fail "FLAT not loaded"
n=0
until [ "$(trace_count '^draw ')" -ge 1 ]; do
  [ $n -ge 1200 ] && fail "no first draw"
  sleep 0.1
  n=$((n + 1))
done
robot cursor-pos 0 0 >/dev/null
timed() {  # timed LABEL LINE: the send's wall time and the last redraw's
  local t0 t1
  t0=$(date +%s.%N)
  robot copydata QUIL7 "$2" >/dev/null || fail "$2 not delivered"
  t1=$(date +%s.%N)
  echo "$1: $(echo "$t1 - $t0" | bc -l) s; last redraw: $(grep '^draw ' "$TRACE" | tail -n1 | sed 's/.* ms /ms /')"
}
timed "draw line (redraw only)" "draw"
timed "fget of all 1M" "fget -1 -1 101 101"
for k in 1 2 3; do
  timed "mov line on 1M (undo, redraw)" "mov 0 0 1 1"
done
timed "draw line (redraw only)" "draw"
editor_close_nosave 2>/dev/null || {
  robot close QUIL7 >/dev/null
  robot wait-dialog "Confirm Save ..." 20000 >/dev/null && robot press "Confirm Save ..." No >/dev/null
  wait_gone "$EDITOR_PID" 30
}
bash "$root/tests/e2e/session.sh" stop >/dev/null
