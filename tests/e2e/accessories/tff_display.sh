#!/usr/bin/env bash
# A font built by TFFBUILD7.EXE from a character drawing, named by tffname=
# in the sample drawing's main setup: QUIL7.EXE draws a large text of that
# character where the reference renderer (display_ref) puts it with the
# same font, and not where it would put the shipped glyph.
#   tff_display.sh REF
source "$(dirname "$0")/../harness.sh"
source "$(dirname "$0")/../editor/quil7_lib.sh"

REF="${1:?display_ref}"
dir=$(sample_drawing tff_display)
cd "$dir" || fail "no work folder"

# The character: a zigzag W across the whole grid and a bar under it.
cat >W.TLC <<'TLC'
<?xml version="1.0"?>
<TLC>
<H>
W
7.0.91
7.0.91
1
um
12/10/26
12:00:00
1 0 0 14 14
0 2 7 0
</H>
<P>
1 0 5
0 14 3 2 7 10 11 2 14 14
</P>
<P>
1 0 2
0 0 14 0
</P>
</TLC>
TLC
cp "$QUIL_BIN/Font1.tff" W.tff
quil_start TFFBUILD7.EXE W.tff W.TLC W
pid=$QUIL_LAST_PID
robot_wait 120 wait-dialog TffBuild >/dev/null || fail "no assigned message"
robot dialog-text TffBuild | grep -q "2 Polygons with 7 Vertices" || fail "message: $(robot dialog-text TffBuild)"
robot press TffBuild OK >/dev/null
wait_gone "$pid" 30 || fail "TFFBUILD7 still running"
cmp -s W.tff "$QUIL_BIN/Font1.tff" && fail "the font was not changed"

# A large W in TOP, and the main setup naming the font.
sed -i 's#^</TLC>$#<T>\n10 6000 2 0\n8000 -3000\nW\n</T>\n</TLC>#' TOP.tlc
grep -q '^W$' TOP.tlc || fail "text not added"
sed -i 's#^tffname=.*#tffname=W.tff#' QUIL7.USF

editor_start "$dir"
robot wait-class QUIL7 30000 >/dev/null || fail "editor window did not appear"
editor_ready
trace_wait '^draw ' 1 || fail "nothing drawn: $(cat "$TRACE")"
trace_settle || fail "the editor kept writing its trace"
draws=$(trace_count '^draw ')
robot copydata QUIL7 "zoom -6.5,-5.5 26.5,15.75" >/dev/null || fail "zoom not delivered"
trace_wait '^draw ' $((draws + 1)) || fail "no redraw after zoom"
robot cursor-pos 0 0 >/dev/null
robot mouse QUIL7 3 3 >/dev/null
sleep 1
shot="$QUIL_E2E_STATE/tff_display"
screenshot "$shot.png"
convert "$shot.png" "$shot.ppm" || fail "no ppm"
read -r ox oy < <(robot origin QUIL7)
line=$(grep '^draw ' "$TRACE" | tail -n1)
note "$line"
read -r _ cx cy width _ area _ togs _ < <(echo "$line")
editor_close

echo "$line" | grep -q ' texts [1-9]' || fail "no texts drawn: $line"
out=$("$REF" "$dir" TOP "$cx" "$cy" "$width" "$area" "$togs" "$dir/W.tff" "$shot.ppm" "$ox" "$oy")
echo "$out" | head -3
echo "$out" | grep -q '^sure [1-9][0-9]\{3,\} mismatch 0 ' || fail "screen differs from the reference with the built font"
# With the shipped glyph the reference disagrees: the screen shows ours.
other=$("$REF" "$dir" TOP "$cx" "$cy" "$width" "$area" "$togs" "$QUIL_BIN/Font1.tff" "$shot.ppm" "$ox" "$oy")
echo "$other" | head -1
echo "$other" | grep -q '^sure [0-9]* mismatch [1-9]' || fail "the shipped font's W matches the screen as well"
echo "ok tff_display"
