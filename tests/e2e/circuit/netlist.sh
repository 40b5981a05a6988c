#!/usr/bin/env bash
# QUILCKT7.EXE compiles in batch form. batch: a drawing's inverter; the
# circuit file, the node list and the log equal the native engine's
# hand-checked files, the three tokens are stored and the program closes by
# itself. sample: the bundled drawing's chain of inverters, as shipped.
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
sample)
  # The bundled drawing as shipped: its own settings, models and sweep.
  dir=$(sample_drawing ckt_netlist_sample)
  cd "$dir" || fail "no work folder"
  quil_start QUILCKT7.EXE TOP models.hdr N
  pid=$QUIL_LAST_PID
  wait_gone "$pid" 120 || fail "batch run did not close: $(robot dialogs)"
  cir=$(ls | grep -i '^top\.cir$') || fail "no circuit file: $(ls)"
  body=$(tr -d '\r' <"$cir")
  for want in ".SUBCKT INV IN OUT VDD VSS" "MN OUT IN VSS VSS NMOD L=1u W=2u" "MP OUT IN VDD VDD PMOD L=1u W=4u" \
      "X_1_INV IN vn1 VDD VSS INV" "X_2_INV vn1 vn2 VDD VSS INV" "X_3_INV vn2 OUT VDD VSS INV" ".DC VIN 0 3.3 0.1"; do
    printf '%s\n' "$body" | grep -qxF "$want" || fail "circuit file lacks '$want': $body"
  done
  log=$(ls | grep -i '^quilckt\.log$') || fail "no compile log: $(ls)"
  tr -d '\r' <"$log" | grep -qx "Finished ..." || fail "log: $(cat "$log")"
  tr -d '\r' <"$log" | grep -qx "0 Warnings  0 Errors" || fail "log: $(cat "$log")"
  ;;
capant)
  # Capacitors and antenna rules set in the CAP and ANT dialogs, the chain
  # named in Setup, then Go: the circuit file and the log equal the native
  # engine's with the same settings.
  dir=$(work_folder ckt_netlist_capant)
  cp -r "$QUIL_SOURCE/tests/fixtures/circuit/netlist/." "$dir/"
  cd "$dir" || fail "no work folder"
  rm -f QuilCkt.log CHAIN3.cir CHAIN3.nod
  quil_start QUILCKT7.EXE
  pid=$QUIL_LAST_PID
  robot wait-class QuilCkt7 30000 >/dev/null || fail "QuilCkt7 window did not appear"
  robot command QuilCkt7 13 >/dev/null
  robot wait-dialog "Compile Setup" 20000 >/dev/null || fail "Setup gave no dialog: $(robot dialogs)"
  robot set-text "Compile Setup" 100 "CHAIN3" || fail "cell field"
  robot press "Compile Setup" OK >/dev/null
  robot command QuilCkt7 15 >/dev/null
  robot wait-dialog "Parasitic Capacitance Table" 20000 >/dev/null || fail "Cap gave no dialog: $(robot dialogs)"
  robot click "Parasitic Capacitance Table" fF >/dev/null || fail "no fF button"
  robot set-text "Parasitic Capacitance Table" 3010 "7" || fail "layer 1 field"
  robot set-text "Parasitic Capacitance Table" 3011 "0" || fail "layer 2 field"
  robot set-text "Parasitic Capacitance Table" 3012 "200" || fail "area field"
  robot set-text "Parasitic Capacitance Table" 3013 "0.5" || fail "fringe field"
  robot press "Parasitic Capacitance Table" OK >/dev/null
  robot command QuilCkt7 16 >/dev/null
  robot wait-dialog "Antenna Rules Layers" 20000 >/dev/null || fail "Ant gave no dialog: $(robot dialogs)"
  robot click "Antenna Rules Layers" "Enable Antenna Rules" >/dev/null || fail "no enable box"
  robot set-text "Antenna Rules Layers" 2002 "2" || fail "channel field"
  robot set-text "Antenna Rules Layers" 2003 "5" || fail "layer 1 field"
  robot set-text "Antenna Rules Layers" 2004 "7" || fail "layer 2 field"
  robot set-text "Antenna Rules Layers" 2011 "0.5" || fail "thickness 1 field"
  robot set-text "Antenna Rules Layers" 2012 "2" || fail "thickness 2 field"
  robot press "Antenna Rules Layers" OK >/dev/null
  robot command QuilCkt7 19 >/dev/null
  text=$(robot wait-dialog QuilCkt 120000) || fail "no closing message: $(robot dialogs)"
  printf '%s\n' "$text" | grep -q "Finished ..." || fail "closing message: $text"
  robot press QuilCkt OK >/dev/null
  cir=$(ls | grep -i '^chain3\.cir$') || fail "no circuit file: $(ls)"
  diff <(masked "$cir") "$expected/CHAIN3_capant.cir" >&2 || fail "circuit file differs from the native engine's"
  log=$(ls | grep -i '^quilckt\.log$') || fail "no compile log: $(ls)"
  diff <(masked "$log") "$expected/CHAIN3_capant.log" >&2 || fail "log differs from the native engine's"
  robot close QuilCkt7 >/dev/null
  wait_gone "$pid" 20 || fail "still running after WM_CLOSE"
  f=$(ls | grep -i '^quilckt\.usf$') || fail "settings not saved"
  grep -q '^capu=fF' "$f" || fail "unit not stored: $(grep -i '^capu=' "$f")"
  grep -q '^eant=Y' "$f" || fail "antenna rules not stored: $(grep -i '^eant=' "$f")"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
echo "ok: netlist $case_name"
