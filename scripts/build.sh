#!/usr/bin/env bash
# Configures and builds into build/ (the installation folder is build/bin).
set -euo pipefail
cd "$(dirname "$0")/.."
# QBC_WARNINGS_AS_ERRORS=ON in the environment makes warnings in our code errors (CI).
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQBC_WARNINGS_AS_ERRORS="${QBC_WARNINGS_AS_ERRORS:-OFF}" >/dev/null
cmake --build build -j"$(nproc)"
