#!/usr/bin/env bash
# Fails when a text the program looks up is missing from a shipped catalogue (or is untranslated or
# fuzzy there), or from the committed template. Regenerates the template from the sources first,
# so a new text cannot slip in untranslated.
#   scripts/check-catalogues.sh WORK_FOLDER
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=${1:?usage: check-catalogues.sh WORK_FOLDER}
mkdir -p "$work"
"$root/scripts/extract-texts.sh" "$work/default.pot"

status=0
for po in "$root"/locale/*.po; do
  if ! msgcmp "$po" "$work/default.pot"; then
    echo "$(basename "$po") lacks texts of the program (above); add and translate them" >&2
    status=1
  fi
done
if ! msgcmp --use-untranslated "$root/locale/default.pot" "$work/default.pot"; then
  echo "locale/default.pot is out of date: run cmake --build build --target pot" >&2
  status=1
fi
exit $status
