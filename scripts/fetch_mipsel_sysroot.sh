#!/bin/bash
# Unpacks Debian's mipsel C and C++ runtime, libpng and zlib into a sysroot
# folder (default build/downloads/mipsel-sysroot) for the MIPS test suite:
# the cross build links pvrsim against its libpng, and qemu-mipsel runs the
# programs with it as the root of their loader and libraries (-L).
#
# The packages are unpacked instead of installed next to the host's own:
# Debian's security archive carries no mipsel builds, so the mipsel copies of
# multi-arch libraries (zlib1g, libpng16-16, ...) often lag the host's
# version, and dpkg refuses two versions of one multi-arch package.  Does
# nothing when the sysroot holds the same package versions already.
#
# usage: scripts/fetch_mipsel_sysroot.sh [sysroot folder]
set -euo pipefail
cd "$(dirname "$0")/.."
SYSROOT=${1:-build/downloads/mipsel-sysroot}
PACKAGES=(libc6 libgcc-s1 libstdc++6 zlib1g zlib1g-dev libpng16-16 libpng-dev)
STAMP="$SYSROOT/.packages"

dpkg --print-foreign-architectures | grep -qx mipsel || {
  echo "fetch_mipsel_sysroot: the mipsel architecture is not enabled (run scripts/setup.sh as root)" >&2
  exit 1
}

# The candidate version of every package, as "name=version" lines.
wanted() {
  for p in "${PACKAGES[@]}"; do
    echo "$p=$(apt-cache policy "$p:mipsel" | awk '/Candidate:/ {print $2}')"
  done
}
want=$(wanted)
if grep -q '=(none)$\|=$' <<<"$want"; then
  apt-get update -qq
  want=$(wanted)
fi
if [[ -f "$STAMP" && "$(cat "$STAMP")" == "$want" ]]; then
  exit 0
fi

mkdir -p "$(dirname "$SYSROOT")"
work=$(mktemp -d "$(dirname "$SYSROOT")/sysroot.XXXXXX")
trap 'rm -rf "$work"' EXIT
chmod 777 "$work"  # apt's unprivileged download user writes into it
# apt-get download writes into the current folder.
(cd "$work" && apt-get download -qq $(sed 's/=.*/:mipsel/' <<<"$want"))
mkdir -p "$work/root"
for deb in "$work"/*.deb; do
  dpkg-deb -x "$deb" "$work/root"
done
for file in lib/ld.so.1 usr/lib/mipsel-linux-gnu/libpng16.so.16 usr/include/png.h; do
  [[ -e "$work/root/$file" ]] || {
    echo "fetch_mipsel_sysroot: the unpacked packages hold no $file" >&2
    exit 1
  }
done
# Absolute links (libz.so -> /lib/...) point into the sysroot instead.
find "$work/root" -type l -lname '/*' | while read -r link; do
  target=$(readlink "$link")
  ln -sfn "$(realpath -m --relative-to="$(dirname "$link")" "$work/root$target")" "$link"
done
# The loader reads /etc/ld.so.cache; an empty one keeps the host's cache (of
# x86 libraries) out of the search.
mkdir -p "$work/root/etc"
: >"$work/root/etc/ld.so.cache"
echo "$want" >"$work/root/.packages"
rm -rf "$SYSROOT"
mv "$work/root" "$SYSROOT"
echo "fetch_mipsel_sysroot: $(tr '\n' ' ' <"$STAMP")-> $SYSROOT"
