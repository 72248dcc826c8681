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

# bench_before COMMIT: builds that commit's Pennivox.exe, Zel.dll (and its 32-bit pieces) and the
# dictionaries its own build makes, once per commit id, in $build/before/ID: a worktree of the
# commit (src, with ../shared beside it and a copy of .deps) and its MinGW Release build. Sets
# $before_id and $before_program (the program folder of that build).
bench_before() {
  before_id=$(git -C "$here" rev-parse --verify "$1^{commit}")
  local root="$build/before/$before_id"
  before_program="$root/build/Pennivox"
  if [ -f "$root/built" ]; then
    return 0
  fi
  echo "building $1 ($before_id) once in $root" >&2
  mkdir -p "$root"
  if [ ! -d "$root/src" ]; then
    git -C "$here" worktree add --detach "$root/src" "$before_id" >/dev/null
  fi
  ln -sfn "$(cd "$here/../shared" && pwd)" "$root/shared"
  if [ -d "$here/.deps" ] && [ ! -d "$root/src/.deps" ]; then
    cp -a "$here/.deps" "$root/src/.deps"
  fi
  if ! cmake -S "$root/src" -B "$root/build" -DCMAKE_TOOLCHAIN_FILE="$root/src/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DPV_TESTS=OFF -DPV_BENCH=OFF >"$root/build.log" 2>&1 ||
    ! cmake --build "$root/build" --target Pennivox Zel pv_default_dictionaries -j2 >>"$root/build.log" 2>&1; then
    echo "$1 did not build with this toolchain; the end of $root/build.log:" >&2
    tail -n 20 "$root/build.log" >&2
    return 1
  fi
  touch "$root/built"
}
