#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds with AddressSanitizer
# and UndefinedBehaviorSanitizer and runs every test. Ends with ctest's summary.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/check-format.sh"
build="$root/build-asan"
"$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=Debug -DLOCKMERE_SANITIZE=ON -DLOCKMERE_WERROR=ON
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 600
