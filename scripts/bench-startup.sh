#!/usr/bin/env bash
# Start-up time and memory of Pennivox.exe under Wine: with the bundled English dictionaries alone
# (A) and with every bundled language installed, only English enabled (B, what an English user
# gets at first start), side by side.
# Usage: scripts/bench-startup.sh [BUILD_DIR] [RUNS]     (default build/win, 7 runs)
#        PV_BENCH_BASELINE=DIR: A runs Pennivox.exe and Zel.dll from DIR (an older build: today's
#        program against the new one with every language installed).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build/win}
runs=${2:-7}
# shellcheck source=scripts/bench-wine.sh
. "$here/scripts/bench-wine.sh"
bench_build startup_bench pv_default_dictionaries
bench_work startup

libs="$build/Pennivox/Libs"
for folder in english all; do
  mkdir -p "$work/$folder/Libs"
  from="$build/Pennivox"
  [ "$folder" = english ] && from="${PV_BENCH_BASELINE:-$from}"
  cp "$from/Pennivox.exe" "$from/Zel.dll" "$work/$folder/"
done
cp "$libs/English.lib" "$libs/Phrases.lib" "$libs/UserDictionary.lib" "$libs/UserShortHands.lib" "$work/english/Libs/"
cp "$libs/"*.lib "$work/all/Libs/"

bench_wine startup
# An English user: the other languages' dictionaries stay off.
export LANG=C.UTF-8
unset LC_ALL
echo "A: $(ls "$work/english/Libs" | tr '\n' ' ')"
echo "B: $(ls "$work/all/Libs" | tr '\n' ' ')"
wine "$build/bin/startup_bench.exe" "$(winepath -w "$work/english")" "$(winepath -w "$work/all")" "$runs"
