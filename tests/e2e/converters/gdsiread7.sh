#!/usr/bin/env bash
# GDSIREAD7.EXE under Wine: a GDS-I file given on the command line, stdin not
# a console. The program prints the cell count and ends by itself with exit
# status 0, and its cells equal those of the native build (dates aside).
#   gdsiread7.sh <native gdsiread7>
set -u
. "$(dirname "$0")/../harness.sh"
native="$1"
dir=$(work_folder gdsiread7)
mkdir -p "$dir/win" "$dir/native"
python3 "$QUIL_SOURCE/tests/unit/converters/outside/gdsi_make.py" "$dir/win/CALMA.TXT" || fail "GDS-I writer"
cp "$dir/win/CALMA.TXT" "$dir/native/CALMA.TXT"
"$native" "$dir/native/CALMA.TXT" </dev/null >"$dir/native.out" 2>&1 || fail "native run: $(cat "$dir/native.out")"
cd "$dir/win" || fail "no folder"
winpath="Z:$(echo "$dir/win/CALMA.TXT" | tr / '\\')"
timeout 60 "$WINE" "$QUIL_BIN/GDSIREAD7.EXE" "$winpath" </dev/null >"$dir/win.out" 2>&1 &
pid=$!
QUIL_PIDS="$QUIL_PIDS $pid"
wait $pid
rc=$?
[ $rc -eq 0 ] || fail "exit status $rc: $(cat "$dir/win.out")"
tr -d '\r' <"$dir/win.out" | grep -q "^2 Cells Created$" || fail "no cell count: $(cat "$dir/win.out")"
for c in LEAF TOP; do
  [ -s "$dir/win/$c.tlc" ] || fail "no $c.tlc"
  # The header's date and time are the run's own.
  strip() { tr -d '\r' <"$1" | grep -v -E '^[0-9]{2}/[0-9]{2}/[0-9]{2}$|^[0-9]{2}:[0-9]{2}:[0-9]{2}$'; }
  diff <(strip "$dir/native/$c.tlc") <(strip "$dir/win/$c.tlc") >/dev/null || fail "$c.tlc differs from the native one"
done
note "GDSIREAD7.EXE: 2 cells, same as native"
