#!/usr/bin/env bash
# Runs every program of a built tree on the sample drawing and the test
# fixtures and keeps every file they write, so that two trees (or two runs
# of one tree) can be compared byte for byte with compare.sh.
#   capture.sh TREE OUTDIR
# TREE must hold build/native (drcrun, gdsout_write, gdsin_read, ckt_compile)
# and build/win64 (the .EXE programs and the robot); nothing is built here.
# The native drivers run first, then the programs under Wine in a Xvfb and a
# Wine prefix of their own, in work folders whose paths do not depend on TREE
# (paths can reach logs). Dates and times are masked in text files and GDSII
# streams; everything else is kept as written. One case that fails is noted
# in OUTDIR/FAILED and the run goes on; the exit status is then 1.
# Captures are serialised by a lock: they share the work folders.
# QUIL_GOLDEN_CASES (a regular expression) runs only the cases it matches.
set -u

here="$(cd "$(dirname "$0")" && pwd)"
[ $# -eq 2 ] || { echo "usage: capture.sh TREE OUTDIR" >&2; exit 2; }
tree="$(cd "$1" && pwd)" || exit 2
mkdir -p "$2" || exit 2
out="$(cd "$2" && pwd)"
[ -z "$(ls -A "$out")" ] || { echo "capture.sh: $out is not empty" >&2; exit 2; }

native_bin="$tree/build/native/bin"
for exe in drcrun gdsout_write gdsin_read ckt_compile; do
  [ -x "$native_bin/$exe" ] || { echo "capture.sh: no $native_bin/$exe (build the native preset)" >&2; exit 2; }
done
for exe in QUIL7 GDSIN7 GDSOUT7 QUILFLAT7 QUILDRC7 QUILCKT7 ROBOT; do
  [ -f "$tree/build/win64/bin/$exe.EXE" ] || { echo "capture.sh: no $exe.EXE (build the win64 preset)" >&2; exit 2; }
done

state="${QUIL_GOLDEN_STATE:-/tmp/quil-golden}"
mkdir -p "$state"
exec 9>"$state/lock"
flock -w 3600 9 || { echo "capture.sh: another capture holds $state/lock" >&2; exit 1; }

export QUIL_SOURCE="$tree" QUIL_BIN="$tree/build/win64/bin"
export QUIL_E2E_STATE="$state/run" QUIL_PREFIX="$state/wineprefix"
rm -rf "$QUIL_E2E_STATE"
mkdir -p "$QUIL_E2E_STATE"
# A display of our own, never one of a test run going on at the same time.
unset DISPLAY
# The helpers of this script's own tree drive the programs of TREE.
source "$here/../e2e/harness.sh"
source "$here/../e2e/editor/quil7_lib.sh"
set -u

failed=0

# mask_file FILE: dates and times out of the way, in place (in GDSII
# streams and in the listings of their records too), and the programs'
# folder, which the editor records and which is in the tree compared.
mask_file() {
  local f="$1"
  case "$f" in
  *.gds | *.GDS) python3 "$here/gds_mask.py" "$f" ;;
  *.pcx | *.PCX) ;;
  *)
    if [ ! -s "$f" ] || grep -Iq . "$f"; then
      sed -E -i 's#[0-9]{2}/[0-9]{2}/[0-9]{2}#MM/DD/YY#g; s#[0-9]{2}:[0-9]{2}:[0-9]{2}#HH:MM:SS#g;
        s#[0-9]{1,2}-[A-Z][a-z]{2}-[0-9]{4}#DD-Mon-YYYY#g;
        s#(BGNLIB|BGNSTR)( +-?[0-9]+){12}#\1 <dates>#;
        s#[A-Za-z]:\\[^ ]*\\build\\win64\\bin#<programs>#g;
        s#(Total Run Time:).*#\1 T#; s#(Final Compile Time:) [0-9]+ hr [0-9]+ min [0-9]+ sec#\1 T#' "$f"
    fi
    ;;
  esac
}

# collect CASE DIR: every file under DIR into OUTDIR/CASE, masked.
collect() {
  local dest="$out/$1" f
  mkdir -p "$dest"
  cp -r "$2/." "$dest/"
  while IFS= read -r -d '' f; do mask_file "$f"; done < <(find "$dest" -type f -print0)
}

