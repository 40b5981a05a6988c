#!/usr/bin/env bash
# The run-wide set-up and clean-up of the end-to-end tests:
#   session.sh start   Xvfb (when there is no DISPLAY) and the Wine prefix
#   session.sh stop    wineserver and Xvfb ended
set -u
: "${QUIL_E2E_STATE:?}" "${QUIL_PREFIX:?}"
mkdir -p "$QUIL_E2E_STATE"
export WINEPREFIX="$QUIL_PREFIX" WINEDEBUG=-all WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINESERVER=/usr/lib/wine/wineserver64

case "${1:-}" in
start)
  if [ -z "${DISPLAY:-}" ]; then
    rm -f "$QUIL_E2E_STATE/display"
    # -displayfd picks a free display and tells its number.
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
      3>"$QUIL_E2E_STATE/display" >"$QUIL_E2E_STATE/xvfb.log" 2>&1 </dev/null &
    echo $! >"$QUIL_E2E_STATE/xvfb.pid"
    n=0
    until [ -s "$QUIL_E2E_STATE/display" ]; do
      [ $n -ge 100 ] && { echo "Xvfb did not start" >&2; cat "$QUIL_E2E_STATE/xvfb.log" >&2; exit 1; }
      sleep 0.1; n=$((n + 1))
    done
    export DISPLAY=":$(head -n1 "$QUIL_E2E_STATE/display")"
    echo "Xvfb on $DISPLAY"
  fi
  # The prefix is made once and reused by later runs.
  if [ ! -f "$QUIL_PREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$QUIL_PREFIX")"
    echo "making Wine prefix $QUIL_PREFIX"
    timeout 300 /usr/lib/wine/wine64 wineboot -i >"$QUIL_E2E_STATE/wineboot.log" 2>&1 </dev/null
    timeout 120 "$WINESERVER" -w
    # No window manager runs under Xvfb: Wine then draws captions and frames
    # itself, so screenshots show the windows as a user sees them.
    timeout 60 /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
    timeout 60 /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    timeout 120 "$WINESERVER" -w
  fi
  [ -f "$QUIL_PREFIX/system.reg" ] || { echo "Wine prefix not made" >&2; cat "$QUIL_E2E_STATE/wineboot.log" >&2; exit 1; }
  ;;
stop)
  timeout 30 "$WINESERVER" -k 2>/dev/null
  if [ -s "$QUIL_E2E_STATE/xvfb.pid" ]; then
    kill "$(cat "$QUIL_E2E_STATE/xvfb.pid")" 2>/dev/null
    rm -f "$QUIL_E2E_STATE/xvfb.pid" "$QUIL_E2E_STATE/display"
  fi
  ;;
*)
  echo "usage: session.sh start|stop" >&2
  exit 2
  ;;
esac
exit 0
