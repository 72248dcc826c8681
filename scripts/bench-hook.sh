#!/usr/bin/env bash
# Key delay with and without Zel.dll's hook, under Wine on a virtual display.
# Usage: scripts/bench-hook.sh [BUILD_DIR] [KEYS]     (default build/win, 300 keys)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build/win}
keys=${2:-300}
cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$build" --target hook_bench Zel -j2 >/dev/null
envdir="$build/bench-wine-env"
if [ -z "${DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
  bash "$here/scripts/wine-env.sh" start "$envdir" >/dev/null
  trap 'bash "$here/scripts/wine-env.sh" stop "$envdir"' EXIT
  # shellcheck disable=SC1091
  . "$envdir/env.sh"
fi
wine "$build/bin/hook_bench.exe" "$keys"
