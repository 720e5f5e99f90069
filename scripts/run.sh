#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tintwell. Arguments go to the program.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target tintwell-cli
if (($# == 0)); then
  set -- show '#336699'
fi
exec "$root/build/bin/tintwell-cli" "$@"
