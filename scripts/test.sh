#!/bin/bash
# Builds and runs every test: the 32-bit host build, the same under
# AddressSanitizer/UBSan, the box's cross build, and the fuzz targets for a
# bounded time.  Installs what it needs first (Debian 12, as root).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

JOBS=$(nproc)
run_suite() {
  local preset=$1
  echo "=== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build "build/$preset" -j "$JOBS"
  echo "=== $preset: tests"
  ctest --test-dir "build/$preset" --output-on-failure -j "$JOBS" -LE benchmark
}

run_suite host
run_suite asan

echo "=== mipsel: cross build for the box"
cmake --preset mipsel >/dev/null
cmake --build build/mipsel -j "$JOBS"

if [[ -x scripts/fuzz.sh ]]; then
  echo "=== fuzz targets"
  bash scripts/fuzz.sh
fi
echo "=== all tests passed"
