#!/usr/bin/env bash
# Fails when a C++ file of the project differs from what clang-format makes of it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
mapfile -t files < <(git ls-files -- '*.cpp' '*.h' '*.hpp' '*.cc' 2>/dev/null || true)
((${#files[@]})) || exit 0
bad=()
for f in "${files[@]}"; do
  [ -f "$f" ] || continue
  if ! clang-format --style=file "$f" | cmp -s - "$f"; then bad+=("$f"); fi
done
if ((${#bad[@]})); then
  echo "These files are not formatted (run: clang-format -i FILE):"
  printf '  %s\n' "${bad[@]}"
  exit 1
fi
echo "Format check: ${#files[@]} files formatted."