# run_case NAME FUNCTION: one capture in a subshell of its own; a failure
# is noted and the others still run.
run_case() {
  local name="$1" fn="$2"
  [[ "$name" =~ ${QUIL_GOLDEN_CASES:-.} ]] || return 0
  echo "-- $name"
  (
    exec 9>&-  # the lock stays with this script, not with Wine's server
    trap quil_end_all EXIT
    "$fn" "$name"
  ) >"$QUIL_E2E_STATE/$name.txt" 2>&1
  local rc=$?
  if [ $rc -ne 0 ]; then
    failed=1
    { echo "$name: $(tail -n 3 "$QUIL_E2E_STATE/$name.txt" | tr '\n' ' ')"; } >>"$out/FAILED"
    echo "   failed: $(tail -n 1 "$QUIL_E2E_STATE/$name.txt")"
  fi
}

# say CAPTION [SECONDS]: waits for a message box, writes its texts to the work
# folder's dialogs.txt (the messages are output too) and prints them.
say() {
  local text
  text=$(robot_wait "${2:-120}" wait-dialog "$1") || return 1
  printf '[%s]\n%s\n' "$1" "$text" >>dialogs.txt
  printf '%s\n' "$text"
}

# answer CAPTION BUTTON: presses a button and waits until the box is gone.
answer() {
  robot press "$1" "$2" 10000 >/dev/null || fail "no $2 on '$1'"
  dialog_gone "$1" 60 || fail "dialog '$1' stays open"
}

# ok_until CAPTION PATTERN: answers the run's message boxes with OK until
# the one holding PATTERN, answered too. The next box can come at once, so a
# press is not followed by a wait for no box but the last.
ok_until() {
  local text n=0
  while :; do
    text=$(say "$1" 120) || fail "no box holding '$2': $(robot dialogs)"
    robot press "$1" OK 10000 >/dev/null || fail "no OK on '$1'"
    printf '%s\n' "$text" | grep -q -- "$2" && break
    n=$((n + 1))
    [ $n -lt 10 ] || fail "more than ten boxes before '$2'"
  done
  dialog_gone "$1" 60 || fail "the box '$1' stays open"
}

# ---- native drivers ----

native_folder() {
  local dir="$state/native/$1"
  rm -rf "$dir"
  mkdir -p "$dir"
  echo "$dir"
}

n_drc() {
  local dir
  dir=$(native_folder "$1")
  /usr/bin/python3 "$QUIL_SOURCE/tests/fixtures/drc/make_fixture.py" "$dir" || fail "fixture"
  "$native_bin/drcrun" "$dir" --date 10-Dec-2026 --time 12:00:00 TOP 100 50 250 >"$dir/messages.txt" ||
    fail "drcrun: $(tail -n 3 "$dir/messages.txt")"
  collect "$1" "$dir"
}

