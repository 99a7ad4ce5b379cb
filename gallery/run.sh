#!/bin/bash
# Runs the toolkit gallery in pvrsim on a fresh disk with the standard fonts
# and a key script (default: gallery/tour.keys), and writes a PNG of the
# screen at every change into run/gallery/frames.  Installs what it needs
# (Debian 12, as root) and builds pvrsim, the gallery and the fonts first.
set -euo pipefail
cd "$(dirname "$0")/.."

keys=gallery/tour.keys
case "${1:-}" in
  -h|--help)
    echo "Usage: bash gallery/run.sh [KEYSCRIPT]"
    echo "Runs build/host/gallery/Gallery.tap in pvrsim with the keys of KEYSCRIPT"
    echo "(lines \"TICK KEY\", default gallery/tour.keys); the screens land in"
    echo "run/gallery/frames, the last one in run/gallery/last.png."
    exit 0 ;;
  "") ;;
  *) keys=$1 ;;
esac

if [[ ! -r $keys ]]; then
  echo "gallery/run.sh: cannot read the key script $keys" >&2
  exit 1
fi

build=build/host
bash scripts/setup.sh
cmake --preset host >/dev/null
cmake --build "$build" -j "$(nproc)" --target pvrsim Gallery payload_files

out=run/gallery
rm -rf "$out"
mkdir -p "$out"
copies=()
for font in "$build"/payloads/files/Calibri_*.ufnt; do
  copies+=(--copy "$font=/ProgramFiles/Settings/Fonts/")
done
"$build/pvrsim/pvrsim" --disk "$out/disk" --run "$out" --frames "$out/frames" --screenshot "$out/last.png" \
  "${copies[@]}" --keys "$keys" "$build/gallery/Gallery.tap"
echo "gallery: $(ls "$out/frames" | wc -l) screens in $out/frames"
