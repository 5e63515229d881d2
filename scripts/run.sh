#!/usr/bin/env bash
# Installs what is missing, builds the Release tree and starts Lockmere on its
# embedded defaults.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build" -DCMAKE_BUILD_TYPE=Release
cd "$root/build"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting Lockmere in a virtual X server (xvfb-run)."
  exec xvfb-run -a "$root/build/bin/lockmere" "$@"
fi
exec "$root/build/bin/lockmere" "$@"
