#!/usr/bin/env bash
# Set-up, build, and the main job: compile and assemble the example program with qbc.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
build/bin/qbc examples/blink.bas
