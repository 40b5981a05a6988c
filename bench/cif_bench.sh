#!/usr/bin/env bash
# Benchmark of the CIF writer and reader (run on demand, not by ctest):
#   bash bench/cif_bench.sh
# Builds the native engines optimised (build/bench) and, on the
# 1,000,000-box flat cell of gds_make.py, sets in the same run:
#  - our TLC-to-CIF engine against klayout's strm2cif of the GDSII file our
#    GDSII writer makes of the same cell;
#  - our CIF-to-TLC engine on our CIF against klayout's strm2gds on its own
#    CIF.
# klayout's stand-alone strm2cif and strm2gds lack their libraries here: the
# same conversions run in klayout's batch mode (bench/cif_klayout_conv.py),
# timed inside (reading and writing) and as a whole process. The engines run
# without the programs' pauses.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/bench"
work="${BENCH_WORK:-/tmp/cifbench}"
mkdir -p "$work"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target cifout_write cifin_read gdsout_write >/dev/null

now() { date +%s.%N; }
secs() { echo "$2 - $1" | bc -l; }

dir="$work/flat"
rm -rf "$dir"
main=$(python3 "$root/bench/gds_make.py" "$dir" flat)
cd "$dir"
# Every layer the cell may use, each as the CIF layer "Ln".
for n in $(seq 1 64); do echo "(LAYER $n CIF= L$n);"; done >"$main.cif"
"$build/bin/gdsout_write" "$dir/$main.tlc" >/dev/null 2>&1
sync

t0=$(now); "$build/bin/cifout_write" "$dir/$main.tlc" >/dev/null 2>&1; t1=$(now)
ours=$(secs "$t0" "$t1")
conv() { # src dst: klayout's inner seconds; the whole process's into whole
  local k0 k1 inner
  k0=$(now)
  inner=$(klayout -b -r "$root/bench/cif_klayout_conv.py" -rd src="$1" -rd dst="$2" | awk '/klayout_conv_s/ {print $2}')
  k1=$(now)
  whole=$(secs "$k0" "$k1")
  echo "$inner"
}
theirs=$(conv "$dir/$main.gds" "$dir/klayout.cif")
printf "write  engine %.3f s (%d bytes)  klayout GDS-to-CIF %.3f s (%d bytes)  ratio %.2f\n" "$ours" \
  "$(stat -c %s "$main.cif")" "$theirs" "$(stat -c %s klayout.cif)" "$(echo "$ours / $theirs" | bc -l)"

t0=$(now); "$build/bin/cifin_read" "$dir/$main.cif" "tfp=.\\In_files\\" >/dev/null 2>&1; t1=$(now)
ours=$(secs "$t0" "$t1")
theirs=$(conv "$dir/klayout.cif" "$dir/back.gds")
printf "read   engine %.3f s (%d cells)  klayout CIF-to-GDS on its own CIF %.3f s  ratio %.2f\n" "$ours" \
  "$(ls "$dir/In_files" | wc -l)" "$theirs" "$(echo "$ours / $theirs" | bc -l)"

exe="$root/build/win64/bin/CIFOUT7.EXE"
if [ -x "$exe" ] && [ -x /usr/lib/wine/wine64 ]; then
  printf "1\n%s\n1 0 0 100 100 0 0 0 0\n" "$main" >"$dir/QUIL7.CRF"
  printf "scale=1000\nphysunit=um\n" >"$dir/QUIL7.USF"
  rm -f "$dir/CifOut.usf"
  out=$(bash "$root/bench/cif_wine.sh" "$dir" "$main")
  printf "write  CIFOUT7.EXE under Wine, whole run %.3f s (%s)\n" "$(echo "$out" | awk '/wine_s/ {print $2}')" \
    "$(echo "$out" | grep Bytes)"
fi
