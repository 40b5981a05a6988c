#!/usr/bin/env bash
# Benchmark of the circuit compile (run on demand, not by ctest):
#   bash bench/ckt_compile.sh [N ...]      (default 10 30 100)
# Builds the native engine optimised (build/bench), compiles N x N inverter
# arrays into their circuit and node list files, writes each array's GDSII
# file with our GDSII writer and times klayout's netlist extractor on it
# with the same layers and connections, side by side. Each array is also
# compiled with capacitors (modes 1 and 2) and with antenna rules against
# the plain compile, and its node list compared with a renamed copy.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/bench"
work="${BENCH_WORK:-/tmp/ckt_compile_bench}"
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10 30 100)

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target ckt_compile gdsout_write >/dev/null 2>&1

"$build/bin/ckt_compile" --keep "$work" --outputs "${sizes[@]}" | tee "$work.engine.txt"
printf "\n%-16s %12s %12s %12s %10s\n" "drawing" "transistors" "engine s" "klayout s" "ratio"
for n in "${sizes[@]}"; do
  dir="$work/$n"
  /usr/bin/python3 "$root/bench/ckt_compile_gds.py" "$dir" TOP
  (cd "$dir/gds" && "$build/bin/gdsout_write" TOP.tlc >/dev/null 2>&1)
  k=$(klayout -b -r "$root/bench/ckt_compile_klayout.py" -rd gds="$dir/gds/TOP.gds" | awk '/klayout_extract_s/ {print $2}')
  e=$(awk -v n="array ${n}x${n}" '$0 ~ "^"n" " {print $4}' "$work.engine.txt")
  printf "%-16s %12d %12.3f %12.3f %10.2f\n" "array ${n}x${n}" $((2 * n * n)) "$e" "$k" "$(echo "$e / $k" | bc -l)"
done
