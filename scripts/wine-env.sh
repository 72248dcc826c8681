#!/usr/bin/env bash
# The tests' own Wine environment: a prefix, a persistent wineserver and an Xvfb display.
#   wine-env.sh start STATE_DIR [--fresh]   start them; writes STATE_DIR/env.sh to source
#   wine-env.sh stop  STATE_DIR             stop them again (by PID, and wineserver -k)
# Several environments may run side by side: each has its own prefix and display number.
# winemenubuilder is off: shortcuts that programs make stay in the prefix, out of the desktop's menus.
set -euo pipefail
cmd=${1:-}; state=${2:-}
[ -n "$cmd" ] && [ -n "$state" ] || { echo "usage: $0 start|stop STATE_DIR [--fresh]" >&2; exit 2; }
mkdir -p "$state"
state=$(cd "$state" && pwd)
prefix="$state/prefix"

export WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" WINEPREFIX="$prefix"

stop_env() {
  if [ -f "$state/env.sh" ]; then
    # shellcheck disable=SC1091
    . "$state/env.sh"
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "${PV_XVFB_PID:-}" ] && kill -0 "$PV_XVFB_PID" 2>/dev/null; then
      kill "$PV_XVFB_PID" 2>/dev/null || true
      for _ in $(seq 50); do kill -0 "$PV_XVFB_PID" 2>/dev/null || break; sleep 0.1; done
      kill -9 "$PV_XVFB_PID" 2>/dev/null || true
    fi
    rm -f "$state/env.sh"
  fi
}

free_display() {
  local n
  for n in $(seq 91 199); do
    if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then echo "$n"; return 0; fi
  done
  return 1
}

case "$cmd" in
  start)
    stop_env
    # A prefix made before wine32 was installed has no 32-bit system: make it again.
    no_wow64=0
    [ -x /usr/lib/wine/wine ] && [ ! -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ] && no_wow64=1
    if [ "${3:-}" = "--fresh" ] || [ ! -f "$prefix/.pv-ready" ] || [ "$no_wow64" = 1 ]; then
      rm -rf "$prefix"
      wineboot -i >/dev/null 2>&1 || true
      # Debian's `wine` is the 32-bit loader once wine32 is in, and its reg sees the 32-bit view.
      wine64=wine
      [ -x /usr/lib/wine/wine64 ] && wine64=/usr/lib/wine/wine64
      # Without a window manager, hiding a top-level window otherwise waits 2 s.
      $wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
      # A crashing test must end at once: no debugger that waits on the display and
      # keeps CTest's output pipe open (in both views: tests of both bitnesses run).
      $wine64 reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
      for loader in $wine64 wine; do
        $loader reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f \
          >/dev/null 2>&1
      done
      wineserver -w
      touch "$prefix/.pv-ready"
    fi
    # Environments started side by side (parallel tests) may pick the same free number: the one
    # whose Xvfb loses the race tries the next.
    started=0
    for _ in 1 2 3 4 5; do
      disp=$(free_display) || { echo "wine-env: no free X display" >&2; exit 1; }
      Xvfb ":$disp" -screen 0 1024x768x24 -nolisten tcp >"$state/xvfb.log" 2>&1 &
      xpid=$!
      for _ in $(seq 200); do
        if xdpyinfo -display ":$disp" >/dev/null 2>&1; then
          # The display may be the winner's: ours is the one only if it still runs a moment later.
          sleep 0.2
          kill -0 "$xpid" 2>/dev/null && started=1
          break
        fi
        kill -0 "$xpid" 2>/dev/null || break
        sleep 0.05
      done
      [ "$started" = 1 ] && break
      kill "$xpid" 2>/dev/null || true
      sleep "0.$((RANDOM % 5 + 1))"
    done
    [ "$started" = 1 ] || { echo "wine-env: Xvfb :$disp failed" >&2; cat "$state/xvfb.log" >&2; exit 1; }
    export DISPLAY=":$disp"
    cat >"$state/env.sh" <<ENV
export WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEPREFIX="$prefix"
export DISPLAY=":$disp"
export PV_XVFB_PID=$xpid
ENV
    # A persistent server: otherwise each test's wine starts one that holds CTest's output pipe.
    setsid wineserver -p >/dev/null 2>&1 </dev/null || true
    wine cmd /c exit >/dev/null 2>&1 </dev/null || true
    echo "wine-env: prefix $prefix, display :$disp"
    ;;
  stop)
    stop_env
    ;;
  *) echo "usage: $0 start|stop STATE_DIR [--fresh]" >&2; exit 2 ;;
esac
