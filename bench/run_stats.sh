#!/usr/bin/env bash
# Runs bench_stats (build it in Release first) and sets each GetHistogram plane against the bare
# one-byte count. Exits 1 when red, green or blue takes more than 1.5 times the bare count.
#
#   bench/run_stats.sh [build-dir]        default: build
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
bin=$build/bin/bench_stats
out=$build/bench_stats.json

if [[ ! -x $bin ]]; then
    echo "run_stats.sh: $bin not found; configure with -DCMAKE_BUILD_TYPE=Release and build bench_stats" >&2
    exit 2
fi

"$bin" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_out="$out" --benchmark_out_format=json

/usr/bin/python3 - "$out" <<'PY'
import json
import sys

LIMIT = 1.5
CHANNELS = {"red", "green", "blue"}
SCALE_TO_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}

with open(sys.argv[1]) as f:
    report = json.load(f)

medians = {}
for b in report["benchmarks"]:
    if b.get("aggregate_name") == "median":
        medians[b["run_name"]] = b["real_time"] * SCALE_TO_MS[b["time_unit"]]

bare = medians["BM_BareCount"]
print()
print(f"{'benchmark':<28}{'median ms':>12}{'x bare':>9}")
print(f"{'BM_BareCount':<28}{bare:>12.3f}{1.0:>9.2f}")
failed = False
for name, ms in medians.items():
    if not name.startswith("BM_GetHistogram/"):
        continue
    ratio = ms / bare
    plane = name.split("/", 1)[1]
    note = ""
    if plane in CHANNELS:
        over = ratio > LIMIT
        failed |= over
        note = f"  {'OVER' if over else 'ok'} (limit {LIMIT})"
    print(f"{name:<28}{ms:>12.3f}{ratio:>9.2f}{note}")
if "BM_GetStatistics" in medians:
    print(f"{'BM_GetStatistics':<28}{medians['BM_GetStatistics'] * 1e6:>12.1f} ns")
if "BM_BitmapAverageColor" in medians:
    print(f"{'BM_BitmapAverageColor':<28}{medians['BM_BitmapAverageColor']:>12.3f}")
sys.exit(1 if failed else 0)
PY
