#!/bin/bash
# Builds the fuzz targets with clang's libFuzzer (32-bit x86, ASan and UBSan)
# and runs each one.  A crash, a leak of a descriptor or table, or a sanitizer
# report fails the script; the reproducer and the whole report are kept in
# build/fuzz/.  Each target ends with a line giving its executions.
#
# usage: scripts/fuzz.sh [--long] [TARGET...]
#   (default)  every target for FUZZ_SECONDS seconds (default 60), as CI does
#   --long     every target until FUZZ_RUNS executions (default 1,000,000)
#   TARGET     only the named targets (see the table below)
set -euo pipefail
cd "$(dirname "$0")/.."

SECONDS_PER_TARGET=${FUZZ_SECONDS:-60}
RUNS_PER_TARGET=${FUZZ_RUNS:-1000000}
LONG=0
SELECTED=()
for arg in "$@"; do
  case "$arg" in
    --long) LONG=1 ;;
    -h|--help) sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "fuzz: unknown option $arg (see --help)" >&2; exit 2 ;;
    *) SELECTED+=("$arg") ;;
  esac
done

OUT=build/fuzz
CLANG=${CLANG:-clang-14}
CLANGXX=${CLANGXX:-clang++-14}
FLAGS=(-m32 -g -O1 -std=c++17 -Wall -Wextra -Ilib -Itools -Ifuzz
       -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)
mkdir -p "$OUT"

# Sources shared by several targets.
TEXT_SOURCES="lib/text/CharTableSelector.cpp lib/text/ISO6937Tables.cpp lib/text/ISO8859Tables.cpp
  lib/text/StrToUTF8.cpp lib/text/StrToISO.cpp lib/text/UCPosition.cpp lib/text/UTF8Char.cpp
  lib/text/ValidFileName.cpp"

# ---------------------------------------------------------------------------
# The targets.  Each is a function build_NAME that compiles $OUT/NAME and fills
# $OUT/corpus_NAME with its seeds, and a line in TARGETS:
#   NAME  MAX_LEN  DICTIONARY (relative to the repository, or -)
# ---------------------------------------------------------------------------
TARGETS=(
  "tap_header_fuzz  65536 fuzz/TapHeader.dict"
  "font_loader_fuzz 4096  fuzz/osd/FontLoader.dict"
  "lang_loader_fuzz 4096  fuzz/text/LangLoader.dict"
  "tap_file_fuzz    32768 fuzz/TapHeader.dict"
  "vpd_load_fuzz      4096 fuzz/datafiles/VPDLoad.dict"
  "settings_load_fuzz 2048 -"
  "tob_load_fuzz      4096 -"
  "tapcache_fuzz      4096 -"
  "masterlist_fuzz    4096 -"
  "backup_texts_fuzz  4096 -"
)

build_tap_header_fuzz() {
  "$CLANG" -x c -m32 -Ilib -fPIC -shared -nostdlib -o "$OUT/seed.tap" fuzz/SeedTap.c
  "$CLANGXX" "${FLAGS[@]}" -o "$OUT/tap_header_fuzz" \
    fuzz/TapHeaderFuzz.cpp lib/firmware/ELF.cpp lib/firmware/HDD_TAP_GetInfo.cpp
  # Seeds: the tiny TAP, plus a test TAP of the host build when it is there
  # (the installer itself is far larger than the inputs the fuzzer tries).
  cp "$OUT/seed.tap" "$1/"
  if [[ -f build/host/tests/tasks/SetupIdentity.tap ]]; then
    cp build/host/tests/tasks/SetupIdentity.tap "$1/"
  fi
}

build_font_loader_fuzz() {
  # shellcheck disable=SC2086
  "$CLANGXX" "${FLAGS[@]}" -Wl,--wrap=open -o "$OUT/font_loader_fuzz" \
    fuzz/osd/FontLoaderFuzz.cpp lib/osd/FMUC_*.cpp lib/osd/FM_AlphaBlend*.cpp lib/osd/FM_InitAlphaLUT.cpp \
    lib/osd/FontFile.cpp lib/osd/TextCanvas.cpp lib/diag/GetOSDRegionWidth.cpp $TEXT_SOURCES
  cp fuzz/osd/seed_small.ufnt "$1/"
}

build_lang_loader_fuzz() {
  # shellcheck disable=SC2086
  "$CLANGXX" "${FLAGS[@]}" -o "$OUT/lang_loader_fuzz" fuzz/text/LangLoaderFuzz.cpp \
    lib/text/INIFile.cpp lib/text/LangStrings.cpp lib/text/StrReplace.cpp lib/text/iso639_1.cpp $TEXT_SOURCES
  # Seeds: three choice bytes (German menu, English fallback, 104 texts) and a
  # language file: a small hand-made one and the start of the shipped one.
  printf '\x02\x01\x03# de en\r\nde_000=Ja\r\n#de_001=no\r\nDE_001=a\\nb\r\nen_002=Only English\r\n' \
    >"$1/small.lng"
  if [[ -f build/host/tests/text/Vantero.lng ]]; then
    { printf '\x02\x01\x03'; head -c 4000 build/host/tests/text/Vantero.lng; } >"$1/shipped.lng"
  fi
}

build_tap_file_fuzz() {
  # pvrsim's own check of a TAP file before it loads it.
  "$CLANGXX" "${FLAGS[@]}" -Ipvrsim/core -o "$OUT/tap_file_fuzz" \
    fuzz/pvrsim/TapFileFuzz.cpp pvrsim/core/TapFile.cpp
  "$CLANG" -x c -m32 -Ilib -fPIC -shared -nostdlib -o "$OUT/seed_host.tap" fuzz/SeedTap.c
  cp "$OUT/seed_host.tap" "$1/"
  if [[ -f build/host/tests/pvrsim/NoId.tap ]]; then
    cp build/host/tests/pvrsim/NoId.tap "$1/"
  fi
}

