#!/usr/bin/env bash
# Installs what is missing, builds the Release tree, starts the simulated
# fingerprint sensor in the background and then Lockmere on its embedded
# defaults. The simulated sensor stops when Lockmere ends.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build" -DCMAKE_BUILD_TYPE=Release
bin="$root/build/bin"
sim="$bin/ridgeport-sim"
fingers="$(cd "$root/.." && pwd)/shared/data/fingerprints"

# The simulated sensor registers its driver in the machine store, as the
# driver's installer would. Without the rights for the system's folder (not
# root), this run keeps its machine store in the build folder instead, for the
# simulator and Lockmere alike.
if [ -z "${LOCKMERE_MACHINE_DIR:-}" ] && [ -z "${LOCKMERE_HOME:-}" ]; then
  machine=/var/lib/veradynics
  if [ -d "$machine" ]; then writable="$machine"; else writable="$(dirname "$machine")"; fi
  if ! [ -w "$writable" ]; then
    export LOCKMERE_MACHINE_DIR="$root/build/machine"
    echo "No write access to $machine: the machine store of this run is $LOCKMERE_MACHINE_DIR."
  fi
fi

# One sensor (identity A) that takes prints with dark ridges, as in the sample
# sets, and turns them into its own polarity. A sensor someone already runs is
# used as it is.
sim_pid=""
stop_sensor() {
  [ -n "$sim_pid" ] || return 0
  "$sim" stop >/dev/null 2>&1 || kill "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
}
if "$sim" status >/dev/null 2>&1; then
  echo "Using the simulated sensor that is already running."
else
  "$sim" serve --device 0,invert=1 &
  sim_pid=$!
  trap stop_sensor EXIT
  for _ in $(seq 100); do
    "$sim" status >/dev/null 2>&1 && break
    kill -0 "$sim_pid" 2>/dev/null || { echo "The simulated sensor did not start." >&2; exit 1; }
    sleep 0.1
  done
fi
cat <<HINT
Simulated sensor: no finger on it yet. From another terminal:
  $sim finger $fingers/fvc2000_db1_b/101_1.pgm --for 3   (lay a finger for 3 s)
  $sim finger $fingers/fvc2000_db1_b/101_2.pgm           (lay one and leave it)
  $sim lift                                                (take it away)
  (docs/ridgeport.md lists every command)
HINT

cd "$root/build"
launch=("$bin/lockmere")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting Lockmere in a virtual X server (xvfb-run)."
  launch=(xvfb-run -a "$bin/lockmere")
fi
# Lockmere runs as a child that this script waits for, so that Ctrl-C or a
# SIGTERM to the script ends Lockmere and the simulated sensor together.
"${launch[@]}" "$@" &
app_pid=$!
trap 'kill "$app_pid" 2>/dev/null || true' INT TERM
rc=0
wait "$app_pid" || rc=$?
# wait returns early when a signal arrived; let Lockmere finish its shutdown.
if kill -0 "$app_pid" 2>/dev/null; then wait "$app_pid" || true; fi
exit "$rc"
