#!/usr/bin/env bash
# Configures and builds into build/ (the installation folder is build/bin).
set -euo pipefail
cd "$(dirname "$0")/.."
# Warnings in our own code are errors, as in CI; QBC_WARNINGS_AS_ERRORS=OFF in the environment
# turns that off. run-example.sh and test.sh both build through here with the same settings,
# so the second of them finds the tree built and configured as it wants it.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQBC_WARNINGS_AS_ERRORS="${QBC_WARNINGS_AS_ERRORS:-ON}" >/dev/null
cmake --build build -j"$(nproc)"
