#!/bin/sh
# Runs a test program on a private X server with a window manager, so that focus
# and activation behave as on a desktop (the offscreen platform activates every
# window it shows). Exit 77 (skipped) when a tool is missing.
for tool in xvfb-run openbox xdotool; do
  command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
done
# In a sanitizer build: libxkbcommon-x11, which Qt's X11 platform loads, reads
# strings past their end by strndup's length, and the session bus connection
# lives until exit; neither is ours, so neither stops the test.
if [ -n "${ASAN_OPTIONS:-}" ]; then
  export ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0"
  export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(dirname "$0")/x11-leaks.supp"
fi
exec xvfb-run -a -s "-screen 0 1280x800x24" sh -c '
  openbox --sm-disable >/dev/null 2>&1 &
  wm=$!
  sleep 1
  QT_QPA_PLATFORM=xcb "$@"
  rc=$?
  kill $wm
  exit $rc' sh "$@"
