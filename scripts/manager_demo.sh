#!/bin/bash
# The update manager on pvrsim's web page against a sample repository: a
# host build (made when missing), a repository published with vdtool from
# TAPs of the tree (the toolkit gallery, with a screenshot), served on
# 127.0.0.1 by pvrsim itself (--repo), and the manager started on a fresh
# disk (run/manager) with its fonts, texts, a wget and Repository.ini naming
# the repository.  Open http://127.0.0.1:PORT/, press "menu", then in the
# options "Query the server now": the new TAP appears in the notice; green
# shows its description, blue its screenshot.  Ctrl-C ends pvrsim and with
# it the repository.
#
#   bash scripts/manager_demo.sh [PORT] [REPOPORT]
#
# PORT 0 takes any free port (pvrsim prints it).  BUILD (the build folder,
# build/host) and RUN (the run folder, run/manager) may be set in the
# environment; the browser test runs the demo in its own folders so.
set -euo pipefail
cd "$(dirname "$0")/.."
PORT=${1:-8720}
REPOPORT=${2:-8730}
BUILD=${BUILD:-build/host}
NEEDED=("$BUILD/pvrsim/pvrsim" "$BUILD/vdtool/vdtool" "$BUILD/manager/Vantero.tap" "$BUILD/gallery/Gallery.tap"
  "$BUILD/payloads/files/Vantero.lng")
for f in "${NEEDED[@]}"; do
  if [[ ! -e $f ]]; then
    [[ -f $BUILD/build.ninja ]] || cmake --preset host >/dev/null
    cmake --build "$BUILD" -j2 --target pvrsim vdtool VanteroManager Gallery payload_files >&2
    break
  fi
done
RUN=${RUN:-run/manager}
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
$BUILD/vdtool/vdtool publish "$RUN/pkg/Gallery.json" --out "$RUN/repo" >"$RUN/publish.log"
printf 'URL=http://127.0.0.1:%s/\r\n' "$REPOPORT" >"$RUN/Repository.ini"
echo "the wget that pvrsim's box shell runs" >"$RUN/wget"
COPIES=(--copy "$RUN/wget=/ProgramFiles/" --copy "$BUILD/payloads/files/Vantero.lng=/ProgramFiles/Settings/Vantero/"
  --copy "$RUN/Repository.ini=/ProgramFiles/Settings/Vantero/")
for f in $BUILD/payloads/files/*.ufnt; do COPIES+=(--copy "$f=/ProgramFiles/Settings/Fonts/"); done
exec $BUILD/pvrsim/pvrsim --serve "$PORT" --repo "$RUN/repo" --repo-port "$REPOPORT" --disk "$RUN/disk" \
  --run "$RUN" "${COPIES[@]}" $BUILD/manager/Vantero.tap
