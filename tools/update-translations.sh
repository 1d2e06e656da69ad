#!/usr/bin/env bash
# Refreshes the translation sources from the program's code and forms.
#
# lupdate collects every tr()/QT_TRANSLATE_NOOP text and form text of the
# program into resources/translations/<word>_<code>.ts, for every language
# file there (the code after "_" is the target language); translations
# already made are kept, texts no longer in the code are dropped. Translate
# what is new (marked "unfinished") with linguist or by hand, then rebuild:
# the build compiles the .ts files with lrelease into <build>/languages/.
#
# usage: tools/update-translations.sh [OUTPUT-DIR]
# With OUTPUT-DIR (absolute) the files are updated there, as copies, and the
# sources stay untouched: the translation test uses this to find texts that
# a file lacks or still holds.
set -euo pipefail
cd "$(dirname "$0")/.."

LUPDATE=${LUPDATE:-$(command -v lupdate || echo /usr/lib/qt5/bin/lupdate)}
[ -x "$LUPDATE" ] || { echo "lupdate not found (install qttools5-dev-tools, see tools/deps.sh)" >&2; exit 1; }

OUT=${1:-resources/translations}
mkdir -p "$OUT"

# Everything the operator can see: the screen libraries and the shell, their
# forms, and the lower layers whose texts reach the operator through the
# reporter.
SOURCES=()
for d in app errors settings cleaning work shell remote data link platform resources/forms; do
    [ -d "$d" ] && SOURCES+=("$d")
done

for ts in resources/translations/*.ts; do
    name=$(basename "$ts")
    lang=${name%.ts}
    lang=${lang##*_}
    target="$OUT/$name"
    [ "$ts" -ef "$target" ] || cp "$ts" "$target"
    "$LUPDATE" -silent -no-obsolete -locations none -I . \
        -extensions cpp,h,ui \
        -source-language en -target-language "$lang" \
        "${SOURCES[@]}" -ts "$target"
    # Report what still needs translating.
    left=$(grep -c 'type="unfinished"' "$target" || true)
    echo "$name: ${left} text(s) without translation"
done
