#!/usr/bin/env bash
# Application rules at scale, under Wine: Pennivox.exe's start-up with no rules and with RULES
# rules side by side, and the Applications Manager's open and OK on them.
# Usage: scripts/bench-rules.sh [BUILD_DIR] [RULES] [RUNS]     (default build/win, 5000, 3)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build/win}
rules=${2:-5000}
runs=${3:-3}
# shellcheck source=scripts/bench-wine.sh
. "$here/scripts/bench-wine.sh"
bench_build rules_bench pv_default_dictionaries
bench_work rules

# The program folder as a user has it, with the bundled dictionaries.
program="$work/Pennivox"
mkdir -p "$program/Libs"
cp "$build/Pennivox/Pennivox.exe" "$build/Pennivox/Zel.dll" "$program/"
cp "$build/Pennivox/Libs/"*.lib "$program/Libs/"

bench_wine rules
wine "$build/bin/rules_bench.exe" "$(winepath -w "$program")" "$rules" "$runs"
