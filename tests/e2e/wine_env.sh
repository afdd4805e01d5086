# Sourceable setup of a headless Wine for the end-to-end tests.
#
#   . tests/e2e/wine_env.sh && wine_env_start   # exports DISPLAY, WINEPREFIX, WINEDEBUG
#   ... run wine programs ...
#   wine_env_stop                                # ends the wineserver and our Xvfb
#
# Inputs (all optional):
#   WINE_DISPLAY  display number to use, e.g. ":55" or "55"; otherwise the first free one from :90
#   WINEPREFIX    prefix to create or reuse; default /tmp/winhelper-wine-<uid>
#
# A prefix is initialised once (wineboot, about 10-15 s) and marked ready; later runs reuse it.
# Nothing here prompts: the mono and gecko installers are suppressed during wineboot and the
# crash dialog is switched off, so a crashing program ends instead of waiting for a click.
# Sourcing only defines functions; wine_env_start does the work and returns non-zero on failure
# without exiting the caller's shell. Safe under `set -euo pipefail`.

wine_env__log() { echo "wine_env: $*" >&2; }

# True when an X server answers on display $1 (":N").
wine_env__display_alive() {
  DISPLAY="$1" xdpyinfo >/dev/null 2>&1
}

wine_env__free_display() {
  local n
  for n in $(seq 90 189); do
    if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then
      echo ":${n}"
      return 0
    fi
  done
  return 1
}

wine_env__start_xvfb() {
  local display="$1" i
  Xvfb "$display" -screen 0 2880x1800x24 -nolisten tcp >/dev/null 2>&1 &
  WINE_ENV_XVFB_PID=$!
  for i in $(seq 1 100); do
    if wine_env__display_alive "$display"; then
      return 0
    fi
    if ! kill -0 "$WINE_ENV_XVFB_PID" 2>/dev/null; then
      wine_env__log "Xvfb on $display exited at start"
      WINE_ENV_XVFB_PID=
      return 1
    fi
    sleep 0.1
  done
  wine_env__log "Xvfb on $display did not answer within 10 s"
  kill "$WINE_ENV_XVFB_PID" 2>/dev/null || true
  WINE_ENV_XVFB_PID=
  return 1
}

wine_env__init_prefix() {
  local ready="$WINEPREFIX/.winhelper-ready"
  [ -f "$ready" ] && return 0
  wine_env__log "initialising Wine prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX" || return 1
  WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1 || {
    wine_env__log "wineboot -i failed"
    return 1
  }
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    >/dev/null 2>&1 || {
    wine_env__log "could not switch off the crash dialog"
    return 1
  }
  # Registry writes reach the prefix files only when the server saves them.
  wineserver -w
  touch "$ready"
}

wine_env_start() {
  WINE_ENV_XVFB_PID=
  local display="${WINE_DISPLAY:-}"
  if [ -n "$display" ]; then
    case "$display" in :*) ;; *) display=":$display" ;; esac
  else
    display=$(wine_env__free_display) || {
      wine_env__log "no free X display between :90 and :189"
      return 1
    }
  fi
  if wine_env__display_alive "$display"; then
    wine_env__log "reusing the X server on $display"
  else
    wine_env__start_xvfb "$display" || return 1
  fi
  export DISPLAY="$display"
  export WINEPREFIX="${WINEPREFIX:-/tmp/winhelper-wine-$(id -u)}"
  export WINEDEBUG=-all
  wine_env__init_prefix || { wine_env_stop; return 1; }
  # A persistent server keeps each later `wine` start from paying the server start-up. It
  # refuses to start when a server already runs for this prefix, which serves just as well.
  wineserver -p 2>/dev/null || wine_env__log "a wineserver already runs for $WINEPREFIX"
  export WINE_ENV_XVFB_PID
}

# Ends the wineserver of $WINEPREFIX (and every Wine process in it) and the Xvfb that
# wine_env_start started; an X server that was already running is left alone.
wine_env_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  if [ -n "${WINE_ENV_XVFB_PID:-}" ]; then
    kill "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    wait "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    WINE_ENV_XVFB_PID=
  fi
  return 0
}
