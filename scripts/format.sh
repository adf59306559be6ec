#!/usr/bin/env bash
# format.sh [--check]: applies the repository's .clang-format to every C++ file git tracks, or with
# --check lists the files that differ from it and fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
if [ "${1:-}" = --check ]; then
  if ! report=$(clang-format --dry-run -Werror "${files[@]}" 2>&1); then
    off=$(grep -oE '^[^:]+\.(cpp|h):[0-9]+:[0-9]+: error' <<<"$report" | cut -d: -f1 | sort -u)
    echo "format: $(wc -l <<<"$off") files differ from .clang-format (make format applies it):"
    sed 's/^/  /' <<<"$off"
    exit 1
  fi
  echo "format: ${#files[@]} files as .clang-format has them"
else
  clang-format -i "${files[@]}"
fi
