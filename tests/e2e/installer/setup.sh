#!/usr/bin/env bash
# SETUP.EXE under Wine, driven by the robot, installing on a drive of its own
# (a dosdevices link to a test folder) with the prefix's Desktop pointed into
# a test home folder:
#   setup.sh install   Install System, the zips of SETUP2 as they come,
#                      Finish; a new drawing folder through SETUP3 and a
#                      second install over the first; the installed editor
#                      started in the new folder
#   setup.sh damaged   the archive resource damaged: the fatal message, no
#                      shortcuts
. "$(dirname "$0")/../harness.sh"

case_name="${1:?install or damaged}"
here="$(cd "$(dirname "$0")" && pwd)"
work=$(work_folder "setup_$case_name")
drive_dir="$work/drive"
export HOME="$work/home"
mkdir -p "$drive_dir" "$HOME/Desktop"
caption="QUIL Setup   7.0.91 beta2"
archive="$QUIL_BIN/../installer/win/Quil_setup.zip"
[ -f "$QUIL_BIN/SETUP.EXE" ] && [ -f "$archive" ] || fail "SETUP.EXE or its archive not built"

# The prefix's user folders: its Desktop is linked to the test home for the
# run, its Start menu group cleared before and after.
user_dir="$WINEPREFIX/drive_c/users/$(whoami)"
desktop_link="$user_dir/Desktop"
old_desktop="$(readlink "$desktop_link" || true)"
start_group="$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Quil 7"
letter=""
for l in q r s t u v w; do
  if [ ! -e "$WINEPREFIX/dosdevices/$l:" ]; then letter=$l; break; fi
done
[ -n "$letter" ] || fail "no free drive letter in the prefix"

restore() {
  quil_end_all
  rm -f "$WINEPREFIX/dosdevices/$letter:"
  if [ -n "$old_desktop" ]; then
    rm -f "$desktop_link" && ln -s "$old_desktop" "$desktop_link"
  fi
  rm -rf "$start_group"
}
trap restore EXIT
ln -s "$drive_dir" "$WINEPREFIX/dosdevices/$letter:"
if [ -n "$old_desktop" ]; then
  rm -f "$desktop_link" && ln -s "$HOME/Desktop" "$desktop_link"
fi
rm -rf "$start_group"

# Starts a SETUP.EXE (the built one unless given) in the work folder.
start_setup() {
  local exe="${1:-$QUIL_BIN/SETUP.EXE}"
  (cd "$work" && exec "$WINE" "$exe" >"$QUIL_E2E_STATE/SETUP.$case_name.out" 2>&1 </dev/null) &
  SETUP_PID=$!
  QUIL_PIDS="$QUIL_PIDS $SETUP_PID"
}

# Fails when a message box of the installer or of the walk is up.
no_error_box() {
  local cap
  for cap in "QUIL Installer" "Error"; do
    if robot dialog-text "$cap" >"$work/box.txt" 2>/dev/null; then
      fail "unexpected \"$cap\" box: $(tr '\n' ' ' <"$work/box.txt")"
    fi
  done
}

# Waits until the dialog with control id $1 is up under the setup caption.
wait_control() {
  local id="$1" limit="$2" start=$SECONDS
  until robot get-text "$caption" "$id" >/dev/null 2>&1; do
    no_error_box
    [ $((SECONDS - start)) -ge "$limit" ] && fail "no dialog with control $id after $limit s"
    sleep 0.3
  done
}

# The shell link's target, description and working folder, one a line.
read_link() {
  if command -v lnkinfo >/dev/null 2>&1; then
    lnkinfo "$1" | tr -d '\r'
  else
    /usr/bin/python3 "$here/lnk_read.py" "$1"
  fi
}

