#!/usr/bin/env bash
# The plotter's engine on the 1,000,000-box flat cell and the 100 x 100
# array of a 100-box cell (bench/render_make.py), one layer, window fitted,
# Max Scale; anchors of the same run: klayout's image export of the same
# cell at 2048 x 2048, and hp2xx reading our output into a PNG.
#   plot_bench.sh   (builds plot_write optimised in build/bench-release)
set -u
root="$(cd "$(dirname "$0")/.." && pwd)"
rel="$root/build/bench-release"
cmake -S "$root" -B "$rel" -DCMAKE_BUILD_TYPE=Release >/dev/null && cmake --build "$rel" -j8 --target plot_write >/dev/null ||
  exit 1
dir="$root/build/bench/plot"
mkdir -p "$dir"
[ -f "$dir/FLAT.tlc" ] || /usr/bin/python3 "$root/bench/render_make.py" "$root/samples/demo" "$dir" || exit 1
printf "\n%-6s %10s %10s %10s %12s\n" "cell" "engine s" "klayout s" "hp2xx s" "plot bytes"
for cell in FLAT ARR; do
  if [ "$cell" = FLAT ]; then win="0 0 99.98 99.98"; else win="0 0 109.98 109.98"; fi
  printf 'cln=%s\npfn=%s.plt\nl0=1\np0=1\nmsz=.001\n' "$cell" "$cell" >"$dir/QuilHpgl.usf"
  best=""
  for k in 1 2 3; do
    s=$(PLOT_MAX_SCALE=1 "$rel/bin/plot_write" "$dir" $cell $win 2>&1 | awk '/^seconds/ {print $2}')
    if [ -z "$best" ] || [ "$(echo "$s < $best" | bc -l)" = 1 ]; then best=$s; fi
  done
  kl=$(klayout -b -r "$root/bench/plot_klayout.py" -rd cell=$cell 2>/dev/null | awk '/klayout_image_s/ {print $2}')
  t0=$(date +%s.%N)
  hp2xx -m png -f "$dir/$cell.png" "$dir/$cell.plt" >/dev/null 2>&1
  hp=$(echo "$(date +%s.%N) - $t0" | bc -l)
  printf "%-6s %10s %10s %10.3f %12s\n" $cell "$best" "${kl:-n/a}" "$hp" "$(stat -c %s "$dir/$cell.plt")"
done
