#!/bin/bash
# Builds the files for the box: the installer TAP "Vantero_Setup.tap" with
# everything it installs embedded (the manager Vantero.tap, wget, busybox,
# the ten fonts, Vantero.lng).  The result lands in build/box/, checked as
# the box's loader needs it (box_tap.py check: the box's libraries only, no
# symbol versions, no FPU instructions).  Installs what the build needs first
# (Debian 12, as root).
#
# usage: scripts/box.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
echo "=== box: cross build of the installer TAP (preset mipsel)"
cmake --preset mipsel >/dev/null
cmake --build build/mipsel -j "$(nproc)" --target Vantero_Setup
mkdir -p build/box
cp build/mipsel/installer/Vantero_Setup.tap build/box/Vantero_Setup.tap.part
mv build/box/Vantero_Setup.tap.part build/box/Vantero_Setup.tap
python3 cmake/box/box_tap.py check --lists cmake/box --tap-header lib/tap.h build/box/Vantero_Setup.tap
echo "=== box: $(stat -c %s build/box/Vantero_Setup.tap) bytes -> $PWD/build/box/Vantero_Setup.tap"
