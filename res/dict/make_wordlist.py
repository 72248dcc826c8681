#!/usr/bin/env python3
"""Turns a UTF-8 word list (one word a line) into UTF-8 dictionary rows of English words.

usage: make_wordlist.py WORDS OUTPUT [FREQUENCIES.json RANKS]
Possessive forms ("word's") and words beyond Windows-1252 (not English) are left out; each word
appears once. The short forms of "it is", "that is" ... stay. With a frequency list (a JSON array
of {"word", "count"}), RANKS gets "word<TAB>rank" lines: 1000 * log10 of the word's expected count
in 10^9 words, for the words the list knows.
"""
import json
import math
import sys

# "x's" forms that are mostly "x is" / "x has" / "let us", not possessives.
SHORT_FORMS = {"it", "that", "what", "there", "here", "he", "she", "who", "where", "let", "how"}
# Of the uses of a word, about how many are followed by this short form.
TAIL_SHARES = {"t": 0.5, "m": 0.5, "s": 0.1, "re": 0.1, "ll": 0.05, "ve": 0.05, "d": 0.05}


def read_words(source):
    seen = set()
    rows = []
    with open(source, encoding="utf-8", errors="replace") as f:
        for line in f:
            word = line.strip()
            if not word or "\ufffd" in word or "\\" in word or "\t" in word:
                continue
            if word.endswith("'s") and word[:-2].lower() not in SHORT_FORMS:
                continue
            try:
                encoded = word.encode("cp1252")
            except UnicodeEncodeError:
                continue
            if encoded not in seen:
                seen.add(encoded)
                rows.append(word)
    return rows


def expected_count(word, folded, exact, lowercase_words, short_forms=True):
    if short_forms and "'" in word:
        # The list splits short forms at the apostrophe: "don" stands for "don't", while of the
        # uses of "who" only a few are "who'll".
        head, _, tail = word.lower().partition("'")
        share = TAIL_SHARES.get(tail, 0.05)
        return share * min(folded.get(head, 0), folded.get(tail, 0))
    lower = word.lower()
    if word == lower:
        return folded.get(lower, 0)
    if lower in lowercase_words:
        # "Bill" beside "bill": only its own capitalised uses, and fewer of them are names.
        return 0.2 * exact.get(word, 0)
    return folded.get(lower, 0)


def ranks_from_counts(words, counts, short_forms=True, total=None):
    """Ranks of `words` by (word, count) pairs; short_forms: the counts split English short forms
    at the apostrophe. total: the number of words counted, when not the sum of the counts."""
    folded, exact = {}, {}
    counted = 0
    for word, count in counts:
        counted += count
        exact[word] = exact.get(word, 0) + count
        folded[word.lower()] = folded.get(word.lower(), 0) + count
    total = total or counted
    lowercase_words = {w for w in words if w == w.lower()}
    halves = set()
    if short_forms:
        # The list counts the halves of "don't" as words: such halves get no rank of their own.
        halves = {"s", "t", "m", "re", "ve", "ll", "d"}
        halves |= {w[:-2] for w in lowercase_words if w.endswith("n't") and w[:-2] not in ("can", "won")}
    ranks = {}
    for word in words:
        if word in halves:
            continue
        count = expected_count(word, folded, exact, lowercase_words, short_forms)
        if count > 0:
            ranks[word] = max(1, min(65535, round(1000 * math.log10(count * 1e9 / total))))
    return ranks


def ranks_of(words, frequencies):
    with open(frequencies, encoding="utf-8") as f:
        entries = json.load(f)
    return ranks_from_counts(words, ((entry["word"], int(entry["count"])) for entry in entries))


def main():
    if len(sys.argv) not in (3, 5):
        sys.exit(__doc__)
    words = read_words(sys.argv[1])
    with open(sys.argv[2], "wb") as f:
        for word in words:
            f.write(word.encode("utf-8") + b"\n")
    if len(sys.argv) == 5:
        ranks = ranks_of(words, sys.argv[3])
        with open(sys.argv[4], "wb") as f:
            for word in words:
                if word in ranks:
                    f.write(word.encode("utf-8") + b"\t" + str(ranks[word]).encode() + b"\n")


if __name__ == "__main__":
    main()
