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

# The fuzz targets of the store's readers: a clang build of just those targets,
# each run for a bounded time over its seed corpus (LOCKMERE_FUZZ_SECONDS, 20
# by default; 0 skips). New inputs go to a scratch folder, never into the corpus.
fuzzSeconds="${LOCKMERE_FUZZ_SECONDS:-20}"
if [ "$fuzzSeconds" -gt 0 ]; then
  fuzz="$root/build-fuzz"
  CC=clang CXX=clang++ cmake -S "$root" -B "$fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLOCKMERE_FUZZ=ON -DLOCKMERE_SANITIZE=ON -DLOCKMERE_WERROR=ON >/dev/null
  cmake --build "$fuzz" -j"$(nproc)" --target fuzz_store_stream fuzz_data_file
  for pair in store_stream:stream data_file:datafile; do
    target="fuzz_${pair%%:*}"
    scratch="$fuzz/fuzz-work/${pair##*:}"
    rm -rf "$scratch" && mkdir -p "$scratch"
    if ! "$fuzz/bin/$target" -max_total_time="$fuzzSeconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$fuzz/fuzz-work/" "$scratch" "$root/tests/fuzz/corpus/${pair##*:}" \
      >"$fuzz/fuzz-work/$target.log" 2>&1; then
      tail -40 "$fuzz/fuzz-work/$target.log"
      echo "$target found a failure; the input is in $fuzz/fuzz-work/"
      exit 1
    fi
    echo "$target: $(grep -Eo 'Done [0-9]+ runs' "$fuzz/fuzz-work/$target.log" || echo 'ran') in ${fuzzSeconds} s, no failure"
  done
fi

cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 600
