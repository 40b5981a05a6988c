# Sourced by every end-to-end test: one private Wine prefix and one Xvfb
# server per run, programs started in drawing folders and always ended by
# their process ids, every wait bounded.
#
# Environment from ctest: QUIL_BIN (win64 programs), QUIL_SOURCE, QUIL_E2E_STATE
# (this run's state: display, logs, work folders), QUIL_PREFIX (Wine prefix).

set -u

: "${QUIL_SOURCE:?}" "${QUIL_BIN:?}" "${QUIL_E2E_STATE:?}" "${QUIL_PREFIX:?}"

export WINEPREFIX="$QUIL_PREFIX"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
# The 64-bit loader, never the plain wine command: that would pick the
# 32-bit loader, which this machine cannot execute.
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
export WINESERVER

mkdir -p "$QUIL_E2E_STATE"
if [ -z "${DISPLAY:-}" ] && [ -s "$QUIL_E2E_STATE/display" ]; then
  export DISPLAY=":$(head -n1 "$QUIL_E2E_STATE/display")"
fi

QUIL_PIDS=""

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

note() { echo "-- $*"; }

# Ends every program this test started, by process id.
quil_end_all() {
  local pid
  # Tolerant of programs already gone: a caller running under set -e (the
  # main job) must not turn a good run into a failure here.
  for pid in $QUIL_PIDS; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in $QUIL_PIDS; do
    local n=0
    while kill -0 "$pid" 2>/dev/null && [ $n -lt 50 ]; do sleep 0.1; n=$((n + 1)); done
    kill -9 "$pid" 2>/dev/null || true
  done
  QUIL_PIDS=""
}
trap quil_end_all EXIT

# A fresh work folder for this test: $1 names it; prints its path.
work_folder() {
  local dir="$QUIL_E2E_STATE/work/$1"
  rm -rf "$dir"
  mkdir -p "$dir"
  echo "$dir"
}

# A copy of the bundled sample drawing in a fresh work folder; prints its path.
sample_drawing() {
  local dir
  dir=$(work_folder "$1")
  cp -r "$QUIL_SOURCE/samples/demo/." "$dir/"
  echo "$dir"
}

# Starts a program in the current folder: quil_start PROGRAM.EXE [args...].
# Sets QUIL_LAST_PID; its output goes to <state>/<PROGRAM>.<pid>.out.
quil_start() {
  local exe="$1"
  shift
  "$WINE" "$QUIL_BIN/$exe" "$@" >"$QUIL_E2E_STATE/$exe.out" 2>&1 </dev/null &
  QUIL_LAST_PID=$!
  QUIL_PIDS="$QUIL_PIDS $QUIL_LAST_PID"
}

# Runs the test robot; its output (carriage returns removed) on stdout.
robot() {
  timeout 60 "$WINE" "$QUIL_BIN/ROBOT.EXE" "$@" </dev/null 2>/dev/null | tr -d '\r'
  return "${PIPESTATUS[0]}"
}

# robot_wait SECONDS ACTION ARGS...: a robot action that waits for a window
# (wait-class, wait-dialog, press, click; no wait of its own given), tried
# again in slices of 20 s until it succeeds or SECONDS have passed: on a
# loaded machine a window can take minutes to come.
robot_wait() {
  local limit="$1" start=$SECONDS said
  shift
  while :; do
    if said=$(robot "$@" 20000); then
      printf '%s\n' "$said"
      return 0
    fi
    if [ $((SECONDS - start)) -ge "$limit" ]; then
      printf '%s\n' "$said"
      return 1
    fi
  done
}

# dialog_gone CAPTION SECONDS: waits until no dialog box of that caption is
# left (a pressed box can take a while to close); 1 when one stays.
dialog_gone() {
  local start=$SECONDS
  while robot dialog-text "$1" >/dev/null 2>&1; do
    [ $((SECONDS - start)) -ge "$2" ] && return 1
    sleep 0.2
  done
  return 0
}

# wait_gone PID SECONDS: waits for a process to end; 1 when it did not.
wait_gone() {
  local pid="$1" limit=$(($2 * 10)) n=0
  while kill -0 "$pid" 2>/dev/null; do
    [ $n -ge "$limit" ] && return 1
    sleep 0.1
    n=$((n + 1))
  done
  return 0
}

# wait_file PATH SECONDS [PATTERN]: waits for a file (holding a line that
# matches PATTERN, when given).
wait_file() {
  local path="$1" limit=$(($2 * 10)) pat="${3:-}" n=0
  while :; do
    if [ -f "$path" ]; then
      if [ -z "$pat" ] || grep -q -- "$pat" "$path"; then return 0; fi
    fi
    [ $n -ge "$limit" ] && return 1
    sleep 0.1
    n=$((n + 1))
  done
}

# Screenshot of the whole (virtual) screen.
screenshot() {
  import -window root "$1"
}
