#!/usr/bin/env bash
# Figures of the dictionary store: open time, merged search and memory, each against a plain baseline.
# Usage: scripts/bench-dict.sh [BUILD_DIR] [WORK_FOLDER]   (default build/native, build/bench-dict-data)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build/native}
work=${2:-$here/build/bench-dict-data}
cmake -S "$here" -B "$build" >/dev/null
cmake --build "$build" --target bench_dict -j2 >/dev/null
mkdir -p "$work"
"$build/bench/dict/bench_dict" "$work"
