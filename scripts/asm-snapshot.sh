#!/usr/bin/env bash
# Records the assembler output of every program the test suite compiles or assembles, and
# of the examples, into DIR (one file per program), from the current build in build/.
# Two recordings are compared with scripts/asm-compare.sh: a change that must not alter
# the generated code leaves them identical.
#   bash scripts/asm-snapshot.sh /tmp/before
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -ne 1 ]; then
  echo "usage: $0 DIR" >&2
  exit 2
fi
dir=$(realpath -m "$1")
rm -rf "$dir"
mkdir -p "$dir"
QBC_ASM_SNAPSHOT_DIR="$dir" ctest --test-dir build -j4 --output-on-failure >"$dir.log" 2>&1 ||
  { echo "the test suite failed, see $dir.log" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for bas in examples/*.bas; do
  name=$(basename "$bas" .bas)
  cp "$bas" "$work/$name.bas"
  build/bin/qbc "$work/$name.bas" >/dev/null || true
  # The same parts the test recorder normalizes: creation time and the install folder.
  sed -E -e 's/^;Created .*/;Created <date>/' -e 's#\.include(\s+)"[^"]*/inc/#.include\1"<install>/inc/#' \
    "$work/$name.asm" >"$dir/example-$name.asm"
done
echo "$(ls "$dir" | wc -l) programs recorded in $dir"
