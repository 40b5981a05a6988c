#!/usr/bin/env bash
# Width and spacing checks over a 300 x 300 um window of 1,000,000 boxes: the
# native rule checker (optimised, no sanitizers, no pauses) and klayout's
# single-threaded flat DRC on the same boxes, side by side, time and peak
# memory; then the two results compared area by area.
#   bash bench/drc_bench.sh [BOXES]
set -euo pipefail
cd "$(dirname "$0")/.."
boxes="${1:-1000000}"
build=build/bench-release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUIL_SANITIZE=OFF \
  -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc >/dev/null
cmake --build "$build" --target drc_bench >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$build/bin/drc_bench" "$work" --boxes "$boxes" --no-run
echo "== native rule checker"
/usr/bin/time -f "quil wall_seconds=%e peak_rss_kb=%M" "$build/bin/drc_bench" "$work" --boxes "$boxes"
echo "== klayout flat DRC, one thread"
/usr/bin/time -f "klayout wall_seconds=%e peak_rss_kb=%M" \
  klayout -b -r tests/e2e/drc/width_space.drc -rd input="$work/bench.gds" -rd output="$work/markers.lyrdb" \
  -rd limit=0.1 >/dev/null
echo "== area by area"
/usr/bin/python3 tests/e2e/drc/crosscheck.py "$work/QuilDrc.log" "$work/markers.lyrdb" 0.14 1=width 2=space
