#!/usr/bin/env bash
# Checks the main job as a user on a machine without a display meets it: it
# exits 0, leaves a screenshot, leaves no process behind (Xvfb, wineserver,
# the editor) and opens the sample drawing on a view that shows all of its
# main cell.
set -uo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
out="$top/build/main-job"
log="$out/run.log"
mkdir -p "$out"
rm -f "$out/quil7.png"

env -u DISPLAY bash scripts/run-main.sh >"$log" 2>&1
rc=$?
fail() { echo "main job: $*" >&2; tail -20 "$log" >&2; exit 1; }
[ $rc -eq 0 ] || fail "exited $rc"
[ -s "$out/quil7.png" ] || fail "no screenshot"
size=$(identify -format '%wx%h' "$out/quil7.png" 2>/dev/null) || fail "the screenshot is not a picture"
[ "$size" = 1280x1024 ] || fail "screenshot of $size"

# Nothing left running: the display it used is gone, and no process works in
# the drawing it made.
display=$(sed -n 's/^Xvfb on :\([0-9]*\)$/\1/p' "$log" | head -n1)
[ -n "$display" ] || fail "no Xvfb display in the log"
for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$display" ] || break; sleep 0.1; done
[ -e "/tmp/.X11-unix/X$display" ] && fail "Xvfb :$display still running"
for p in /proc/[0-9]*; do
  case "$(readlink "$p/cwd" 2>/dev/null)" in
    "$out"/*) fail "process ${p#/proc/} left running in $(readlink "$p/cwd")" ;;
  esac
done

# The saved view of the main cell's rank covers the cell (the view's width
# is in drawing units across, centred on x, y; the window is wider than tall).
python3 - "$top/samples/demo" <<'PY' || fail "the sample opens on a view that cuts off its main cell"
import re, sys
folder = sys.argv[1]
usf = dict(l.rstrip('\n').split('=', 1) for l in open(folder + '/QUIL7.USF') if '=' in l)
cell = usf['cellname']
lines = [l.strip() for l in open(folder + '/' + cell + '.tlc')]
h = lines.index('<H>')
rank, l, b, r, t = map(int, lines[h + 8].split())
w, x, y = (int(usf['winw%d' % rank]), int(usf['winx%d' % rank]), int(usf['winy%d' % rank]))
ok = x - w / 2 <= l and x + w / 2 >= r and y - w / 3 <= b and y + w / 3 >= t
print('%s rank %d extent %d %d %d %d, view %d wide at %d,%d: %s' % (cell, rank, l, b, r, t, w, x, y, 'whole' if ok else 'cut'))
sys.exit(0 if ok else 1)
PY
echo "main job: exit 0, screenshot $size, nothing left running, whole sample in view"
