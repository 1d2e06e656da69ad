#!/usr/bin/env bash
# Refreshes the translation sources from the program's code and forms.
#
# lupdate collects every tr()/QT_TRANSLATE_NOOP text and form text of the
# program into resources/translations/<language>.ts; translations already
# made are kept, texts no longer in the code are dropped. Translate what is
# new (marked "unfinished") with linguist or by hand, then rebuild: the build
# compiles the .ts files with lrelease into <build>/languages/.
set -euo pipefail
cd "$(dirname "$0")/.."

LUPDATE=${LUPDATE:-$(command -v lupdate || echo /usr/lib/qt5/bin/lupdate)}
[ -x "$LUPDATE" ] || { echo "lupdate not found (install qttools5-dev-tools, see tools/deps.sh)" >&2; exit 1; }

# Everything the operator can see: the screen libraries, their forms, and the
# lower layers whose texts reach the operator through the reporter.
SOURCES=()
for d in app errors settings cleaning remote data link resources/forms; do
    [ -d "$d" ] && SOURCES+=("$d")
done

run() {
    local ts=$1 lang=$2
    "$LUPDATE" -silent -no-obsolete -locations none -I . \
        -extensions cpp,h,ui \
        -source-language en -target-language "$lang" \
        "${SOURCES[@]}" -ts "resources/translations/$ts"
}

run inglese_en.ts en
run italiano_it.ts it

# Report what still needs translating into Italian.
left=$(grep -c 'type="unfinished"' resources/translations/italiano_it.ts || true)
echo "italiano_it.ts: ${left} text(s) without translation"
