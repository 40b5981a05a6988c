#!/usr/bin/env bash
# SETUP.EXE under Wine, driven by the robot, installing on a drive of its own
# (a dosdevices link to a test folder) with the prefix's Desktop pointed into
# a test home folder:
#   setup.sh install   Install System, the zips of SETUP2 as they come,
#                      Finish: programs, zips, help and shortcuts
#   setup.sh again     over an earlier install: a new drawing folder through
#                      SETUP3, the whole install again, and the installed
#                      editor started in the new folder
#   setup.sh damaged   the archive resource damaged: the fatal message, no
#                      shortcuts
. "$(dirname "$0")/../harness.sh"

case_name="${1:?install, again or damaged}"
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
# A test stopped by its time limit still gives the prefix its folders back.
trap 'exit 1' TERM INT
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

# One look at the dialogs up: fails at once on a message box of the
# installer or of the walk; 0 when one shows the text $1.
look_for() {
  local said
  said="$(robot dialogs 2>/dev/null)"
  if printf '%s\n' "$said" | grep -qx 'dialog: \(QUIL Installer\|Error\)'; then
    fail "unexpected box: $(printf '%s' "$said" | tr '\n' ' ')"
  fi
  printf '%s\n' "$said" | grep -qF -- "$1"
}

# Waits until a dialog shows the text $1.
wait_text() {
  local start=$SECONDS
  until look_for "$1"; do
    [ $((SECONDS - start)) -ge "$2" ] && fail "no dialog showing \"$1\" after $2 s"
    sleep 0.2
  done
}

