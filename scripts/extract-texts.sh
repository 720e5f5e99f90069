#!/usr/bin/env bash
# Writes the catalogue template: every text the program looks up (ResString, TranslateText, the
# N_ marker of texts looked up through a variable) extracted from the sources, followed by the
# list of Qt's own texts that our windows show (locale/toolkit.pot).
# Usage: scripts/extract-texts.sh OUTPUT.pot
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
output=${1:?usage: extract-texts.sh OUTPUT.pot}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cd "$root"
find core colour stats codec stream imaging platform i18n settings ui app -name '*.cpp' -o -name '*.h' | LC_ALL=C sort >"$work/files"
# An empty --keyword drops xgettext's default keywords, which would also catch unrelated calls.
xgettext --language=C++ --from-code=UTF-8 --keyword --keyword=ResString --keyword=ResQString \
  --keyword=TranslateText --keyword=N_ --add-comments=TRANSLATORS: --sort-by-file --add-location=file \
  --package-name=Tintwell --msgid-bugs-address=tintwell --files-from="$work/files" --output="$work/program.pot"
sed -i 's/^"Content-Type: text\/plain; charset=CHARSET\\n"$/"Content-Type: text\/plain; charset=UTF-8\\n"/' \
  "$work/program.pot"
msgcat --use-first "$work/program.pot" locale/toolkit.pot --output-file="$output"
