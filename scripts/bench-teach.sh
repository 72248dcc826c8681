#!/usr/bin/env bash
# Teaching from documents through pvengine --teach: 5 MB and 10 MB of documents (a fourth each plain
# text, .docx, .eml and .html, made from the KSR benchmark's texts), against a start without teaching,
# side by side: seconds and peak memory. Memory is bounded when 10 MB costs no more than 5 MB.
# Usage: scripts/bench-teach.sh [BUILD_DIR] [WORK_FOLDER]   (defaults build/native, build/bench-ksr-data)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build/native}
work=${2:-$here/build/bench-ksr-data}
[ -d "$work/texts/taught" ] || bash "$here/scripts/bench-ksr.sh" "$build" "$work" -- --modes ranked >/dev/null
cmake --build "$build" --target pvengine pv_default_dictionaries -j2 >/dev/null
libs=$build/Pennivox/Libs
learn=$(mktemp -d)
trap 'rm -rf "$learn"' EXIT
for size in 5 10; do
  rm -rf "$work/teach-$size"
  python3 "$here/bench/teach/make_documents.py" "$work/texts/taught" "$work/teach-$size" "$size"
done
printf '%-22s %10s %12s\n' "run" "seconds" "peak KB"
for run in none teach-5 teach-10; do
  teach=()
  [ "$run" = none ] || teach=(--teach "$work/$run")
  rm -f "$learn"/*
  /usr/bin/time -f "%e %M" -o "$learn/time" "$build/tools/pvengine/pvengine" --libs "$libs" \
    --learn "$learn/AutoLearn.dic" --save "${teach[@]}" </dev/null 2>/dev/null
  read -r seconds peak <"$learn/time"
  bytes=$([ "$run" = none ] && echo 0 || du -sb "$work/$run" | cut -f1)
  printf '%-22s %10s %12s   (%s bytes of documents)\n' "$run" "$seconds" "$peak" "$bytes"
done
