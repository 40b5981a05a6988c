#!/usr/bin/env bash
# The accessory programs under Wine: QUILCODE7.EXE encodes and decodes
# through its Setup and Go (Base64, UU, a damaged input), TFFBUILD7.EXE
# builds a font in batch form and through TFFDLG, HELPRUN7.EXE starts the
# help viewer (a stub that records its command line) or says why it can't.
source "$(dirname "$0")/../harness.sh"

case_name="${1:?case}"

# Text of the message box captioned $1, all its lines but the empty ones
# (waits for it).
box_text() {
  robot wait-dialog "$1" "${2:-60000}" |
    awk '/^dialog:/ || /^  \[/ { s = 0 }
         /^  \[Static -?[0-9]*\] / { s = 1; sub(/^  \[Static -?[0-9]*\] /, "") }
         s && NF { print }'
}

# Presses OK on the box captioned $1 and waits for it to go.
box_ok() {
  robot press "$1" OK >/dev/null || fail "no OK on the box '$1'"
  dialog_gone "$1" 30 || fail "the box '$1' stays"
}

start_code() {
  printf 'scale=1000\n' >QUIL7.USF
  quil_start QUILCODE7.EXE "$@"
  pid=$QUIL_LAST_PID
  robot_wait 180 wait-class QuilCode7 >/dev/null || fail "QuilCode7 window did not appear"
}

# setup INPUT ACTION CODING [OUTPUT]: the Setup dialog filled and closed.
setup() {
  robot command QuilCode7 12 >/dev/null
  robot_wait 120 wait-dialog Setup >/dev/null || fail "no Setup dialog"
  robot set-text Setup 110 "$1" || fail "input field"
  robot click Setup "$3" >/dev/null || fail "no $3 button"
  robot click Setup "$2" >/dev/null || fail "no $2 button"
  if [ -n "${4:-}" ]; then robot set-text Setup 111 "$4" || fail "output field"; fi
  robot press Setup OK >/dev/null || fail "no OK"
  dialog_gone Setup 60 || fail "the Setup dialog stays after OK"
}

# go PATTERN: Go, and the result box must hold PATTERN; its text printed.
go() {
  local text
  robot command QuilCode7 13 >/dev/null
  text=$(box_text QuilCode) || fail "no result box"
  printf '%s\n' "$text" | grep -qF -- "$1" || fail "result: $text (wanted $1)"
  box_ok QuilCode
  printf '%s\n' "$text"
}

end_code() {
  robot close QuilCode7 >/dev/null
  wait_gone "$pid" 30 || fail "QuilCode7 still running after WM_CLOSE"
  grep -Eq '^lft=-?[0-9]+' Quilcode.usf || fail "window rectangle not saved: $(cat Quilcode.usf 2>&1)"
}

# The windows folder of the prefix, and its viewer put back as it was.
windir="$WINEPREFIX/drive_c/windows"
hh_restore() {
  if [ -f "$windir/hh.exe.quil" ]; then mv -f "$windir/hh.exe.quil" "$windir/hh.exe"; fi
  rm -f "$windir/hh_args.txt"
}

case "$case_name" in
base64)
  dir=$(work_folder code_b64)
  cd "$dir" || fail "no work folder"
  { printf '\001'; head -c 4999 /dev/urandom; } >data.bin
  read -r ck len _ < <(cksum data.bin)
  start_code data.bin
  [ "$(robot title QuilCode7)" = "QuilCode 7.0.91 beta2" ] || fail "title is '$(robot title QuilCode7)'"
  robot command QuilCode7 13 >/dev/null
  text=$(box_text "Error ...") || fail "Go before Setup was not refused"
  [ "$text" = "??? ... Please do Setup" ] || fail "refusal: $text"
  box_ok "Error ..."
  robot chars QuilCode7 $'\x01' >/dev/null
  text=$(box_text Allocation) || fail "no Ctrl+A box"
  [ "$text" = "Version 7.0.91 beta2" ] || fail "Ctrl+A: $text"
  box_ok Allocation
  robot command QuilCode7 10 >/dev/null
  robot_wait 60 wait-dialog "QuilCode Help" >/dev/null || fail "no help list"
  robot press "QuilCode Help" Cancel >/dev/null || fail "no Cancel on the help list"
  dialog_gone "QuilCode Help" 30 || fail "the help list stays"
  # The command line's file is the input the Setup dialog starts with.
  robot command QuilCode7 12 >/dev/null
  robot_wait 120 wait-dialog Setup >/dev/null || fail "no Setup dialog"
  [ "$(robot get-text Setup 110)" = data.bin ] || fail "input field: $(robot get-text Setup 110)"
  robot press Setup Cancel >/dev/null
  dialog_gone Setup 60 || fail "the Setup dialog stays after Cancel"
  setup data.bin Encode Base64
  go "data.bin Encoded to Base64" | grep -qF "CRC CheckSum = $ck  FileLength= $len" || fail "encode sum is not cksum's $ck $len"
  [ -f data.B64 ] || fail "no data.B64"
  grep -q $'\r$' data.B64 || fail "data.B64 has no CR LF line ends"
  tr -d '\r' <data.B64 | base64 -d | cmp -s - data.bin || fail "base64 -d does not give the input back"
  setup data.B64 Decode Base64 back.bin
  go "back.bin Decoded from Base64" | grep -qF "CRC CheckSum = $ck  FileLength = $len" || fail "decode sum"
  cmp -s back.bin data.bin || fail "decoded file differs"
  end_code
  ;;
