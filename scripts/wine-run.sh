#!/usr/bin/env bash
# Runs one Windows executable under the test Wine environment (set up by scripts/wine-env.sh).
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
if [ -z "${WINEPREFIX:-}" ]; then
  echo "wine-run: WINEPREFIX is not set; source the file written by scripts/wine-env.sh start" >&2
  exit 2
fi
exec "$(command -v wine || command -v wine-stable || echo /usr/lib/wine/wine64)" "$@"
