#!/usr/bin/env bash
# Fails, listing them, when C++ files of the repository do not follow .clang-format.
#   scripts/check-format.sh          check every tracked .cpp and .h file
#   scripts/check-format.sh --fix    rewrite them in place instead
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files '*.cpp' '*.h')
else
  mapfile -t files < <(find . -path ./build -prune -o -path './build-*' -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | sort)
fi
if [[ ${1:-} == --fix ]]; then
  clang-format -i "${files[@]}"
  exit 0
fi
unformatted=()
for file in "${files[@]}"; do
  if ! clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then
    unformatted+=("$file")
  fi
done
if ((${#unformatted[@]} > 0)); then
  echo "These files do not follow .clang-format (scripts/check-format.sh --fix rewrites them):" >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  exit 1
fi
echo "All ${#files[@]} C++ files follow .clang-format."
