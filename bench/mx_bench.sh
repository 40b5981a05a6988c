#!/usr/bin/env bash
# Benchmark of the matrix router (run on demand, not by ctest):
#   bash bench/mx_bench.sh
# Builds the native engines optimised (build/bench) and makes a drawing at
# the router's limits (mx_make.py: 1,000 placed device cells with device
# texts, 500 node names of 2 to 6 connectors). Our extractor compiles that
# original cell into its node list, and the router wires the same cell from
# that list with the spacing check on (its warnings answered OK), with
# compaction, and without the check. Compile and route are timed the same
# way: each program's whole process, reading and writing included, best of 3
# in the same run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/bench"
work="${BENCH_WORK:-/tmp/mxbench}"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target mxrun cktnod >/dev/null

now() { date +%s.%N; }

# best LOG CMD...: runs CMD three times (output to LOG), prints the best time.
best() {
  local log="$1" b="" t0 t1 t
  shift
  for _ in 1 2 3; do
    t0=$(now)
    "$@" >"$log" 2>&1 || true
    t1=$(now)
    t=$(echo "$t1 - $t0" | bc -l)
    if [ -z "$b" ] || [ "$(echo "$t < $b" | bc -l)" = 1 ]; then b=$t; fi
  done
  echo "$b"
}

dir="$work/route"
python3 "$root/bench/mx_make.py" "$dir"
s=$(best "$work/ckt.txt" "$build/bin/cktnod" "$dir" TOP nnl=10 col=5 dvl=6 con0_0=21 paf=mx.paf)
nodes=$(awk '/^\[TOP\]/ {on = 1; next} on && /^::/ {exit} on && /:/ && !/^ / {n++} END {print n + 0}' "$dir/TOP.nod")
pins=$(awk '/^\[TOP\]/ {on = 1; next} on && /^::/ {exit} on && /^ / {n += NF} END {print n + 0}' "$dir/TOP.nod")
printf "extractor compile of TOP:  %.3f s  (%s; %d nodes, %d pins)\n" "$s" "$(tail -1 "$work/ckt.txt")" "$nodes" "$pins"
for mode in "spacing check:npk=N igs=N" "compaction:npk=Y igs=N" "no check:npk=N igs=Y"; do
  label="${mode%%:*}"
  set -- ${mode#*:}
  s=$(best "$work/out.txt" "$build/bin/mxrun" "$dir" cln=TOP cfn=ROUTED nfn=TOP.nod cec=END "$@")
  warn=$(grep -c "Possible Connector Bus Spacing Error" "$work/out.txt" || true)
  head=$(grep -m1 "Completed\|Written\|Aborted" "$work/out.txt" || true)
  printf "route, %-16s %.3f s  (%s; %d spacing warnings)\n" "$label" "$s" "$head" "$warn"
done
