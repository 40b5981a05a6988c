#!/usr/bin/env bash
# Hostile cell names under Wine: names that lead out of the drawing, name a
# device, hold characters no file name may hold or are too long or empty,
# fed to a program through its cell list (QUIL7.CRF), the instance records
# of its main cell and, where its settings file names a main cell, through
# that. Each program starts once with every name in one drawing (and once
# more with a name in its settings): every name is refused with a message,
# no run that meets one completes (a run may go over the good cells the
# list kept), and nothing outside the drawing (the test folder around it,
# the Wine C: drive) is written.
#   names.sh <program>
source "$(dirname "$0")/../harness.sh"

prog="${1:?program}"
root=$(work_folder "names_$prog")
dwg="$root/dwg"
mkdir -p "$dwg"
cdrive="$WINEPREFIX/drive_c"

# The hostile names: up and out of the folder both ways, a drive, a share,
# devices, characters of paths and wildcards, control characters and DEL,
# 36 characters, and the empty name.
names=('..\x' '../x' 'C:\x' '\\server\x' CON NUL COM1 AUX 'A:B' 'A*B' 'A?B' $'A\001B' $'A\177B'
       ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 '')

# A cell file: tlc NAME RANK [BODY].
tlc() {
  printf '<?xml version="1.0"?>\n<TLC>\n<H>\n%s\n7.0.91\n7.0.91\n1000\num\n12/10/26\n13:00:00\n' "$1"
  printf '%s 0 0 100 100\n1 0 0 %s\n</H>\n%s</TLC>\n' "$2" "${4:-0}" "${3:-}"
}

