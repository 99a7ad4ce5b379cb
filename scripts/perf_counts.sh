#!/bin/bash
# Instruction counts of the main operations on the PC (callgrind) and on the
# box's MIPS build (qemu-mipsel), printed as one table by perf_table; fails
# only on a limit on a count.  Needs the host and mipsel presets configured.
#
#   bash scripts/perf_counts.sh [--only OP,OP...] [--mhz N] [--ipc N]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build/host --target perf_table perf_ops datafiles_template_tap payload_files Vantero_Setup >/dev/null
cmake --build build/mipsel --target perf_ops datafiles_template_tap Vantero_Setup >/dev/null
exec build/host/perf/perf_table \
  --host-ops build/host/perf/perf_ops --host-template build/host/tests/datafiles/Template.tap \
  --host-installer build/host/installer/Vantero_Setup.tap --files build/host/payloads/files \
  --mips-ops build/mipsel/perf/perf_ops --mips-template build/mipsel/tests/datafiles/Template.tap \
  --mips-installer build/mipsel/installer/Vantero_Setup.tap \
  --sysroot build/downloads/mipsel-sysroot "$@"
