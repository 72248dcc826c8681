# Sourced by the benchmarks that run under Wine, once `here` (the source folder) and `build` (the
# Windows build folder) are set:
#   bench_build TARGET...  configures the Windows build and builds what the benchmark runs;
#   bench_work NAME        makes a work folder, $work, removed at exit;
#   bench_wine NAME        uses the Wine environment already set (DISPLAY and WINEPREFIX), else
#                          starts one of the benchmark's own and stops it at exit.
# shellcheck shell=bash

bench_build() {
  cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" >/dev/null
  cmake --build "$build" --target "$@" -j2 >/dev/null
}

# What to do at exit, the last added first (the Wine environment stops before its files go).
bench_exit_steps=()
bench_at_exit() {
  bench_exit_steps=("$1" "${bench_exit_steps[@]}")
  trap 'for step in "${bench_exit_steps[@]}"; do eval "$step"; done' EXIT
}

bench_work() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/pv-bench-$1.XXXXXX")
  bench_at_exit 'rm -rf "$work"'
}

bench_wine() {
  if [ -n "${DISPLAY:-}" ] && [ -n "${WINEPREFIX:-}" ]; then
    return 0
  fi
  bench_envdir="$build/bench-$1-wine-env"
  bash "$here/scripts/wine-env.sh" start "$bench_envdir" >/dev/null
  bench_at_exit 'bash "$here/scripts/wine-env.sh" stop "$bench_envdir"'
  # shellcheck disable=SC1091
  . "$bench_envdir/env.sh"
}
