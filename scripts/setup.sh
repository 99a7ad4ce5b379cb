#!/bin/bash
# Installs everything the build needs on Debian 12 (run as root).  Safe to run
# again: packages already present are left alone.
set -euo pipefail

# i386 for the 32-bit host build's libraries, mipsel for the box's busybox and
# the MIPS suite's sysroot.
for arch in i386 mipsel; do
  dpkg --print-foreign-architectures | grep -qx "$arch" || dpkg --add-architecture "$arch"
done

# g++-12-multilib: the 32-bit host build (the g++-multilib meta package conflicts
# with the cross compiler g++-12-mipsel-linux-gnu); clang: fuzz targets.
PACKAGES=(
  cmake ninja-build file python3 python3-pil
  g++-12-multilib
  g++-12-mipsel-linux-gnu
  googletest libpng-dev:i386 zlib1g-dev:i386 libbenchmark-dev:i386
  libfreetype-dev libpng-dev libfreetype-dev:i386
  fonts-crosextra-carlito fonts-liberation2 fonts-dejavu-core
  clang libclang-rt-14-dev
  # scripts/check_style.sh: layout and static checks, Debian 12's version 14
  # (another version lays out some lines differently).
  clang-format-14 clang-tidy-14
  # The MIPS suite runs under qemu-mipsel.
  qemu-user
  # pvrsim --serve: the HTTP library (32-bit, as pvrsim), and the headless
  # browser with its WebDriver and Python client for the page's test;
  # nlohmann-json3-dev is also the JSON of vdtool.
  pkg-config libcpp-httplib-dev:i386 nlohmann-json3-dev
  chromium chromium-driver python3-selenium
)

missing=()
for p in "${PACKAGES[@]}"; do
  [[ "$p" == \#* ]] && continue
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The box's busybox (also shipped as wget), downloaded once into build/downloads.
bash "$(dirname "$0")/fetch_busybox.sh"
# Debian's mipsel loader and libraries for the MIPS suite, unpacked into
# build/downloads/mipsel-sysroot.
bash "$(dirname "$0")/fetch_mipsel_sysroot.sh"
