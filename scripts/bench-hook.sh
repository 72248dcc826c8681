#!/usr/bin/env bash
# Key delay with and without Zel.dll's hook, under Wine on a virtual display; then the same for
# Zel32.dll in 32-bit processes when the build has the 32-bit pieces and Wine runs 32-bit programs.
# Usage: scripts/bench-hook.sh [BUILD_DIR] [KEYS]     (default build/win, 300 keys)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build/win}
keys=${2:-300}
# shellcheck source=scripts/bench-wine.sh
. "$here/scripts/bench-wine.sh"
bench_build hook_bench Zel
has32=0
if cmake --build "$build" --target help | grep pv_hook32 >/dev/null; then  # grep reads it all: no broken pipe
  cmake --build "$build" --target pv_hook32 -j2 >/dev/null
  has32=1
fi
bench_wine hook
status=0
echo "== 64-bit target, Zel.dll"
wine "$build/bin/hook_bench.exe" "$keys" || status=1
echo "== 32-bit target, Zel32.dll"
if [ "$has32" = 0 ]; then
  echo "not measured: this build has no 32-bit pieces (no i686 MinGW compiler)"
elif [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
  echo "not measured: this Wine runs no 32-bit programs (install wine32, on a kernel that runs 32-bit code)"
else
  wine "$build/hook32/bin/hook_bench.exe" "$keys" || status=1
fi
exit $status
