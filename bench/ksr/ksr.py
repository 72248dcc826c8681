"""Keystroke savings rate (KSR = 1 - keys pressed / characters of the text) of an ideal user.

The user types each text character by character through pvengine and, before each character,
looks at the prompt's first page: when a row is the current word, it presses that row's index key
(F1 ... F5) and goes on after the word; it never needs Return to complete. A blank the completion
typed behind the word stands for the text's blank; a mark, tab or line break typed next takes its
place (where the text has a blank before the mark, the user types that blank first); anything else
costs a Back first. Every other character, every Back, and the Escape that a
key needs at a shown prompt that would complete with it (Tab; in classic mode Return too), is one
key. The user of "ranked+blank" types the blank behind a completed word out of habit, as users of
other tools do; the engine keeps one blank, so it saves as many keys as "ranked+learn" less those
blanks, which the run checks. Beside the engine's modes it prints orderings computed here without
the engine: the bundled word list ordered by a frequency list, by the text's own counts, and the
bound (every word offered first after its first letter).

usage: ksr.py --pvengine EXE --libs DIR --wordlist ROWS [--wordlist-encoding E] --frequencies FILE
              [--codepage N] [--all-libs DIR] TEXT...
With --all-libs, the column "all on" is ranked+learn with every bundled language's dictionary on.
The frequency list is JSON ([{word, count}]) or, named *.ranks, the ranks the build gave the words
(word<TAB>rank); texts are UTF-8.
"""
import argparse
import bisect
import concurrent.futures
import heapq
import json
import os
import re
import subprocess
import sys
import tempfile
import time
from collections import Counter

PAGE = 5
TAIL = 256  # characters of the edit that pvengine reports back
WORD = re.compile(r"[^\W\d_]+")  # letters
# Characters that take the place of the blank a completion typed behind its word.
BEFORE_BLANK = ".,;:!?)]}\t\n"

# The engine's modes: (column, Config.ini lines, pvengine options, the user types the blank).
MODES = [
    ("classic", "[Others]\nbRankByUse=0\n", [], False),
    ("ranked", "[Others]\nbRankByUse=1\n", ["--no-learn"], False),
    ("ranked+learn", "[Others]\nbRankByUse=1\n", [], False),
    ("ranked+blank", "[Others]\nbRankByUse=1\n", [], True),
    # Taught first (--teach) with the texts of --taught FOLDER/<text's name>/, learning as it goes.
    ("taught", "[Others]\nbRankByUse=1\n", [], False),
    # Not run unless asked for (--modes): completions without the blank behind the word.
    ("no-blank", "[Others]\nbRankByUse=1\nbBlankAfterWord=0\n", [], False),
]


def complete_keys(config_text):
    """The characters of the default complete keys that complete a shown prompt's first row:
    ranked, that row is a guess, and Return there is the line break."""
    return "\n\t" if "bRankByUse=0" in config_text else "\t"


class Engine:
    """pvengine in lockstep: one event out, one state back."""

    def __init__(self, exe, libs, config, options):
        self.process = subprocess.Popen([exe, "--libs", libs, "--config", config, "--tail", str(TAIL), *options],
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, encoding="utf-8", bufsize=1)

    def send(self, event):
        self.process.stdin.write(json.dumps(event) + "\n")
        self.process.stdin.flush()
        state = json.loads(self.process.stdout.readline())
        if "error" in state:
            raise RuntimeError("pvengine: " + state["error"])
        return state

    def close(self):
        self.process.stdin.close()
        self.process.wait()


def word_at(text, i):
    """The letters of the word that position i is in or starts: (start, end), or None."""
    if i >= len(text) or not text[i].isalpha():
        return None
    start = i
    while start > 0 and text[start - 1].isalpha():
        start -= 1
    end = i
    while end < len(text) and text[end].isalpha():
        end += 1
    return start, end


def matched(text, done, edit):
    """`done` when the edit (its last TAIL characters) holds the first `done` characters of the
    text, else -1."""
    if len(edit) < TAIL:  # the edit's whole text
        return done if len(edit) == done and text.startswith(edit) else -1
    return done if text.endswith(edit, 0, done) else -1


