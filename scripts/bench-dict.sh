#!/usr/bin/env bash
# Figures of the dictionary store (open time, merged search, memory) and of its text export and
# import, each against a plain baseline.
# Usage: scripts/bench-dict.sh [BUILD_DIR] [WORK_FOLDER] [all|store|text]
#        (defaults build/native, build/bench-dict-data, all)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build/native}
work=${2:-$here/build/bench-dict-data}
which=${3:-all}
cmake -S "$here" -B "$build" >/dev/null
mkdir -p "$work"
if [ "$which" != text ]; then
  cmake --build "$build" --target bench_dict -j2 >/dev/null
  "$build/bench/dict/bench_dict" "$work"
fi
if [ "$which" != store ]; then
  cmake --build "$build" --target bench_dict_text -j2 >/dev/null
  "$build/bench/dict/bench_dict_text" "$work"
fi
