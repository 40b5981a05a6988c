#!/usr/bin/env bash
# QUILHPGL7.EXE under Wine, started as the editor starts it: the start-up
# note, Go refused until the Main Setup was done, a plot equal to the native
# engine's, Params asking for the Main Setup again, and Esc during a run.
source "$(dirname "$0")/../harness.sh"

case_name="${1:?case}"
native="${2:?native plotter}"

# The nested fixture drawing with a plot layer table and a plot file name.
drawing() {
  local dir
  dir=$(work_folder "$1")
  cp -r "$QUIL_SOURCE/tests/fixtures/flatten/nested/." "$dir/"
  printf 'pfn=top.plt\nmsz=.001\npsc=2000\nl0=5\nl1=6\nl2=7\nl3=11\nf0=s\nf1=45\nd3=2\n' >"$dir/QuilHpgl.usf"
  echo "$dir"
}

start_plot() {
  quil_start QUILHPGL7.EXE "$@"
  pid=$QUIL_LAST_PID
  text=$(robot_wait 60 wait-dialog "Initial Setup ...") || fail "no start-up note: $(robot dialogs)"
  printf '%s\n' "$text" | grep -q "Please do Main Setup First ..." || fail "start-up note says: $text"
  robot press "Initial Setup ..." OK >/dev/null || fail "start-up note not answered"
  robot_wait 60 wait-class QuilHpgl7 >/dev/null || fail "QuilHpgl7 window did not appear"
}

go_refused() {
  robot command QuilHpgl7 16 >/dev/null || fail "Go not posted"
  text=$(robot_wait 60 wait-dialog "Setup Changed ...") || fail "Go was not refused: $(robot dialogs)"
  printf '%s\n' "$text" | grep -qF "??? ... Please do Main Setup Again" || fail "refusal says: $text"
  robot press "Setup Changed ..." OK >/dev/null
  dialog_gone "Setup Changed ..." 30 || fail "the refusal stays"
}

main_setup() {
  robot command QuilHpgl7 12 >/dev/null || fail "Setup not posted"
  robot_wait 60 wait-dialog "Main Setup" >/dev/null || fail "no Main Setup dialog"
  robot press "Main Setup" OK >/dev/null
  dialog_gone "Main Setup" 30 || fail "Main Setup stays"
}

case "$case_name" in
go)
  dir=$(drawing hpgl_go)
  ref=$(drawing hpgl_go_native)
  cd "$dir" || fail "no work folder"
  start_plot TOP 0 0 100 50
  [ "$(robot title QuilHpgl7)" = "QuilHpgl 7.0.91 beta2" ] || fail "title is '$(robot title QuilHpgl7)'"
  kids=$(robot children QuilHpgl7)
  for b in Help Run Setup Param Paper Layers Go; do
    printf '%s\n' "$kids" | grep -q "\] $b\$" || fail "tool bar lacks $b: $kids"
  done
  go_refused
  main_setup
  robot command QuilHpgl7 16 >/dev/null || fail "Go not posted"
  text=$(robot_wait 120 wait-dialog QuilHpgl) || fail "no closing message: $(robot dialogs)"
  printf '%s\n' "$text" | grep -q "File or Port:  top.plt" || fail "closing message: $text"
  printf '%s\n' "$text" | grep -q "Plot Finished ..." || fail "closing message: $text"
  robot press QuilHpgl OK >/dev/null
  dialog_gone QuilHpgl 30 || fail "the closing message stays"
  "$native" "$ref" TOP 0 0 100 50 2>/dev/null || fail "native plot failed"
  cmp -s top.plt "$ref/top.plt" || fail "plot differs from the native engine's: $(head -c 300 top.plt)"
  grep -q "SP1;" top.plt && grep -q "FT2;" top.plt || fail "plot lacks layers: $(head -c 300 top.plt)"
  # Params: the Main Setup is asked for again before the next Go.
  robot command QuilHpgl7 13 >/dev/null || fail "Params not posted"
  robot_wait 60 wait-dialog "Parameters Setup" >/dev/null || fail "no Parameters dialog"
  robot press "Parameters Setup" OK >/dev/null
  robot_wait 60 wait-dialog "Setup Changed ..." >/dev/null || fail "Params did not ask for the Main Setup"
  robot press "Setup Changed ..." OK >/dev/null
  dialog_gone "Setup Changed ..." 30 || fail "the note stays"
  go_refused
  robot close QuilHpgl7 >/dev/null
  wait_gone "$pid" 30 || fail "still running after WM_CLOSE"
  tr -d '\r' <QuilHpgl.usf >saved.txt
  grep -qx "cln=TOP" saved.txt || fail "settings not saved: $(head -3 saved.txt)"
  grep -qx "wtp=50." saved.txt || fail "window not saved: $(sed -n 4,7p saved.txt)"
  ;;
