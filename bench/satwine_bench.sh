#!/usr/bin/env bash
# Whole runs of three satellites under Wine against their native engines and
# their own start-up, in one run (after the win64 build):
#   GDSIN7.EXE   a flat stream of 1,000,000 boxes (bench/gdsin_make.py)
#   GDSOUT7.EXE  the 1,000,000-box flat cell (bench/render_make.py)
#   QUILFLAT7    smash of a 100 x 100 and a 300 x 300 array of a 100-box
#                cell (bench/flatten_bench.cpp writes the drawings)
# Each program is driven as a user drives it: started, Go, its closing
# message answered, gone. Start-up: started, its window up, closed, gone.
# The engines are built optimised in build/bench. Prints one line a work:
# engine, start-up, program, and program / (engine + start-up).
#   bash bench/satwine_bench.sh
set -u
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/bench"
work="$build/satwine"
mkdir -p "$work"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null &&
  cmake --build "$build" --target gdsin_read gdsout_write flatten_bench >/dev/null || exit 1
export QUIL_BIN="${QUIL_BIN:-$root/build/win64/bin}" QUIL_SOURCE="$root"
export QUIL_E2E_STATE="${QUIL_E2E_STATE:-$build/e2e}" QUIL_PREFIX="${QUIL_PREFIX:-$root/build/win64/wineprefix}"
mkdir -p "$QUIL_E2E_STATE"
bash "$root/tests/e2e/session.sh" start >/dev/null || exit 1
source "$root/tests/e2e/harness.sh"
trap 'bash "$root/tests/e2e/session.sh" stop >/dev/null' EXIT

now() { date +%s.%N; }
since() { echo "$(now) - $1" | bc -l; }

# Answers message boxes of caption $1 with OK until one holds $2 (600 s).
answer_until() {
  local start=$SECONDS text
  while [ $((SECONDS - start)) -lt 600 ]; do
    robot wait-dialog "$1" 20000 >/dev/null || continue
    text=$(robot dialog-text "$1")
    robot press "$1" OK >/dev/null
    printf '%s\n' "$text" | grep -q "$2" && return 0
  done
  return 1
}

# startup EXE CLASS: seconds from start to the window, then closed and gone.
startup() {
  local t0 pid s
  t0=$(now)
  quil_start "$1"
  pid=$QUIL_LAST_PID
  robot wait-class "$2" 60000 >/dev/null || fail "$1: no window"
  s=$(since "$t0")
  robot close "$2" >/dev/null
  wait_gone "$pid" 30 || fail "$1: still running"
  echo "$s"
}

row() {  # name engine startup program
  printf "%-22s %9.3f %9.3f %9.3f %7.2f\n" "$1" "$2" "$3" "$4" "$(echo "$4 / ($2 + $3)" | bc -l)"
}

# Drawings.
plot="$work/flat"
[ -f "$plot/FLAT.tlc" ] || python3 "$root/bench/render_make.py" "$root/samples/demo" "$plot" || exit 1
[ -f "$plot/Bench.gds" ] || python3 "$root/bench/gdsin_make.py" "$plot/Bench.gds" flat || exit 1
# Its layers mapped beforehand, so that no run stops to ask.
{
  printf '*LDM built from Bench.gds\n*gdslayer,datatype,tlclayer\n'
  for l in 1 2 3 4 5 6 7 8; do printf '%d,0,%d\n' $l $l; done
} >"$plot/Bench.ldm"
{
  printf '*LDM built from FLAT.tlc\n*gdslayer,datatype,tlclayer\n'
  for l in 1 2 3 4 5 6 7 8 9 10; do printf '%d,0,%d\n' $l $l; done
} >"$plot/FLAT.ldm"
for n in 100 300; do
  d="$work/smash$n"
  rm -rf "$d"
  mkdir -p "$d"
  "$build/bin/flatten_bench" "$d" $n >"$work/flatten$n.txt" || exit 1
  cp "$root/samples/demo/QUIL7.USF" "$d/QUIL7.USF"
  rm -rf "$d"/*_files "$d"/*[Ss][Mm][Ss][Hh]*
done

printf "\n%-22s %9s %9s %9s %7s\n" "work" "engine s" "start s" "wine s" "ratio"

# GDSIN7: the flat stream.
cd "$plot" || exit 1
rm -rf Bench_files
t0=$(now)
"$build/bin/gdsin_read" Bench.gds cbb=Y >/dev/null 2>&1
engine=$(since "$t0")
rm -rf Bench_files
up=$(startup GDSIN7.EXE GdsIn7)
t0=$(now)
quil_start GDSIN7.EXE Bench.gds
pid=$QUIL_LAST_PID
robot wait-class GdsIn7 60000 >/dev/null || fail "GDSIN7: no window"
robot command GdsIn7 15 >/dev/null
answer_until GdsIn "Completed" || fail "GDSIN7: no closing message"
wait_gone "$pid" 60 || fail "GDSIN7: still running"
row "GDSIN7 1M-box stream" "$engine" "$up" "$(since "$t0")"

# GDSOUT7: the flat cell.
t0=$(now)
"$build/bin/gdsout_write" FLAT.tlc >/dev/null 2>&1
engine=$(since "$t0")
up=$(startup GDSOUT7.EXE GdsOut7)
t0=$(now)
quil_start GDSOUT7.EXE FLAT.tlc
pid=$QUIL_LAST_PID
robot wait-class GdsOut7 60000 >/dev/null || fail "GDSOUT7: no window"
robot command GdsOut7 15 >/dev/null
answer_until GdsOut "Bytes in GDS File" || fail "GDSOUT7: no closing message"
wait_gone "$pid" 60 || fail "GDSOUT7: still running"
row "GDSOUT7 1M-box cell" "$engine" "$up" "$(since "$t0")"

# QUILFLAT7: smash of the arrays (engine time as flatten_bench measured it).
for n in 100 300; do
  cd "$work/smash$n" || exit 1
  engine=$(awk '/^time/ {print $2}' "$work/flatten$n.txt")
  up=$(startup QUILFLAT7.EXE QuilFlat7)
  quil_start QUILFLAT7.EXE
  pid=$QUIL_LAST_PID
  robot wait-class QuilFlat7 60000 >/dev/null || fail "QUILFLAT7: no window"
  robot command QuilFlat7 12 >/dev/null
  robot_wait 120 wait-dialog "Process Setup" >/dev/null || fail "no setup dialog"
  robot set-text "Process Setup" 100 ARRAY >/dev/null
  robot click "Process Setup" Smash >/dev/null
  robot press "Process Setup" OK >/dev/null
  dialog_gone "Process Setup" 60 || fail "setup dialog stays"
  t0=$(now)  # the setup by hand is not timed: start-up plus the run from Go
  robot command QuilFlat7 13 >/dev/null
  answer_until QuilFlat "Completed" || fail "QUILFLAT7: no closing message"
  s=$(echo "$up + $(since "$t0")" | bc -l)
  robot close QuilFlat7 >/dev/null
  wait_gone "$pid" 30 || fail "QUILFLAT7: still running"
  row "QUILFLAT7 smash ${n}x$n" "$engine" "$up" "$s"
done
