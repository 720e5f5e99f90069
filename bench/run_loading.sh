#!/usr/bin/env bash
# Times `tintwell-cli average` against the bare tools in one hyperfine run, on images made afresh by
# make_bench_images (a 24 MP and a 100 MP photo-like JPEG at quality 90, the 24 MP image as an LZW
# TIFF with predictor 2 and as a 24-bit BMP), then measures peak memory and checks that the
# streaming road counts what the bitmap road counts on each of them.
# Goals (medians of the same run): every JPEG (24 and 100 MP, and a progressive copy of the 24 MP one
# made by jpegtran) at most 1.15 x `djpeg -outfile /dev/null` of the same file; LZW TIFF at most
# 1.15 x `tiffinfo -D`; BMP at most 3 x reading the file (`cat`); 100 MP over 24 MP within 10 % of the
# pixel ratio; peak memory at most the file's size + 32 MiB, except for the progressive copy, which
# shows what libjpeg's whole-image coefficient buffer costs. Exits 1 when a goal is missed.
#   bench/run_loading.sh [RUNS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=${1:-5}
build=$root/build
"$root/scripts/deps.sh" hyperfine libjpeg-turbo-progs libtiff-tools time
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target tintwell-cli make_bench_images road_identity >/dev/null
images=$build/bench-images
if [[ ! -f $images/photo24.bmp ]]; then
  mkdir -p "$images"
  echo "making the benchmark images in $images"
  "$build/bin/make_bench_images" "$images"
fi
cli=$build/bin/tintwell-cli
cd "$images"
[[ -f photo24p.jpg ]] || jpegtran -progressive -outfile photo24p.jpg photo24.jpg

echo "the two roads on the benchmark's images:"
"$build/bin/road_identity" photo24.jpg photo100.jpg photo24p.jpg photo24.tif photo24.bmp

# cat writes into a pipe that hyperfine discards, so the file is really read and copied once.
hyperfine --warmup 1 --runs "$runs" --export-json "$build/bench_loading.json" \
  -n djpeg24 'djpeg -outfile /dev/null photo24.jpg' \
  -n cli24 "$cli average photo24.jpg" \
  -n djpeg100 'djpeg -outfile /dev/null photo100.jpg' \
  -n cli100 "$cli average photo100.jpg" \
  -n djpeg24p 'djpeg -outfile /dev/null photo24p.jpg' \
  -n cli24p "$cli average photo24p.jpg" \
  -n tiffinfo 'tiffinfo -D photo24.tif' \
  -n clitif "$cli average photo24.tif" \
  -n cat 'cat photo24.bmp' \
  -n clibmp "$cli average photo24.bmp" >/dev/null

rss() { /usr/bin/time -f %M "$cli" average "$1" 2>&1 >/dev/null | tail -n 1; }
/usr/bin/python3 - "$build/bench_loading.json" "$(rss photo24.jpg)" "$(rss photo100.jpg)" "$(rss photo24.tif)" \
  "$(rss photo24.bmp)" "$(rss photo24p.jpg)" \
  "$(stat -c %s photo24.jpg photo100.jpg photo24.tif photo24.bmp photo24p.jpg | paste -sd,)" <<'PY'
import json, statistics, sys
runs = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
median = {name: statistics.median(r["times"]) for name, r in runs.items()}
keys = ["jpg24", "jpg100", "tif24", "bmp24", "jpg24p"]
rss_kb = dict(zip(keys, map(int, sys.argv[2:7])))
sizes = dict(zip(keys, map(int, sys.argv[7].split(","))))
pixel_ratio = (12250 * 8163) / (6000 * 4000)
scaling = median["cli100"] / median["cli24"] / pixel_ratio
checks = [
    ("JPEG 24 MP / djpeg", median["cli24"] / median["djpeg24"], "<=", 1.15),
    ("JPEG 100 MP / djpeg", median["cli100"] / median["djpeg100"], "<=", 1.15),
    ("progressive 24 MP / djpeg", median["cli24p"] / median["djpeg24p"], "<=", 1.15),
    ("LZW TIFF / tiffinfo -D", median["clitif"] / median["tiffinfo"], "<=", 1.15),
    ("BMP / cat", median["clibmp"] / median["cat"], "<=", 3.0),
    ("(100 MP / 24 MP) / pixels", scaling, "<=", 1.1),
    ("(100 MP / 24 MP) / pixels", scaling, ">=", 0.9),
]
failed = False
print(f"\n{'measure':<28}{'ratio':>8}{'goal':>10}")
for name, ratio, sense, goal in checks:
    ok = ratio <= goal if sense == "<=" else ratio >= goal
    failed |= not ok
    print(f"{name:<28}{ratio:>8.2f}{sense:>4}{goal:>6.2f}  {'ok' if ok else 'MISSED'}")
print(f"\n{'peak memory':<28}{'MiB':>8}{'goal':>10}")
for key, kb in rss_kb.items():
    goal = sizes[key] / 2**20 + 32
    ok = kb / 1024 <= goal
    if key != "jpg24p":
        failed |= not ok
    note = "" if key != "jpg24p" else "  (progressive: no goal)"
    print(f"{key:<28}{kb / 1024:>8.1f}{goal:>10.1f}  {'ok' if ok else 'MISSED'}{note}")
print("\nmedians (ms): " + ", ".join(f"{k} {v * 1000:.1f}" for k, v in median.items()))
sys.exit(1 if failed else 0)
PY
