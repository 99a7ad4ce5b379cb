#!/bin/bash
# Builds the fuzz targets with clang's libFuzzer (32-bit x86, ASan and UBSan)
# and runs each for a bounded time: FUZZ_SECONDS (default 60) per target.
# A crash, a leak of a descriptor or table, or a sanitizer report fails the
# script; the reproducer is kept in build/fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."

SECONDS_PER_TARGET=${FUZZ_SECONDS:-60}
OUT=build/fuzz
CLANG=${CLANG:-clang-14}
CLANGXX=${CLANGXX:-clang++-14}
FLAGS=(-m32 -g -O1 -std=c++17 -Wall -Wextra -Ilib
       -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)

mkdir -p "$OUT"

# run_fuzzer TARGET ARGS...: runs it in $OUT with its whole output in
# $OUT/TARGET.log; prints the final statistics, or the report of a failure.
run_fuzzer() {
  local target=$1
  shift
  local status=0
  (cd "$OUT" && ./"$target" -max_total_time="$SECONDS_PER_TARGET" -print_final_stats=1 "$@" \
     >"$target.log" 2>&1) || status=$?
  if ((status != 0)); then
    echo "fuzz: $target FAILED (status $status); its report ($OUT/$target.log):"
    grep -v '^#[0-9]*\s*\(NEW\|REDUCE\|pulse\|INITED\|RELOAD\)' "$OUT/$target.log" | tail -n 80
    return "$status"
  fi
  tail -n 6 "$OUT/$target.log"
}

echo "fuzz: building tap_header_fuzz"
"$CLANG" -x c -m32 -Ilib -fPIC -shared -nostdlib -o "$OUT/seed.tap" fuzz/SeedTap.c
"$CLANGXX" "${FLAGS[@]}" -o "$OUT/tap_header_fuzz" \
  fuzz/TapHeaderFuzz.cpp lib/firmware/ELF.cpp lib/firmware/HDD_TAP_GetInfo.cpp

# Seeds: the tiny TAP, plus a test TAP of the host build when it is there
# (the installer itself is far larger than the inputs the fuzzer tries).
CORPUS="$OUT/corpus_tap_header"
rm -rf "$CORPUS" && mkdir -p "$CORPUS"
cp "$OUT/seed.tap" "$CORPUS/"
if [[ -f build/host/tests/tasks/SetupIdentity.tap ]]; then
  cp build/host/tests/tasks/SetupIdentity.tap "$CORPUS/"
fi

echo "fuzz: running tap_header_fuzz for ${SECONDS_PER_TARGET}s"
run_fuzzer tap_header_fuzz -max_len=65536 -dict=../../fuzz/TapHeader.dict corpus_tap_header
echo "fuzz: tap_header_fuzz passed"

echo "fuzz: building font_loader_fuzz"
"$CLANGXX" "${FLAGS[@]}" -Wl,--wrap=open -o "$OUT/font_loader_fuzz" \
  fuzz/osd/FontLoaderFuzz.cpp lib/osd/FMUC_*.cpp lib/osd/FM_AlphaBlend*.cpp lib/osd/FM_InitAlphaLUT.cpp \
  lib/osd/FontFile.cpp lib/osd/TextCanvas.cpp lib/diag/GetOSDRegionWidth.cpp \
  lib/text/CharTableSelector.cpp lib/text/ISO6937Tables.cpp lib/text/ISO8859Tables.cpp lib/text/StrToUTF8.cpp \
  lib/text/StrToISO.cpp lib/text/UCPosition.cpp lib/text/UTF8Char.cpp lib/text/ValidFileName.cpp

CORPUS="$OUT/corpus_font_loader"
rm -rf "$CORPUS" && mkdir -p "$CORPUS"
cp fuzz/osd/seed_small.ufnt "$CORPUS/"

echo "fuzz: running font_loader_fuzz for ${SECONDS_PER_TARGET}s"
run_fuzzer font_loader_fuzz -max_len=4096 -dict=../../fuzz/osd/FontLoader.dict corpus_font_loader
echo "fuzz: font_loader_fuzz passed"
