#!/usr/bin/env bash
# Benchmark of the GDSII reader (run on demand, not by ctest):
#   bash bench/gdsin_bench.sh
# Builds the native engine optimised (build/bench), writes a flat file of
# 1,000,000 boxes (64 MB) and a hierarchy of 10,000 SREFs, converts both to
# TLC cells, and sets the flat file's time against klayout's own conversion
# of the same file into its text format, in the same run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/bench"
work="${BENCH_WORK:-/tmp/gdsinbench}"
mkdir -p "$work"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target gdsin_read >/dev/null
reader="$build/bin/gdsin_read"

now() { date +%s.%N; }

for kind in flat srefs; do
  dir="$work/$kind"
  rm -rf "$dir"
  mkdir -p "$dir"
  python3 "$root/bench/gdsin_make.py" "$dir/Bench.gds" "$kind"
  cd "$dir"
  size=$(stat -c %s Bench.gds)
  sync
  t0=$(now)
  "$reader" Bench.gds cbb=Y >/dev/null 2>&1
  t1=$(now)
  secs=$(echo "$t1 - $t0" | bc -l)
  tlc=$(du -cb "$dir"/Bench_files/*.tlc | tail -1 | cut -f1)
  printf "%-6s engine %.3f s  GDS %d bytes  %.1f MB/s read  (TLC %d bytes)\n" "$kind" "$secs" "$size" \
    "$(echo "$size / $secs / 1000000" | bc -l)" "$tlc"
  if [ "$kind" = flat ]; then
    engine=$secs
    k0=$(now)
    inner=$(klayout -b -r "$root/bench/gdsin_klayout_text.py" -rd src="$dir/Bench.gds" -rd dst="$dir/Bench.txt" |
      awk '/klayout_text_s/ {print $2}')
    k1=$(now)
    whole=$(echo "$k1 - $k0" | bc -l)
    printf "flat   klayout GDS-to-text %.3f s (whole process %.3f s)  ratio engine/klayout %.2f (%.2f of its own timing)\n" \
      "$inner" "$whole" "$(echo "$engine / $whole" | bc -l)" "$(echo "$engine / $inner" | bc -l)"
  fi
done
