#!/bin/bash
# The main job: builds the host preset and installs Vantero for real in
# pvrsim on a fresh simulated disk (run/disk; the console capture and other
# run files go to run/): Vantero_Setup.tap runs IT_Install, the AutoStart
# question gets an answer, and afterwards the log, the files the install
# left on the disk and the screenshots of every step (run/frames) are shown.
# Installs what it needs first (Debian 12, as root).
#
#   bash scripts/run.sh [no|yes|cancel] [pvrsim options...]
#   bash scripts/run.sh page [PORT] [pvrsim options...]
#
# The answer defaults to "no" (the highlighted button): the manager goes to
# /ProgramFiles; "yes" and "cancel" put it into /ProgramFiles/AutoStart.
#
# "page" is the interactive variant: pvrsim runs in real time and shows the
# box on a web page at http://127.0.0.1:PORT/ (default 8720, this computer
# only), where the question is answered with the remote control drawn there
# or the keyboard.  The manager stays resident after the install, so the run
# goes on until Ctrl-C (or one box hour); the page says when it has stopped,
# and the log and the files are shown as in the other variants.
set -euo pipefail
cd "$(dirname "$0")/.."

ANSWER=no
if [[ $# -gt 0 && "$1" != -* ]]; then
  ANSWER=$1
  shift
fi
PORT=8720
# The question is up after the first two steps (ticks 1 and 2); the keys
# come a second later.  On the page, the person answers and ends the run.
case "$ANSWER" in
  no) KEYS=(--key 100:ok) ;;
  yes) KEYS=(--key 100:left --key 110:ok) ;;
  cancel) KEYS=(--key 100:exit) ;;
  page)
    if [[ $# -gt 0 && "$1" =~ ^[0-9]+$ ]]; then
      PORT=$1
      shift
    fi
    ;;
  *)
    echo "run.sh: unknown answer '$ANSWER' (no, yes, cancel or page)" >&2
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
if [[ "$ANSWER" == page ]]; then
  echo "Open http://127.0.0.1:$PORT/ in a browser on this computer and answer the question there"
  echo "(ok: No, left then ok: Yes, exit: cancel).  Ctrl-C here ends the run."
  build/host/pvrsim/pvrsim --disk run/disk --run run --frames run/frames --serve "$PORT" \
    --param 0 build/host/installer/Vantero_Setup.tap "$@" || status=$?
else
  build/host/pvrsim/pvrsim --disk run/disk --run run --frames run/frames --ticks 2000 \
    --param 0 "${KEYS[@]}" build/host/installer/Vantero_Setup.tap "$@" || status=$?
fi

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