uu)
  dir=$(work_folder code_uu)
  cd "$dir" || fail "no work folder"
  mkdir out
  { printf '\001'; head -c 2999 /dev/urandom; } >data.bin
  read -r ck len _ < <(cksum data.bin)
  start_code
  setup data.bin Encode UU
  go "data.bin Encoded to UU" | grep -qF "CRC CheckSum = $ck  FileLength= $len" || fail "encode sum"
  head -n1 data.uue | grep -q $'^begin 644 data.bin\r$' || fail "begin line: $(head -n1 data.uue)"
  uudecode -o uu.bin data.uue && cmp -s uu.bin data.bin || fail "uudecode does not give the input back"
  setup data.uue Decode UU out
  go "data.bin Decoded from UU" | grep -qF "CRC CheckSum = $ck  FileLength = $len" || fail "decode sum"
  cmp -s out/data.bin data.bin || fail "decoded file differs"
  # A damaged file: the line is named, nothing is reported decoded and the
  # earlier output stays as it was.
  sed $'3s/.\r$/\r/' data.uue >bad.uue
  setup bad.uue Decode UU out
  robot command QuilCode7 13 >/dev/null
  text=$(box_text "Warning ...") || fail "no question about the existing file"
  [ "$text" = "Output File Already Exists ... OK?" ] || fail "question: $text"
  box_ok "Warning ..."
  text=$(box_text "Error ...") || fail "no error box for the damaged file"
  [ "$text" = "UU Line 3 is Damaged" ] || fail "damage: $text"
  box_ok "Error ..."
  text=$(box_text QuilCode) || fail "no result box"
  [ "$text" = "Aborted ... Files may be Incomplete" ] || fail "result of the damaged file: $text"
  box_ok QuilCode
  cmp -s out/data.bin data.bin || fail "the damaged decode touched the earlier output"
  ls out | grep -q tmp && fail "scratch file left: $(ls out)"
  end_code
  ;;
tffbuild)
  dir=$(work_folder tffbuild)
  cd "$dir" || fail "no work folder"
  cat >CHARA.TLC <<'TLC'
