#!/usr/bin/env bash
# Start-up time of the editor under Wine: from launch to the shown main
# window with the drawing loaded (the trace line "shown", just before the
# start-up hints) and to the message loop ("ready", after the hint is
# answered), and the program's own count from WinMain to its message loop.
# The LOGO pause of 1000 ms is part of the design and included.
#   bash bench/editor_startup.sh [RUNS]     (needs the win64 build)
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
export QUIL_SOURCE="$top" QUIL_BIN="$top/build/win64/bin"
export QUIL_E2E_STATE="$top/build/bench/state" QUIL_PREFIX="$top/build/win64/wineprefix"
bash "$top/tests/e2e/session.sh" start >/dev/null
trap 'bash "$top/tests/e2e/session.sh" stop' EXIT
source "$top/tests/e2e/harness.sh"
source "$top/tests/e2e/editor/quil7_lib.sh"

ms() { echo $(( $(date +%s%N) / 1000000 )); }
wait_line() {
  while ! grep -q "^$1" "$TRACE" 2>/dev/null; do sleep 0.01; done
}

# One warm-up run lets Wine load its libraries once.
for i in $(seq 0 "$runs"); do
  dir=$(sample_drawing "bench_startup_$i")
  t0=$(ms)
  editor_start "$dir"
  wait_line shown
  t1=$(ms)
  editor_ready
  t2=$(ms)
  editor_close
  inside=$(sed -n 's/^loop \([0-9]*\) ms$/\1/p' "$TRACE")
  [ "$i" -gt 0 ] && echo "run $i: shown $((t1 - t0)) ms, message loop $((t2 - t0)) ms (inside the program: $inside ms)"
done
