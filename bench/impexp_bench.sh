#!/usr/bin/env bash
# Import and Export (one TLD file, and TLC files), Organize and ReRank "*"
# at 2,048, 4,096 and 8,190 cells of 100 boxes placed by one top cell, the
# engines without pauses; beside klayout reading and writing the same cells
# as one GDSII file (what its strm2gds does), written by our GDSII writer.
#   bash bench/impexp_bench.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/bench"
work="${BENCH_WORK:-/tmp/impexpbench}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target impexp_bench gdsout_write >/dev/null
for n in 2048 4096 8190; do
  rm -rf "$work"
  mkdir -p "$work"
  "$build/bin/impexp_bench" run "$work" "$n"
done
rm -rf "$work"
mkdir -p "$work"
"$build/bin/impexp_bench" make "$work/src" 8190
cd "$work/src"
"$build/bin/gdsout_write" "$work/src/TOP.tlc" >/dev/null 2>&1
[ -s TOP.gds ] || { echo "no GDSII written" >&2; exit 1; }
echo "== klayout, the 8,190 cells as one GDSII file read and written"
klayout -b -r "$root/bench/cif_klayout_conv.py" -rd src="$work/src/TOP.gds" -rd dst="$work/copy.gds"
rm -rf "$work"