class User:
    """The ideal user's keys on one text, and the blanks it typed out of habit."""

    def __init__(self, engine, text, complete, habit):
        self.engine, self.text, self.complete, self.habit = engine, text, complete, habit
        self.keys = 0
        self.habit_blanks = 0

    def send(self, event):
        self.keys += 1
        return self.engine.send(event)

    def replay(self):
        text = self.text
        i = 0
        recoveries = 0
        state = self.engine.send({"reset": True})
        while i < len(text):
            span = word_at(text, i)
            if span and state["page"] == 0:
                word = text[span[0]:span[1]]
                rows = [row["text"] for row in state["rows"][:PAGE]]
                if word in rows:
                    state = self.send({"key": "F%d" % (rows.index(word) + 1)})
                    i, state = self.settle(span[1], state)
                    continue
            if state["rows"] and text[i] in self.complete:
                state = self.send({"key": "Escape"})  # the key would complete: it goes first
            state = self.send({"type": text[i]})
            i += 1
            if matched(text, i, state["text"]) < 0:
                recoveries += 1
                if recoveries > len(text):
                    raise RuntimeError("the engine keeps changing the text near %r" % text[max(i - 40, 0):i])
                i, state = self.settle(i, state)
        return self.keys

    def settle(self, done, state):
        """After a completion meant to type text[:done]: accounts for a blank typed behind the word,
        and takes back with Back whatever else differs. Returns (position, state)."""
        text = self.text
        edit = state["text"]
        if matched(text, done, edit) >= 0:
            return done, state
        # (compared as a whole: the edit's tail minus its blank would pass for the whole text)
        if edit.endswith(" ") and matched(text[:done] + " ", done + 1, edit) >= 0:
            if done < len(text) and text[done] == " ":
                # Before a mark the blank must be typed, or the mark would take its place ("mot ?").
                needed = done + 1 < len(text) and text[done + 1] in BEFORE_BLANK
                if self.habit or needed:
                    state = self.send({"type": " "})
                    self.habit_blanks += 0 if needed else 1
                    if matched(text, done + 1, state["text"]) < 0:
                        raise RuntimeError("a blank typed behind a completed word doubled it near %r" %
                                           text[max(done - 40, 0):done + 1])
                return done + 1, state
            if done < len(text) and text[done] in BEFORE_BLANK:
                return done, state  # typed next, it goes before the blank
            return done, self.send({"key": "Back"})
        # Something else: Back until the edit agrees with the text again.
        for _ in range(TAIL):
            state = self.send({"key": "Back"})
            edit = state["text"]
            for length in range(done, max(done - TAIL, 0) - 1, -1):
                if matched(text, length, edit) >= 0:
                    return length, state
        raise RuntimeError("the edit no longer follows the text near %r" % text[max(done - 40, 0):done])


class Ordering:
    """Words offered for a prefix: the list's words that begin with it (without regard to case),
    the first page by weight."""

    def __init__(self, words, weight):
        self.keys = sorted({w.lower() for w in words})
        self.weight = weight
        self.pages = {}

    def page(self, prefix):
        if prefix not in self.pages:
            lo = bisect.bisect_left(self.keys, prefix)
            hi = bisect.bisect_left(self.keys, prefix + "\x7f")
            self.pages[prefix] = heapq.nsmallest(PAGE, self.keys[lo:hi], key=lambda w: (-self.weight(w), w))
        return self.pages[prefix]


def replay_ordering(text, offered_after):
    """Keys of the ideal user when offered_after(word) gives the letters it needs typed before its
    row is on the first page (None: never)."""
    keys = 0
    i = 0
    for match in WORD.finditer(text):
        keys += match.start() - i  # blanks and punctuation
        word = match.group()
        need = offered_after(word)
        keys += need + 1 if need is not None and need + 1 < len(word) else len(word)
        i = match.end()
    return keys + len(text) - i


def first_page_after(ordering):
    def need(word):
        lower = word.lower()
        for k in range(1, len(word)):
            if lower in ordering.page(lower[:k]):
                return k
        return None
    return need


