#!/usr/bin/env python3
"""Makes the data of the program benchmark: word dictionaries, an AutoLearn file and the words to type.

usage: make_bench_data.py PVDICT LIBS_DIR TYPED_FILE [ENTRIES] [LEARNT]

ENTRIES (default 1,000,000) made-up words go into three dictionaries LIBS_DIR/Bench1..3.lib, built
with pvdict; LEARNT (default 100,000) records of phrases of those words go into LIBS_DIR/AutoLearn.dic.
TYPED_FILE gets beginnings of dictionary words, one a line, for the benchmark to type.
"""
import os
import random
import struct
import subprocess
import sys

ONSETS = ["b", "c", "d", "f", "g", "h", "k", "l", "m", "n", "p", "r", "s", "t", "v", "w", "z",
          "br", "ch", "cl", "dr", "fl", "gr", "pl", "pr", "sh", "st", "th", "tr"]
VOWELS = ["a", "e", "i", "o", "u", "ai", "ea", "ou", "y"]
CODAS = ["", "", "n", "r", "s", "t", "l", "m", "nd", "st", "ck"]
RECORD_TEXT = 512


def made_up_words(rng, count):
    seen = set()
    while len(seen) < count:
        word = "".join(rng.choice(ONSETS) + rng.choice(VOWELS) + rng.choice(CODAS)
                       for _ in range(rng.randint(2, 4)))
        if 5 <= len(word) <= 16:
            seen.add(word)
    words = sorted(seen)
    rng.shuffle(words)
    return words


def build_dictionary(pvdict, libs, name, words, scratch):
    rows = os.path.join(scratch, name + ".rows")
    with open(rows, "w", encoding="ascii") as f:
        f.write("\n".join(words) + "\n")
    subprocess.run([pvdict, "create", os.path.join(libs, name + ".lib"), "--type", "1", "--caption",
                    "Benchmark " + name, "--from", rows, "--input", "ansi", "--force"], check=True)
    os.remove(rows)


def write_autolearn(path, rng, words, count):
    with open(path, "wb") as f:
        for _ in range(count):
            text = " ".join(rng.choice(words) for _ in range(rng.randint(1, 3))).encode("ascii")
            f.write(struct.pack("<i", rng.randint(1, 40)) + text + b"\0" * (RECORD_TEXT - len(text)))


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    pvdict, libs, typed = sys.argv[1:4]
    entries = int(sys.argv[4]) if len(sys.argv) > 4 else 1000000
    learnt = int(sys.argv[5]) if len(sys.argv) > 5 else 100000
    rng = random.Random(20261208)
    words = made_up_words(rng, entries)
    thirds = [0, entries * 2 // 5, entries * 7 // 10, entries]
    for i in range(3):
        build_dictionary(pvdict, libs, "Bench%d" % (i + 1), words[thirds[i]:thirds[i + 1]], libs)
    write_autolearn(os.path.join(libs, "AutoLearn.dic"), rng, words, learnt)
    with open(typed, "w", encoding="ascii") as f:
        for word in rng.sample(words, 400):
            f.write(word[:rng.randint(3, 5)] + "\n")


if __name__ == "__main__":
    main()
