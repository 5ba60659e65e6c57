#!/usr/bin/env bash
# The whole test suite in the sanitizer build (build-san/: ASan and UBSan, float-cast-overflow
# included; a report ends the process). Every report of any process the tests start is
# also written under build-san/sanitizer-reports, and any file there fails the run. The
# programs the tests compile are kept as the fuzzer's seeds (build-san/fuzz/seeds).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
source scripts/sanitize/env.sh
qbc_build_sanitize "$root"
reports=$root/build-san/sanitizer-reports
rm -rf "$reports" "$root/build-san/fuzz/seeds"
mkdir -p "$reports"
export ASAN_OPTIONS="$ASAN_OPTIONS:log_path=$reports/report"
export QBC_FUZZ_SEED_DIR=$root/build-san/fuzz/seeds
status=0
ctest --test-dir build-san --output-on-failure -j"$(nproc)" || status=$?
if [ -n "$(ls -A "$reports")" ]; then
  echo "sanitizer reports:" >&2
  cat "$reports"/* >&2
  status=1
fi
exit $status