# check_link FILE TARGET DESCRIPTION WORKING (compared without case)
check_link() {
  [ -f "$1" ] || fail "no shortcut $1"
  local said
  said="$(read_link "$1")" || fail "unreadable shortcut $1"
  local want
  for want in "$2" "$3" "$4"; do
    printf '%s\n' "$said" | grep -qiF -- "$want" || fail "shortcut $(basename "$1") lacks \"$want\": $said"
  done
}

install_system() {
  robot_wait 60 wait-dialog "$caption" >/dev/null || fail "SETUP1 did not come"
  robot set-text "$caption" 101 "$letter" >/dev/null || fail "drive not typed"
  robot press "$caption" "Install System" >/dev/null || fail "Install System not pressed"
}

Q="$letter:\\Quil7"
case "$case_name" in
install)
  start_setup
  install_system
  wait_control 107 60
  robot buttons "$caption" >"$work/buttons.txt"
  grep -q "Vizid.zip" "$work/buttons.txt" || fail "Vizid.zip not offered: $(cat "$work/buttons.txt")"
  robot press "$caption" "Install Zips" >/dev/null || fail "Install Zips not pressed"
  # SETUP2 comes back when the zips are in.
  # (Names are tidied as they land: TOP.tlc becomes Top.tlc.)
  start=$SECONDS
  until [ -f "$start_group/Vizid.lnk" ]; do
    no_error_box
    [ $((SECONDS - start)) -ge 60 ] && fail "the drawing zip got no Start menu item: $(ls -R "$drive_dir")"
    sleep 0.3
  done
  wait_control 107 60
  robot press "$caption" "Finish" >/dev/null || fail "Finish not pressed"
  wait_gone "$SETUP_PID" 30 || fail "SETUP.EXE did not end after Finish"

  # The programs and fonts byte for byte, the inner zips, the folders.
  unzip -Z1 "$archive" >"$work/members.txt" || fail "archive unreadable"
  mkdir "$work/ref" && unzip -qq "$archive" -d "$work/ref" || fail "archive not expanded by unzip"
  while read -r m; do
    got="$(find "$drive_dir/Quil7" -maxdepth 1 -iname "$m" -type f | head -n1)"
    [ -n "$got" ] || fail "$m not installed"
    cmp -s "$got" "$work/ref/$m" || fail "$m differs from the build's"
  done <"$work/members.txt"
  [ -f "$drive_dir/Quil7/Zips/Quil_setup.zip" ] || fail "no Zips\\Quil_setup.zip"
  cmp -s "$drive_dir/Quil7/Zips/Quil_setup.zip" "$archive" || fail "Quil_setup.zip differs from the build's"
  [ -f "$drive_dir/Quil7/Zips/Vizid.zip" ] || fail "no Zips\\Vizid.zip"
  [ -d "$drive_dir/Quil7/Help" ] || fail "no Help folder"
  for f in "$QUIL_SOURCE"/samples/demo/*; do
    got="$(find "$drive_dir/Quil7/Vizid" -maxdepth 1 -iname "$(basename "$f")" -type f | head -n1)"
    cmp -s "$got" "$f" || fail "Vizid\\$(basename "$f") differs from the sample"
  done
  check_link "$start_group/Vizid.lnk" "$Q\\Quil7.exe" "QUIL 7 Drawing" "$Q\\Vizid"
  check_link "$start_group/QUIL 7 Help.lnk" "$Q\\Helprun7.exe" "QUIL 7 Help" "$Q"
  check_link "$HOME/Desktop/QUIL 7 Help.lnk" "$Q\\Helprun7.exe" "QUIL 7 Help" "$Q"
  note "first install complete"

  # Again: a new drawing folder, then the whole install over the first.
  touch "$drive_dir/Quil7/quil7.exe.manifest"
  start_setup
  robot_wait 60 wait-dialog "$caption" >/dev/null || fail "SETUP1 did not come again"
  robot set-text "$caption" 101 "$letter" >/dev/null || fail "drive not typed"
  robot press "$caption" "New Drawing Folder" >/dev/null || fail "New Drawing Folder not pressed"
  robot_wait 60 wait-dialog "Create Drawing Folder" >/dev/null || fail "SETUP3 did not come"
  robot set-text "Create Drawing Folder" 1036 "$letter:\\Mine" >/dev/null || fail "folder not typed"
  robot set-text "Create Drawing Folder" 1037 "My Chip" >/dev/null || fail "title not typed"
  robot press "Create Drawing Folder" "OK" >/dev/null || fail "OK not pressed"
  dialog_gone "Create Drawing Folder" 30 || fail "SETUP3 stayed"
  no_error_box
  [ "$(tr -d '\r' <"$drive_dir/mine/QUIL7.CRF" 2>/dev/null || tr -d '\r' <"$drive_dir/Mine/QUIL7.CRF")" = "0" ] ||
    fail "the new folder has no QUIL7.CRF holding 0: $(ls -R "$drive_dir")"
  check_link "$HOME/Desktop/My Chip.lnk" "$Q\\Quil7.exe" "QUIL 7 Drawing" "$letter:\\Mine"
  robot press "$caption" "Install System" >/dev/null || fail "Install System not pressed the second time"
  wait_control 107 60
  robot press "$caption" "Install Zips" >/dev/null || fail "Install Zips not pressed the second time"
  sleep 2
  wait_control 107 60
  robot press "$caption" "Finish" >/dev/null || fail "Finish not pressed the second time"
  wait_gone "$SETUP_PID" 30 || fail "SETUP.EXE did not end after the second Finish"
  [ ! -e "$drive_dir/Quil7/quil7.exe.manifest" ] || fail "the stale manifest stayed"
  note "second install complete"

  # The installed editor opens in the new drawing folder.
  mine="$(find "$drive_dir" -maxdepth 1 -iname mine -type d)"
  editor="$(find "$drive_dir/Quil7" -maxdepth 1 -iname quil7.exe)"
  (cd "$mine" && exec "$WINE" "$editor" >"$QUIL_E2E_STATE/QUIL7.setup.out" 2>&1 </dev/null) &
  QUIL_PIDS="$QUIL_PIDS $!"
  robot_wait 60 wait-class QUIL7 >/dev/null || fail "the installed editor shows no window"
  ;;
damaged)
  # The archive's first header spoilt inside a copy of the program.
  /usr/bin/python3 - "$QUIL_BIN/SETUP.EXE" "$archive" "$work/SETUP.EXE" <<'PY' || fail "archive not found in SETUP.EXE"
import sys
exe = bytearray(open(sys.argv[1], "rb").read())
head = open(sys.argv[2], "rb").read(64)
at = exe.find(head)
if at < 0:
    sys.exit(1)
exe[at:at + 2] = b"XX"
open(sys.argv[3], "wb").write(exe)
PY
  start_setup "$work/SETUP.EXE"
  install_system
  robot_wait 60 wait-dialog "Error" >/dev/null || fail "no message for the damaged archive"
  robot dialog-text "Error" | grep -q "is not a ZIP file" || fail "the damaged archive is not named"
  robot press "Error" "OK" >/dev/null || fail "the message not answered"
  robot_wait 30 wait-dialog "QUIL Installer" >/dev/null || fail "no fatal message"
  robot dialog-text "QUIL Installer" | grep -q "Fatal error occurred ... Check the cause and run again." ||
    fail "not the fatal message: $(robot dialog-text "QUIL Installer")"
  robot press "QUIL Installer" "OK" >/dev/null || fail "the fatal message not answered"
  wait_gone "$SETUP_PID" 30 || fail "SETUP.EXE did not end after the fatal error"
  [ -z "$(ls -A "$HOME/Desktop")" ] || fail "desktop shortcuts made: $(ls "$HOME/Desktop")"
  [ ! -e "$start_group" ] || fail "start menu items made: $(ls "$start_group")"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
echo "PASS: setup $case_name"
