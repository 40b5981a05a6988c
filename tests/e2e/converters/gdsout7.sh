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

# gone CAPTION: waits (bounded) until no dialog of that caption is left.
gone() {
  local n=0
  while robot dialog-text "$1" >/dev/null 2>&1; do
    [ $n -ge 50 ] && fail "dialog '$1' stays open"
    sleep 0.1
    n=$((n + 1))
  done
}

# same_as_native ARGS...: the native engine on a copy of the drawing, with
# these settings, writes the same stream as the program did.
same_as_native() {
  rm -rf native
  mkdir native && cp TOP.tlc SUB.tlc LEAF.tlc TOP.ldm native/
  (cd native && "$native" TOP.tlc "$@" >/dev/null 2>&1) || fail "native writer failed"
  python3 "$QUIL_SOURCE/tests/e2e/converters/gds_same.py" TOP.gds native/TOP.gds || fail "Wine and native streams differ"
}

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
  same_as_native ctx=Y wtx=Y font0=1 font6=2
  ;;
abort)
  # Cancel in the progress dialog, confirmed: the run stops and says so.
  # The run pauses briefly after each cell, so a main cell of 300 leaf cells
  # keeps it going for many seconds: the Cancel always lands mid-run, even
  # on a loaded machine (the three-cell drawing could finish first).
  for i in $(seq 1 300); do sed "s/^LEAF\$/L$i/" LEAF.tlc >"L$i.tlc"; done
  {
    sed -n '1,/<\/H>/p' TOP.tlc | sed 's/^TOP$/WIDE/'
    for i in $(seq 1 300); do printf '<C>\nL%d\n0 %d 0 0\n</C>\n' "$i" $((i * 100)); done
    printf '</TLC>\n'
  } >WIDE.tlc
  cp TOP.ldm WIDE.ldm
  quil_start GDSOUT7.EXE WIDE.tlc
  pid=$QUIL_LAST_PID
  robot wait-class GdsOut7 30000 >/dev/null || fail "GdsOut window did not appear"
  robot command GdsOut7 15 >/dev/null || fail "Go not posted"
  robot press "Creating WIDE.gds" Cancel 10000 >/dev/null || fail "no progress dialog"
  q=$(robot wait-dialog GdsOut 10000) || fail "no abort question"
  echo "$q" | grep -q "Aborting Conversion ... OK?" || fail "question: $q"
  robot press GdsOut Yes >/dev/null
  gone_q=0
  while robot dialog-text GdsOut 2>/dev/null | grep -q "Aborting"; do
    gone_q=$((gone_q + 1)); [ $gone_q -lt 50 ] || fail "question stays"; sleep 0.1
  done
  text=$(robot wait-dialog GdsOut 30000) || fail "no closing message"
  echo "$text" | grep -q "Aborted ... Files may be Incomplete" || fail "closing message: $text"
  echo "$text" | grep -q "Completed" && fail "reported complete"
  robot press GdsOut OK >/dev/null
  wait_gone "$pid" 20 || fail "GdsOut did not close after its command-line run"
  ;;
dialogs)
  # The interactive way: Setup, Text and Layers by their dialogs, then Go.
  rm -f GdsOut.usf
  quil_start GDSOUT7.EXE
  pid=$QUIL_LAST_PID
  robot wait-class GdsOut7 30000 >/dev/null || fail "GdsOut window did not appear"
  robot command GdsOut7 13 >/dev/null
  robot wait-dialog "Error ..." 30000 | grep -q "??? ... Please do Setup first" || fail "Layers before Setup"
  robot press "Error ..." OK >/dev/null
  gone "Error ..."
  robot command GdsOut7 12 >/dev/null
  robot wait-dialog "Conversion Setup" 30000 >/dev/null || fail "no SETUP dialog"
  robot set-text "Conversion Setup" 100 TOP.tlc >/dev/null || fail "file name not set"
  robot set-text "Conversion Setup" 109 "1-3 5-7" >/dev/null || fail "filter not set"
  robot click "Conversion Setup" "Convert Text to GDS Text Records" >/dev/null || fail "text box"
  robot press "Conversion Setup" OK >/dev/null
  gone "Conversion Setup"
  robot command GdsOut7 14 >/dev/null
  robot wait-dialog "Text Setup" 30000 >/dev/null || fail "no TEXT dialog"
  robot set-text "Text Setup" 200 1 >/dev/null
  robot set-text "Text Setup" 206 2 >/dev/null
  robot press "Text Setup" OK >/dev/null
  gone "Text Setup"
  robot command GdsOut7 13 >/dev/null
  layers=$(robot wait-dialog "Layer Table 1" 30000) || fail "no LAYERS dialog"
  echo "$layers" | grep -q "met1     1" || fail "layer table: $layers"
  echo "$layers" | grep -q "text     4" || fail "layer table: $layers"
  robot press "Layer Table 1" OK >/dev/null
  gone "Layer Table 1"
  robot command GdsOut7 15 >/dev/null
  text=$(robot wait-dialog GdsOut 60000) || fail "no closing message"
  echo "$text" | grep -q "Completed ..." || fail "not completed: $text"
  robot press GdsOut OK >/dev/null
  gone GdsOut
  kill -0 "$pid" 2>/dev/null || fail "GdsOut closed without a command line"
  robot close GdsOut7 >/dev/null
  wait_gone "$pid" 20 || fail "GdsOut did not close"
  grep -q "^ctx=Y" GdsOut.usf || fail "settings not kept: $(cat GdsOut.usf)"
  grep -q "^ftr=1-3 5-7" GdsOut.usf || fail "filter not kept: $(grep ftr= GdsOut.usf)"
  grep -q "^font6=2" GdsOut.usf || fail "text rows not kept"
  # Layer 4 (the texts) is filtered out.
  same_as_native ctx=Y font0=1 font6=2 "ftr=1-3 5-7"
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
  # Without a command line, Go waits for Setup and Layers. The window is
  # closed only once the refusal is gone: a close taken by the message
  # box's modal loop would be lost.
  quil_start GDSOUT7.EXE
  pid=$QUIL_LAST_PID
  robot_wait 180 wait-class GdsOut7 >/dev/null || fail "GdsOut window did not appear"
  robot command GdsOut7 15 >/dev/null || fail "Go not posted"
  robot_wait 120 wait-dialog "Error ..." >/dev/null || fail "Go was not refused"
  robot dialog-text "Error ..." | grep -q "??? ... Please do Setup first and then Layers" || fail "wrong refusal"
  robot press "Error ..." OK >/dev/null
  dialog_gone "Error ..." 60 || fail "the refusal stays after OK"
  [ ! -f TOP.gds ] || fail "a GDS file was written"
  robot close GdsOut7 >/dev/null
  wait_gone "$pid" 60 || fail "GdsOut did not close"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
note "ok: $case_name"
