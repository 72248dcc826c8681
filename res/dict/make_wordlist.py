#!/usr/bin/env python3
"""Turns a UTF-8 word list (one word a line) into dictionary rows in Windows-1252.

usage: make_wordlist.py WORDS OUTPUT
Possessive forms ("word's") and words that Windows-1252 cannot hold are left out; each word
appears once.
"""
import sys


def main():
    source, target = sys.argv[1], sys.argv[2]
    seen = set()
    rows = []
    with open(source, encoding="utf-8", errors="replace") as f:
        for line in f:
            word = line.strip()
            if not word or word.endswith("'s") or "\ufffd" in word or "\\" in word or "\t" in word:
                continue
            try:
                encoded = word.encode("cp1252")
            except UnicodeEncodeError:
                continue
            if encoded not in seen:
                seen.add(encoded)
                rows.append(encoded)
    with open(target, "wb") as f:
        for row in rows:
            f.write(row + b"\n")


if __name__ == "__main__":
    main()
