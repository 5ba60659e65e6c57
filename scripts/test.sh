#!/usr/bin/env bash
# Set-up, build and every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
QBC_WARNINGS_AS_ERRORS=ON bash scripts/build.sh
ctest --test-dir build --output-on-failure -j"$(nproc)"