# The drawing: LEAF and TOP, TOP placing LEAF and every hostile name, the
# cell list holding every hostile name as a cell of its own.
make_drawing() {
  local body="" n
  body=$'<C>\nLEAF\n0 0 0 0\n</C>\n'
  for n in "${names[@]}"; do body+="<C>"$'\n'"$n"$'\n0 10 10 0\n</C>\n'; done
  tlc LEAF 1 $'<B>\n1 0 0 10 10\n</B>\n' >"$dwg/LEAF.tlc"
  tlc TOP 2 "$body" $((${#names[@]} + 1)) >"$dwg/TOP.tlc"
  {
    printf '%d\n' $((${#names[@]} + 2))
    printf 'LEAF\n1 0 0 10 10 1 0 0 0\n'
    for n in "${names[@]}"; do printf '%s\n1 0 0 10 10 1 0 0 0\n' "$n"; done
    printf 'TOP\n2 0 0 100 100 0 0 0 %d\n\n' $((${#names[@]} + 1))
  } >"$dwg/QUIL7.CRF"
  printf 'scale=1000\nphysunit=um\nlayer=M1 1\n' >"$dwg/QUIL7.USF"
}

# Decoys where the names would lead: a program that reads or writes through
# them changes nothing if it never gets there.
decoy=$'<B>\n77 0 0 5 5\n</B>\n'
for f in "$root/x.tlc" "$root/X.TLC" "$cdrive/x.tlc"; do printf '%s' "$decoy" >"$f"; done
trap 'quil_end_all; rm -f "$cdrive/x.tlc"' EXIT

# Everything outside the drawing: the test folder and the C: drive (the
# Wine system folder aside, which Wine itself keeps up to date).
snapshot() {
  {
    (cd "$root" && find . -path ./dwg -prune -o -printf '%p %y %s %T@\n')
    (cd "$cdrive" && find . -path ./windows -prune -o -printf 'C:%p %y %s %T@\n')
  } | LC_ALL=C sort
}

# answer_until PATTERN SECONDS CAPTION...: answers the message boxes of these
# captions (OK, or No to a question whether to stop, so every refusal is
# seen), keeping each box's text in BOXES, until a box matches PATTERN.
BOXES=""
answer_until() {
  local pat="$1" limit="$2" start=$SECONDS cap c all body
  shift 2
  while [ $((SECONDS - start)) -lt "$limit" ]; do
    all=$(robot dialogs)
    cap=""
    for c in "$@"; do
      if printf '%s\n' "$all" | grep -qxF "dialog: $c"; then cap=$c; break; fi
    done
    if [ -z "$cap" ]; then
      sleep 0.2
      continue
    fi
    # The texts of the box's statics, lines of a text joined by blanks.
    body=$(printf '%s\n' "$all" |
           awk -v d="dialog: $cap" '/^dialog: / { on = ($0 == d); next } /^  \[/ { st = /^  \[Static / }
                                    on && st' |
           sed 's/^  \[Static [0-9-]*\] //' | paste -sd ' ' - | sed 's/^ *//; s/ *$//')
    if [ -z "$body" ]; then
      sleep 0.2
      continue
    fi
    BOXES+="$cap: $body"$'\n'
    if printf '%s\n' "$all" | awk -v d="dialog: $cap" '/^dialog: / { on = ($0 == d) } on' | grep -q '^  \[Button 7\] No$' &&
       robot buttons "$cap" | grep -q '^7 No enabled shown'; then
      robot press "$cap" No >/dev/null
    else
      robot press "$cap" OK >/dev/null
    fi
    if printf '%s' "$body" | grep -q -- "$pat"; then return 0; fi
  done
  return 1
}

said() { printf '%s' "$BOXES" | grep -q -- "$1"; }

before=$(snapshot)
make_drawing
cd "$dwg" || fail "no drawing folder"

case "$prog" in
quilflat7)
  # Setup names TOP; Go meets the names the list left out.
  quil_start QUILFLAT7.EXE
  pid=$QUIL_LAST_PID
  robot_wait 60 wait-class QuilFlat7 >/dev/null || fail "no window: $(robot dialogs)"
  answer_until "." 3 "Warning ..." "Error ..." QuilFlat
  robot command QuilFlat7 12 >/dev/null
  robot_wait 60 wait-dialog "Process Setup" >/dev/null || fail "no setup dialog"
  robot set-text "Process Setup" 100 TOP || fail "cell field"
  robot click "Process Setup" Flatten >/dev/null || fail "no Flatten button"
  robot press "Process Setup" OK >/dev/null || fail "no OK"
  dialog_gone "Process Setup" 30 || fail "the setup dialog stays"
  robot command QuilFlat7 13 >/dev/null
  answer_until "Aborted\\|Completed" 60 "Warning ..." "Error ..." QuilFlat || fail "no end of run: $BOXES $(robot dialogs)"
  robot close QuilFlat7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  said "CELLS7.CRF File Error ... Keeping Valid Cells" || fail "the list's bad entries went unsaid: $BOXES"
  said "A Cell Placed in TOP is not in the Cell Reference File ... Can't Continue" || fail "Go said: $BOXES"
  # The main cell from the settings file.
  printf 'mcn=..\\x\r\nflt=Y\r\n' >QuilFlat.usf
  quil_start QUILFLAT7.EXE
  pid=$QUIL_LAST_PID
  robot_wait 60 wait-class QuilFlat7 >/dev/null || fail "no window: $(robot dialogs)"
  answer_until "." 3 "Warning ..." "Error ..." QuilFlat
  robot command QuilFlat7 13 >/dev/null
  answer_until "Aborted\\|Completed" 60 "Warning ..." "Error ..." QuilFlat || fail "no end of run: $BOXES $(robot dialogs)"
  robot close QuilFlat7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  said 'Cell "\.\.\\X" does Not Exist ... Can.t Continue' || fail "the settings' main cell went unsaid: $BOXES"
  ;;
quildrc7)
  # The main cell from the command line places every name.
  cp "$QUIL_SOURCE/tests/fixtures/drc/rules.drc" .
  printf 'cln=TOP\nckf=rules.drc\ncsn=1\ncfn=2\nmsz=1\nwl=0\nwb=0\nwr=100\nwt=100\n' >QuilDrc.usf
  caps=("Warning ..." "Error ..." "TLC Read Error ..." QuilDrc)
  quil_start QUILDRC7.EXE TOP 50 50 100
  pid=$QUIL_LAST_PID
  robot_wait 60 wait-class QuilDrc7 >/dev/null || fail "no window: $(robot dialogs)"
  answer_until "Keeping Valid Cells" 30 "${caps[@]}"
  robot command QuilDrc7 14 >/dev/null
  answer_until "Aborted\\|Completed" 60 "${caps[@]}" || fail "no end of run: $BOXES $(robot dialogs)"
  robot close QuilDrc7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  said "CELLS7.CRF File Error ... Keeping Valid Cells" || fail "the list's bad entries went unsaid: $BOXES"
  # Instances of cells the list left out are no cells of the drawing: the
  # run checks the rest and maps nothing for them.
  said "DRC Completed ...  0 Total Maps" || fail "the run over the good cells: $BOXES"
  BOXES=""
  # A name from the command line and one from the settings file.
  printf 'cln=..\\x\nckf=rules.drc\ncsn=1\ncfn=2\nmsz=1\nwl=0\nwb=0\nwr=100\nwt=100\n' >QuilDrc.usf
  quil_start QUILDRC7.EXE NUL 50 50 100
  pid=$QUIL_LAST_PID
  robot_wait 60 wait-class QuilDrc7 >/dev/null || fail "no window: $(robot dialogs)"
  answer_until '"NUL"' 30 "${caps[@]}" || fail "the command line's cell went unsaid: $BOXES"
  robot command QuilDrc7 14 >/dev/null
  answer_until "Aborted\\|Completed" 30 "${caps[@]}" || fail "no end of run: $BOXES $(robot dialogs)"
  robot close QuilDrc7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  said 'Illegal Character "\\" in Cellname' || fail "the settings' cell went unsaid: $BOXES"
  said "Aborted ... DRC may be Incomplete" || fail "the run did not stop: $BOXES"
  ;;
quilckt7)
  settings='nnl=10\ncol=11\ncon0_0=2 5\ncon1_0=7\ncon2_0=9\nins0=6\nins1=8\n'
  printf "cfn=TOP\\n$settings" >QuilCkt.usf
  caps=("Warning ..." "Error ..." QuilCkt)
  quil_start QUILCKT7.EXE
  pid=$QUIL_LAST_PID
  robot_wait 60 wait-class QuilCkt7 >/dev/null || fail "no window: $(robot dialogs)"
  answer_until "CELLS7.CRF File Error" 30 "${caps[@]}" || fail "the list's bad entries went unsaid: $BOXES"
  robot command QuilCkt7 19 >/dev/null
  answer_until "Finished\\|Aborted\\|Completed" 60 "${caps[@]}" || fail "no end of run: $BOXES $(robot dialogs)"
  robot close QuilCkt7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  # The cells the list left out are no cells of the drawing: their
  # instances bring no connectors (none of a blank name) into the run.
  said "Keeping Valid Cells" || fail "the list's bad entries went unsaid: $BOXES"
  said " on  at " && fail "a pin of no cell: $BOXES"
  said "Finished \\.\\.\\." || fail "the run over the good cells: $BOXES"
  BOXES=""
  printf "cfn=..\\\\x\\n$settings" >QuilCkt.usf
  quil_start QUILCKT7.EXE
  pid=$QUIL_LAST_PID
  robot_wait 60 wait-class QuilCkt7 >/dev/null || fail "no window: $(robot dialogs)"
  answer_until "CELLS7.CRF File Error" 30 "${caps[@]}" || fail "the list's bad entries went unsaid: $BOXES"
  robot command QuilCkt7 19 >/dev/null
  answer_until "Finished\\|Aborted\\|Completed" 30 "${caps[@]}" || fail "no end of run: $BOXES $(robot dialogs)"
  robot close QuilCkt7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  said 'Cell \.\.\\X is Missing ... Can.t Continue' || fail "the settings' cell went unsaid: $BOXES"
  said "Aborted ... Files may be Incomplete" || fail "the run did not stop: $BOXES"
  ;;
gdsout7)
  # The cell list of a stream is built from the instance records: the
  # first name that can't be a cell file stops the run.
  printf '1,0,1\n' >TOP.ldm
  printf 'ctx=Y\n' >GdsOut.usf
  caps=("Warning ..." "Error ..." GdsOut)
  quil_start GDSOUT7.EXE TOP.tlc
  pid=$QUIL_LAST_PID
  robot_wait 60 wait-class GdsOut7 >/dev/null || fail "no window: $(robot dialogs)"
  answer_until "CELLS7.CRF File Error" 30 "${caps[@]}" || fail "the list's bad entries went unsaid: $BOXES"
  robot command GdsOut7 15 >/dev/null
  answer_until "Aborted\\|Completed" 60 "${caps[@]}" || fail "no end of run: $BOXES $(robot dialogs)"
  wait_gone "$pid" 20 || fail "still running after its command-line run"
  said 'Incorrect Cell Name "\.\.\\X" in TOP.tlc ... Can.t Continue' || fail "the instance went unsaid: $BOXES"
  said "Aborted ... Files may be Incomplete" || fail "the run did not stop: $BOXES"
  [ -z "$(ls | grep -i '\.gds$')" ] || fail "a stream was left: $(ls)"
  ;;
gdsin7)
  # Structure names of a stream: each one that can't be a cell file is
  # asked for again; the good names given for all but the last go through,
  # the last question aborts the run.
  # (A structure name of more than 32 characters is cut to a good cell
  # name, as the question itself says: it is left out here.)
  gds=()
  for n in "${names[@]}"; do [ ${#n} -le 32 ] && gds+=("$n"); done
  /usr/bin/python3 "$QUIL_SOURCE/tests/e2e/names/gds_names.py" Names.gds "${gds[@]}" || fail "no stream"
  printf '1,0,1\n' >Names.ldm
  printf 'ctx=Y\n' >GdsIn.usf
  caps=("Warning ..." "Error ..." GdsIn)
  quil_start GDSIN7.EXE Names.gds
  pid=$QUIL_LAST_PID
  robot_wait 60 wait-class GdsIn7 >/dev/null || fail "no window: $(robot dialogs)"
  answer_until "CELLS7.CRF File Error" 30 "${caps[@]}" || fail "the list's bad entries went unsaid: $BOXES"
  robot command GdsIn7 15 >/dev/null
  answer_until "was Created" 30 "${caps[@]}" || fail "no output folder: $BOXES $(robot dialogs)"
  for i in "${!gds[@]}"; do
    text=$(robot_wait 60 wait-dialog "Bad Cell Name") || fail "no question for name $i: $BOXES $(robot dialogs)"
    text=$(printf '%s\n' "$text" | sed -n 's/^  \[Static [0-9-]*\] //p' | paste -sd ' ' -)
    printf '%s' "$text" | grep -q "is illegal or already present" || fail "question $i: $text"
    BOXES+="Bad Cell Name: $text"$'\n'
    if [ "$i" -lt $((${#gds[@]} - 1)) ]; then
      robot set-text "Bad Cell Name" 601 "N$i" || fail "no name field"
      robot press "Bad Cell Name" OK >/dev/null
    else
      robot press "Bad Cell Name" "Abort Conversion" >/dev/null
    fi
  done
  answer_until "Aborted\\|Completed" 60 "${caps[@]}" || fail "no end of run: $BOXES $(robot dialogs)"
  wait_gone "$pid" 20 || robot close GdsIn7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  said "Aborted ... Files may be Incomplete" || fail "the run did not stop: $BOXES"
  # Aborted while naming: no cell file was written.
  [ -z "$(find . -iname '*.tlc' ! -iname LEAF.tlc ! -iname TOP.tlc)" ] || fail "cells written: $(find . -iname '*.tlc')"
  ;;
quil7)
  # The editor is to open the cell its setup file names, reads the cell
  # list, and loads TOP with every name placed in it.
  printf 'cellname=..\\x\n' >>QUIL7.USF
  caps=("Error ..." "Warning ..." "Quil 7.0.91" "Empty Drawing" "No Cells" "No Layers")
  export QUIL7_TRACE="$QUIL_E2E_STATE/names_quil7.trace"
  rm -f "$QUIL7_TRACE"
  quil_start QUIL7.EXE
  pid=$QUIL_LAST_PID
  start=$SECONDS
  until grep -q '^ready' "$QUIL7_TRACE" 2>/dev/null; do
    answer_until "." 2 "${caps[@]}"
    [ $((SECONDS - start)) -ge 120 ] && fail "editor not ready: $BOXES $(robot dialogs)"
  done
  answer_until "." 2 "${caps[@]}"
  said "QUIL7.CRF File Error ... Keeping Valid Cells" || fail "the list's bad entries went unsaid: $BOXES"
  robot command QUIL7 19 >/dev/null
  robot_wait 30 wait-dialog "Load Cell" >/dev/null || fail "no LCELL dialog: $(robot dialogs)"
  robot set-text "Load Cell" 1004 TOP >/dev/null
  robot press "Load Cell" OK >/dev/null
  # The empty name is no instance record; the others name no cell of the
  # list, and no file is opened for them.
  answer_until "Cell Record Read Error" 30 "${caps[@]}" || fail "the empty name went unsaid: $BOXES"
  answer_until "." 2 "${caps[@]}"
  robot close QUIL7 >/dev/null
  answer_until "." 3 "${caps[@]}"
  wait_gone "$pid" 60 || fail "editor still running after WM_CLOSE: $(robot dialogs)"
  rm -f "$QUIL7_TRACE"
  ;;
*) fail "unknown program $prog" ;;
esac

after=$(snapshot)
[ "$before" = "$after" ] || fail "outside the drawing: $(diff <(printf '%s\n' "$before") <(printf '%s\n' "$after"))"
for f in "$root/x.tlc" "$root/X.TLC" "$cdrive/x.tlc"; do
  [ "$(cat "$f")" = "$(printf '%s' "$decoy")" ] || fail "$f changed"
  rm -f "$f"
done
printf '%s' "$BOXES" | grep -q "Completed" && fail "a run completed: $BOXES"
# No decoy was read into the drawing's outputs.
grep -rqs "^77 0 0 5 5" "$dwg" && fail "a decoy reached the drawing: $(grep -rls "^77 0 0 5 5" "$dwg")"
note "ok: $prog"
