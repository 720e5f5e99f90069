#!/usr/bin/env bash
# The command-line companion's batches and start, side by side in one hyperfine run: `show` against
# a bare C program that prints one line; 10,000 colours through `show -`; `average` of 20 copies of
# the 24 MP JPEG with two jobs against one. Goals: `show` at most 2 x the bare program; 10,000
# colours in under one second; two jobs at least 1.8 x one.
#   bench/run_batches.sh [RUNS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=${1:-5}
build=$root/build
"$root/scripts/deps.sh" hyperfine
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target tintwell-cli make_bench_images >/dev/null
images=$build/bench-images
if [[ ! -f $images/photo24.jpg ]]; then
  mkdir -p "$images"
  "$build/bin/make_bench_images" "$images"
fi
work=$build/bench-batches
mkdir -p "$work"
printf '#include <stdio.h>\nint main(void) { puts("#808080 #7F7F7F #FFFFFF"); return 0; }\n' >"$work/bare.c"
cc -O2 -o "$work/bare" "$work/bare.c"
/usr/bin/python3 -c "
import random
random.seed(1)
print('\n'.join('#%06X' % random.randrange(1 << 24) for _ in range(10000)))" >"$work/colours.txt"
for i in $(seq -w 1 20); do ln -sf "$images/photo24.jpg" "$work/photo$i.jpg"; done
cli=$build/bin/tintwell-cli
hyperfine --warmup 1 --runs "$runs" --export-json "$build/bench_batches.json" \
  -n bare "$work/bare" \
  -n show "$cli show 808080" \
  -n show10000 "$cli show - <$work/colours.txt" \
  -n jobs1 "$cli average --jobs 1 $work/photo*.jpg" \
  -n jobs2 "$cli average --jobs 2 $work/photo*.jpg" >/dev/null
/usr/bin/python3 - "$build/bench_batches.json" <<'PY'
import json, statistics, sys
runs = {r["command"]: statistics.median(r["times"]) for r in json.load(open(sys.argv[1]))["results"]}
print(f"show {runs['show'] * 1000:.1f} ms, bare program {runs['bare'] * 1000:.1f} ms: "
      f"{runs['show'] / runs['bare']:.2f} x (goal at most 2 x)")
print(f"10,000 colours through show -: {runs['show10000'] * 1000:.0f} ms (goal under 1000 ms)")
print(f"average of 20 x 24 MP JPEG: one job {runs['jobs1']:.2f} s, two jobs {runs['jobs2']:.2f} s: "
      f"{runs['jobs1'] / runs['jobs2']:.2f} x (goal at least 1.8 x)")
PY
