#!/usr/bin/env bash
# Benchmark of the matrix router (run on demand, not by ctest):
#   bash bench/mx_bench.sh
# Builds the native engine optimised (build/bench) and routes a drawing at
# the router's limits (1,000 placed cells, 500 nodes of 2 to 4 pins) with the
# spacing check on (its warnings answered OK) and with compaction, reading
# and writing included; the anchor in the same run is our extractor's
# compile of a 32 x 32 inverter array (1,024 placed cells).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/bench"
work="${BENCH_WORK:-/tmp/mxbench}"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target mxrun ckt_compile >/dev/null

now() { date +%s.%N; }

python3 "$root/bench/mx_make.py" "$work/route"
for mode in "spacing check npk=N igs=N" "compaction npk=Y igs=N" "no check npk=N igs=Y"; do
  set -- $mode
  label="$1 $2"
  shift 2
  rm -f "$work"/route/Routed.tlc "$work"/route/Quilmx.log
  t0=$(now)
  "$build/bin/mxrun" "$work/route" cln=TOP cfn=ROUTED nfn=TOP.nod cec=END "$@" >"$work/out.txt" || true
  t1=$(now)
  warn=$(grep -c "Possible Connector Bus Spacing Error" "$work/out.txt" || true)
  head=$(grep -m1 "Completed\|Written\|Aborted" "$work/out.txt" || true)
  printf "route, %-16s %.3f s  (%s; %d spacing warnings)\n" "$label" "$(echo "$t1 - $t0" | bc -l)" "$head" "$warn"
done
"$build/bin/ckt_compile" --best 1 32 | sed 's/^/extractor compile: /'
