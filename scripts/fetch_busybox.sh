#!/bin/bash
# Fetches Debian's statically linked busybox for the box (mipsel) into
# build/downloads/busybox-static-mipsel/ and unpacks it.  The installer ships
# it twice: as "busybox" and as "wget" (busybox runs its wget applet when it
# is called by that name).  Does nothing when the program is already there.
#
# usage: scripts/fetch_busybox.sh [download folder]
set -euo pipefail
cd "$(dirname "$0")/.."
DOWNLOADS=${1:-build/downloads}
DEST="$DOWNLOADS/busybox-static-mipsel"
PROGRAM="$DEST/bin/busybox"

if [[ -s "$PROGRAM" ]]; then
  exit 0
fi

dpkg --print-foreign-architectures | grep -qx mipsel || {
  echo "fetch_busybox: the mipsel architecture is not enabled (run scripts/setup.sh as root)" >&2
  exit 1
}

mkdir -p "$DOWNLOADS"
work=$(mktemp -d "$DOWNLOADS/busybox.XXXXXX")
trap 'rm -rf "$work"' EXIT
chmod 777 "$work"  # apt's unprivileged download user writes into it
# apt-get download writes into the current folder.
if ! (cd "$work" && apt-get download -qq busybox-static:mipsel); then
  apt-get update -qq
  (cd "$work" && apt-get download -qq busybox-static:mipsel)
fi
deb=$(ls "$work"/busybox-static_*_mipsel.deb)
mkdir -p "$work/root"
dpkg-deb -x "$deb" "$work/root"
[[ -s "$work/root/bin/busybox" ]] || {
  echo "fetch_busybox: $deb holds no bin/busybox" >&2
  exit 1
}
rm -rf "$DEST"
mkdir -p "$DEST/bin"
cp "$deb" "$DEST/"
cp "$work/root/bin/busybox" "$PROGRAM.part"
mv "$PROGRAM.part" "$PROGRAM"
echo "fetch_busybox: $(file -b "$PROGRAM" | cut -d, -f1-3) -> $PROGRAM"
