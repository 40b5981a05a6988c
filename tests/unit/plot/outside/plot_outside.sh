#!/usr/bin/env bash
# The plotter's outside check: the fixture drawing plotted with each origin,
# Rotate on and off, poly mode on and off, fills and dashes; hp2xx draws
# every file at true size and the strokes are compared with the drawing
# flattened on its own.
set -u
plot_write="$1"
src="$2"
here="$(dirname "$0")"
work=$(mktemp -d /tmp/plotoutXXXXXX)
trap 'rm -rf "$work"' EXIT
command -v hp2xx >/dev/null || { echo "hp2xx is not installed"; exit 1; }
command -v convert >/dev/null || { echo "ImageMagick is not installed"; exit 1; }

python3 "$here/plot_fixture.py" "$work" >"$work/extent" || exit 1
read -r l b r t <"$work/extent"
# The window leaves a wide margin round the cell: hp2xx moves the input
# window by the scaling point P1 (up to half the paper in Center origin), and
# must not cut the drawing.
win=$(python3 -c "print(' '.join(str(v / 1000 + m) for v, m in (($l, -110), ($b, -110), ($r, 110), ($t, 110))))")
psc=1500
dpi=75
fails=0
n=0
#     origin rot ppm dol fills dashes
for v in "L N Y Y - -" "L Y Y Y - -" "C N Y Y - -" "C Y Y Y - -" \
         "L N N Y - -" "L Y N Y - -" "C N N Y - -" "C Y N Y - -" \
         "L N Y N - -" "C Y Y Y F -" "L N N Y F -" "L N Y Y - D" "C Y Y N F D"; do
  set -- $v
  org=$1 rot=$2 ppm=$3 dol=$4 fills=$5 dashes=$6
  f1="" f2="" f3="" d=""
  if [ "$fills" = F ]; then f1=s; f2=45; f3=120; fi
  if [ "$dashes" = D ]; then d=2; fi
  printf 'cln=TOP\npfn=out.plt\norg=%s\nrot=%s\nppm=%s\ndol=%s\npsc=%s\nmsz=.001\nbdr=0\npsz=a\nl0=1\np0=1\nf0=%s\nd0=%s\nl1=2\np1=2\nf1=%s\nd1=%s\nl2=3\np2=3\nf2=%s\nl3=4\np3=4\n' \
    "$org" "$rot" "$ppm" "$dol" "$psc" "$f1" "$d" "$f2" "$d" "$f3" >"$work/QuilHpgl.usf"
  rm -f "$work/out.plt"
  "$plot_write" "$work" TOP $win 2>"$work/run.txt" || { echo "FAIL $v: plot: $(cat "$work/run.txt")"; fails=$((fails + 1)); continue; }
  hp2xx -m png -t -d $dpi -f "$work/out.png" "$work/out.plt" >"$work/hp2xx.txt" 2>&1 ||
    { echo "FAIL $v: hp2xx"; fails=$((fails + 1)); continue; }
  convert "$work/out.png" -alpha off -colorspace gray -threshold 60% -compress none "$work/out.pbm" ||
    { echo "FAIL $v: convert"; fails=$((fails + 1)); continue; }
  dashed=N filled=N
  [ "$dashes" = D ] && dashed=Y
  [ "$fills" = F ] && filled=Y
  if said=$(python3 "$here/plot_check.py" "$work" "$work/out.pbm" "$work/hp2xx.txt" $dpi "$org" "$rot" $psc "$dol" \
      $dashed $filled $win 2>&1); then
    echo "ok   $v: $said"
  else
    echo "FAIL $v: $said"
    fails=$((fails + 1))
  fi
  n=$((n + 1))
done
echo "$((n - fails)) passed, $fails failed"
[ "$fails" -eq 0 ]
