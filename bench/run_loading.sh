#!/usr/bin/env bash
# Times `tintwell-cli average` against the bare decoders in one hyperfine run, on images made
# afresh by make_bench_images (a 24 MP and a 100 MP photo-like JPEG at quality 90, the 24 MP image
# as an LZW TIFF with predictor 2 and as a 24-bit BMP), then measures peak memory.
# Goals (medians of the same run): JPEG 24 and 100 MP at most 2.2 x djpeg; LZW TIFF at most
# 1.5 x `tiffinfo -D`; BMP at most 1.45 x djpeg of its JPEG twin; 100 MP over 24 MP at most 4.6;
# peak memory at most one 24-bit bitmap + the file + 32 MiB. Exits 1 when a goal is missed.
#   bench/run_loading.sh [RUNS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=${1:-5}
build=$root/build
"$root/scripts/deps.sh" hyperfine libjpeg-turbo-progs libtiff-tools time
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target tintwell-cli make_bench_images >/dev/null
images=$build/bench-images
if [[ ! -f $images/photo24.bmp ]]; then
  mkdir -p "$images"
  echo "making the benchmark images in $images"
  "$build/bin/make_bench_images" "$images"
fi
cli=$build/bin/tintwell-cli
cd "$images"
hyperfine --warmup 1 --runs "$runs" --export-json "$build/bench_loading.json" \
  -n djpeg24 'djpeg -outfile /dev/null photo24.jpg' \
  -n cli24 "$cli average photo24.jpg" \
  -n djpeg100 'djpeg -outfile /dev/null photo100.jpg' \
  -n cli100 "$cli average photo100.jpg" \
  -n tiffinfo 'tiffinfo -D photo24.tif' \
  -n clitif "$cli average photo24.tif" \
  -n clibmp "$cli average photo24.bmp"

rss() { /usr/bin/time -f %M "$cli" average "$1" 2>&1 >/dev/null | tail -n 1; }
/usr/bin/python3 - "$build/bench_loading.json" "$(rss photo24.jpg)" "$(rss photo100.jpg)" "$(rss photo24.tif)" \
  "$(rss photo24.bmp)" "$(stat -c %s photo24.jpg photo100.jpg photo24.tif photo24.bmp | paste -sd,)" <<'PY'
import json, sys
runs = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
median = {name: r["median"] for name, r in runs.items()}
rss_kb = dict(zip(["jpg24", "jpg100", "tif24", "bmp24"], map(int, sys.argv[2:6])))
sizes = dict(zip(["jpg24", "jpg100", "tif24", "bmp24"], map(int, sys.argv[6].split(","))))
pixels = {"jpg24": 6000 * 4000, "jpg100": 12250 * 8163, "tif24": 6000 * 4000, "bmp24": 6000 * 4000}
checks = [
    ("JPEG 24 MP / djpeg", median["cli24"] / median["djpeg24"], 2.2),
    ("JPEG 100 MP / djpeg", median["cli100"] / median["djpeg100"], 2.2),
    ("LZW TIFF / tiffinfo -D", median["clitif"] / median["tiffinfo"], 1.5),
    ("BMP / djpeg of its twin", median["clibmp"] / median["djpeg24"], 1.45),
    ("100 MP / 24 MP", median["cli100"] / median["cli24"], 4.6),
]
failed = False
print(f"\n{'measure':<28}{'ratio':>8}{'goal':>8}")
for name, ratio, goal in checks:
    ok = ratio <= goal
    failed |= not ok
    print(f"{name:<28}{ratio:>8.2f}{goal:>8.2f}  {'ok' if ok else 'MISSED'}")
print(f"\n{'peak memory':<28}{'MiB':>8}{'goal':>8}")
for key, kb in rss_kb.items():
    goal = (pixels[key] * 3 + sizes[key]) / 2**20 + 32
    ok = kb / 1024 <= goal
    failed |= not ok
    print(f"{key:<28}{kb / 1024:>8.1f}{goal:>8.1f}  {'ok' if ok else 'MISSED'}")
print("\nmedians (s): " + ", ".join(f"{k} {v:.3f}" for k, v in median.items()))
sys.exit(1 if failed else 0)
PY
