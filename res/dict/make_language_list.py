#!/usr/bin/env python3
"""Turns a word list of a language other than English into UTF-8 dictionary rows and ranks.

usage: make_language_list.py WORDS CODEPAGE COMMON OUTPUT RANKS [--affixes AFF] [--limit N]

WORDS is a word list (one word a line, UTF-8 or ISO-8859-1) or, with --affixes, a hunspell .dic whose words
carry suffix flags of AFF (every form is listed). Words the language's own ANSI code page
(e.g. cp1250) cannot hold are left out, each word appears once. COMMON lists the language's most
common words, most common first: a word's place there gives its expected count by the curve that
the English counts follow over the English list of the same source, so the ranks mean what the
English ones mean. RANKS gets "word<TAB>rank" lines for the words that have one.

--limit keeps every word that has a rank and, of the others, the headwords (with --affixes: the
words of the .dic) first, then the forms that share a stem with a ranked word, then the
shortest, until N words: rare inflected forms are what such lists hold by the hundred thousand
(the Polish one lists every form of every word).
"""
import argparse
import math
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_wordlist import ranks_from_counts  # noqa: E402

# Over the English list of the frequency source, 1000 * log10(count per 10^9 words) of the
# word at place p follows 7767 - 1110 * log10(p) (fitted against the English counts).
CURVE_TOP = 7767
CURVE_SLOPE = 1110


def common_counts(path):
    counts = []
    with open(path, encoding="utf-8") as f:
        for place, line in enumerate(f, 1):
            word = line.strip()
            if word:
                counts.append((word, 10 ** ((CURVE_TOP - CURVE_SLOPE * math.log10(place)) / 1000)))
    return counts


def read_affixes(path):
    """Suffix rules by flag: (strip, add, condition regex)."""
    rules = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            parts = line.split()
            if len(parts) < 4 or parts[0] not in ("SFX", "PFX"):
                continue
            if parts[0] == "PFX":
                sys.exit(f"{path}: prefix rules are not supported")
            if len(parts) == 4 and parts[2] in ("Y", "N"):
                continue  # the header of a rule block
            flag, strip, add = parts[1], parts[2], parts[3].split("/")[0]
            condition = parts[4] if len(parts) > 4 else "."
            rules.setdefault(flag, []).append(
                ("" if strip == "0" else strip, "" if add == "0" else add, re.compile("(?:" + condition + ")$")))
    return rules


def expand(dic_path, rules):
    """Every word of a hunspell .dic with its suffixed forms; the .dic's own words first."""
    heads, forms = [], []
    with open(dic_path, encoding="utf-8") as f:
        next(f, None)  # the word count
        for line in f:
            word, _, flags = line.strip().partition("/")
            if not word:
                continue
            heads.append(word)
            for flag in flags:
                for strip, add, condition in rules.get(flag, ()):
                    if condition.search(word) and word.endswith(strip):
                        forms.append(word[: len(word) - len(strip)] + add)
    return heads, forms


def plain_words(path):
    with open(path, "rb") as f:
        data = f.read()
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError:
        text = data.decode("latin-1")  # the older lists (Swedish) are ISO-8859-1
    return [line.strip() for line in text.splitlines()]


def keep_writable(words, codepage):
    seen, kept = set(), []
    for word in words:
        if not word or word in seen or "\ufffd" in word or "\\" in word or "\t" in word:
            continue
        try:
            word.encode(codepage)
        except UnicodeEncodeError:
            continue
        seen.add(word)
        kept.append(word)
    return kept


def stem(word):
    # What inflection mostly leaves alone: all but the last three letters, at least four.
    word = word.lower()
    return word[: max(4, len(word) - 3)]


def cut(words, heads, ranks, limit):
    if limit is None or len(words) <= limit:
        return words
    chosen = {w for w in words if w in ranks}
    ranked_stems = {stem(w) for w in chosen}
    rest = sorted((w for w in words if w not in chosen),
                  key=lambda w: (w not in heads, stem(w) not in ranked_stems, len(w), w))
    chosen.update(rest[: max(0, limit - len(chosen))])
    return [w for w in words if w in chosen]


def main():
    parser = argparse.ArgumentParser(usage=__doc__)
    parser.add_argument("words")
    parser.add_argument("codepage")
    parser.add_argument("common")
    parser.add_argument("output")
    parser.add_argument("ranks")
    parser.add_argument("--affixes")
    parser.add_argument("--limit", type=int)
    args = parser.parse_args()

    if args.affixes:
        heads, forms = expand(args.words, read_affixes(args.affixes))
        words = keep_writable(heads + forms, args.codepage)
        heads = set(heads)
    else:
        words = keep_writable(plain_words(args.words), args.codepage)
        heads = set()
    ranks = ranks_from_counts(words, common_counts(args.common), short_forms=False, total=1e9)
    words = cut(words, heads, ranks, args.limit)
    with open(args.output, "wb") as f:
        for word in words:
            f.write(word.encode("utf-8") + b"\n")
    with open(args.ranks, "wb") as f:
        for word in words:
            if word in ranks:
                f.write(word.encode("utf-8") + b"\t" + str(ranks[word]).encode() + b"\n")
    print(f"{os.path.basename(args.output)}: {len(words)} words, {sum(w in ranks for w in words)} ranked")


if __name__ == "__main__":
    main()
