#!/bin/bash
# Checks the layout and runs clang-tidy (scripts/check_style.sh), then builds
# and runs every test: the 32-bit host build, the same under
# AddressSanitizer/UBSan, the box's cross build with its suite under
# qemu-mipsel, and the fuzz targets for a bounded time.  Installs what it
# needs first (Debian 12, as root).  Prints the time of every suite.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

JOBS=$(nproc)
TIMES=()

# Layout (clang-format) and static checks (clang-tidy) first: cheap, and a
# finding fails the run before the long builds.
start=$SECONDS
echo "=== style: clang-format and clang-tidy"
bash scripts/check_style.sh
TIMES+=("style: $((SECONDS - start)) s")
# run_suite <preset> <what>: configure, build, run the tests (not the benchmarks).
run_suite() {
  local preset=$1 what=$2 start=$SECONDS built
  echo "=== $preset: configure and build ($what)"
  cmake --preset "$preset" >/dev/null
  cmake --build "build/$preset" -j "$JOBS"
  built=$SECONDS
  echo "=== $preset: tests"
  ctest --test-dir "build/$preset" --output-on-failure -j "$JOBS" -LE benchmark
  TIMES+=("$preset: build $((built - start)) s, tests $((SECONDS - built)) s")
}

run_suite host "32-bit x86 with pvrsim"
run_suite asan "32-bit x86 under AddressSanitizer and UBSan"
# The box's TAPs as the box loads them (box_tap_check), and pvrsim with the
# whole suite cross-built for MIPS32 and run under qemu-mipsel.
run_suite mipsel "MIPS32 cross build, tests under qemu-mipsel"

# Instruction counts of the main operations on both machines, one run each:
# prints the table; fails only on a limit on a count (never on time).
start=$SECONDS
echo "=== instruction counts (callgrind and qemu-mipsel)"
bash scripts/perf_counts.sh --only menu_move,menu_full,text_row,picker_step,overview_move,crc_1mb,install_steps
TIMES+=("instruction counts: $((SECONDS - start)) s")

if [[ -x scripts/fuzz.sh ]]; then
  start=$SECONDS
  echo "=== fuzz targets"
  bash scripts/fuzz.sh
  TIMES+=("fuzz: $((SECONDS - start)) s")
fi
echo "=== times: ${TIMES[*]/%/;} total $SECONDS s"
echo "=== all tests passed"
