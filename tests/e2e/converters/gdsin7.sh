#!/usr/bin/env bash
# GDSIN7.EXE under Wine: a run started with a GDS file on the command line
# and Go writes the TLC cells, the layers file, the log and the listing into
# the output folder and closes; its files equal the native engine's (dates
# and times aside).
#   gdsin7.sh <case> <native gdsin_read>
source "$(dirname "$0")/../harness.sh"

case_name="${1:?case}"
native="${2:?native reader}"
dir=$(sample_drawing "gdsin7_$case_name")
cp "$QUIL_SOURCE"/tests/fixtures/converters/gdsin/Top.gds "$QUIL_SOURCE"/tests/fixtures/converters/gdsin/Top.ldm "$dir/"
cd "$dir" || fail "no work folder"
printf 'ctx=Y\ncbb=Y\nwtx=Y\nmlf=Y\nnam=Y\n' >GdsIn.usf

# Text files without the stamps of the run, line ends made alike.
plain() { tr -d '\r' <"$1" | grep -Ev '^[0-9]{2}/[0-9]{2}/[0-9]{2}$|^[0-9]{2}:[0-9]{2}:[0-9]{2}$|^\*\*\* |^GDS Date is '; }

press_ok() { # caption text-pattern
  robot wait-dialog "$1" 30000 >/dev/null || fail "no message $2"
  local text
  text=$(robot dialog-text "$1")
  echo "$text" | grep -q "$2" || fail "message: $text"
  robot press "$1" OK >/dev/null || fail "OK not pressed"
}

