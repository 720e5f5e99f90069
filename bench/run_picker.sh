#!/usr/bin/env bash
# One tick of the capture frame on Xvfb (1920 x 1080) at N = 21, 201, 1080 and 1920 against a bare
# shared-memory read of the same square, in the same run (medians of three repetitions).
# Goals: a tick at most 5 ms at N = 201 and 30 ms at N = 1920; the capture's memory at most
# 2 x N x N x 4 bytes + 1 MiB (memory_over_goal at most 1).
#   bench/run_picker.sh
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build
"$root/scripts/deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target bench_picker >/dev/null
xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" "$build/bin/bench_picker" --benchmark_repetitions=3 \
  --benchmark_report_aggregates_only=true --benchmark_format=json >"$build/bench_picker.json" 2>/dev/null
/usr/bin/python3 - "$build/bench_picker.json" <<'PY'
import json, sys
runs = {b["run_name"]: b for b in json.load(open(sys.argv[1]))["benchmarks"] if b.get("aggregate_name") == "median"}
status = 0
for n in (21, 201, 1080, 1920):
    bare = runs[f"BM_BareSharedMemoryRead/{n}"]["real_time"]
    tick = runs[f"BM_Tick/{n}"]
    goal = {201: 5.0, 1920: 30.0}.get(n)
    verdict = "" if goal is None else (" (goal %.0f ms: %s)" % (goal, "met" if tick["real_time"] <= goal else "MISSED"))
    if goal is not None and tick["real_time"] > goal or tick["memory_over_goal"] > 1:
        status = 1
    print(f"N = {n:4}: tick {tick['real_time']:.2f} ms, bare read {bare:.2f} ms, ratio {tick['real_time'] / bare:.2f}{verdict}; "
          f"memory {tick['memory_over_goal']:.2f} of the goal")
sys.exit(status)
PY
