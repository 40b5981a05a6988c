#!/usr/bin/env bash
# Outside check of the editor's Mov, Cpy, Orig and Step: a fixture cell of
# boxes, wide paths of both end styles, polygons, texts and instances in all
# eight orientations is edited whole by the command engine and saved; the
# existing GDSII writer writes the original and the edited cell; klayout
# builds the same result from the original with its own transform, second
# placement and array, and the two must XOR empty.
#   move_outside.sh <move_edit program> <gdsout_write program> <source folder>
set -u
edit="$1"
writer="$2"
src="$3"
here="$(cd "$(dirname "$0")" && pwd)"
fixture="$src/tests/fixtures/converters/gdsout"
work="$(mktemp -d /tmp/moveoutside.XXXXXX)"
trap 'rm -rf "$work"' EXIT

gds() {  # gds FOLDER: the folder's TOP written as TOP.gds
  (cd "$1" && "$writer" "$1/TOP.tlc" ctx=Y wtx=Y font0=1 font6=2 >/dev/null) || { echo "FAIL: writer in $1"; exit 1; }
}

mkdir "$work/original" && cp "$fixture"/* "$work/original/"
gds "$work/original"

all="aget -100000 -100000 100000 100000"
status=0
check() {  # check NAME KLAYOUT-OP LINE...
  local name="$1" op="$2"
  shift 2
  mkdir "$work/$name" && cp "$fixture"/* "$work/$name/"
  (cd "$work/$name" && "$edit" TOP "$@") || { echo "FAIL: $name: the editor refused"; status=1; return; }
  gds "$work/$name"
  timeout 120 klayout -b -r "$here/move_klayout.py" -rd orig="$work/original/TOP.gds" -rd edited="$work/$name/TOP.gds" \
    -rd top=TOP -rd op="$op" || status=1
}

check mov "mov:3.5,-2.25" "$all" "mov 0 0 3.5 -2.25"
check cpy "cpy:31,7" "$all" "cpy 1 1 32 8"
check origin "orig:1.5,-2.25" "orig 1.5 -2.25"
check step "step:7,5,40,-30" "$all" "step 7 5 40 -30"
check stepseq "step:7,5,40,-30" "$all" "step 7 5 40 -30 1"
exit $status
