#!/usr/bin/env bash
# Benchmark of the GDSII writer (run on demand, not by ctest):
#   bash bench/gds_bench.sh
# Builds the native engine optimised (build/bench), writes the 1,000,000-box
# flat cell and the 100 x 100 array hierarchy, and sets the flat cell's time
# against klayout's own GDS-to-GDS conversion of the same geometry. With a
# win64 build it also times GDSOUT7.EXE under Wine on the flat cell.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/bench"
work="${BENCH_WORK:-/tmp/gdsbench}"
mkdir -p "$work"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target gdsout_write >/dev/null
writer="$build/bin/gdsout_write"

now() { date +%s.%N; }

for kind in flat array; do
  dir="$work/$kind"
  rm -rf "$dir"
  main=$(python3 "$root/bench/gds_make.py" "$dir" "$kind")
  cd "$dir"
  sync
  t0=$(now)
  "$writer" "$dir/$main.tlc" >/dev/null 2>&1
  t1=$(now)
  size=$(stat -c %s "$dir/$main.gds")
  tlc=$(du -cb "$dir"/*.tlc | tail -1 | cut -f1)
  secs=$(echo "$t1 - $t0" | bc -l)
  printf "%-6s engine %.3f s  GDS %d bytes  %.1f MB/s written  (TLC read %.1f MB/s)\n" "$kind" "$secs" "$size" \
    "$(echo "$size / $secs / 1000000" | bc -l)" "$(echo "$tlc / $secs / 1000000" | bc -l)"
  if [ "$kind" = flat ]; then
    engine=$secs
    k0=$(now)
    inner=$(klayout -b -r "$root/bench/gds_klayout_copy.py" -rd src="$dir/$main.gds" -rd dst="$dir/copy.gds" |
      awk '/klayout_copy_s/ {print $2}')
    k1=$(now)
    whole=$(echo "$k1 - $k0" | bc -l)
    printf "flat   klayout GDS-to-GDS %.3f s (whole process %.3f s)  ratio engine/klayout %.2f\n" "$inner" "$whole" \
      "$(echo "$engine / $inner" | bc -l)"
  fi
done

exe="$root/build/win64/bin/GDSOUT7.EXE"
if [ -x "$exe" ] && [ -x /usr/lib/wine/wine64 ]; then
  dir="$work/flat"
  printf "1\nFLAT\n1 0 0 100 100 0 0 0 0\n" >"$dir/QUIL7.CRF"
  printf "scale=1000\nphysunit=um\n" >"$dir/QUIL7.USF"
  rm -f "$dir/FLAT.gds" "$dir/GdsOut.usf"
  out=$(bash "$root/bench/gds_wine.sh" "$dir" FLAT)
  printf "flat   GDSOUT7.EXE under Wine, whole run %.3f s (%s)\n" "$(echo "$out" | awk '/wine_s/ {print $2}')" \
    "$(echo "$out" | grep Bytes)"
fi
