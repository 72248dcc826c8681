#!/usr/bin/env bash
# Key delay of Pennivox.exe under Wine, against the hook with a receiver that answers at once.
# Two parts (PV_BENCH_PARTS, both by default):
#   batches  (a)-(h) of bench/app/AppLatencyBench.cpp: a million dictionary entries and 100,000
#            AutoLearn records, key and prompt delay. Where the build has the 32-bit pieces
#            (BUILD_DIR/hook32) and Wine runs 32-bit programs, the program folder also holds
#            Zel32.dll and Zel32Host.exe, and the bench adds (g) both hooks against Pennivox's hook
#            alone and (h) keys typed into a 32-bit program; elsewhere it says they are not measured.
#   pattern  a typist's pattern (bench/app/KeyPatternBench.cpp): a press every 60 ms, its release
#            0-5 ms after the press arrived; the program folder as the build ships it (its bundled
#            dictionaries, default settings), ranked and classic, today's program, the receiver
#            and with PV_BENCH_BEFORE an older program taking turns batch by batch.
# Usage: scripts/bench-app.sh [BUILD_DIR] [KEYS] [PACE_MS]     (default build/win, 400 keys, 50 ms)
#        PV_BENCH_PARTS="batches pattern"  the parts to run.
#   batches:
#        PV_BENCH_ORDER=classic: suggestions in key order ("Rank suggestions by use" off), else ranked.
#        PV_BENCH_PROGRAM=DIR, PV_BENCH_LIBS="A.lib B.lib": see below.
#   pattern:
#        PV_BENCH_BATCHES=6, PV_BENCH_BATCH_KEYS=100: batches per party and order, keys per batch.
#        PV_BENCH_ORDERS="ranked classic": the suggestion orders measured, one after the other.
#        PV_BENCH_BEFORE=COMMIT: also that commit's program, built once in BUILD_DIR/before.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
# Absolute: the older commit's build (PV_BENCH_BEFORE) runs from other folders.
build=$(cd "${1:-$here/build/win}" && pwd)
keys=${2:-400}
pace=${3:-50}
parts=${PV_BENCH_PARTS:-batches pattern}
# shellcheck source=scripts/bench-wine.sh
. "$here/scripts/bench-wine.sh"
bench_build app_bench pv_default_dictionaries
if [ -n "${PV_BENCH_BEFORE:-}" ] && [[ " $parts " == *" pattern "* ]]; then
  bench_before "$PV_BENCH_BEFORE"
fi

# The generated dictionaries are kept between runs; AutoLearn.dic is copied fresh every run.
# Both parts type the words made with them.
data="$build/bench-app-data"
if [ ! -f "$data/words.txt" ]; then
  rm -rf "$data" && mkdir -p "$data/Libs"
  echo "making the benchmark dictionaries (once) in $data" >&2
  python3 "$here/bench/app/make_bench_data.py" "$build/native-tools/tools/pvdict/pvdict" "$data/Libs" \
    "$data/words.txt.part"
  mv "$data/words.txt.part" "$data/words.txt"
fi

bench_work app
cp "$data/words.txt" "$work/words.txt"
bench_wine app

# (a)-(h): the program folder as a user has it, with the generated data and the test receiver
# beside the same Zel.dll.
run_batches() {
  local program="$work/Pennivox"
  mkdir -p "$program/Libs"
  # PV_BENCH_PROGRAM=DIR: Pennivox.exe and Zel.dll from another build (e.g. an older one, for a
  # before/after comparison on the same data).
  local from="${PV_BENCH_PROGRAM:-$build/Pennivox}"
  cp "$from/Pennivox.exe" "$from/Zel.dll" "$build/bin/pvrecv.exe" "$program/"
  # PV_BENCH_LIBS="English.lib ...": only these bundled dictionaries (an older build knows no others).
  local lib
  for lib in ${PV_BENCH_LIBS:-$(cd "$build/Pennivox/Libs" && echo *.lib)}; do
    cp "$build/Pennivox/Libs/$lib" "$program/Libs/"
  done
  cp "$data/Libs/"* "$program/Libs/"
  if [ "${PV_BENCH_ORDER:-ranked}" = classic ]; then
    printf '[Others]\r\nbRankByUse=0\r\n' >"$program/Config.ini"
  fi
  echo "suggestion order: ${PV_BENCH_ORDER:-ranked}"

  # The 32-bit pieces: Pennivox's helper beside it, and for the bench a 32-bit target with a copy
  # of the helper of its own for the receiver (a copy: Zel32.dll's shared section is per file).
  local target32=()
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
}

# A program folder as a build ships it (what a run left there stays behind), in suggestion order $3.
ship_program() {
  local from=$1 to=$2 order=$3
  mkdir -p "$to/Libs"
  find "$from" -maxdepth 1 -type f \( -name '*.exe' -o -name '*.dll' -o -name '*.chm' -o -name '*.txt' \) \
    -exec cp {} "$to/" \;
  cp "$from/Libs/"*.lib "$to/Libs/"
  if [ "$order" = classic ]; then
    printf '[Others]\r\nbRankByUse=0\r\n' >"$to/Config.ini"
  fi
}

run_pattern() {
  local args=() order
  echo "today: $(git -C "$here" describe --always --dirty), dictionaries: $(cd "$build/Pennivox/Libs" && echo *.lib)"
  if [ -n "${PV_BENCH_BEFORE:-}" ]; then
    echo "before: $PV_BENCH_BEFORE ($before_id), dictionaries: $(cd "$before_program/Libs" && echo *.lib)"
  fi
  for order in ${PV_BENCH_ORDERS:-ranked classic}; do
    ship_program "$build/Pennivox" "$work/$order/Today" "$order"
    cp "$build/bin/pvrecv.exe" "$work/$order/Today/"
    args+=("$order" "$(winepath -w "$work/$order/Today")")
    if [ -n "${PV_BENCH_BEFORE:-}" ]; then
      ship_program "$before_program" "$work/$order/Before" "$order"
      args+=("$(winepath -w "$work/$order/Before")")
    fi
  done
  # Default settings turn on English and the language of the user: English alone here.
  LC_ALL=C.UTF-8 wine "$build/bin/app_bench.exe" --pattern "$(winepath -w "$work/words.txt")" \
    "${PV_BENCH_BATCHES:-6}" "${PV_BENCH_BATCH_KEYS:-100}" "${args[@]}"
}

status=0
for part in $parts; do
  case "$part" in
    batches) run_batches || status=1 ;;
    pattern) run_pattern || status=1 ;;
    *) echo "unknown part '$part' in PV_BENCH_PARTS (batches, pattern)" >&2; exit 2 ;;
  esac
done
exit "$status"
