#!/usr/bin/env bash
# The benchmarks of two trees side by side in one run:
#   bash bench/compare.sh BASE_TREE NEW_TREE
# Builds each tree's optimised benchmark targets into its own build/bench
# (as bench/README.md does), then runs every benchmark three times,
# alternating the trees (base first in odd rounds, new first in even ones),
# and prints for each figure the best of three: bench, before, after, ratio
# (after / before; above 1 is slower). Inputs of the converters are made
# once and copied fresh for every run, so both trees read the same bytes.
# BENCH_ROUNDS (3) and BENCH_DRC_BOXES (1000000) change the work done;
# BENCH_WORK (/tmp/quil-bench-compare) is the scratch folder.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: bash bench/compare.sh BASE_TREE NEW_TREE" >&2; exit 2; }
here="$(cd "$(dirname "$0")" && pwd)"
base="$(cd "$1" && pwd)"
new="$(cd "$2" && pwd)"
rounds="${BENCH_ROUNDS:-3}"
drc_boxes="${BENCH_DRC_BOXES:-1000000}"
work="${BENCH_WORK:-/tmp/quil-bench-compare}"
targets="store_bench flatten_bench cmd_bench ckt_compile render_bench drc_bench gdsin_read gdsout_write"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
for tree in "$base" "$new"; do
  echo "building $tree/build/bench" >&2
  cmake -S "$tree" -B "$tree/build/bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUIL_SANITIZE=OFF \
    -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc "${launcher[@]}" >/dev/null
  # shellcheck disable=SC2086
  cmake --build "$tree/build/bench" -j8 --target $targets >/dev/null
done

rm -rf "$work"
mkdir -p "$work/inputs"
echo "making the converters' inputs in $work/inputs" >&2
python3 "$here/gds_make.py" "$work/inputs/gdsout" flat >/dev/null
mkdir -p "$work/inputs/gdsin"
python3 "$here/gdsin_make.py" "$work/inputs/gdsin/Bench.gds" flat >/dev/null
results="$work/results.txt"
: >"$results"

now() { date +%s.%N; }

# Each bench prints "name<TAB>seconds" lines for one tree ($1: its bin).
b_store() {
  "$1/store_bench" | awk '
    /^[A-Z]+ +file/ { cell = $1 }
    /^ +load / { l = $0; sub(/.*load /, "", l); sub(/ .*/, "", l)
                 s = $0; sub(/.*save /, "", s); sub(/ .*/, "", s)
                 printf "store load %s\t%s\nstore save %s\t%s\n", cell, l, cell, s }'
}
b_flatten() {
  local dir="$work/run/flatten"
  rm -rf "$dir"
  "$1/flatten_bench" "$dir" | awk '/^time / { printf "flatten 100x100 array\t%s\n", $2 }'
}
b_cmd() {
  "$1/cmd_bench" | sed -nE 's/^(.*[^ ]) +n= *([0-9]+) +([0-9.]+) s .*/cmd \1 n=\2\t\3/p'
}
b_ckt() {
  "$1/ckt_compile" --best 1 30 100 | awk '/^array / { printf "ckt compile %s\t%s\n", $2, $4 }'
}
b_render() {
  "$1/render_bench" | sed -nE 's/^(.*[^ ]) +([0-9.]+) s +boxes drawn.*/render \1\t\2/p'
}
b_drc() {
  local dir="$work/run/drc"
  rm -rf "$dir"
  "$1/drc_bench" "$dir" --boxes "$drc_boxes" | sed -nE 's/.*drc_seconds=([0-9.]+).*/drc width+space\t\1/p'
}
b_gdsin() {
  local dir="$work/run/gdsin" t0 t1
  rm -rf "$dir"
  cp -r "$work/inputs/gdsin" "$dir"
  t0=$(now)
  (cd "$dir" && "$1/gdsin_read" Bench.gds cbb=Y >/dev/null 2>&1)
  t1=$(now)
  printf 'gdsin 1M boxes\t%s\n' "$(echo "$t1 - $t0" | bc -l)"
}
b_gdsout() {
  local dir="$work/run/gdsout" t0 t1
  rm -rf "$dir"
  cp -r "$work/inputs/gdsout" "$dir"
  t0=$(now)
  (cd "$dir" && "$1/gdsout_write" "$dir/FLAT.tlc" >/dev/null 2>&1)
  t1=$(now)
  printf 'gdsout 1M boxes\t%s\n' "$(echo "$t1 - $t0" | bc -l)"
}

benches="b_store b_gdsin b_gdsout b_flatten b_drc b_ckt b_render b_cmd"
for round in $(seq 1 "$rounds"); do
  if [ $((round % 2)) -eq 1 ]; then order="before after"; else order="after before"; fi
  for b in $benches; do
    for side in $order; do
      if [ "$side" = before ]; then tree="$base"; else tree="$new"; fi
      echo "round $round: $b $side" >&2
      mkdir -p "$work/run"
      "$b" "$tree/build/bench/bin" | sed "s/^/$side\t/" >>"$results"
    done
  done
done

# Best of the rounds per figure, in the order the figures first came.
awk -F'\t' '
  { key = $2; v = $3 + 0
    if (!(key in seen)) { seen[key] = 1; order[++n] = key }
    if (!((key, $1) in best) || v < best[key, $1]) best[key, $1] = v }
  END {
    printf "%-52s %10s %10s %7s\n", "bench", "before", "after", "ratio"
    for (i = 1; i <= n; i++) {
      k = order[i]; b = best[k, "before"]; a = best[k, "after"]
      printf "%-52s %10.4f %10.4f %7s%s\n", k, b, a, (b > 0 ? sprintf("%.3f", a / b) : "-"), (b < 0.01 ? " *" : "")
    }
    print "* under 10 ms: the bench prints too few digits for a ratio to tell 5%"
  }' "$results"
