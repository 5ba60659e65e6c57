#!/usr/bin/env bash
# Configures and builds into build/ (the installation folder is build/bin).
set -euo pipefail
cd "$(dirname "$0")/.."
# Warnings in our own code are errors, as in CI; QBC_WARNINGS_AS_ERRORS=OFF in the environment
# turns that off. run-example.sh and test.sh both build through here with the same settings,
# so the second of them finds the tree built and configured as it wants it.
# Optimised as RelWithDebInfo is (-O2), without the debug information that would cost a
# fifth of the build; configure build/ by hand with RelWithDebInfo for a debugger.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DQBC_WARNINGS_AS_ERRORS="${QBC_WARNINGS_AS_ERRORS:-ON}" >/dev/null
cmake --build build -j"$(nproc)"
