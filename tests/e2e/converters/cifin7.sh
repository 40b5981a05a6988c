#!/usr/bin/env bash
# CIFIN7.EXE under Wine: Go is refused before Setup; after it the CIF file
# becomes TLC cells, the same as the native engine makes (dates aside).
#   cifin7.sh <case> <native cifout_write> <native cifin_read>
source "$(dirname "$0")/../harness.sh"

case_name="${1:?case}"
writer="${2:?native writer}"
reader="${3:?native reader}"
dir=$(work_folder "cifin7_$case_name")
cp "$QUIL_SOURCE"/tests/fixtures/converters/gdsout/* "$dir/"
cd "$dir" || fail "no work folder"
for n in 1 2 3 4 5 6 7; do echo "(LAYER $n CIF= L$n);"; done >TOP.cif
"$writer" TOP.tlc >/dev/null 2>&1 || fail "native writer failed"
mkdir in && mv TOP.cif in/CHIP.cif && rm -f ./*.tlc
cp in/CHIP.cif CHIP.cif

case "$case_name" in
setup_go)
  quil_start CIFIN7.EXE
  pid=$QUIL_LAST_PID
  robot_wait 180 wait-class CifIn7 >/dev/null || fail "CifIn window did not appear"
  robot command CifIn7 13 >/dev/null || fail "Go not posted"
  robot_wait 120 wait-dialog "Error ..." >/dev/null || fail "Go was not refused"
  robot dialog-text "Error ..." | grep -q "??? ... Please do Setup first" || fail "wrong refusal"
  robot press "Error ..." OK >/dev/null
  dialog_gone "Error ..." 60 || fail "the refusal stays after OK"
  robot command CifIn7 12 >/dev/null
  robot wait-dialog "Conversion Setup" 30000 >/dev/null || fail "no SETUP dialog"
  robot set-text "Conversion Setup" 100 CHIP.cif >/dev/null || fail "file name not set"
  robot press "Conversion Setup" OK >/dev/null
  dialog_gone "Conversion Setup" 60 || fail "SETUP stays"
  robot command CifIn7 13 >/dev/null
  n=0
  while :; do
    text=$(robot wait-dialog CifIn 60000) || fail "no closing message"
    echo "$text" | grep -q "Folder" || break
    robot press CifIn OK >/dev/null
    n=$((n + 1)); [ $n -lt 3 ] || fail "messages: $text"
    sleep 0.5
  done
  echo "$text" | grep -q "Completed ... 3 TLC Files Made" || fail "closing message: $text"
  robot press CifIn OK >/dev/null
  dialog_gone CifIn 60
  robot close CifIn7 >/dev/null
  wait_gone "$pid" 20 || fail "CifIn did not close"
  (cd in && "$reader" CHIP.cif >/dev/null 2>&1) || fail "native reader failed"
  for f in in/Cif_files/*.tlc; do
    b=$(basename "$f")
    w=$(ls Cif_files | grep -i -x "$b") || fail "no $b from the program"
    # The header's date and time are the moment of the run; cell files are
    # text, with the system's line ends.
    diff <(tr -d '\r' <"$f" | grep -v -E '^[0-9]{2}[/:][0-9]{2}[/:][0-9]{2}$') \
         <(tr -d '\r' <"Cif_files/$w" | grep -v -E '^[0-9]{2}[/:][0-9]{2}[/:][0-9]{2}$') || fail "$b differs"
  done
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
note "ok: $case_name"
