#!/usr/bin/env bash
# The 1,000,000-box flat cell loaded into the editor's store, side by side
# with klayout reading the same boxes from binary GDSII (run on demand):
#   bash bench/store_vs_klayout.sh
# The GDSII file is written from the same cell by our GDSII writer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/bench"
work="${BENCH_WORK:-/tmp/storebench}"
rm -rf "$work"
mkdir -p "$work"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target store_bench gdsout_write >/dev/null

"$build/bin/store_bench" make "$work"
cd "$work"
printf "scale=1000\nphysunit=um\n" >QUIL7.USF
"$build/bin/gdsout_write" "$work/BOXES.tlc" >/dev/null 2>&1
[ -s BOXES.gds ] || { echo "no GDSII written" >&2; exit 1; }

cat >read.py <<'PY'
import time
import pya
best = 1e9
for _ in range(3):
    t0 = time.time()
    ly = pya.Layout()
    ly.read(src)  # noqa: F821
    best = min(best, time.time() - t0)
shapes = sum(ly.top_cell().shapes(li).size() for li in ly.layer_indexes())
print("klayout_read_s %.3f shapes %d" % (best, shapes))
PY
echo "== editor store (best of three)"
"$build/bin/store_bench" load BOXES
echo "== klayout reading the same boxes from GDSII ($(stat -c %s BOXES.gds) bytes, best of three)"
klayout -b -r read.py -rd src="$work/BOXES.gds"