# Waits for a file the install makes, watching for message boxes.
wait_made() {
  local start=$SECONDS
  until [ -f "$1" ]; do
    look_for "no such text" || true
    [ $((SECONDS - start)) -ge "$2" ] && fail "$(basename "$1") not made after $2 s: $(ls -R "$drive_dir")"
    sleep 0.2
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
  wait_text "Zip files have been detected" 60
  robot buttons "$caption" >"$work/buttons.txt"
  grep -q "Vizid.zip" "$work/buttons.txt" || fail "Vizid.zip not offered: $(cat "$work/buttons.txt")"
  robot press "$caption" "Install Zips" >/dev/null || fail "Install Zips not pressed"
  # SETUP2 comes back when the zips are in.
  wait_made "$start_group/Vizid.lnk" 60
  wait_text "Zip files have been detected" 60
  robot press "$caption" "Finish" >/dev/null || fail "Finish not pressed"
  wait_gone "$SETUP_PID" 30 || fail "SETUP.EXE did not end after Finish"

  # The programs and fonts byte for byte, the inner zips, the folders (the
  # installed names are tidied: QUIL7.EXE lands as Quil7.exe).
  /usr/bin/python3 - "$archive" "$drive_dir/Quil7" "$QUIL_SOURCE/samples/demo" <<'PY' || fail "install incomplete"
import os, sys, zipfile
archive, quil, demo = sys.argv[1:4]
def files(folder):
    return {n.lower(): os.path.join(folder, n) for n in os.listdir(folder)
            if os.path.isfile(os.path.join(folder, n))}
bad = []
installed = files(quil)
with zipfile.ZipFile(archive) as z:
    for m in z.namelist():
        got = installed.get(m.lower())
        if not got or open(got, "rb").read() != z.read(m):
            bad.append(m)
zips = files(os.path.join(quil, "Zips"))
if open(zips.get("quil_setup.zip", os.devnull), "rb").read() != open(archive, "rb").read():
    bad.append("Zips\\Quil_setup.zip")
if "vizid.zip" not in zips:
    bad.append("Zips\\Vizid.zip")
if not os.path.isdir(os.path.join(quil, "Help")):
    bad.append("Help folder")
drawing = files(os.path.join(quil, "Vizid"))
for n, path in files(demo).items():
    if n not in drawing or open(drawing[n], "rb").read() != open(path, "rb").read():
        bad.append("Vizid\\" + n)
if bad:
    sys.exit("missing or different: " + ", ".join(bad))
PY
  check_link "$start_group/Vizid.lnk" "$Q\\Quil7.exe" "QUIL 7 Drawing" "$Q\\Vizid"
  check_link "$start_group/QUIL 7 Help.lnk" "$Q\\Helprun7.exe" "QUIL 7 Help" "$Q"
  check_link "$HOME/Desktop/QUIL 7 Help.lnk" "$Q\\Helprun7.exe" "QUIL 7 Help" "$Q"
  [ ! -e "$HOME/Desktop/Vizid.lnk" ] || fail "a desktop icon nobody asked for"
  ;;
again)
  # An earlier install's files, an old manifest and an old archive in place.
  mkdir -p "$drive_dir/Quil7/Zips" && unzip -qq "$archive" -d "$drive_dir/Quil7" || fail "no earlier install"
  cp "$archive" "$drive_dir/Quil7/Zips/Quil_setup.zip"
  echo "an older version" >"$drive_dir/Quil7/QUILCKT7.EXE"
  touch "$drive_dir/Quil7/quil7.exe.manifest" "$drive_dir/Quil7/Zips/Setup7.zip"
  start_setup
  robot_wait 60 wait-dialog "$caption" >/dev/null || fail "SETUP1 did not come"
  robot set-text "$caption" 101 "$letter" >/dev/null || fail "drive not typed"
  robot press "$caption" "New Drawing Folder" >/dev/null || fail "New Drawing Folder not pressed"
  robot_wait 60 wait-dialog "Create Drawing Folder" >/dev/null || fail "SETUP3 did not come"
  robot set-text "Create Drawing Folder" 1036 "$letter:\\Mine" >/dev/null || fail "folder not typed"
  robot set-text "Create Drawing Folder" 1037 "My Chip" >/dev/null || fail "title not typed"
  robot press "Create Drawing Folder" "OK" >/dev/null || fail "OK not pressed"
  dialog_gone "Create Drawing Folder" 30 || fail "SETUP3 stayed"
  look_for "no such text" || true
  [ "$(tr -d '\r' <"$drive_dir/mine/QUIL7.CRF" 2>/dev/null || tr -d '\r' <"$drive_dir/Mine/QUIL7.CRF")" = "0" ] ||
    fail "the new folder has no QUIL7.CRF holding 0: $(ls -R "$drive_dir")"
  check_link "$HOME/Desktop/My Chip.lnk" "$Q\\Quil7.exe" "QUIL 7 Drawing" "$letter:\\Mine"
  robot press "$caption" "Install System" >/dev/null || fail "Install System not pressed"
  wait_text "Zip files have been detected" 60
  # The drawing zip's desktop-icon box (the first box without a text).
  robot click "$caption" "" >/dev/null || fail "the icon box not clicked"
  robot press "$caption" "Install Zips" >/dev/null || fail "Install Zips not pressed"
  wait_made "$start_group/Vizid.lnk" 60
  wait_text "Zip files have been detected" 60
  robot press "$caption" "Finish" >/dev/null || fail "Finish not pressed"
  wait_gone "$SETUP_PID" 30 || fail "SETUP.EXE did not end after Finish"
  [ ! -e "$drive_dir/Quil7/quil7.exe.manifest" ] || fail "the stale manifest stayed"
  [ ! -e "$drive_dir/Quil7/Zips/Setup7.zip" ] || fail "the old Setup7.zip stayed"
  [ "$(find "$drive_dir/Quil7" -maxdepth 1 -iname quilckt7.exe | wc -l)" = 1 ] &&
    cmp -s "$(find "$drive_dir/Quil7" -maxdepth 1 -iname quilckt7.exe)" "$QUIL_BIN/QUILCKT7.EXE" ||
    fail "the older program was not replaced"
  check_link "$HOME/Desktop/Vizid.lnk" "$Q\\Quil7.exe" "QUIL 7 Drawing" "$Q\\Vizid"

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
