#!/usr/bin/env bash
# Start-up of tintwell against a bare Qt 6 window in the same run, runs alternated, on Xvfb:
# the wall time from the process's start to its window mapped, the resident memory one second
# later, and any Mesa driver or LLVM library mapped. Once in English, once in German (a catalogue
# opened). On a private session bus, as on a desktop (without one, Qt spends time trying to start
# one for each program). Goals: at most 1.25 times the bare window's time, at most 40 MiB, no Mesa driver or LLVM.
#   bench/run_startup.sh [RUNS]   (default 20)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build
runs=${1:-20}
"$root/scripts/deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target tintwell bare_window bare_label_window bench_startup catalogues >/dev/null
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
status=0
for lang in C.UTF-8 de_DE.UTF-8; do
  echo "== LANG=$lang, $runs runs each"
  summary=$(XDG_CONFIG_HOME=$config XDG_RUNTIME_DIR=$config LANG=$lang QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" \
    dbus-run-session -- "$build/bin/bench_startup" "$runs" "$build/bin/tintwell" "$build/bin/bare_window" "$build/bin/bare_label_window" | grep '^summary')
  read -r _ _ ms mib libraries < <(grep '/tintwell ' <<<"$summary")
  read -r _ _ bare_ms bare_mib _ < <(grep '/bare_window ' <<<"$summary")
  read -r _ _ label_ms _ _ < <(grep '/bare_label_window ' <<<"$summary")
  /usr/bin/python3 - "$ms" "$mib" "$libraries" "$bare_ms" "$bare_mib" "$label_ms" <<'PY' || status=1
import sys
ms, mib, libraries, bare_ms, bare_mib, label_ms = float(sys.argv[1]), float(sys.argv[2]), sys.argv[3], float(sys.argv[4]), float(sys.argv[5]), float(sys.argv[6])
ratio = ms / bare_ms
ok = ratio <= 1.25 and mib <= 40 and libraries == "none"
print(f"tintwell {ms:.1f} ms, bare window {bare_ms:.1f} ms: ratio {ratio:.2f} (goal 1.25: {'met' if ratio <= 1.25 else 'MISSED'})")
print(f"(the bare window with one label: {label_ms:.1f} ms; tintwell against it {ms / label_ms:.2f})")
print(f"resident after 1 s: tintwell {mib:.1f} MiB, bare window {bare_mib:.1f} MiB (goal 40: {'met' if mib <= 40 else 'MISSED'})")
print(f"Mesa or LLVM libraries mapped: {libraries}")
sys.exit(0 if ok else 1)
PY
done
exit $status
