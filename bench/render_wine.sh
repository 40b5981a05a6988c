#!/usr/bin/env bash
# Full redraws of QUIL7.EXE under Wine with GDI: a flat cell of 1,000,000
# boxes and a 100 x 100 array of a 100-box cell, each at fit and zoomed to
# 100 boxes across. The editor's trace gives each redraw's time.
#   render_wine.sh            (after the win64 build; prints one line a view)
set -u
root="$(cd "$(dirname "$0")/.." && pwd)"
export QUIL_BIN="${QUIL_BIN:-$root/build/win64/bin}" QUIL_SOURCE="$root"
export QUIL_E2E_STATE="${QUIL_E2E_STATE:-$root/build/bench/e2e}" QUIL_PREFIX="${QUIL_PREFIX:-$root/build/win64/wineprefix}"
bash "$root/tests/e2e/session.sh" start >/dev/null || exit 1
source "$root/tests/e2e/harness.sh"
source "$root/tests/e2e/editor/quil7_lib.sh"
dir="$QUIL_E2E_STATE/render_bench"
[ -f "$dir/FLAT.tlc" ] || /usr/bin/python3 "$root/bench/render_make.py" "$root/samples/demo" "$dir" || exit 1

# view CELL LABEL ZOOMLINE: one redraw after the zoom line, three times.
run_cell() {
  local cell="$1"
  shift
  sed -i "s/^cellname=.*/cellname=$cell/" "$dir/QUIL7.USF"
  local t0 t1
  t0=$(date +%s.%N)
  editor_start "$dir"
  robot wait-class QUIL7 60000 >/dev/null || fail "no editor window"
  editor_ready
  trace_wait "^load $cell" 1 || fail "$cell not loaded"
  local n=0
  until [ "$(trace_count '^draw ')" -ge 1 ]; do
    [ $n -ge 1200 ] && fail "no first draw"
    sleep 0.1
    n=$((n + 1))
  done
  t1=$(date +%s.%N)
  echo "$cell start, load and first draw: $(echo "$t1 - $t0" | bc -l) s"
  robot cursor-pos 0 0 >/dev/null
  while [ $# -ge 2 ]; do
    local label="$1" line="$2"
    shift 2
    for k in 1 2 3; do
      local draws
      draws=$(trace_count '^draw ')
      robot copydata QUIL7 "$line" >/dev/null || fail "zoom not delivered"
      n=0
      until [ "$(trace_count '^draw ')" -gt "$draws" ]; do
        [ $n -ge 1200 ] && fail "no redraw after $line"
        sleep 0.1
        n=$((n + 1))
      done
      grep '^draw ' "$TRACE" | tail -n1 | sed "s/^draw [^ ]* [^ ]* [^ ]* area [^ ]* togs [^ ]* /$cell $label: /"
    done
  done
  screenshot "$QUIL_E2E_STATE/render_bench_$cell.png"
  editor_close
}

run_cell FLAT fit "zoom -5,-5 105,105" "100 across" "zoom 45,45 55,55"
run_cell ARR fit "zoom -5,-5 115,115" "100 across" "zoom 50,50 61,61"
bash "$root/tests/e2e/session.sh" stop >/dev/null
