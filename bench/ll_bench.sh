#!/usr/bin/env bash
# Layer logic on 1,000,000 boxes a layer (200 x 100 units at a pitch of 300,
# layer 2 moved by (100, 50)), map cells of 0.05 um (the data's grid, so the
# result is exact): the native engine (optimised, no sanitizers, no pauses),
# reading the cell and writing the result included, against klayout's flat
# Region Booleans with the load aside; time and peak memory of each.
#   bash bench/ll_bench.sh [BOXES]
set -euo pipefail
cd "$(dirname "$0")/.."
boxes="${1:-1000000}"
build=build/bench-release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUIL_SANITIZE=OFF \
  -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc >/dev/null
cmake --build "$build" --target llrun >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
read -r count ext < <(/usr/bin/python3 bench/ll_make.py "$work" "$boxes")
br=$(awk -v e="$ext" 'BEGIN { printf "%.3f", e / 1000 }')
echo "== $count boxes a layer, boundary 0..$br um, map cell 0.05 um"
for op in "AND log=0" "OR log=1" "XOR log=2" "NOT log=0 notb=Y"; do
  set -- $op
  name=$1
  shift
  rm -f "$work"/Res.tlc "$work"/Quilll.log
  /usr/bin/time -f "quil $name wall_seconds=%e peak_rss_kb=%M" "$build/bin/llrun" "$work" cln=TOP tlc=RES \
    res=0.05 bl=0 bb=0 br="$br" bt="$br" "$@" | grep -o "Completed ... [0-9]* Boxes"
done
echo "== klayout flat Region Booleans (load aside)"
/usr/bin/time -f "klayout all wall_seconds=%e peak_rss_kb=%M" klayout -b -r bench/ll_klayout.py -rd n="$boxes"
