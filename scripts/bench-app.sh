#!/usr/bin/env bash
# Key delay and prompt delay of Pennivox.exe with a million dictionary entries and 100,000
# AutoLearn records, against the hook with a receiver that answers at once; under Wine.
# Where the build has the 32-bit pieces (BUILD_DIR/hook32) and Wine runs 32-bit programs, the
# program folder also holds Zel32.dll and Zel32Host.exe, and the bench adds (g) both hooks against
# Pennivox's hook alone and (h) keys typed into a 32-bit program; elsewhere it says they are not
# measured.
# Usage: scripts/bench-app.sh [BUILD_DIR] [KEYS] [PACE_MS]     (default build/win, 400 keys, 50 ms)
#        PV_BENCH_ORDER=classic: suggestions in key order ("Rank suggestions by use" off), else ranked.
#        PV_BENCH_PROGRAM=DIR, PV_BENCH_LIBS="A.lib B.lib": see below.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build/win}
keys=${2:-400}
pace=${3:-50}
# shellcheck source=scripts/bench-wine.sh
. "$here/scripts/bench-wine.sh"
bench_build app_bench pv_default_dictionaries

# The generated dictionaries are kept between runs; AutoLearn.dic is copied fresh every run.
data="$build/bench-app-data"
if [ ! -f "$data/words.txt" ]; then
  rm -rf "$data" && mkdir -p "$data/Libs"
  echo "making the benchmark dictionaries (once) in $data" >&2
  python3 "$here/bench/app/make_bench_data.py" "$build/native-tools/tools/pvdict/pvdict" "$data/Libs" \
    "$data/words.txt.part"
  mv "$data/words.txt.part" "$data/words.txt"
fi

bench_work app

# The program folder as a user has it, with the test receiver beside the same Zel.dll.
program="$work/Pennivox"
mkdir -p "$program/Libs"
# PV_BENCH_PROGRAM=DIR: Pennivox.exe and Zel.dll from another build (e.g. an older one, for a
# before/after comparison on the same data).
from="${PV_BENCH_PROGRAM:-$build/Pennivox}"
cp "$from/Pennivox.exe" "$from/Zel.dll" "$build/bin/pvrecv.exe" "$program/"
# PV_BENCH_LIBS="English.lib ...": only these bundled dictionaries (an older build knows no others).
for lib in ${PV_BENCH_LIBS:-$(cd "$build/Pennivox/Libs" && echo *.lib)}; do
  cp "$build/Pennivox/Libs/$lib" "$program/Libs/"
done
cp "$data/Libs/"* "$program/Libs/"
cp "$data/words.txt" "$work/words.txt"
if [ "${PV_BENCH_ORDER:-ranked}" = classic ]; then
  printf '[Others]\r\nbRankByUse=0\r\n' >"$program/Config.ini"
fi
echo "suggestion order: ${PV_BENCH_ORDER:-ranked}"

bench_wine app

# The 32-bit pieces: Pennivox's helper beside it, and for the bench a 32-bit target with a copy
# of the helper of its own for the receiver (a copy: Zel32.dll's shared section is per file).
target32=()
if [ ! -d "$build/hook32" ]; then
  echo "(g), (h): not measured: this build has no 32-bit pieces (no i686 MinGW compiler)"
elif [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
  echo "(g), (h): not measured: this Wine runs no 32-bit programs (install wine32, on a kernel that runs 32-bit code)"
elif [ ! -f "$from/Zel32Host.exe" ]; then
  echo "(g), (h): not measured: $from has no Zel32Host.exe"
else
  cp "$from/Zel32.dll" "$from/Zel32Host.exe" "$program/"
  mkdir -p "$work/Target32"
  cp "$build/hook32/bin/keytarget.exe" "$build/hook32/bin/Zel32.dll" "$build/hook32/bin/Zel32Host.exe" "$work/Target32/"
  target32=("$(winepath -w "$work/Target32")")
fi
echo "program folder: $(ls "$program/Libs" | tr '\n' ' ')"
wine "$build/bin/app_bench.exe" "$(winepath -w "$program")" "$(winepath -w "$work/words.txt")" "$keys" "$pace" \
  "${target32[@]}"
