#!/usr/bin/env bash
# Installs the build into a scratch prefix, as `cmake --install` would for a user, then checks what
# landed where and runs the installed programs from there.
#   install_test.sh BUILD_FOLDER VERSION    (VERSION: the project's, as the build gives it)
set -euo pipefail
build=${1:?usage: install_test.sh BUILD_FOLDER VERSION}
version=${2:?usage: install_test.sh BUILD_FOLDER VERSION}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

status=0
fail() {
  echo "FAILED: $*" >&2
  status=1
}

id=example.tintwell.Tintwell
for file in bin/tintwell bin/tintwell-cli lib/tintwell/tintwell-cli-stream.so lib/tintwell/tintwell-cli-bitmap.so \
  share/tintwell/locale/de/LC_MESSAGES/default.mo share/tintwell/locale/fr/LC_MESSAGES/default.mo \
  share/applications/$id.desktop share/metainfo/$id.metainfo.xml share/icons/hicolor/scalable/apps/$id.svg \
  share/man/man1/tintwell.1 share/man/man1/tintwell-cli.1; do
  [[ -e $prefix/$file ]] || fail "$file was not installed"
done
for size in 16 32 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
  # A PNG of the size its folder names: the width and height stand at bytes 16 to 23.
  [[ $(od -An -tx1 -j16 -N8 "$png" 2>/dev/null | tr -d ' \n') == $(printf '%08x%08x' "$size" "$size") ]] ||
    fail "the ${size}x${size} icon is missing or of another size"
done

desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null || fail "appstreamcli validate"
grep -qx 'Exec=tintwell %f' "$prefix/share/applications/$id.desktop" || fail "the desktop entry's Exec line"
for page in tintwell tintwell-cli; do
  [[ -z $(LC_ALL=C.UTF-8 man --warnings -l "$prefix/share/man/man1/$page.1" 2>&1 >/dev/null) ]] || fail "man warns on $page.1"
done

# The installed programs, run from the installation: the command line finds its image modules in
# ../lib/tintwell, the desktop program answers without a display.
[[ $("$prefix/bin/tintwell" --version) == "Tintwell $version" ]] || fail "tintwell --version"
"$prefix/bin/tintwell-cli" show 808080 >/dev/null || fail "tintwell-cli show"
# A 1 x 1 picture of #112233 (bottom-up, 24 bits, the row padded to four bytes).
picture=$prefix/one.bmp
printf 'BM\x3a\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00\x28\x00\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x01\x00\x18\x00\x00\x00\x00\x00\x04\x00\x00\x00\x13\x0b\x00\x00\x13\x0b\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x33\x22\x11\x00' >"$picture"
average=$("$prefix/bin/tintwell-cli" average "$picture") || fail "tintwell-cli average (its modules)"
[[ $average == *"#"* ]] || fail "tintwell-cli average printed no colour: $average"
# The desktop entry's Exec line, as a desktop runs it with a file (%f), on a private X server (it
# writes its display number once it takes clients): the installed program starts from the
# installation and shows its window.
Xvfb -displayfd 1 -nolisten tcp -screen 0 1280x1024x24 >"$prefix/display" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$prefix"' EXIT
for _ in $(seq 100); do
  [[ -s $prefix/display ]] && break
  sleep 0.1
done
exec_line=$(sed -n 's/^Exec=//p' "$prefix/share/applications/$id.desktop")
command=${exec_line/\%f/$picture}
shown=no
if [[ -s $prefix/display ]]; then
  export DISPLAY=:$(head -n 1 "$prefix/display")
  XDG_CONFIG_HOME=$prefix/config PATH=$prefix/bin:$PATH QT_QPA_PLATFORM=xcb $command &
  program=$!
  for _ in $(seq 100); do
    if xdotool search --onlyvisible --name "^Tintwell ${version//./\\.}\$" >/dev/null 2>&1; then
      shown=yes
      break
    fi
    sleep 0.1
  done
  kill $program 2>/dev/null || true
  wait $program 2>/dev/null || true
fi
[[ $shown == yes ]] || fail "the desktop entry's Exec line showed no window"
exit $status
