#!/usr/bin/env bash
# Compares two recordings of scripts/asm-snapshot.sh; the creation time line is ignored.
# Exit 0 when every program's output is identical.
#   bash scripts/asm-compare.sh /tmp/before /tmp/after
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 BEFORE AFTER" >&2
  exit 2
fi
if diff -r -q -I '^;Created' "$1" "$2" >/dev/null; then
  echo "identical: $(ls "$1" | wc -l) programs"
else
  diff -r -I '^;Created' "$1" "$2" | head -200
  echo "the recordings differ" >&2
  exit 1
fi