<?xml version="1.0"?>
<TLC>
<H>
CHARA
7.0.91
7.0.91
1
um
12/10/26
12:00:00
1 0 0 15 15
0 2 5 0
</H>
<P>
1 0 3
0 0 8 14 14 0
</P>
<P>
1 0 2
3 6 11 6
</P>
</TLC>
TLC
  # Batch form: a new font, then the character.
  quil_start TFFBUILD7.EXE new.tff chara.tlc A
  pid=$QUIL_LAST_PID
  text=$(box_text "Warning ...") || fail "no new-font question"
  [ "$text" = "Font File new.tff is Missing ... New File will be Created" ] || fail "question: $text"
  box_ok "Warning ..."
  text=$(box_text TffBuild) || fail "no assigned message"
  printf '%s\n' "$text" | grep -q "2 Polygons with 5 Vertices" || fail "message: $text"
  printf '%s\n' "$text" | grep -qF "Assigned to Character A (65)" || fail "message: $text"
  box_ok TffBuild
  wait_gone "$pid" 30 || fail "TFFBUILD7 still running after the batch call"
  slot=$(od -An -tx1 -v -j $((33 * 128)) -N 8 new.tff | tr -d ' \n')
  [ "$slot" = "008ee0ff36b6ffff" ] || fail "slot of A: $slot"
  [ "$(od -An -tx1 -v new.tff | tr -s ' \n' '\n' | grep -v '^$' | grep -vc '^ff$')" = 5 ] ||
    fail "bytes other than 0xFF outside the five vertices"
  # The dialog: B from the same drawing, then Close.
  quil_start TFFBUILD7.EXE
  pid=$QUIL_LAST_PID
  robot_wait 120 wait-dialog "TffBuild 7.0.91 beta2" >/dev/null || fail "no TFFDLG"
  robot set-text "TffBuild 7.0.91 beta2" 1000 new.tff || fail "font field"
  # List shows the folder's TLC files; the one picked fills the field.
  robot press "TffBuild 7.0.91 beta2" List >/dev/null || fail "no List"
  robot_wait 60 wait-dialog Select | grep -q "TLC Files" || fail "no TLC file list"
  robot list-pick Select 1006 0 >/dev/null || fail "nothing to pick in the list"
  dialog_gone Select 30 || fail "the list stays after the pick"
  [ "$(robot get-text "TffBuild 7.0.91 beta2" 1001)" = CHARA.TLC ] ||
    fail "character file field: $(robot get-text "TffBuild 7.0.91 beta2" 1001)"
  robot set-text "TffBuild 7.0.91 beta2" 1005 B || fail "character field"
  robot press "TffBuild 7.0.91 beta2" OK >/dev/null || fail "no OK"
  text=$(box_text TffBuild) || fail "no assigned message from the dialog"
  printf '%s\n' "$text" | grep -qF "Assigned to Character B (66)" || fail "message: $text"
  box_ok TffBuild
  robot_wait 60 wait-dialog "TffBuild 7.0.91 beta2" >/dev/null || fail "TFFDLG did not come back"
  [ "$(robot get-text "TffBuild 7.0.91 beta2" 1000)" = new.tff ] || fail "font field not kept"
  robot press "TffBuild 7.0.91 beta2" Close >/dev/null || fail "no Close"
  wait_gone "$pid" 30 || fail "TFFBUILD7 still running after Close"
  slot=$(od -An -tx1 -v -j $((34 * 128)) -N 8 new.tff | tr -d ' \n')
  [ "$slot" = "008ee0ff36b6ffff" ] || fail "slot of B: $slot"
  ;;
helprun)
  dir=$(work_folder helprun)
  cd "$dir" || fail "no work folder"
  trap 'hh_restore; quil_end_all' EXIT
  [ -f "$windir/hh.exe" ] && mv -f "$windir/hh.exe" "$windir/hh.exe.quil"
  cp "$QUIL_BIN/HHSTUB.EXE" "$windir/hh.exe"
  rm -f "$windir/hh_args.txt"
  quil_start HELPRUN7.EXE 'C:\My Help\QUILHELP.CHM::/QUILDRC.HTM'
  pid=$QUIL_LAST_PID
  wait_gone "$pid" 60 || fail "HELPRUN7 still running"
  wait_file "$windir/hh_args.txt" 30 || fail "the viewer was not started"
  args=$(tr -d '\r' <"$windir/hh_args.txt")
  # The argument as the command line holds it, quotes and blanks alike.
  [ "$args" = 'C:\windows\HH.EXE "C:\My Help\QUILHELP.CHM::/QUILDRC.HTM"' ] || fail "viewer command line: $args"
  rm -f "$windir/hh_args.txt"
  quil_start HELPRUN7.EXE
  pid=$QUIL_LAST_PID
  wait_gone "$pid" 60 || fail "HELPRUN7 still running"
  wait_file "$windir/hh_args.txt" 30 || fail "the viewer was not started"
  args=$(tr -d '\r' <"$windir/hh_args.txt")
  printf '%s\n' "$args" | grep -Eq '^C:\\windows\\HH\.EXE [A-Z]:\\QUIL7\\HELP\\QUILHELP\.CHM$' ||
    fail "default target: $args"
  # Without a viewer both boxes show, then the program ends.
  rm -f "$windir/hh.exe" "$windir/hh_args.txt"
  quil_start HELPRUN7.EXE topic.chm
  pid=$QUIL_LAST_PID
  text=$(box_text HELPRUN7) || fail "no first box"
  [ "$text" = "Can't Run HH.EXE on topic.chm" ] || fail "first box: $text"
  box_ok HELPRUN7
  text=$(box_text "Help for QUIL Help") || fail "no second box"
  printf '%s\n' "$text" | grep -q "hh.exe -decompile destinationfolder" || fail "second box: $text"
  box_ok "Help for QUIL Help"
  wait_gone "$pid" 30 || fail "HELPRUN7 still running after its boxes"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
echo "ok $case_name"
