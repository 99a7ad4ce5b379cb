#!/bin/bash
# The main job: builds the host preset and installs Vantero for real in
# pvrsim on a fresh simulated disk (run/disk; the console capture and other
# run files go to run/): Vantero_Setup.tap runs IT_Install, the AutoStart
# question gets an answer, and afterwards the log, the files the install
# left on the disk and the screenshots of every step (run/frames) are shown.
# Installs what it needs first (Debian 12, as root).
#
#   bash scripts/run.sh [no|yes|cancel] [pvrsim options...]
#
# The answer defaults to "no" (the highlighted button): the manager goes to
# /ProgramFiles; "yes" and "cancel" put it into /ProgramFiles/AutoStart.
set -euo pipefail
cd "$(dirname "$0")/.."

ANSWER=no
if [[ $# -gt 0 && "$1" != -* ]]; then
  ANSWER=$1
  shift
fi
# The question is up after the first two steps (ticks 1 and 2); the keys
# come a second later.
case "$ANSWER" in
  no) KEYS=(--key 100:ok) ;;
  yes) KEYS=(--key 100:left --key 110:ok) ;;
  cancel) KEYS=(--key 100:exit) ;;
  *)
    echo "run.sh: unknown answer '$ANSWER' (no, yes or cancel)" >&2
    exit 2
    ;;
esac

bash scripts/setup.sh
cmake --preset host >/dev/null
cmake --build build/host -j "$(nproc)" --target pvrsim pvrsim_launcher Vantero_Setup

rm -rf run/disk run/frames
mkdir -p run/disk/ProgramFiles
# The manager stays resident after the install, so the run is a fixed number
# of ticks (20 s of box time) rather than "until no TAP is left".
status=0
# --param 0: IT_Install, handed over by pvrsim's launcher TAP through the
# library's HDD_TAP_Start, as the update manager starts the installer.
build/host/pvrsim/pvrsim --disk run/disk --run run --frames run/frames --ticks 2000 \
  --param 0 "${KEYS[@]}" build/host/installer/Vantero_Setup.tap "$@" || status=$?

echo
echo "== Vantero.log =="
cat run/disk/ProgramFiles/Settings/Vantero/Vantero.log 2>/dev/null | tr -d '\r' || echo "(no log)"
echo
echo "== files on the disk (run/disk) =="
(cd run/disk && find . -type f -printf '%-60p %10s bytes\n' | sed 's|^\./|/|' | sort)
echo
echo "== screenshots of every step =="
echo "$(ls run/frames 2>/dev/null | wc -l) frames in run/frames/ (<frame>-t<tick>.png)"
exit "$status"
