#!/usr/bin/env bash
# Installs what is needed, builds both configurations and runs every test:
# native unit tests, Windows unit tests under Wine and the end-to-end scenarios on Xvfb.
# Usage: scripts/test.sh [--native-only] [--keep-prefix]
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
native_only=0; fresh="--fresh"
for a in "$@"; do
  case "$a" in
    --native-only) native_only=1 ;;
    --keep-prefix) fresh="" ;;
  esac
done
jobs=$(nproc)

bash scripts/install-deps.sh || { echo "test: installing packages failed" >&2; exit 1; }

mkdir -p build
status=0
echo "== native build"
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo >build/native.configure.log 2>&1 \
  || { cat build/native.configure.log; exit 1; }
cmake --build build/native -j"$jobs" || exit 1
echo "== native tests"
ctest --test-dir build/native -j"$jobs" --output-on-failure || status=1

[ "$native_only" = 1 ] && exit $status

echo "== windows build"
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
  >build/win.configure.log 2>&1 || { cat build/win.configure.log; exit 1; }
cmake --build build/win -j"$jobs" || exit 1

echo "== wine tests"
envdir=build/win/wine-env
trap 'bash scripts/wine-env.sh stop "$envdir"' EXIT
bash scripts/wine-env.sh start "$envdir" $fresh || exit 1
# shellcheck disable=SC1091
. "$envdir/env.sh"
ctest --test-dir build/win -j"$jobs" --output-on-failure || status=1
exit $status
