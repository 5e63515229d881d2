#!/bin/sh
# Runs a test program on a private X server with a window manager, so that focus
# and activation behave as on a desktop (the offscreen platform activates every
# window it shows). Exit 77 (skipped) when a tool is missing.
for tool in xvfb-run openbox xdotool; do
  command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
done
exec xvfb-run -a -s "-screen 0 1280x800x24" sh -c '
  openbox --sm-disable >/dev/null 2>&1 &
  wm=$!
  sleep 1
  QT_QPA_PLATFORM=xcb "$@"
  rc=$?
  kill $wm
  exit $rc' sh "$@"