def read_frequencies(path):
    """Weights by lower-case word: counts, or ranks (which grow with the count)."""
    weights = Counter()
    with open(path, encoding="utf-8") as f:
        if path.endswith(".ranks"):
            for line in f:
                word, _, rank = line.rstrip("\n").partition("\t")
                weights[word.lower()] = max(weights[word.lower()], int(rank))
        else:
            for entry in json.load(f):
                weights[entry["word"].lower()] += entry["count"]
    return weights


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--pvengine", required=True)
    parser.add_argument("--libs", required=True)
    parser.add_argument("--wordlist", required=True, help="the bundled word list's rows")
    parser.add_argument("--wordlist-encoding", default="cp1252")
    parser.add_argument("--frequencies", required=True, help="a word-frequency list ([{word, count}] or *.ranks)")
    parser.add_argument("--modes", default=",".join(m[0] for m in MODES[:5]))
    parser.add_argument("--taught", help="a folder with a folder of texts to teach for each text (by its name)")
    parser.add_argument("--jobs", type=int, default=2, help="replays run at once")
    parser.add_argument("--codepage", help="pvengine's --codepage (what ANSI files are read in)")
    parser.add_argument("--all-libs", help="a folder with every bundled dictionary: the column \"all on\" "
                        "(ranked+learn with all languages on)")
    parser.add_argument("texts", nargs="+")
    args = parser.parse_args()

    words = [line.rstrip("\r\n") for line in open(args.wordlist, encoding=args.wordlist_encoding) if line.strip()]
    counts = read_frequencies(args.frequencies)
    by_frequency = Ordering(words, lambda w: counts.get(w, 0))
    engine_options = ["--codepage", args.codepage] if args.codepage else []
    modes = [(n, c, options + engine_options, h, args.libs) for n, c, options, h in MODES if n in args.modes.split(",")]
    if args.all_libs:
        name, config_text, options, habit = next(m for m in MODES if m[0] == "ranked+learn")
        modes.append(("all on", config_text, options + engine_options, habit, args.all_libs))

    columns = [m[0] for m in modes] + ["frequency", "own counts", "bound"]
    texts = {path: open(path, encoding="utf-8").read() for path in args.texts}
    with tempfile.TemporaryDirectory() as folder, concurrent.futures.ProcessPoolExecutor(args.jobs) as pool:
        runs = {}
        for name, config_text, options, habit, libs in modes:
            config = os.path.join(folder, name.replace(" ", "-") + ".ini")
            with open(config, "w") as f:
                f.write(config_text)
            for path in args.texts:
                taught = taught_folder(args.taught, path)
                if name == "taught" and not taught:
                    continue
                extra = ["--teach", taught] if name == "taught" else []
                runs[path, name] = pool.submit(run_mode, args.pvengine, libs, config, options + extra, habit, path)
        totals = {c: 0 for c in columns}
        blanks = {name: 0 for name, _, _, _, _ in modes}
        seconds = {name: 0.0 for name, _, _, _, _ in modes}
        print("%-10s %8s %7s " % ("text", "chars", "words") + " ".join("%12s" % c for c in columns))
        for path, text in texts.items():
            keys = {}
            for name, _, _, _, _ in modes:
                if (path, name) not in runs:
                    continue
                keys[name], habit_blanks, took = runs[path, name].result()
                blanks[name] += habit_blanks
                seconds[name] += took
            own = Counter(w.lower() for w in WORD.findall(text))
            keys["frequency"] = replay_ordering(text, first_page_after(by_frequency))
            keys["own counts"] = replay_ordering(text, first_page_after(Ordering(words, lambda w: own.get(w, 0))))
            keys["bound"] = replay_ordering(text, lambda word: 1)
            label = os.path.splitext(os.path.basename(path))[0]
            print("%-10s %8d %7d " % (label, len(text), len(WORD.findall(text))) +
                  " ".join("%12.3f" % (1 - keys[c] / len(text)) if c in keys else "%12s" % "-" for c in columns),
                  flush=True)
            for c in columns:
                totals[c] += keys.get(c, 0)
    characters = sum(len(t) for t in texts.values())
    words_in_all = sum(len(WORD.findall(t)) for t in texts.values())
    # A column that left texts out has no total.
    complete = {c for c in columns if all((p, c) in runs for p in args.texts) or c not in blanks}
    print("%-10s %8d %7d " % ("all", characters, words_in_all) +
          " ".join("%12.3f" % (1 - totals[c] / characters) if c in complete else "%12s" % "-" for c in columns))
    if "ranked+blank" in totals and "ranked+learn" in totals:
        more = totals["ranked+blank"] - totals["ranked+learn"]
        print("ranked+blank: %d keys more than ranked+learn, %d of them blanks typed behind completed words%s" %
              (more, blanks["ranked+blank"], "" if more == blanks["ranked+blank"] else " (EXPECTED EQUAL)"))
    for name, took in seconds.items():
        print("%s: the ideal user's replay of all texts through pvengine took %.1f s" % (name, took))
    took = piped_replay(args.pvengine, args.libs, texts.values(), engine_options)
    print("all texts typed into pvengine in one go (%d words, one event a character): %.1f s" % (words_in_all, took))


def taught_folder(root, path):
    """The folder of texts to teach before the text at path, or None."""
    if not root:
        return None
    folder = os.path.join(root, os.path.splitext(os.path.basename(path))[0])
    return folder if os.path.isdir(folder) else None


def piped_replay(exe, libs, texts, options):
    """Seconds pvengine takes for every character of the texts piped in at once."""
    events = "".join(json.dumps({"type": c}) + "\n" for text in texts for c in text)
    started = time.monotonic()
    subprocess.run([exe, "--libs", libs, "--tail", "64", *options], input=events, text=True, encoding="utf-8", check=True,
                   stdout=subprocess.DEVNULL)
    return time.monotonic() - started


def run_mode(exe, libs, config, options, habit, path):
    """The ideal user's keys and habitual blanks on one text in one mode, and the seconds it took."""
    text = open(path, encoding="utf-8").read()
    engine = Engine(exe, libs, config, options)
    user = User(engine, text, complete_keys(open(config).read()), habit)
    started = time.monotonic()
    keys = user.replay()
    took = time.monotonic() - started
    engine.close()
    return keys, user.habit_blanks, took


if __name__ == "__main__":
    main()