abort)
  dir=$(drawing hpgl_abort)
  cd "$dir" || fail "no work folder"
  # BIG places a small cell 5000 times: ten million objects a layer pass
  # from two small files (an array reads its cell once a pass), so that the
  # run lasts. One box of the cell is on a plotted layer: the plot grows from
  # the first instance on.
  python3 - <<'PY'
head = '<?xml version="1.0"?>\n<TLC>\n<H>\n%s\n7.0.91\n7.0.91\n1000\num\n12/10/26\n13:00:00\n'
with open("BUSY.tlc", "w") as f:
    f.write(head % "BUSY" + "1 0 0 29900 23900\n2000 0 0 0\n</H>\n")
    for i in range(2000):
        x, y = (i % 50) * 600, (i // 50) * 600
        f.write("<B>\n%d %d %d %d %d\n</B>\n" % (5 if i == 0 else 40, x, y, x + 500, y + 500))
    f.write("</TLC>\n")
with open("BIG.tlc", "w") as f:
    f.write(head % "BIG" + "2 0 0 1499900 2399900\n0 0 0 5000\n</H>\n")
    for i in range(5000):
        f.write("<C>\nBUSY\n0 %d %d 0\n</C>\n" % ((i % 50) * 30000, (i // 50) * 24000))
    f.write("</TLC>\n")
lines = open("QUIL7.CRF").read().split("\n")
count = int(lines[0]) + 2
rest = [l for l in lines[1:] if l.strip()]
open("QUIL7.CRF", "w").write("%d\n%s\nBUSY\n1 0 0 29900 23900 2000 0 0 0\nBIG\n2 0 0 1499900 2399900 0 0 0 5000\n"
                             % (count, "\n".join(rest)))
PY
  # Sixteen layer passes.
  { printf 'pfn=big.plt\ncln=BIG\nwlf=0\nwbt=0\nwrt=1500\nwtp=2400\nl0=5\n'
    for i in $(seq 1 15); do printf 'l%d=%d\n' "$i" $((i + 20)); done; } >QuilHpgl.usf
  start_plot
  main_setup
  robot command QuilHpgl7 16 >/dev/null || fail "Go not posted"
  wait_file big.plt 60 || fail "the run wrote nothing"
  # Esc is seen by the poll after an object ("Pause ...") or, when the
  # progress dialog gets the key first, as its Cancel (its own question):
  # either asks before the run stops.
  start=$SECONDS
  while :; do
    if robot wait-dialog "Pause ..." 500 >/dev/null; then
      robot press "Pause ..." Yes >/dev/null || fail "Yes not pressed"
      break
    fi
    if text=$(robot dialog-text QuilHpgl 2>/dev/null); then
      printf '%s\n' "$text" | grep -qF "Aborting Plot ... OK ?" || fail "the run finished before Esc was seen: $text"
      robot press QuilHpgl Yes >/dev/null || fail "Yes not pressed"
      break
    fi
    [ $((SECONDS - start)) -ge 120 ] && fail "no abort question: $(robot dialogs)"
    robot esc-hold 1500 >/dev/null
  done
  # The closing message has the question's caption: wait for its words.
  start=$SECONDS
  until text=$(robot dialog-text QuilHpgl 2>/dev/null) && printf '%s\n' "$text" | grep -qE "Aborted|Finished"; do
    [ $((SECONDS - start)) -ge 120 ] && fail "no closing message: $(robot dialogs)"
    sleep 0.2
  done
  printf '%s\n' "$text" | grep -q "Aborted ... Plot may be Incomplete" || fail "closing message: $text"
  robot press QuilHpgl OK >/dev/null
  # What was plotted before Esc stays: the header and the first instance's
  # box; the trailer follows.
  first="IN;IP508,508,10668,8128;IW0,0,6000,9600;VS10.0;SC;SP1;LT;PU;PA0,0;PD;ER2,2;"
  [ "$(head -c ${#first} big.plt)" = "$first" ] || fail "the plot lost its start: $(head -c 100 big.plt)"
  [ "$(tail -c 10 big.plt)" = "PU;LT;SP0;" ] || fail "no trailer after the abort: $(tail -c 60 big.plt)"
  robot close QuilHpgl7 >/dev/null
  wait_gone "$pid" 30 || fail "still running after WM_CLOSE"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
note "$case_name passed"
