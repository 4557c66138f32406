#!/usr/bin/env bash
# Checks the layering of the source tree:
#  - engine code (every src/<folder> except src/app and the qt/ subfolders,
#    and the fuzz targets, which are built without Qt) includes no Qt header
#    and nothing from a qt/ folder or from src/app;
#  - the engine libraries do not link Qt;
#  - the Qt libraries (src/*/qt, src/common/qt) include nothing from src/app.
# Prints every offending line and exits 1 when there is one.
# Usage: check-layering.sh [SOURCE_ROOT]   (default: the tree it lives in)
set -uo pipefail
top=${1:-$(cd "$(dirname "$0")/.." && pwd)}
if [ ! -d "$top/src" ]; then
  echo "check-layering: no src/ folder in $top"
  exit 2
fi
cd "$top" || exit 2

engine_files=()
while IFS= read -r -d '' f; do engine_files+=("$f"); done < <(
  find src fuzz -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' \) \
    -not -path 'src/app/*' -not -path '*/qt/*' -print0 2>/dev/null)
qt_files=()
while IFS= read -r -d '' f; do qt_files+=("$f"); done < <(
  find src -type f -path '*/qt/*' \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' \) \
    -print0 2>/dev/null)

bad=0
report() {  # message, grep output
  if [ -n "$2" ]; then
    echo "$1:"
    echo "$2" | sed 's/^/  /'
    bad=1
  fi
}

if [ ${#engine_files[@]} -gt 0 ]; then
  # <QString>, <QtCore/QString>, <qglobal.h>, "QObject" ... (not <quadmath.h>)
  report "engine code includes a Qt header" "$(grep -HnE \
    '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](Q[A-Za-z0-9_]*|Qt[A-Za-z]*/[^>"]*|q[a-z0-9_]*\.h)[>"]' \
    "${engine_files[@]}" | grep -v '[<"]quadmath\.h[>"]')"
  report "engine code includes a file of a qt/ folder" "$(grep -HnE \
    '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^>"]*/)?qt/' "${engine_files[@]}")"
  report "engine code includes a file of src/app" "$(grep -HnE \
    '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]app/' "${engine_files[@]}")"
fi
if [ ${#qt_files[@]} -gt 0 ]; then
  report "Qt library code includes a file of src/app" "$(grep -HnE \
    '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]app/' "${qt_files[@]}")"
fi

engine_lists=()
while IFS= read -r -d '' f; do engine_lists+=("$f"); done < <(
  find src -name CMakeLists.txt -not -path 'src/app/*' -not -path '*/qt/*' -print0 2>/dev/null)
if [ ${#engine_lists[@]} -gt 0 ]; then
  report "an engine library links Qt" "$(grep -HnE 'Qt6::|Qt::' "${engine_lists[@]}")"
fi

if [ "$bad" -ne 0 ]; then
  echo "check-layering: FAILED"
  exit 1
fi
echo "check-layering: engine ${#engine_files[@]} files, Qt libraries ${#qt_files[@]} files, no violation"
