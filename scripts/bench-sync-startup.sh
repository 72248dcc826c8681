#!/usr/bin/env bash
# Start-up of Pennivox.exe under Wine with a sync folder against the same words kept local: 100,000
# learnt words and 10,000 dictionary entries written by 3 PCs (bench_sync --write). B's program
# folder names the sync folder and has started once with it, so its local files already hold the
# merge (a later start, as every start after the first); A has copies of those files and no folder.
# Usage: scripts/bench-sync-startup.sh [BUILD_DIR] [RUNS]     (default build/win, 7 runs)
#        NATIVE_BUILD_DIR: where bench_sync is built (default build/native)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build/win}
runs=${2:-7}
native=${NATIVE_BUILD_DIR:-$here/build/native}
# shellcheck source=scripts/bench-wine.sh
. "$here/scripts/bench-wine.sh"
bench_build startup_bench pv_default_dictionaries
cmake -S "$here" -B "$native" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$native" --target bench_sync -j2 >/dev/null
bench_work sync-startup

"$native/bench/dict/bench_sync" --write "$work/sync"
libs="$build/Pennivox/Libs"
for folder in local synced; do
  mkdir -p "$work/$folder/Libs"
  cp "$build/Pennivox/Pennivox.exe" "$build/Pennivox/Zel.dll" "$work/$folder/"
  cp "$libs/English.lib" "$libs/Phrases.lib" "$libs/UserDictionary.lib" "$libs/UserShortHands.lib" "$work/$folder/Libs/"
done

bench_wine sync-startup
export LANG=C.UTF-8
unset LC_ALL
printf '[Others]\r\nstrSyncFolder=%s\r\n' "$(winepath -w "$work/sync")" >"$work/synced/Config.ini"
# The first start with the folder writes the merge into B's local files; A gets the same files.
PV_BENCH_LINGER_MS=30000 wine "$build/bin/startup_bench.exe" "$(winepath -w "$work/synced")" \
  "$(winepath -w "$work/synced")" 0 >/dev/null
for file in AutoLearn.dic AutoLearn.use UserDictionary.lib UserShortHands.lib; do
  [ -f "$work/synced/Libs/$file" ] && cp "$work/synced/Libs/$file" "$work/local/Libs/"
done
echo "local files: $(cd "$work/local/Libs" && ls -l | awk 'NR > 1 { printf "%s %s, ", $9, $5 }')"
echo "sync folder: $(ls "$work/sync" | wc -l) logs, $(du -sb "$work/sync" | cut -f1) bytes"
echo "A: the words local; B: the same with the sync folder"
wine "$build/bin/startup_bench.exe" "$(winepath -w "$work/local")" "$(winepath -w "$work/synced")" "$runs"
# B once more with the engine's work log: when after loading began the merge was taken up (the
# logs are read on a thread of their own meanwhile), and how long the engine thread spent on it.
export PV_ENGINE_LOG
PV_ENGINE_LOG=$(winepath -w "$work/engine.log")
PV_BENCH_LINGER_MS=5000 wine "$build/bin/startup_bench.exe" "$(winepath -w "$work/synced")" \
  "$(winepath -w "$work/synced")" 0 >/dev/null
awk -F'\t' '$2 == "message" && $3 == 32769 { load = $1; loadTook = $5 }
  $2 == "message" && $3 == 32781 { printf "B, engine thread: loading %.0f ms; the merge taken up %.0f ms after loading began, in %.0f ms\n", loadTook / 1000, ($1 - load) / 1000, $5 / 1000 }' \
  "$work/engine.log"
