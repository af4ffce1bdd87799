#!/usr/bin/env bash
# Runs a command on the current X display as on a desktop: with a window manager
# (openbox, four workspaces), so that window tests see workspaces, stacking and
# EWMH state handled as a user would. Made for use under Xvfb:
#   xvfb-run -a tests/e2e/with-desktop.sh COMMAND [ARGUMENT]...
# Exits with the command's status.
set -euo pipefail

: "${DISPLAY:?with-desktop.sh needs an X display; run it under xvfb-run -a}"
here="$(cd "$(dirname "$0")" && pwd)"

wm=
stop_wm() {
  if [ -n "$wm" ]; then
    kill "$wm" 2>/dev/null || true
    wait "$wm" 2>/dev/null || true
  fi
  wm=
}
trap stop_wm EXIT

# Polls a command every 50 ms until it succeeds; fails after 60 s.
poll() {
  local deadline=$((SECONDS + 60))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

# A window manager announces itself on the root window once it manages the screen;
# windows shown before then would never be managed. On a loaded machine openbox has
# been seen to fail to open a display that answers xprop: one that ended is started
# again.
wm_ready() {
  if [ -z "$wm" ] || ! kill -0 "$wm" 2>/dev/null; then
    stop_wm
    openbox --sm-disable --config-file "$here/openbox-rc.xml" &
    wm=$!
  fi
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' &&
    xprop -root _NET_NUMBER_OF_DESKTOPS 2>/dev/null | grep -q '= '
}

# A freshly started X server can refuse its first clients for a moment.
if ! poll xprop -root >/dev/null 2>&1 || ! poll wm_ready; then
  echo "with-desktop.sh: openbox did not come up on $DISPLAY" >&2
  exit 1
fi

"$@" # under set -e, its failure is the script's status, the trap run first
