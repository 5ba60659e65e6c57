#!/usr/bin/env bash
# Runs the compiler's fuzzer (build-san/fuzz/qbc_fuzz_compile) on its corpus.
#   bash scripts/fuzz.sh [SECONDS [JOBS]]     default: 1800 seconds, 1 job
# The corpus grows in build-san/fuzz/corpus from the tests' programs (build-san/fuzz/seeds,
# left by scripts/sanitize.sh, which runs first when they are missing), the examples and the
# kept inputs (fuzz/kept). An input that crashes, hangs, runs out of memory or trips a
# sanitizer ends the run with a failure and is written to build-san/fuzz/crashes/; once the
# fault is fixed, keep it in fuzz/kept.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-1800}
jobs=${2:-1}
source scripts/sanitize/env.sh
if [ ! -d build-san/fuzz/seeds ]; then
  bash scripts/sanitize.sh
else
  qbc_build_sanitize "$root"
fi
fuzz=$root/build-san/fuzz
mkdir -p "$fuzz/corpus" "$fuzz/crashes"
options=(-dict="$fuzz/basic.dict" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024
  -max_len=8192 -artifact_prefix="$fuzz/crashes/" -print_final_stats=1)
if [ "$jobs" -gt 1 ]; then
  # Each job logs to fuzz-N.log in the current folder: run them in the fuzz folder.
  cd "$fuzz"
  options+=(-jobs="$jobs" -workers="$jobs")
fi
"$fuzz/qbc_fuzz_compile" "${options[@]}" "$fuzz/corpus" "$fuzz/seeds" "$root/fuzz/kept" "$root/examples"
