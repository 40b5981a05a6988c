#!/usr/bin/env bash
# Benchmark of the 3D view builder (run on demand, not by ctest):
#   bash bench/q3d_bench.sh
# Builds the native engine optimised (build/bench), makes the 1,000,000-box
# flat cell (four layers, one listed: the whole file is read, a quarter of it
# projected) and times the native run, reading and writing included, against
# klayout's GDS-to-GDS copy of the same cell (what strm2gds does; its own
# program lacks its libraries here), the GDSII written by our writer, in the
# same run: klayout's read and write timed inside, and its whole process.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/bench"
work="${BENCH_WORK:-/tmp/q3dbench}"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target q3drun gdsout_write >/dev/null

now() { date +%s.%N; }

python3 "$root/bench/gds_make.py" "$work" flat >/dev/null
printf '1\nFLAT\n1 0 0 100 100 1000000 0 0 0\n' >"$work/QUIL7.CRF"
printf 'scale=1000\nphysunit=um\n' >"$work/QUIL7.USF"
(cd "$work" && "$build/bin/gdsout_write" "$work/FLAT.tlc" >/dev/null 2>&1)
sync
t0=$(now)
"$build/bin/q3drun" "$work" sfn=FLAT stp=10 aa1=45 aa2=60 l0=1 >/dev/null
t1=$(now)
ours=$(echo "$t1 - $t0" | bc -l)
res=$(ls "$work" | grep -i '^flat_3d\.tlc$')
k0=$(now)
inner=$(klayout -b -r "$root/bench/gds_klayout_copy.py" -rd src="$work/FLAT.gds" -rd dst="$work/copy.gds" |
  awk '/klayout_copy_s/ {print $2}')
k1=$(now)
theirs=$(echo "$k1 - $k0" | bc -l)
printf "3D of 1,000,000 boxes (250,000 listed): %.3f s, result %d bytes\n" "$ours" "$(stat -c %s "$work/$res")"
printf "klayout GDS copy of the same cell:       %.3f s read and write, %.3f s whole process\n" "$inner" "$theirs"
