#!/usr/bin/env bash
# The fuzz targets whose engines work in the current folder, run as a user
# runs them: from a folder of their own with a relative corpus path and some
# mutation. Each must keep its corpus where it was named, write nothing into
# the folder it was started in but the corpus, and leave no scratch folder.
# Usage: folders.sh BIN_DIR SOURCE_DIR target...
set -u
build=$(cd "$1" && pwd) source=$(cd "$2" && pwd)
shift 2
base=$(mktemp -d)
trap 'rm -rf "$base"' EXIT
failed=0
for name in "$@"; do
  run="$base/$name"
  mkdir -p "$run/tmp" "$run/corpus"
  cp -r "$source/tests/fuzz/corpus/$name" "$run/corpus/$name"
  before=$(ls "$run/corpus/$name" | wc -l)
  (cd "$run" && TMPDIR="$run/tmp" "$build/fuzz_$name" -runs=300 -seed=1 \
      -max_len=4096 "corpus/$name" >"$run.log" 2>&1)
  rc=$?
  after=$(ls "$run/corpus/$name" | wc -l)
  extra=$(cd "$run" && ls -A | grep -v -x -e corpus -e tmp)
  left=$(ls -A "$run/tmp")
  if [ $rc -ne 0 ]; then
    echo "FAIL $name: exit $rc"; tail -20 "$run.log"; failed=1
  elif [ -n "$extra" ]; then
    echo "FAIL $name: wrote into the folder it was started in: $extra"; failed=1
  elif [ -n "$left" ]; then
    echo "FAIL $name: left behind in the temp folder: $left"; failed=1
  elif ! grep -q "INITED" "$run.log"; then
    echo "FAIL $name: read no corpus"; tail -5 "$run.log"; failed=1
  elif [ "$after" -le "$before" ]; then
    # Every one of these finds new inputs within the runs from its seeds.
    echo "FAIL $name: no new input reached the corpus it was given"; failed=1
  else
    echo "ok $name: corpus $before -> $after inputs"
  fi
done
exit $failed
