#!/usr/bin/env bash
# Figures of the shorthand import and export: 10,000 shorthands in espanso YAML, AutoHotkey and
# CSV, side by side with the tagged text exchange of the same dictionary, in one run.
# Usage: scripts/bench-interchange.sh [BUILD_DIR] [WORK_FOLDER]
#        (defaults build/native, build/bench-interchange-data)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build/native}
work=${2:-$here/build/bench-interchange-data}
cmake -S "$here" -B "$build" >/dev/null
cmake --build "$build" --target bench_dict_interchange -j2 >/dev/null
"$build/bench/dict/bench_dict_interchange" "$work"
