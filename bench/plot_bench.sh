#!/usr/bin/env bash
# The plotter's engine on the 1,000,000-box flat cell and the 100 x 100
# array of a 100-box cell (bench/render_make.py), one layer, window fitted,
# Max Scale, and the flat cell with all its ten layers (FLAT10: a plot file
# of the 1,000,000 boxes); anchors of the same run: klayout's image export
# of the same cell and layers at 2048 x 2048, and hp2xx reading our output
# into a PNG. Each time is the best of three.
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
min() { if [ -z "$1" ] || [ "$(echo "$2 < $1" | bc -l)" = 1 ]; then echo "$2"; else echo "$1"; fi; }
for run in FLAT ARR FLAT10; do
  cell=${run%10}
  layers=1
  [ "$run" = FLAT10 ] && layers=10
  if [ "$cell" = FLAT ]; then win="0 0 99.98 99.98"; else win="0 0 109.98 109.98"; fi
  {
    printf 'cln=%s\npfn=%s.plt\nmsz=.001\n' "$cell" "$run"
    for ((i = 0; i < layers; i++)); do printf 'l%d=%d\np%d=1\n' $i $((i + 1)) $i; done
  } >"$dir/QuilHpgl.usf"
  best="" kl="" hp=""
  for k in 1 2 3; do
    s=$(PLOT_MAX_SCALE=1 "$rel/bin/plot_write" "$dir" $cell $win 2>&1 | awk '/^seconds/ {print $2}')
    best=$(min "$best" "$s")
    s=$(klayout -b -r "$root/bench/plot_klayout.py" -rd cell=$cell -rd layers=$layers 2>/dev/null |
      awk '/klayout_image_s/ {print $2}')
    [ -n "$s" ] && kl=$(min "$kl" "$s")
    t0=$(date +%s.%N)
    hp2xx -m png -f "$dir/$run.png" "$dir/$run.plt" >/dev/null 2>&1
    hp=$(min "$hp" "$(echo "$(date +%s.%N) - $t0" | bc -l)")
  done
  printf "%-6s %10s %10s %10.3f %12s\n" $run "$best" "${kl:-n/a}" "$hp" "$(stat -c %s "$dir/$run.plt")"
done
