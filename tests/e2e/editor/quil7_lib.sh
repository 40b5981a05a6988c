# Sourced by the editor's end-to-end tests after harness.sh: start the editor
# with a trace file and wait until it is past its start-up hints.

# editor_start DIR [args...]: starts QUIL7.EXE in DIR; sets EDITOR_PID and
# TRACE (the editor's record of what reached its routes; in DIR unless
# EDITOR_TRACE names another file).
editor_start() {
  local dir="$1"
  shift
  TRACE="${EDITOR_TRACE:-$dir/quil7.trace}"
  rm -f "$TRACE"
  export QUIL7_TRACE="$TRACE"
  cd "$dir" || fail "no folder $dir"
  quil_start QUIL7.EXE "$@"
  EDITOR_PID=$QUIL_LAST_PID
}

# editor_ready: waits for the message loop, answering a start-up hint. Each
# look for a hint starts the robot under Wine: the bound is in seconds of
# the clock, generous for a loaded machine.
editor_ready() {
  local start=$SECONDS cap
  while ! grep -q '^ready' "$TRACE" 2>/dev/null; do
    for cap in "Empty Drawing" "No Cells" "No Layers"; do
      robot dialog-text "$cap" >/dev/null 2>&1 && robot press "$cap" OK >/dev/null
    done
    [ $((SECONDS - start)) -ge 180 ] && fail "editor not ready after 180 s"
    sleep 0.5
  done
  robot_wait 60 wait-class QUIL7 >/dev/null || fail "no editor window"
}

# trace_count PATTERN: lines of the trace matching a pattern.
trace_count() { grep -c -- "$1" "$TRACE" 2>/dev/null || true; }

# trace_wait PATTERN COUNT: waits until COUNT lines match.
trace_wait() {
  local n=0
  while [ "$(trace_count "$1")" -lt "$2" ]; do
    [ $n -ge 100 ] && return 1
    sleep 0.1
    n=$((n + 1))
  done
  return 0
}

# trace_settle: waits (at most 15 s) until the trace has not grown for a
# second: the start-up's own Load and redraws are done.
trace_settle() {
  local n=0 last=-1 size
  while [ $n -lt 150 ]; do
    size=$(wc -c <"$TRACE" 2>/dev/null || echo 0)
    if [ "$size" = "$last" ]; then
      return 0
    fi
    last=$size
    sleep 1
    n=$((n + 10))
  done
  return 1
}

# area_centre: the drawing area's centre pixel from the last layout line.
area_centre() {
  grep '^layout' "$TRACE" | tail -n1 | sed 's/.*area //' |
    awk -F, '{ printf "%d %d\n", ($1 + $3) / 2, ($2 + $4) / 2 }'
}

editor_close() {
  robot close QUIL7 >/dev/null || fail "close not posted"
  wait_gone "$EDITOR_PID" 60 || fail "editor still running 60 s after WM_CLOSE"
}
