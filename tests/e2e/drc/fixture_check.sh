#!/usr/bin/env bash
# The rule checker on the fixture drawing: exactly the expected log lines and
# map files, map files that ImageMagick reads with the expected size and
# colours, and the same errors as klayout's flat DRC on the same shapes.
#   fixture_check.sh DRCRUN
set -euo pipefail
drcrun="$1"
src="${QUIL_SOURCE:?}"
fx="$src/tests/fixtures/drc"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

/usr/bin/python3 "$fx/make_fixture.py" "$work"
"$drcrun" "$work" --date 10-Dec-2026 --time 12:00:00 > "$work/messages.txt" || fail "the run did not complete: $(cat "$work/messages.txt")"

# The log, with the run time (which varies) left out.
grep -v '^Total Run Time:' "$work/QuilDrc.log" > "$work/log.txt"
diff -u "$fx/expected.log" "$work/log.txt" || fail "log differs"

# The map files: names, contents, and what ImageMagick makes of them.
(cd "$work" && md5sum TOP_*.pcx) > "$work/pcx.md5"
diff -u "$fx/expected_pcx.md5" "$work/pcx.md5" || fail "map files differ"
for f in "$work"/TOP_*.pcx; do
  size="$(identify -format '%m %wx%h' "$f")"
  [ "$size" = "PCX 536x394" ] || fail "$(basename "$f"): identify says $size"
  colours="$(convert "$f" -format %c histogram:info:- | sed -E 's/.*(#[0-9A-F]{6}).*/\1/' | sort | tr '\n' ' ')"
  case "$(basename "$f")" in
    TOP_1_*) want="#000000 #FF0000 #FFFFFF " ;;
    *) want="#000000 #00FF00 #FFFFFF " ;;
  esac
  [ "$colours" = "$want" ] || fail "$(basename "$f"): colours $colours, expected $want"
done

# klayout's flat DRC of the same shapes, width and space with projection.
klayout -b -r "$src/tests/e2e/drc/width_space.drc" -rd input="$work/fixture.gds" -rd output="$work/markers.lyrdb" \
  > "$work/klayout.txt" 2>&1 || fail "klayout: $(cat "$work/klayout.txt")"
/usr/bin/python3 "$src/tests/e2e/drc/crosscheck.py" "$work/QuilDrc.log" "$work/markers.lyrdb" 1.4 1=width 2=space \
  || fail "klayout and the rule checker disagree"
echo "1 passed, 0 failed"