n_gdsout() {
  local dir
  dir=$(native_folder "$1")
  cp "$QUIL_SOURCE"/tests/fixtures/converters/gdsout/* "$dir/"
  (cd "$dir" && "$native_bin/gdsout_write" TOP.tlc ctx=Y wtx=Y font0=1 font6=2 >messages.txt 2>&1) ||
    fail "gdsout_write: $(tail -n 3 "$dir/messages.txt")"
  collect "$1" "$dir"
}

n_gdsin() {
  local dir
  dir=$(native_folder "$1")
  cp "$QUIL_SOURCE"/tests/fixtures/converters/gdsin/Top.gds "$QUIL_SOURCE"/tests/fixtures/converters/gdsin/Top.ldm "$dir/"
  (cd "$dir" && "$native_bin/gdsin_read" Top.gds ctx=Y cbb=Y wtx=Y mlf=Y nam=Y >messages.txt 2>&1) ||
    fail "gdsin_read: $(tail -n 3 "$dir/messages.txt")"
  collect "$1" "$dir"
}

n_ckt() {
  local dir
  dir=$(native_folder "$1")
  # Its standard output carries timings: only the drawings are kept.
  "$native_bin/ckt_compile" --keep "$dir" --best 1 4 12 >/dev/null || fail "ckt_compile"
  collect "$1" "$dir"
}

# ---- the programs under Wine ----

w_gdsout() {
  local dir
  dir=$(work_folder "$1")
  cp "$QUIL_SOURCE"/tests/fixtures/converters/gdsout/* "$dir/"
  cd "$dir" || fail "no work folder"
  printf 'ctx=Y\nwtx=Y\nfont0=1\nfont6=2\n' >GdsOut.usf
  quil_start GDSOUT7.EXE TOP.tlc
  local pid=$QUIL_LAST_PID
  robot_wait 180 wait-class GdsOut7 >/dev/null || fail "GdsOut window did not appear"
  robot command GdsOut7 15 >/dev/null || fail "Go not posted"
  say GdsOut 120 >/dev/null || fail "no closing message"
  answer GdsOut OK
  wait_gone "$pid" 60 || fail "GdsOut still running after its command-line run"
  collect "$1" "$dir"
}

w_gdsin() {
  local dir
  dir=$(sample_drawing "$1")
  cp "$QUIL_SOURCE"/tests/fixtures/converters/gdsin/Top.gds "$QUIL_SOURCE"/tests/fixtures/converters/gdsin/Top.ldm "$dir/"
  cd "$dir" || fail "no work folder"
  printf 'ctx=Y\ncbb=Y\nwtx=Y\nmlf=Y\nnam=Y\n' >GdsIn.usf
  quil_start GDSIN7.EXE Top.gds
  local pid=$QUIL_LAST_PID
  robot_wait 180 wait-class GdsIn7 >/dev/null || fail "GdsIn window did not appear"
  robot command GdsIn7 15 >/dev/null || fail "Go not posted"
  ok_until GdsIn Completed
  wait_gone "$pid" 60 || fail "GdsIn still running after its command-line run"
  collect "$1" "$dir"
}

# flat_run CASE FIXTURE-OR-sample CELL MODE(Flatten|Smash)
flat_run() {
  local dir
  if [ "$2" = sample ]; then
    dir=$(sample_drawing "$1")
    [ -f "$dir/QUIL7.USF" ] || printf 'scale=1000\nphysunit=um\n' >"$dir/QUIL7.USF"
  else
    dir=$(work_folder "$1")
    cp -r "$QUIL_SOURCE/tests/fixtures/flatten/$2/." "$dir/"
  fi
  cd "$dir" || fail "no work folder"
  quil_start QUILFLAT7.EXE
  local pid=$QUIL_LAST_PID
  robot_wait 180 wait-class QuilFlat7 >/dev/null || fail "QuilFlat7 window did not appear"
  robot command QuilFlat7 12 >/dev/null
  robot_wait 120 wait-dialog "Process Setup" >/dev/null || fail "no setup dialog"
  robot set-text "Process Setup" 100 "$3" >/dev/null || fail "cell field"
  robot click "Process Setup" "$4" >/dev/null || fail "no $4 button"
  answer "Process Setup" OK
  robot command QuilFlat7 13 >/dev/null
  ok_until QuilFlat Completed
  wait_file Quilflat.log 60 "^Use Import" || fail "log not finished"
  robot close QuilFlat7 >/dev/null
  wait_gone "$pid" 60 || fail "still running after WM_CLOSE"
  collect "$1" "$dir"
}
w_flatten() { flat_run "$1" nested top Flatten; }
w_smash() { flat_run "$1" nested top Smash; }
w_smash_sample() { flat_run "$1" sample TOP Smash; }

w_drc() {
  local dir
  dir=$(work_folder "$1")
  /usr/bin/python3 "$QUIL_SOURCE/tests/fixtures/drc/make_fixture.py" "$dir" || fail "fixture"
  cd "$dir" || fail "no work folder"
  quil_start QUILDRC7.EXE TOP 100 50 250
  local pid=$QUIL_LAST_PID
  robot_wait 180 wait-class QuilDrc7 >/dev/null || fail "rule checker window did not appear"
  robot command QuilDrc7 14 >/dev/null || fail "Go not posted"
  wait_file QuilDrc.log 300 "DRC Completed" || fail "no completed log"
  say QuilDrc 120 >/dev/null || fail "no closing message"
  answer QuilDrc OK
  robot close QuilDrc7 >/dev/null || fail "close not posted"
  wait_gone "$pid" 60 || fail "rule checker still running after WM_CLOSE"
  collect "$1" "$dir"
}

# ckt_batch CASE FIXTURE-OR-sample ARGS...: a batch compile that closes by itself.
ckt_batch() {
  local name="$1" from="$2" dir
  shift 2
  if [ "$from" = sample ]; then
    dir=$(sample_drawing "$name")
  else
    dir=$(work_folder "$name")
    cp -r "$QUIL_SOURCE/tests/fixtures/circuit/$from/." "$dir/"
  fi
  cd "$dir" || fail "no work folder"
  quil_start QUILCKT7.EXE "$@"
  wait_gone "$QUIL_LAST_PID" 300 || fail "batch run did not close: $(robot dialogs)"
  collect "$name" "$dir"
}
w_ckt_inv() { ckt_batch "$1" netlist INV sim.hdr N; }
w_ckt_chain3() { ckt_batch "$1" netlist CHAIN3 sim.hdr N; }
w_ckt_nand2() { ckt_batch "$1" netlist NAND2 sim.hdr N; }
w_ckt_sample() { ckt_batch "$1" sample TOP models.hdr N; }

# The editor: a new cell built by the command script and saved, then closed.
w_editor_script() {
  local dir
  dir=$(sample_drawing "$1")
  sed -i 's/^objname=.*/objname=B/' "$dir/QUIL7.USF"
  cp "$QUIL_SOURCE/tests/e2e/commands/build.txt" "$dir/build.txt"
  editor_start "$dir"
  editor_ready
  trace_settle || true
  robot command QUIL7 19 >/dev/null
  robot_wait 120 wait-dialog "Load Cell" >/dev/null || fail "no LCELL dialog"
  robot set-text "Load Cell" 1004 NEWC >/dev/null
  robot press "Load Cell" OK >/dev/null
  robot_wait 120 wait-dialog "New Cell Rank" >/dev/null || fail "no NEWCELL dialog"
  robot set-text "New Cell Rank" 1005 3 >/dev/null
  answer "New Cell Rank" OK
  wait_file "$dir/NEWC.tlc" 60 NEWC || fail "the new cell has no file"
  robot post QUIL7 1025 77 0 >/dev/null
  robot_wait 120 wait-dialog "Command Line" >/dev/null || fail "no CMD dialog"
  robot set-text "Command Line" 1325 build.txt >/dev/null || fail "no script box"
  answer "Command Line" "Run Script"
  trace_wait '^line key fit\|^line.*fit' 1 || true
  trace_settle || true
  robot command QUIL7 18 >/dev/null
  robot_wait 120 wait-dialog "Save Cell" >/dev/null || fail "no SCELL dialog"
  answer "Save Cell" OK
  wait_file "$dir/NEWC.tlc" 60 '^<B>$' || fail "the cell was not saved"
  trace_settle || true
  robot close QUIL7 >/dev/null || fail "close not posted"
  wait_gone "$EDITOR_PID" 60 || fail "editor still running after WM_CLOSE"
  rm -f "$TRACE"
  collect "$1" "$dir"
}

