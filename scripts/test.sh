#!/usr/bin/env bash
# Set-up, build and every test; then the whole suite again in the sanitizer build and a
# short fuzzing run of the compiler (scripts/fuzz.sh runs it at length).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
ctest --test-dir build --output-on-failure -j"$(nproc)"
bash scripts/sanitize.sh
bash scripts/fuzz.sh 60
