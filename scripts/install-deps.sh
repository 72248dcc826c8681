#!/usr/bin/env bash
# Installs the Debian packages that building and testing need. Idempotent; quick when all are there.
set -euo pipefail
pkgs=(
  cmake make g++ clang-14 libclang-rt-14-dev googletest libbenchmark-dev python3
  g++-mingw-w64-x86-64 mingw-w64-tools binutils-mingw-w64-x86-64
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine64 xvfb xdotool x11-utils imagemagick
  wamerican fp-utils libchm-bin nlohmann-json3-dev
)

# True when the kernel runs 32-bit x86 programs: a 93-byte static one that only exits.
kernel_runs_i386() {
  local probe
  probe=$(mktemp)
  printf '\x7fELF\x01\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x03\0\x01\0\0\0\x54\x80\x04\x08\x34\0\0\0' >"$probe"
  printf '\0\0\0\0\0\0\0\0\x34\0\x20\0\x01\0\0\0\0\0\0\0' >>"$probe"
  printf '\x01\0\0\0\0\0\0\0\0\x80\x04\x08\0\x80\x04\x08\x5d\0\0\0\x5d\0\0\0\x05\0\0\0\0\x10\0\0' >>"$probe"
  printf '\xb8\x01\0\0\0\x31\xdb\xcd\x80' >>"$probe"
  chmod +x "$probe"
  local ok=1
  "$probe" 2>/dev/null && ok=0
  rm -f "$probe"
  return $ok
}
# wine32 lets Wine run the 32-bit hook's tests. Only where the kernel runs 32-bit code: elsewhere
# it would take over `wine` and every Wine run would fail with "Exec format error".
if kernel_runs_i386; then
  pkgs+=(wine32:i386)
else
  echo "install-deps: this kernel runs no 32-bit programs: wine32 is left out, the 32-bit tests are skipped" >&2
fi

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "install-deps: installing ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
case " ${missing[*]} " in *":i386 "*) $SUDO dpkg --add-architecture i386 ;; esac
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
