#!/bin/bash
# The main job: builds the host preset and runs a TAP in pvrsim on a fresh
# simulated disk (run/disk; the console capture and other run files go to
# run/).  Installs what it needs first (Debian 12, as root).  Extra arguments
# are passed to pvrsim (see build/host/pvrsim/pvrsim --help).
set -euo pipefail
cd "$(dirname "$0")/.."

# The TAP to run: its build target, its file, and pvrsim's arguments for it.
TAP_TARGET=pvrsim_demo
TAP_FILE=build/host/tests/pvrsim/Demo.tap
PVRSIM_ARGS=(--echo --key 100:ok --key 200:exit)

bash scripts/setup.sh
cmake --preset host >/dev/null
cmake --build build/host -j "$(nproc)" --target pvrsim "$TAP_TARGET"

rm -rf run/disk
mkdir -p run/disk/ProgramFiles
exec build/host/pvrsim/pvrsim --disk run/disk --run run "${PVRSIM_ARGS[@]}" "$TAP_FILE" "$@"
