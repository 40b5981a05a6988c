#!/usr/bin/env bash
# The whole time of DXFOUT7.EXE under Wine on a drawing folder, driven like
# a user: started with the main cell, Go, the closing message answered.
#   dxf_wine.sh <drawing folder> <main cell>     (prints "wine_s <seconds>")
set -u
root="$(cd "$(dirname "$0")/.." && pwd)"
export QUIL_BIN="${QUIL_BIN:-$root/build/win64/bin}" QUIL_SOURCE="$root"
export QUIL_E2E_STATE="${QUIL_E2E_STATE:-$root/build/bench/e2e}" QUIL_PREFIX="${QUIL_PREFIX:-$root/build/win64/wineprefix}"
bash "$root/tests/e2e/session.sh" start >/dev/null || exit 1
source "$root/tests/e2e/harness.sh"
cd "$1" || exit 1
t0=$(date +%s.%N)
quil_start DXFOUT7.EXE "$2.tlc"
pid=$QUIL_LAST_PID
robot wait-class DxfOut7 60000 >/dev/null || fail "no window"
robot command DxfOut7 14 >/dev/null
robot wait-dialog DxfOut 600000 >/dev/null || fail "no closing message"
text=$(robot dialog-text DxfOut)
robot press DxfOut OK >/dev/null
wait_gone "$pid" 60 || fail "still running"
t1=$(date +%s.%N)
echo "$text" | grep "Bytes in DXF File" | sed 's/^ *\[Static [0-9]*\] *//'
echo "wine_s $(echo "$t1 - $t0" | bc -l)"
bash "$root/tests/e2e/session.sh" stop >/dev/null
