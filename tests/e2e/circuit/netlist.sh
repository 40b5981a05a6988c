#!/usr/bin/env bash
# QUILCKT7.EXE compiles a drawing's inverter in batch form: the circuit
# file, the node list and the log equal the native engine's hand-checked
# files, the three tokens are stored and the program closes by itself.
source "$(dirname "$0")/../harness.sh"

case_name="${1:?case}"
expected="$QUIL_SOURCE/tests/fixtures/circuit/netlist_expected"

# Line ends, dates, times and the compile time differ from run to run.
masked() {
  tr -d '\r' <"$1" | sed -E 's#[0-9]{2}/[0-9]{2}/[0-9]{2}#MM/DD/YY#g; s#[0-9]{2}:[0-9]{2}:[0-9]{2}#HH:MM:SS#g;
    s#Final Compile Time: [0-9]+ hr [0-9]+ min [0-9]+ sec#Final Compile Time: T#'
}

case "$case_name" in
batch)
  dir=$(work_folder ckt_netlist_batch)
  cp -r "$QUIL_SOURCE/tests/fixtures/circuit/netlist/." "$dir/"
  cd "$dir" || fail "no work folder"
  rm -f QuilCkt.log INV.cir INV.nod
  quil_start QUILCKT7.EXE INV sim.hdr N
  pid=$QUIL_LAST_PID
  wait_gone "$pid" 120 || fail "batch run did not close: $(robot dialogs)"
  for f in INV.cir INV.nod; do
    [ -f "$f" ] || fail "no $f: $(ls)"
    diff <(masked "$f") "$expected/$f" >&2 || fail "$f differs from the native engine's"
  done
  log=$(ls | grep -i '^quilckt\.log$') || fail "no compile log: $(ls)"
  diff <(masked "$log") "$expected/INV.log" >&2 || fail "log differs from the native engine's"
  f=$(ls | grep -i '^quilckt\.usf$') || fail "settings not saved"
  grep -q "^cfn=INV" "$f" || fail "cell not stored: $(head -4 "$f")"
  grep -q "^hfn=sim.hdr" "$f" || fail "header not stored: $(sed -n 3p "$f")"
  grep -q "^sch=N" "$f" || fail "rules not stored"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
echo "ok: netlist $case_name"
