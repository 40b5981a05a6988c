#!/usr/bin/env bash
# Outside checks of the DXF writer: the fixture hierarchy goes to DXF with
# every question answered OK, under several settings. ezdxf reads and audits
# each file (no errors; no fixes but the SEQEND owners it also fixes on
# klayout's own handle-less DXF); klayout reads it (polyline mode 2) and its
# shapes per layer are XOR-empty against the TLC flattened on its own.
#   dxf_outside.sh <dxfout_write> <source folder>
set -u
writer="$1"
src="$2"
here="$src/tests/unit/converters/outside"
work="$(mktemp -d /tmp/dxfoutside.XXXXXX)"
trap 'rm -rf "$work"' EXIT
cp "$src"/tests/fixtures/converters/gdsout/*.tlc "$work"/ && cd "$work" || exit 1
status=0
for opts in "" "b2s=Y" "p2p=Y" "vxw=Y"; do
  # shellcheck disable=SC2086
  "$writer" "$work/TOP.tlc" $opts >write.out 2>&1 || { echo "FAIL: DXF writer ($opts)"; cat write.out; exit 1; }
  grep -q "^Completed ... $(stat -c %s TOP.dxf) Bytes in DXF File" write.out ||
    { echo "FAIL: closing text ($opts)"; cat write.out; status=1; }
  /usr/bin/python3 - TOP.dxf "$opts" <<'PY' || status=1
import sys
import ezdxf
doc = ezdxf.readfile(sys.argv[1])
a = doc.audit()
fixes = [f.message for f in a.fixes if not (f.message.startswith("Deleted SEQEND") and "invalid owner handle" in f.message)]
if a.errors or fixes:
    print("FAIL ezdxf (%s): %s %s" % (sys.argv[2], [e.message for e in a.errors], fixes))
    sys.exit(1)
print("PASS ezdxf (%s): %d entities, %d blocks" % (sys.argv[2], len(doc.modelspace()), len(doc.blocks)))
PY
  timeout 120 klayout -b -r "$here/dxf_klayout.py" -rd dxf="$work/TOP.dxf" -rd tlc="$work" -rd top=TOP -rd ratio=2 \
    -rd lib="$here" || status=1
done
exit $status
