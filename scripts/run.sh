#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tintwell's window.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target tintwell tintwell-cli
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
  echo "Tintwell needs a graphical session (DISPLAY is not set)." >&2
  echo "Without one, run it on a virtual screen: xvfb-run -a $root/build/bin/tintwell" >&2
  exit 1
fi
exec "$root/build/bin/tintwell"
