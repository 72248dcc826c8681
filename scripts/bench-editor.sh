#!/usr/bin/env bash
# The dictionary editor on a dictionary of a million entries: opening until the first rows are
# painted and a two-letter query, next to CDictionaryFile::Open of the same file; and the
# AutoLearn page with 100,000 learnt words next to reading AutoLearn.dic; under Wine.
# Usage: scripts/bench-editor.sh [BUILD_DIR] [RUNS] [ENTRIES]     (default build/win, 5, 1000000)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build/win}
runs=${2:-5}
entries=${3:-1000000}
# shellcheck source=scripts/bench-wine.sh
. "$here/scripts/bench-wine.sh"
bench_build editor_bench autolearn_page_bench pv_default_dictionaries

# The dictionary is kept between runs.
data="$build/bench-editor-data"
dictionary="$data/Big$entries.lib"
if [ ! -f "$dictionary" ]; then
  mkdir -p "$data"
  echo "making a dictionary of $entries entries (once) in $data" >&2
  PYTHONPATH="$here/bench/app" python3 - "$data/words.txt" "$entries" <<'PY'
import random, sys
from make_bench_data import made_up_words
with open(sys.argv[1], "w", encoding="ascii") as f:
    f.write("\n".join(made_up_words(random.Random(7), int(sys.argv[2]))) + "\n")
PY
  "$build/native-tools/tools/pvdict/pvdict" create "$dictionary.part" --type 1 --caption "Benchmark" \
    --from "$data/words.txt" --input ansi --force
  mv "$dictionary.part" "$dictionary"
fi

autolearn="$data/AutoLearn.dic"
if [ ! -f "$autolearn" ]; then
  python3 - "$autolearn.part" <<'PY'
import struct, sys
with open(sys.argv[1], "wb") as f:
    for i in range(100000):
        f.write(struct.pack("<i", 1 + i % 5) + ("learnt word %06d" % i).encode().ljust(512, b"\0"))
PY
  mv "$autolearn.part" "$autolearn"
fi

bench_wine editor
wine "$build/bin/editor_bench.exe" "$(winepath -w "$dictionary")" "$runs" th
echo
wine "$build/bin/autolearn_page_bench.exe" "$(winepath -w "$autolearn")" "$runs"
