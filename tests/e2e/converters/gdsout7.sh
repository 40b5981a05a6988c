#!/usr/bin/env bash
# GDSOUT7.EXE under Wine: a run started with a main cell on the command line
# and Go writes the GDSII file, the log and the listing, reports the byte
# count and closes; its bytes equal the native engine's for the same input.
#   gdsout7.sh <case> <native gdsout_write>
source "$(dirname "$0")/../harness.sh"

case_name="${1:?case}"
native="${2:?native writer}"
dir=$(work_folder "gdsout7_$case_name")
cp "$QUIL_SOURCE"/tests/fixtures/converters/gdsout/* "$dir/"
cd "$dir" || fail "no work folder"
printf 'ctx=Y\nwtx=Y\nfont0=1\nfont6=2\n' >GdsOut.usf

case "$case_name" in
cmdline)
  quil_start GDSOUT7.EXE TOP.tlc
  pid=$QUIL_LAST_PID
  robot wait-class GdsOut7 30000 >/dev/null || fail "GdsOut window did not appear"
  robot command GdsOut7 15 >/dev/null || fail "Go not posted"
  robot wait-dialog GdsOut 60000 >/dev/null || fail "no closing message"
  text=$(robot dialog-text GdsOut)
  echo "$text"
  size=$(stat -c %s TOP.gds 2>/dev/null) || fail "no TOP.gds"
  echo "$text" | grep -q "Completed ..." || fail "not completed: $text"
  echo "$text" | grep -q "$size Bytes in GDS File" || fail "byte count is not the file size $size"
  robot press GdsOut OK >/dev/null || fail "OK not pressed"
  wait_gone "$pid" 20 || fail "GdsOut still running after its command-line run"
  [ -s GdsOut.log ] || fail "no GdsOut.log"
  grep -q "TLC to GDS Conversion Log" GdsOut.log || fail "log header missing"
  [ -s GdsWrite.txt ] || fail "no listing GdsWrite.txt"
  mkdir native && cp TOP.tlc SUB.tlc LEAF.tlc TOP.ldm native/
  (cd native && "$native" TOP.tlc ctx=Y wtx=Y font0=1 font6=2 >/dev/null 2>&1) || fail "native writer failed"
  python3 "$QUIL_SOURCE/tests/e2e/converters/gds_same.py" TOP.gds native/TOP.gds || fail "Wine and native streams differ"
  ;;
added)
  # No map yet: it is created, every layer is asked for, and the program
  # stays open so that the user can look at the new map.
  rm -f TOP.ldm
  quil_start GDSOUT7.EXE TOP.tlc
  pid=$QUIL_LAST_PID
  robot wait-class GdsOut7 30000 >/dev/null || fail "GdsOut window did not appear"
  robot command GdsOut7 15 >/dev/null || fail "Go not posted"
  robot wait-dialog GdsOut 30000 >/dev/null || fail "no question about the map"
  robot dialog-text GdsOut | grep -q "LDM File TOP.ldm will be Created ... OK?" || fail "wrong question"
  robot press GdsOut Yes >/dev/null || fail "Yes not pressed"
  asked=0
  while robot wait-dialog "Building TOP.ldm" 5000 >/dev/null; do
    robot dialog-text "Building TOP.ldm" | grep -q "is not in LDM File" || fail "LDM dialog text"
    asked=$((asked + 1))
    [ $asked -le 10 ] || fail "asked too often"
    robot set-text "Building TOP.ldm" 1057 3 >/dev/null || fail "datatype not set"
    robot press "Building TOP.ldm" Yes >/dev/null || fail "Yes not pressed"
  done
  [ $asked -eq 7 ] || fail "asked $asked times for 7 layers"
  robot wait-dialog GdsOut 30000 >/dev/null || fail "no closing message"
  robot dialog-text GdsOut | grep -q "Layers have been Added to the LDM File TOP.ldm ... Run GdsOut Again" ||
    fail "closing message: $(robot dialog-text GdsOut)"
  robot press GdsOut OK >/dev/null || fail "OK not pressed"
  sleep 2
  kill -0 "$pid" 2>/dev/null || fail "GdsOut closed although layers were added"
  [ "$(grep -c ',3,' TOP.ldm)" -eq 7 ] || fail "map holds: $(cat TOP.ldm)"
  head -1 TOP.ldm | grep -q '^\*LDM built from TOP.tlc' || fail "map header: $(head -1 TOP.ldm)"
  robot close GdsOut7 >/dev/null
  wait_gone "$pid" 20 || fail "GdsOut did not close"
  ;;
refused)
  # Without a command line, Go waits for Setup and Layers.
  quil_start GDSOUT7.EXE
  pid=$QUIL_LAST_PID
  robot wait-class GdsOut7 30000 >/dev/null || fail "GdsOut window did not appear"
  robot command GdsOut7 15 >/dev/null || fail "Go not posted"
  robot wait-dialog "Error ..." 30000 >/dev/null || fail "Go was not refused"
  robot dialog-text "Error ..." | grep -q "??? ... Please do Setup first and then Layers" || fail "wrong refusal"
  robot press "Error ..." OK >/dev/null
  [ ! -f TOP.gds ] || fail "a GDS file was written"
  robot close GdsOut7 >/dev/null
  wait_gone "$pid" 20 || fail "GdsOut did not close"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
note "ok: $case_name"