case "$case_name" in
cmdline)
  quil_start GDSIN7.EXE Top.gds
  pid=$QUIL_LAST_PID
  robot wait-class GdsIn7 30000 >/dev/null || fail "GdsIn window did not appear"
  robot command GdsIn7 15 >/dev/null || fail "Go not posted"
  press_ok GdsIn "Folder .*Top_files.* was Created"
  press_ok GdsIn "Completed ..."
  wait_gone "$pid" 20 || fail "GdsIn still running after its command-line run"
  out=$(ls -d [Tt][Oo][Pp]_files 2>/dev/null) || fail "no output folder"
  for f in GdsIn.log GdsRead.txt layers_Top.tld Top.nam; do
    [ -s "$out/$f" ] || fail "no $f"
  done
  grep -q "GDS to TLC Conversion Log" "$out/GdsIn.log" || fail "log header missing"
  mkdir native && cp Top.gds Top.ldm native/
  (cd native && "$native" Top.gds ctx=Y cbb=Y wtx=Y mlf=Y nam=Y >/dev/null 2>&1) || fail "native reader failed"
  n=0
  for f in native/Top_files/*; do
    name=$(basename "$f")
    w=$(ls "$out" | grep -ix "$name") || fail "Wine run did not write $name"
    diff <(plain "$f") <(plain "$out/$w") >/dev/null || fail "$name differs: $(diff <(plain "$f") <(plain "$out/$w") | head -5)"
    n=$((n + 1))
  done
  [ "$n" -eq 7 ] || fail "native run wrote $n files"
  [ "$(ls "$out" | wc -l)" -eq 7 ] || fail "Wine run wrote $(ls "$out")"
  ;;
added)
  # No map yet: it is created, every layer and datatype is asked for, and
  # the program stays open so that the user can look at the new map.
  rm -f Top.ldm
  quil_start GDSIN7.EXE Top.gds
  pid=$QUIL_LAST_PID
  robot wait-class GdsIn7 30000 >/dev/null || fail "GdsIn window did not appear"
  robot command GdsIn7 15 >/dev/null || fail "Go not posted"
  press_ok GdsIn "Folder .*Top_files.* was Created"
  robot wait-dialog GdsIn 30000 >/dev/null || fail "no question about the map"
  robot dialog-text GdsIn | grep -q "LDM File Top.ldm will be Created ... OK?" || fail "wrong question"
  robot press GdsIn Yes >/dev/null || fail "Yes not pressed"
  asked=0
  wait=30000  # the hierarchy passes pause first
  while robot wait-dialog "Building Top.ldm" $wait >/dev/null; do
    wait=5000
    robot dialog-text "Building Top.ldm" | grep -q "is not in LDM File" || fail "LDM dialog text"
    asked=$((asked + 1))
    [ $asked -le 12 ] || fail "asked too often"
    robot set-text "Building Top.ldm" 1005 $((20 + asked)) >/dev/null || fail "layer not set"
    robot press "Building Top.ldm" Yes >/dev/null || fail "Yes not pressed"
  done
  [ $asked -eq 9 ] || fail "asked $asked times for 9 layer and datatype pairs"
  press_ok GdsIn "Layers have been Added to the LDM File Top.ldm."
  sleep 2
  kill -0 "$pid" 2>/dev/null || fail "GdsIn closed although layers were added"
  [ "$(tr -d '\r' <Top.ldm | grep -c ',2[1-9]$\|,30$')" -eq 9 ] || fail "map holds: $(cat Top.ldm)"
  head -1 Top.ldm | tr -d '\r' | grep -q '^\*LDM built from Top.gds' || fail "map header: $(head -1 Top.ldm)"
  robot close GdsIn7 >/dev/null
  wait_gone "$pid" 20 || fail "GdsIn did not close"
  ;;
newname)
  # A structure whose name can't be a cell name: the user is asked for
  # another, once for the rename and once more where the answer is aborted.
  python3 -c 'import sys; d = open("Top.gds", "rb").read(); open("Top.gds", "wb").write(d.replace(b"SUB\0", b"S*B\0"))'
  for answer in Renamed abort; do
    rm -rf [Tt][Oo][Pp]_files
    quil_start GDSIN7.EXE Top.gds
    pid=$QUIL_LAST_PID
    robot wait-class GdsIn7 30000 >/dev/null || fail "GdsIn window did not appear"
    robot command GdsIn7 15 >/dev/null || fail "Go not posted"
    press_ok GdsIn "Folder .*Top_files.* was Created"
    text=$(robot wait-dialog "Bad Cell Name" 30000) || fail "no question about the name"
    for want in "Structure Name S\*B" "Cell Name S\*B is illegal or already present" "truncated to 32 characters"; do
      echo "$text" | grep -q "$want" || fail "question lacks '$want': $text"
    done
    if [ "$answer" = abort ]; then
      robot press "Bad Cell Name" "Abort Conversion" >/dev/null || fail "Abort not pressed"
      press_ok GdsIn "Aborted ... Files may be Incomplete"
      robot close GdsIn7 >/dev/null
      wait_gone "$pid" 20 || fail "GdsIn did not close"
      ! ls [Tt][Oo][Pp]_files 2>/dev/null | grep -qi '\.tlc$' || fail "an aborted run left cells: $(ls [Tt][Oo][Pp]_files)"
    else
      robot set-text "Bad Cell Name" 601 "$answer" >/dev/null || fail "name not set"
      robot press "Bad Cell Name" OK >/dev/null || fail "OK not pressed"
      press_ok GdsIn "Completed ..."
      wait_gone "$pid" 20 || fail "GdsIn still running after its command-line run"
      out=$(ls -d [Tt][Oo][Pp]_files) || fail "no output folder"
      cell=$(ls "$out" | grep -ix "$answer.tlc") || fail "no cell of the new name: $(ls "$out")"
      tr -d '\r' <"$out/$cell" | grep -qx "RENAMED" || fail "the cell is not named RENAMED"
      top=$(ls "$out" | grep -ix top.tlc) || fail "no TOP cell"
      tr -d '\r' <"$out/$top" | grep -qx "RENAMED" || fail "TOP does not place RENAMED"
    fi
  done
  ;;
drawing)
  # The output folder may not be the drawing folder.
  printf 'cfn=Top.gds\ntph=.\\\n' >GdsIn.usf
  quil_start GDSIN7.EXE
  pid=$QUIL_LAST_PID
  robot wait-class GdsIn7 30000 >/dev/null || fail "GdsIn window did not appear"
  robot command GdsIn7 15 >/dev/null || fail "Go not posted"
  robot wait-dialog "Error ..." 30000 >/dev/null || fail "Go was not refused"
  robot dialog-text "Error ..." | grep -q "??? ... Please do Setup first." || fail "wrong refusal"
  robot press "Error ..." OK >/dev/null
  robot command GdsIn7 12 >/dev/null || fail "Setup not posted"
  robot wait-dialog "Conversion Setup" 30000 >/dev/null || fail "no SETUP dialog"
  robot press "Conversion Setup" OK >/dev/null || fail "OK not pressed"
  robot command GdsIn7 15 >/dev/null || fail "Go not posted"
  robot wait-dialog "Error ..." 30000 >/dev/null || fail "no refusal of the drawing folder"
  robot dialog-text "Error ..." | grep -q "Cell Files will be Written to the Drawing Folder ... Can't Continue" ||
    fail "wrong message: $(robot dialog-text "Error ...")"
  robot press "Error ..." OK >/dev/null
  press_ok GdsIn "Aborted ... Files may be Incomplete"
  cmp -s TOP.tlc "$QUIL_SOURCE/samples/demo/TOP.tlc" || fail "the drawing's TOP.tlc was written over"
  [ ! -f SUB.tlc ] && [ ! -f Sub.tlc ] && [ ! -f GdsIn.log ] || fail "files were written into the drawing folder"
  robot close GdsIn7 >/dev/null
  wait_gone "$pid" 20 || fail "GdsIn did not close"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
note "ok: $case_name"