# The data-file loaders with their own sources, the byte reader and writer
# they share, and the in-memory settings folder of fuzz/datafiles.
DATAFILE_SOURCES="tools/ByteReader.cpp tools/ByteWriter.cpp tools/WorkDir.cpp tools/StringField.cpp
  lib/text/UTF8Char.cpp tools/LogVantero.cpp fuzz/datafiles/DiskStandIn.cpp"

build_vpd_load_fuzz() {
  # shellcheck disable=SC2086
  "$CLANGXX" "${FLAGS[@]}" -Wl,--wrap=rename -o "$OUT/vpd_load_fuzz" fuzz/datafiles/VPDLoadFuzz.cpp \
    tools/VPDLoad.cpp tools/VPDSave.cpp tools/VPDFree.cpp tools/DefaultPath.cpp tools/Encrypt.cpp lib/text/UpperCase.cpp \
    $DATAFILE_SOURCES
  cp fuzz/datafiles/seed_v9.vpd fuzz/datafiles/seed_v6.vpd "$1/"
}

build_settings_load_fuzz() {
  # shellcheck disable=SC2086
  "$CLANGXX" "${FLAGS[@]}" -Wl,--wrap=rename -o "$OUT/settings_load_fuzz" fuzz/datafiles/SettingsLoadFuzz.cpp \
    tools/Settings.cpp tools/SettingsLoad.cpp tools/SettingsSave.cpp $DATAFILE_SOURCES
  cp fuzz/datafiles/seed_v11.settings fuzz/datafiles/seed_v3.settings "$1/"
}

build_tob_load_fuzz() {
  # shellcheck disable=SC2086
  "$CLANGXX" "${FLAGS[@]}" -Wl,--wrap=rename -o "$OUT/tob_load_fuzz" fuzz/datafiles/TOBLoadFuzz.cpp \
    tools/TAPsOnBoard.cpp $DATAFILE_SOURCES
  cp fuzz/datafiles/seed.tob "$1/"
}

build_tapcache_fuzz() {
  # shellcheck disable=SC2086
  "$CLANGXX" "${FLAGS[@]}" -Wl,--wrap=rename -o "$OUT/tapcache_fuzz" fuzz/datafiles/TAPCacheFuzz.cpp \
    tools/TAPCacheSave.cpp tools/TAPCacheFree.cpp $DATAFILE_SOURCES
  cp fuzz/datafiles/seed.tapcache "$1/"
}

build_masterlist_fuzz() {
  # shellcheck disable=SC2086
  "$CLANGXX" "${FLAGS[@]}" -Wl,--wrap=rename -o "$OUT/masterlist_fuzz" fuzz/datafiles/RepoMasterListFuzz.cpp \
    tools/RepoMasterList*.cpp tools/CRC32.cpp $DATAFILE_SOURCES
  cp fuzz/datafiles/seed.vml "$1/"
}

build_backup_texts_fuzz() {
  # shellcheck disable=SC2086
  "$CLANGXX" "${FLAGS[@]}" -Wl,--wrap=rename -o "$OUT/backup_texts_fuzz" fuzz/datafiles/BackupTextsFuzz.cpp \
    tools/BackupTexts.cpp $DATAFILE_SOURCES
  printf 'ProgramFiles/\nProgramFiles/A.tap\nProgramFiles/Settings/x.ini\n' >"$1/seed.list"
  printf 'Filesystem 1K-blocks Used Available Use%% Mounted on\n/dev/sda2 100 40 60 40%% /mnt/hd\n' >"$1/seed.df"
}

# run_fuzzer NAME MAX_LEN DICT: runs it in $OUT with its whole output in
# $OUT/NAME.log; prints the executions, or the report of a failure.
run_fuzzer() {
  local target=$1 max_len=$2 dict=$3
  local limit=(-max_total_time="$SECONDS_PER_TARGET")
  ((LONG)) && limit=(-runs="$RUNS_PER_TARGET")
  local args=("${limit[@]}" -max_len="$max_len" -print_final_stats=1)
  [[ "$dict" != - ]] && args+=(-dict="../../$dict")
  local status=0
  (cd "$OUT" && ./"$target" "${args[@]}" "corpus_$target" >"$target.log" 2>&1) || status=$?
  if ((status != 0)); then
    echo "fuzz: $target FAILED (status $status); its report ($OUT/$target.log):"
    grep -v '^#[0-9]*\s*\(NEW\|REDUCE\|pulse\|INITED\|RELOAD\)' "$OUT/$target.log" | tail -n 80
    return "$status"
  fi
  local runs seconds
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$OUT/$target.log")
  seconds=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$OUT/$target.log")
  echo "fuzz: $target passed: ${runs:-?} executions in ${seconds:-?} s, no finding"
}

selected() {
  ((${#SELECTED[@]} == 0)) && return 0
  local name
  for name in "${SELECTED[@]}"; do [[ "$name" == "$1" ]] && return 0; done
  return 1
}

for line in "${TARGETS[@]}"; do
  read -r name max_len dict <<<"$line"
  selected "$name" || continue
  echo "fuzz: building $name"
  rm -rf "$OUT/corpus_$name" && mkdir -p "$OUT/corpus_$name"
  "build_$name" "$OUT/corpus_$name"
  if ((LONG)); then
    echo "fuzz: running $name for $RUNS_PER_TARGET executions"
  else
    echo "fuzz: running $name for ${SECONDS_PER_TARGET}s"
  fi
  run_fuzzer "$name" "$max_len" "$dict"
done
