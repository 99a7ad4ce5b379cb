#!/bin/bash
# check_style.sh - checks the code dialect: clang-format on every C/C++ file
# of the project, then clang-tidy (.clang-tidy) on lib/, tools/, installer/
# and pvrsim/.  Fails on the first unformatted file list or on any finding.
#
#   bash scripts/check_style.sh          check (what CI runs)
#   bash scripts/check_style.sh --fix    format every file in place, then check
#   bash scripts/check_style.sh --format-only | --tidy-only
#
# clang-tidy reads the host build's compile commands; the host preset is
# configured when they are missing (no build needed).
set -euo pipefail
cd "$(dirname "$0")/.."

FIX=0 FORMAT_CHECK=1 TIDY_CHECK=1
case "${1:-}" in
  --fix) FIX=1 ;;
  --format-only) TIDY_CHECK=0 ;;
  --tidy-only) FORMAT_CHECK=0 ;;
  "") ;;
  -h|--help) sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
  *) echo "check_style.sh: unknown option $1 (try --help)" >&2; exit 2 ;;
esac

FORMAT=clang-format-14
TIDY=clang-tidy-14
# A fresh machine gets the tools (and the build's packages) first.
if ! command -v "$FORMAT" >/dev/null || ! command -v "$TIDY" >/dev/null; then
  bash "$(dirname "$0")/setup.sh"
fi
for tool in "$FORMAT" "$TIDY"; do
  command -v "$tool" >/dev/null || { echo "check_style.sh: $tool missing after scripts/setup.sh" >&2; exit 2; }
done
JOBS=$(nproc)
start=$SECONDS

# Tracked C/C++ files only: build trees and downloads are never tracked.
mapfile -t SOURCES < <(git ls-files -- '*.c' '*.cc' '*.cpp' '*.h' '*.hpp')

if ((FIX)); then
  echo "=== clang-format: formatting ${#SOURCES[@]} files in place"
  printf '%s\0' "${SOURCES[@]}" | xargs -0 -n 20 -P "$JOBS" "$FORMAT" -i
fi

LOG=$(mktemp)
trap 'rm -f "$LOG"' EXIT
if ((FORMAT_CHECK)); then
  echo "=== clang-format: checking ${#SOURCES[@]} files"
  if ! printf '%s\0' "${SOURCES[@]}" |
      xargs -0 -n 20 -P "$JOBS" "$FORMAT" --dry-run -Werror >"$LOG" 2>&1; then
    head -n 40 "$LOG" >&2
    echo "check_style.sh: files not formatted (lines off the layout):" >&2
    grep -oE '^[^ :]+:[0-9]+:[0-9]+: error' "$LOG" | cut -d: -f1 | sort | uniq -c >&2
    echo "check_style.sh: run: bash scripts/check_style.sh --fix" >&2
    exit 1
  fi
  echo "=== clang-format: clean ($((SECONDS - start)) s)"
fi
((TIDY_CHECK)) || exit 0

tidy_start=$SECONDS
COMMANDS=build/host/compile_commands.json
[[ -f $COMMANDS ]] || cmake --preset host >/dev/null
mapfile -t TIDY_SOURCES < <(python3 - "$COMMANDS" "$PWD" <<'PY'
import json, os, sys
root = sys.argv[2] + '/'
seen = set()
for entry in json.load(open(sys.argv[1])):
    path = os.path.normpath(os.path.join(entry['directory'], entry['file']))
    rel = path[len(root):] if path.startswith(root) else ''
    if rel.split('/')[0] in ('lib', 'tools', 'installer', 'pvrsim') and rel not in seen:
        seen.add(rel)
        print(rel)
PY
)
echo "=== clang-tidy: ${#TIDY_SOURCES[@]} files of lib/, tools/, installer/, pvrsim/ (-j$JOBS)"
# --quiet drops the "N warnings generated" chatter; findings are errors
# (WarningsAsErrors in .clang-tidy), so a finding fails its file.
if ! printf '%s\0' "${TIDY_SOURCES[@]}" |
    xargs -0 -n 4 -P "$JOBS" "$TIDY" -p build/host --quiet >"$LOG" 2>&1; then
  grep -v -E '^[0-9]+ (warnings?|errors?) (generated|treated as errors)\.?$|^Suppressed [0-9]+ warnings|^Use -header-filter|^Error while processing' "$LOG" >&2 || true
  echo "check_style.sh: clang-tidy findings above: fix them, or add NOLINT(check) with the reason" >&2
  exit 1
fi
echo "=== clang-tidy: clean ($((SECONDS - tidy_start)) s); style check $((SECONDS - start)) s"
