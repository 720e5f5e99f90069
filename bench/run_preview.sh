#!/usr/bin/env bash
# The main window's preview on the 24 MP and 100 MP benchmark JPEGs: Open Image's whole road
# (load, preview copy and its one scaled picture, 24-bit bitmap, average) over the bare decode in
# the same run (medians of three repetitions), and one repaint against the scaling it no longer repeats.
# Goals: road at most 1.5 x decode (the preview area-averages the whole picture once); a repaint
# under 1 ms (the scaled copy is reused).
#   bench/run_preview.sh
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build
"$root/scripts/deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target bench_preview make_bench_images >/dev/null
images=$build/bench-images
if [[ ! -f $images/photo100.jpg ]]; then
  mkdir -p "$images"
  "$build/bin/make_bench_images" "$images"
fi
status=0
for image in photo24.jpg photo100.jpg; do
  QT_QPA_PLATFORM=offscreen "$build/bin/bench_preview" "$images/$image" --benchmark_format=json \
    --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    >"$build/bench_preview_${image%.jpg}.json" 2>/dev/null
  /usr/bin/python3 - "$build/bench_preview_${image%.jpg}.json" "$image" <<'PY' || status=1
import json, sys
runs = {b["run_name"].split("/")[0]: b for b in json.load(open(sys.argv[1]))["benchmarks"]
        if b.get("aggregate_name") == "median"}
ms = lambda name: runs[name]["real_time"] * {"ms": 1, "us": 1e-3, "ns": 1e-6}[runs[name]["time_unit"]]
road = ms("BM_OpenImageRoad") / ms("BM_Decode")
print(f"{sys.argv[2]}: decode {ms('BM_Decode'):.1f} ms, Open Image road {ms('BM_OpenImageRoad'):.1f} ms "
      f"= {road:.2f} x decode (goal 1.5); scaling once {ms('BM_PreviewScale'):.2f} ms, "
      f"repaint {ms('BM_PreviewPaint') * 1000:.1f} us (goal < 1000)")
sys.exit(0 if road <= 1.5 and ms("BM_PreviewPaint") < 1 else 1)
PY
done
exit $status
