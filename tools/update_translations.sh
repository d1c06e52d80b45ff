#!/usr/bin/env bash
# Brings the translation catalogue up to date with the sources: every text that C++
# (tr, QCoreApplication::translate, QT_TRANSLATE_NOOP) or QML/JS (qsTr, qsTranslate)
# marks for translation. Existing translations are kept; new texts arrive unfinished
# for a translator to fill in; texts no longer in the sources are kept as "vanished".
#   tools/update_translations.sh            update res/i18n/zh_CN.ts
#   tools/update_translations.sh OUT.ts     write what the sources hold to OUT.ts only
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:-res/i18n/zh_CN.ts}
LUPDATE=${LUPDATE:-lupdate}
exec "$LUPDATE" -silent -locations none -no-ui-lines -target-language zh_CN \
    -extensions cpp,h,qml,js src qml -ts "$target"
