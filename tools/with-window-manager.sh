#!/usr/bin/env bash
# Runs a command on the current X display (DISPLAY, e.g. under xvfb-run) with openbox managing its
# windows: starts openbox, waits until it has taken the screen, runs the command, stops openbox and
# ends with the command's status.
set -euo pipefail
: "${DISPLAY:?no X display}"
# Its own configuration folder: the system's defaults, never the user's settings.
config=$(mktemp -d)
XDG_CONFIG_HOME="$config" openbox --sm-disable >"$config/openbox.log" 2>&1 &
wm=$!
stop() {
  kill "$wm" 2>/dev/null || true
  wait "$wm" 2>/dev/null || true
  rm -rf "$config"
}
trap stop EXIT
# A window manager names itself in a window that the root's _NET_SUPPORTING_WM_CHECK points to.
for _ in $(seq 100); do
  if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; then
    break
  fi
  kill -0 "$wm" 2>/dev/null || { cat "$config/openbox.log" >&2; exit 1; }
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id" || { echo "openbox did not start" >&2; exit 1; }
status=0
"$@" || status=$?
exit "$status"
