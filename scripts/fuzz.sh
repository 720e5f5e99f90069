#!/usr/bin/env bash
# Builds the loaders', the catalogue reader's and the settings file reader's libFuzzer targets with clang (address and undefined sanitizers) and runs each
# for the given number of seconds (default 10), starting from seeds made by the fixture builders.
# Inputs that crash are left in build-fuzz/findings/<loader>/; the corpus grows in build-fuzz/corpus.
#   scripts/fuzz.sh [SECONDS] [TARGET...]      targets: bmp ico metafile jpeg tiff mo user_store
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-10}
shift || true
loaders=("$@")
((${#loaders[@]})) || loaders=(bmp ico metafile jpeg tiff mo user_store)
build=$root/build-fuzz
"$root/scripts/deps.sh"

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTINTWELL_FUZZ=ON -DBUILD_TESTING=OFF -DTINTWELL_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target write_seeds $(printf 'fuzz_%s ' "${loaders[@]}")
rm -rf "$build/seeds"
QT_QPA_PLATFORM=offscreen "$build/bin/write_seeds" "$build/seeds"
# The catalogue reader starts from the shipped catalogues, in both byte orders.
mkdir -p "$build/seeds/mo"
for po in "$root"/locale/*.po; do
  name=$(basename "$po" .po)
  msgfmt --endianness=little -o "$build/seeds/mo/$name-little.mo" "$po"
  msgfmt --endianness=big -o "$build/seeds/mo/$name-big.mo" "$po"
done
# The settings file reader starts from a file as the program writes it and one edited by hand.
mkdir -p "$build/seeds/user_store"
printf '%s\n' '; Tintwell settings.' '[Software\zorVIK\Quelm\Forms\frmColorPicker]' '"WindowState"="0"' \
  '"Top"=dword:114' '"Left"=dword:-300' '"Width"=dword:226' '"Height"=dword:387' '"Position"="0"' \
  >"$build/seeds/user_store/written.conf"
printf '%s\r\n' '# mine' '  [software\ZORVIK\quelm]  ' '"OrvDateSeparator" = "-\x2f"' '"OrvShortDateFormat"="yyyy-mm-dd"' \
  '"Blob"=hex:00,00,00,00,00,00,f8,3f' 'stray text' '"Bad"="C:\path"' >"$build/seeds/user_store/edited.conf"

status=0
export LSAN_OPTIONS=suppressions=$root/fuzz/lsan.supp:print_suppressions=0
for loader in "${loaders[@]}"; do
  mkdir -p "$build/corpus/$loader" "$build/findings/$loader"
  echo "== fuzz_$loader for ${seconds}s"
  if ! (cd "$build/findings/$loader" &&
        "$build/bin/fuzz_$loader" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
          -print_final_stats=1 "$build/corpus/$loader" "$build/seeds/$loader" 2>"$build/fuzz_$loader.log"); then
    status=1
    echo "fuzz_$loader found a problem:" >&2
    tail -n 40 "$build/fuzz_$loader.log" >&2
  else
    grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$build/fuzz_$loader.log" || true
  fi
done
exit $status
