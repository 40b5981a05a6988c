#!/usr/bin/env bash
# The connector script round trip: a batch compile writes only the connector
# script of a cell that has some connectors and real and virtual nodes
# lacking them; the editor runs it through Cmd and saves the cell. The saved
# cell holds exactly the script's connectors (read by the outside TLC
# reader), and compiling the saved drawing without scripts gives the circuit
# and node list of a compile that read the script back.
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../harness.sh"
source "$here/../editor/quil7_lib.sh"

fixture="$QUIL_SOURCE/tests/fixtures/circuit"

masked() {
  tr -d '\r' <"$1" | sed -E 's#[0-9]{2}/[0-9]{2}/[0-9]{2}#MM/DD/YY#g; s#[0-9]{2}:[0-9]{2}:[0-9]{2}#HH:MM:SS#g'
}

# drawing NAME: the extractor's fixture drawing with the cell CONN, the
# editor's settings opening it; prints the folder.
drawing() {
  local d
  d=$(work_folder "$1")
  cp -r "$fixture/netlist/." "$d/"
  cp "$fixture/connectors/CONN.tlc" "$d/"
  {
    echo 7
    sed -n '2,$p' "$fixture/netlist/QUIL7.CRF"
    printf 'CONN\n3 -10 -12 120 52 4 6 0 2\n'
  } >"$d/QUIL7.CRF"
  sed 's/^cellname=.*/cellname=CONN/' "$QUIL_SOURCE/samples/demo/QUIL7.USF" >"$d/QUIL7.USF"
  grep -q '^cellname=CONN' "$d/QUIL7.USF" || echo cellname=CONN >>"$d/QUIL7.USF"
  echo "$d"
}

# compile_start DIR SETTINGS...: starts a batch compile of CONN with these
# settings; compile_wait DIR waits for its end.
compile_start() {
  local d="$1"
  shift
  { grep -v '^cfn=' "$fixture/netlist/QuilCkt.usf"; echo cfn=CONN; printf '%s\n' "$@"; } >"$d/QuilCkt.usf"
  (cd "$d" && quil_start QUILCKT7.EXE CONN sim.hdr N && echo "$QUIL_LAST_PID" >"$d/ckt.pid")
  QUIL_PIDS="$QUIL_PIDS $(cat "$d/ckt.pid")"
}
compile_wait() {
  wait_gone "$(cat "$1/ckt.pid")" 120 || fail "batch compile in $1 did not close: $(robot dialogs)"
}

found() {
  local f
  f=$(ls "$1" | grep -i "^$2\$" | head -n1)
  [ -n "$f" ] && echo "$f"
}

orig=$(drawing ckt_conn_orig)
read_back=$(drawing ckt_conn_read)
dir=$(drawing ckt_conn_edit)

# The script pass alone, and a compile that reads its script back.
compile_start "$dir" war=Y wav=Y wmc=Y cso=Y
compile_start "$read_back" war=Y wav=Y wmc=Y cso=N
compile_wait "$dir"
compile_wait "$read_back"
script=$(found "$dir" conn_ctxt.txt) || fail "no connector script: $(ls "$dir")"
[ -z "$(found "$dir" conn.cir)" ] || fail "the script pass wrote a circuit file"
# New numbers go on from the highest connector (5), real nodes first at
# their node texts (VSS, OUT), then the virtual node at the centre of its
# contact box; the rail and input that have connectors get none.
diff <(tr -d '\r' <"$dir/$script") - >&2 <<'TXT' || fail "unexpected connector script"
tlyr 12
text -0.0050 -0.0100 6
text 0.0850 0.0250 7
text 0.0750 0.0200 8
TXT
for f in conn.cir conn.nod; do
  [ -n "$(found "$read_back" $f)" ] || fail "no $f from the compile reading the script: $(ls "$read_back")"
done
# The inverter had all its connectors: only the main cell's script adds any.
inv=$(found "$dir" inv_ctxt.txt) || fail "no inverter script"
[ "$(grep -ci '^text' "$dir/$inv")" = 0 ] || fail "the inverter's script adds connectors: $(cat "$dir/$inv")"

# The editor runs the script through Cmd and saves the cell.
editor_start "$dir"
robot wait-class QUIL7 30000 >/dev/null || fail "editor window did not appear"
editor_ready
trace_wait '^load CONN' 1 || fail "CONN was not loaded: $(cat "$TRACE")"
robot post QUIL7 1025 77 0 >/dev/null  # Cmd
robot wait-dialog "Command Line" 10000 >/dev/null || fail "no CMD dialog"
robot set-text "Command Line" 1325 "$script" >/dev/null || fail "no script box: $(robot dialogs)"
robot press "Command Line" "Run Script" >/dev/null || fail "no Run Script button"
dialog_gone "Command Line" 10 || fail "the CMD dialog stayed open"
lines=$(grep -ci '^text' "$dir/$script")
trace_wait '^handler Text$' "$lines" || fail "the script's text lines did not run: $(cat "$TRACE")"
robot command QUIL7 18 >/dev/null
robot wait-dialog "Save Cell" 10000 >/dev/null || fail "no SCELL dialog"
[ "$(robot get-text "Save Cell" 1411)" = CONN ] || fail "SCELL does not offer CONN"
robot press "Save Cell" OK >/dev/null
dialog_gone "Save Cell" 10 || fail "the SCELL dialog stayed open"
wait_file "$dir/CONN.tlc" 10 '^<H>$' || fail "CONN was not saved"
editor_close

# The saved cell's new connector texts are the script's.
/usr/bin/python3 - "$QUIL_SOURCE/tests/unit/converters/outside" "$orig" "$dir" "$dir/$script" <<'PY' || fail "saved connectors differ from the script's"
import sys
from collections import Counter
sys.path.insert(0, sys.argv[1])
import tlcflat
before = Counter((t[0], t[3], t[4], t[5]) for t in tlcflat.read_cell(sys.argv[2], "CONN")["texts"])
after = Counter((t[0], t[3], t[4], t[5]) for t in tlcflat.read_cell(sys.argv[3], "CONN")["texts"])
want = Counter()
layer = None
for line in open(sys.argv[4]):
    w = line.split()
    if w and w[0] == "tlyr":
        layer = int(w[1])
    elif w and w[0] == "text":
        want[(layer, round(float(w[1]) * 1000), round(float(w[2]) * 1000), w[3])] += 1
if not want or (after - before) != want or (before - after):
    print("script:", sorted(want), "\nadded:", sorted(after - before), "\nlost:", sorted(before - after))
    sys.exit(1)
PY

# The saved drawing compiled without scripts.
saved=$(work_folder ckt_conn_saved)
cp -r "$dir/." "$saved/"
rm -f "$saved"/*_ctxt.txt "$saved"/*_CTXT.txt "$saved"/*.cir "$saved"/*.nod
compile_start "$saved" war=N wav=N wmc=N cso=N
compile_wait "$saved"
nod=$(found "$saved" conn.nod) || fail "no node list from the saved drawing"
tr -d '\r' <"$saved/$nod" | grep -qx 'vn1:8' || fail "the virtual node has no connector: $(cat "$saved/$nod")"
for f in conn.cir conn.nod; do
  a=$(found "$saved" $f) || fail "no $f from the saved drawing"
  diff <(masked "$read_back/$(found "$read_back" $f)") <(masked "$saved/$a") >&2 ||
    fail "$f of the saved drawing differs from the compile that read the script"
done
echo "ok: connectors $lines"
