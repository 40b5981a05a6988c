#!/usr/bin/env bash
# Benchmark of the DXF writer and reader (run on demand, not by ctest):
#   bash bench/dxf_bench.sh
# Builds the native engines optimised (build/bench), makes the
# 1,000,000-box flat cell, writes it as DXF with our engine and as GDSII
# with our GDSII writer, and sets our DXF time against klayout's strm2dxf of
# that GDSII file, in the same run. Then our DXF file is read back into TLC
# cells by our reader and into GDSII by klayout's strm2gds, same run. With
# the win64 build, also the whole run of DXFOUT7.EXE under Wine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/bench"
work="${BENCH_WORK:-/tmp/dxfbench}"
mkdir -p "$work"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target dxfout_write gdsout_write dxfin_read >/dev/null

now() { date +%s.%N; }
tools="${KLAYOUT_TOOLS:-/usr/lib/klayout}"
strm2dxf() { LD_LIBRARY_PATH="$tools" "$tools/strm2dxf" "$@"; }
strm2gds() { LD_LIBRARY_PATH="$tools" "$tools/strm2gds" "$@"; }

dir="$work/flat"
rm -rf "$dir"
main=$(python3 "$root/bench/gds_make.py" "$dir" flat)
cd "$dir"
"$build/bin/gdsout_write" "$dir/$main.tlc" >/dev/null 2>&1
sync
t0=$(now)
"$build/bin/dxfout_write" "$dir/$main.tlc" >/dev/null 2>&1
t1=$(now)
ours=$(echo "$t1 - $t0" | bc -l)
printf "flat   our DXF writer %.3f s  DXF %d bytes\n" "$ours" "$(stat -c %s "$dir/$main.dxf")"
# DXFOUT7.EXE under Wine on the same cell, the whole run of a user (start,
# Go, the closing message; its half-second steps included).
exe="$root/build/win64/bin/DXFOUT7.EXE"
if [ -x "$exe" ] && [ -x /usr/lib/wine/wine64 ]; then
  printf "1\n%s\n1 0 0 100 100 0 0 0 0\n" "$main" >"$dir/QUIL7.CRF"
  printf "scale=1000\nphysunit=um\n" >"$dir/QUIL7.USF"
  cp "$dir/$main.dxf" "$dir/native.dxf"
  out=$(bash "$root/bench/dxf_wine.sh" "$dir" "$main")
  printf "flat   DXFOUT7.EXE under Wine, whole run %.3f s (%s)%s\n" "$(echo "$out" | awk '/wine_s/ {print $2}')" \
    "$(echo "$out" | grep Bytes)" "$(cmp -s "$dir/native.dxf" "$dir/$main.dxf" && echo ", the native bytes")"
fi
k0=$(now)
strm2dxf "$dir/$main.gds" "$dir/klayout.dxf" >/dev/null 2>&1
k1=$(now)
theirs=$(echo "$k1 - $k0" | bc -l)
printf "flat   strm2dxf %.3f s  DXF %d bytes  ratio ours/strm2dxf %.2f (goal 0.50)\n" "$theirs" \
  "$(stat -c %s "$dir/klayout.dxf")" "$(echo "$ours / $theirs" | bc -l)"

# Reading back: the layers of our DXF file are "LAYER_<n>", TLC layer n.
sync
r0=$(now)
"$build/bin/dxfin_read" "$dir/$main.dxf" tph=back lsu=1000 map:LAYER_1=1 map:LAYER_2=2 map:LAYER_3=3 map:LAYER_4=4 \
  'map:*=64' >"$dir/read.out" 2>&1 || { echo "our DXF reader failed"; cat "$dir/read.out"; exit 1; }
r1=$(now)
ours=$(echo "$r1 - $r0" | bc -l)
back=$(ls -d "$dir"/* | grep -i -x "$dir/back")
printf "read   our DXF reader %.3f s  TLC %d bytes\n" "$ours" "$(cat "$back"/*.tlc | wc -c)"
k0=$(now)
strm2gds "$dir/$main.dxf" "$dir/klayout_back.gds" >/dev/null 2>&1
k1=$(now)
theirs=$(echo "$k1 - $k0" | bc -l)
printf "read   strm2gds %.3f s  GDS %d bytes  ratio ours/strm2gds %.2f (goal 0.50)\n" "$theirs" \
  "$(stat -c %s "$dir/klayout_back.gds")" "$(echo "$ours / $theirs" | bc -l)"
