#!/bin/bash
# The update manager on pvrsim's web page against a sample repository: a
# host build (made when missing), a repository published with vdtool from
# TAPs of the tree (the toolkit gallery, with a screenshot), served on
# 127.0.0.1 by Python's web server, and the manager started on a fresh disk
# (run/manager) with its fonts, texts, a wget and Repository.ini naming the
# repository.  Open http://127.0.0.1:PORT/, press "menu", then in the
# options "Query the server now": the new TAP appears in the notice; green
# shows its description, blue its screenshot.  Ctrl-C ends both servers.
#
#   bash scripts/manager_demo.sh [PORT] [REPOPORT]
set -euo pipefail
cd "$(dirname "$0")/.."
PORT=${1:-8720}
REPOPORT=${2:-8730}
BUILD=build/host
if [[ ! -x $BUILD/pvrsim/pvrsim || ! -x $BUILD/vdtool/vdtool ]]; then
  cmake --preset host >/dev/null
  cmake --build $BUILD -j2 --target pvrsim vdtool VanteroManager Gallery payload_files
fi
RUN=run/manager
rm -rf "$RUN"
mkdir -p "$RUN/pkg/Gallery" "$RUN/repo"
cp $BUILD/gallery/Gallery.tap "$RUN/pkg/Gallery/"
cp graphics/InfoBox.png "$RUN/pkg/shot.png"
cat >"$RUN/pkg/Gallery.json" <<'JSON'
{"TAPID": "0x7E570001", "TAPName": "Toolkit Gallery", "TAPAuthor": "Vantero Team", "Category": 2,
 "EN_Description": "Every widget of the on-screen toolkit, driven by the remote control: menus, message and info boxes, the colour picker.",
 "DE_Description": "Alle Elemente der Bildschirmmenüs, mit der Fernbedienung bedient.",
 "ScreenShotFile": "shot.png",
 "Versions": [{"Version": "1.0", "TimeStamp": "2026-12-01 10:00:00", "DeployMode": "DM_Final", "RootDir": "Gallery",
   "ReleaseNotes": "First release.",
   "Files": [{"FileName": "Gallery.tap", "DefaultPath": "/mnt/hd/ProgramFiles", "TAPID": "0x7E570001"}]}]}
JSON
$BUILD/vdtool/vdtool publish "$RUN/pkg/Gallery.json" --out "$RUN/repo"
python3 -m http.server "$REPOPORT" --bind 127.0.0.1 -d "$RUN/repo" >"$RUN/repo.log" 2>&1 &
SERVER=$!
trap 'kill $SERVER 2>/dev/null || true' EXIT
printf 'URL=http://127.0.0.1:%s/\r\n' "$REPOPORT" >"$RUN/Repository.ini"
echo "the wget that pvrsim's box shell runs" >"$RUN/wget"
COPIES=(--copy "$RUN/wget=/ProgramFiles/" --copy "$BUILD/payloads/files/Vantero.lng=/ProgramFiles/Settings/Vantero/"
  --copy "$RUN/Repository.ini=/ProgramFiles/Settings/Vantero/")
for f in $BUILD/payloads/files/*.ufnt; do COPIES+=(--copy "$f=/ProgramFiles/Settings/Fonts/"); done
$BUILD/pvrsim/pvrsim --serve "$PORT" --disk "$RUN/disk" --run "$RUN" "${COPIES[@]}" $BUILD/manager/Vantero.tap
