#!/usr/bin/env bash
# The whole test run: install what is missing, build the four presets, run
# the native unit tests, the end-to-end tests under Wine and the fuzz corpus
# replays. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
for preset in win64 win32 native fuzz; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

echo "== unit tests"
ctest --preset native -L unit -j "$jobs"
echo "== checks against outside tools"
ctest --preset native -L outside -j "$jobs"
echo "== fuzz corpus replay"
ctest --preset fuzz -L fuzz -j "$jobs" --no-tests=ignore
echo "== end-to-end tests under Wine"
ctest --preset native -L e2e
echo "== the main job"
bash scripts/check-main.sh
echo "== all tests passed"
