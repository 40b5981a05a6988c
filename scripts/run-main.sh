#!/usr/bin/env bash
# The main job: install what is missing, build the programs, and start the
# editor on a copy of the bundled sample drawing. With no DISPLAY it runs
# under Xvfb, saves a screenshot to build/main-job/quil7.png and closes.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)

bash scripts/install-deps.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$(nproc 2>/dev/null || echo 2)"

out="$top/build/main-job"
drawing="$out/drawing"
rm -rf "$drawing"
mkdir -p "$drawing"
cp -r samples/demo/. "$drawing/"

export QUIL_SOURCE="$top" QUIL_BIN="$top/build/win64/bin"
export QUIL_E2E_STATE="$out/state" QUIL_PREFIX="$top/build/win64/wineprefix"

if [ -n "${DISPLAY:-}" ]; then
  bash tests/e2e/session.sh start
  cd "$drawing"
  echo "starting the editor in $drawing"
  exec /usr/lib/wine/wine64 "$QUIL_BIN/QUIL7.EXE"
fi

bash tests/e2e/session.sh start
source tests/e2e/harness.sh
source tests/e2e/editor/quil7_lib.sh
# After the sourcing: the harness sets its own exit trap (ending the programs
# it started), which would otherwise replace this one and leave Xvfb and the
# wineserver running.
trap 'quil_end_all; bash "$top/tests/e2e/session.sh" stop' EXIT
editor_start "$drawing"
robot wait-class QUIL7 60000 >/dev/null || fail "the editor window did not appear"
# Past the start-up hints, then the window's first paint.
editor_ready
sleep 2
screenshot "$out/quil7.png"
echo "screenshot: $out/quil7.png"
robot close QUIL7 >/dev/null || true
wait_gone "$EDITOR_PID" 10 || echo "editor did not close; ended by its id"
exit 0
