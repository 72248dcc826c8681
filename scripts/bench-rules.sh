#!/usr/bin/env bash
# Application rules at scale, under Wine: Pennivox.exe's start-up with no rules and with RULES
# rules side by side, and the Applications Manager's open and OK on them.
# Usage: scripts/bench-rules.sh [BUILD_DIR] [RULES] [RUNS]     (default build/win, 5000, 3)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build/win}
rules=${2:-5000}
runs=${3:-3}
cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$build" --target rules_bench pv_default_dictionaries -j2 >/dev/null

envdir="$build/bench-rules-wine-env"
work=$(mktemp -d "${TMPDIR:-/tmp}/pv-bench-rules.XXXXXX")
cleanup() {
  if [ -n "${started_env:-}" ]; then bash "$here/scripts/wine-env.sh" stop "$envdir"; fi
  rm -rf "$work"
}
trap cleanup EXIT

# The program folder as a user has it, with the bundled dictionaries.
program="$work/Pennivox"
mkdir -p "$program/Libs"
cp "$build/Pennivox/Pennivox.exe" "$build/Pennivox/Zel.dll" "$program/"
cp "$build/Pennivox/Libs/"*.lib "$program/Libs/"

if [ -z "${DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
  bash "$here/scripts/wine-env.sh" start "$envdir" >/dev/null
  started_env=1
  # shellcheck disable=SC1091
  . "$envdir/env.sh"
fi
wine "$build/bin/rules_bench.exe" "$(winepath -w "$program")" "$rules" "$runs"
