#!/usr/bin/env bash
# Installs what is missing, checks that the C++ files follow .clang-format, builds Tintwell twice
# (optimised, and with AddressSanitizer and UndefinedBehaviorSanitizer), runs every test of both
# builds through CTest, and gives each image loader a short fuzzing run in between.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)
"$root/scripts/deps.sh"

echo "== layout (.clang-format)"
"$root/scripts/check-format.sh"

echo "== optimised build"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DTINTWELL_WERROR=ON >/dev/null
cmake --build "$root/build" -j"$jobs"
(cd "$root/build" && ctest --output-on-failure -j"$jobs")

echo "== fuzzing smoke (each loader, a few seconds)"
"$root/scripts/fuzz.sh" 10

echo "== sanitizer build (address, undefined)"
cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTINTWELL_SANITIZE=ON \
  -DTINTWELL_WERROR=ON >/dev/null
cmake --build "$root/build-asan" -j"$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd "$root/build-asan" && ctest --output-on-failure -j"$jobs")
