#!/usr/bin/env bash
# Lists the object files of the last build in build/ that depend on each HEADER: what a
# change to that header rebuilds. An area's cells header should rebuild that area's files
# and their tests, not the project.
#   bash scripts/rebuild-scope.sh compiler/statements/peripherals/lcd_cells.h
# -q prints only the counts.
set -euo pipefail
cd "$(dirname "$0")/.."
quiet=0
if [ "${1:-}" = "-q" ]; then quiet=1; shift; fi
if [ $# -lt 1 ]; then
  echo "usage: $0 [-q] HEADER..." >&2
  exit 2
fi
for header in "$@"; do
  path=$(realpath "$header")
  ninja -C build -t deps 2>/dev/null | awk -v h="$path" -v quiet="$quiet" -v name="$header" '
    /^[^ ].*: #deps/ { obj = substr($1, 1, length($1) - 1); total++ }
    $1 == h { hits++; if (!quiet) print "  " obj }
    END { printf "%s: %d of %d objects\n", name, hits, total }'
done
