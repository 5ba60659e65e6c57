#!/usr/bin/env bash
# Lists the object files of the last Ninja build that depend on each HEADER: what a change
# to that header rebuilds. An area's cells header should rebuild that area's files and
# their tests, not the project.
#   bash scripts/rebuild-scope.sh [-q] [-B BUILD_DIR] HEADER...   (-q: only the counts)
#   bash scripts/rebuild-scope.sh --check [-B BUILD_DIR]
# --check fails when the compiler state pulls in an area's cells header, or when one of
# them (compiler/**/*_cells.h; base/area_cells.h is their holder) reaches more than a
# tenth of the objects that the state reaches. NINJA names the ninja to use.
set -euo pipefail
cd "$(dirname "$0")/.."
quiet=0
check=0
build=build
while [ $# -gt 0 ]; do
  case "$1" in
    -q) quiet=1; shift ;;
    --check) check=1; quiet=1; shift ;;
    -B) build=$2; shift 2 ;;
    *) break ;;
  esac
done
if [ $check -eq 0 ] && [ $# -lt 1 ]; then
  echo "usage: $0 [-q] [-B BUILD_DIR] HEADER... | $0 --check [-B BUILD_DIR]" >&2
  exit 2
fi
deps=$(mktemp)
trap 'rm -f "$deps"' EXIT
"${NINJA:-ninja}" -C "$build" -t deps >"$deps" 2>/dev/null

# Prints "COUNT TOTAL" for one header, or with "list" the objects that depend on it. The
# log names a header by its absolute path, or relative to the build folder when the
# compiler ran under a ccache with a base folder.
scope() {
  awk -v h="$(realpath "$1")" -v r="$(realpath --relative-to="$build" "$1")" -v list="${2:-}" '
    /^[^ ].*: #deps/ { obj = substr($1, 1, length($1) - 1); total++ }
    $1 == h || $1 == r { hits++; if (list) print "  " obj }
    END { if (!list) print hits + 0, total + 0 }' "$deps"
}

if [ $check -eq 0 ]; then
  for header in "$@"; do
    read -r hits total < <(scope "$header")
    echo "$header: $hits of $total objects"
    [ $quiet -eq 1 ] || scope "$header" list
  done
  exit 0
fi

read -r stateHits total < <(scope compiler/base/state.h)
echo "compiler/base/state.h: $stateHits of $total objects"
faults=0
if [ "$stateHits" -eq 0 ]; then
  echo "no object depends on compiler/base/state.h: is $build a Ninja build of the project?"
  exit 1
fi
stateDeps=$(awk '/^[^ ].*: #deps/ { on = $1 ~ /base\/state\.cpp\.o:$/ } on && /_cells\.h$/ && !/base\/area_cells\.h$/ { print $1 }' "$deps")
if [ -n "$stateDeps" ]; then
  echo "the compiler state includes area cells: $stateDeps"
  faults=1
fi
for header in $(find compiler -name '*_cells.h' ! -path compiler/base/area_cells.h | sort); do
  read -r hits _ < <(scope "$header")
  echo "$header: $hits"
  if [ $((hits * 10)) -gt "$stateHits" ]; then
    echo "  reaches more than a tenth of the state's objects: include it only where its cells are used"
    faults=1
  fi
done
exit $faults