# The editor: a view zoomed by another program's line, kept at close.
w_editor_view() {
  local dir
  dir=$(sample_drawing "$1")
  editor_start "$dir"
  editor_ready
  trace_settle || true
  robot copydata QUIL7 "zoom 0,0 100,100" >/dev/null || fail "copydata not delivered"
  trace_wait '^line key zoom' 1 || fail "no zoom line"
  trace_settle || true
  robot close QUIL7 >/dev/null || fail "close not posted"
  wait_gone "$EDITOR_PID" 60 || fail "editor still running after WM_CLOSE"
  rm -f "$TRACE"
  collect "$1" "$dir"
}

trap 'quil_end_all; bash "$here/../e2e/session.sh" stop >/dev/null 2>&1' EXIT

run_case native.drc n_drc
run_case native.gdsout n_gdsout
run_case native.gdsin n_gdsin
run_case native.ckt_compile n_ckt

bash "$here/../e2e/session.sh" start >"$QUIL_E2E_STATE/session.txt" 2>&1 9>&- ||
  { cat "$QUIL_E2E_STATE/session.txt" >&2; echo "capture.sh: no Xvfb or Wine prefix" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$QUIL_E2E_STATE/display")"

run_case gdsout7.fixture w_gdsout
run_case gdsin7.fixture w_gdsin
run_case quilflat7.flatten w_flatten
run_case quilflat7.smash w_smash
run_case quilflat7.sample w_smash_sample
run_case quildrc7.fixture w_drc
run_case quilckt7.inv w_ckt_inv
run_case quilckt7.chain3 w_ckt_chain3
run_case quilckt7.nand2 w_ckt_nand2
run_case quilckt7.sample w_ckt_sample
run_case quil7.script w_editor_script
run_case quil7.view w_editor_view

if [ $failed -ne 0 ]; then
  echo "capture.sh: some cases failed (see $out/FAILED)" >&2
  exit 1
fi
echo "captured into $out"
