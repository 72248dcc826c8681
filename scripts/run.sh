#!/usr/bin/env bash
# Builds Pennivox for Windows and runs it under Wine from its program folder
# (Pennivox.exe, Zel.dll, Libs/ with the default dictionaries).
#   With a DISPLAY: Pennivox runs there until it is ended (tray "Exit", or Ctrl+C here).
#   Without one: a virtual display is started and a short scripted demonstration types into
#   Wine's notepad, prints what notepad holds and saves screenshots of the prompt.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${PV_RUN_BUILD_DIR:-$root/build/win}"  # PV_RUN_BUILD_DIR: another build folder

bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$build" -j2 --target Pennivox pv_default_dictionaries pvctl pvtarget pvrecv
program="$build/Pennivox"
echo "run: program folder $program"
ls "$program" "$program/Libs"

if [ -n "${DISPLAY:-}" ]; then
  export WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX="$build/run-prefix"
  [ -f "$WINEPREFIX/.pv-ready" ] || { wineboot -i >/dev/null 2>&1 || true; touch "$WINEPREFIX/.pv-ready"; }
  echo "run: starting Pennivox on $DISPLAY (end it from its tray icon, or with Ctrl+C)"
  cd "$program" && exec wine ./Pennivox.exe
fi

env_dir="$build/run-env"
bash "$root/scripts/wine-env.sh" start "$env_dir"
trap 'bash "$root/scripts/wine-env.sh" stop "$env_dir"' EXIT
# shellcheck disable=SC1091
. "$env_dir/env.sh"
PV_BINARY_DIR="$build" PV_SOURCE_DIR="$root" PV_PROGRAM_DIR="$program" python3 -u "$root/scripts/pennivox_demo.py"
