"""Keystroke savings rate (KSR = 1 - keys pressed / characters of the text) of an ideal user.

The user types each text character by character through pvengine and, before each character,
looks at the prompt's first page: when a row is the current word, it presses that row's index key
(F1 ... F5) and goes on after the word. A blank the completion typed behind the word stands for
the text's blank, or costs a Back before anything else. Every other character, every Back, and
the Escape that a line break or tab needs at a shown prompt (Return and Tab complete there), is
one key. Beside the engine's modes it prints orderings computed here without the engine: the
bundled word list ordered by a frequency list, by the text's own counts, and the bound (every
word offered first after its first letter).

usage: ksr.py --pvengine EXE --libs DIR --wordlist ROWS [--wordlist-encoding E] --frequencies FILE TEXT...
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
COMPLETE_KEYS = "\n\t"  # the characters of the default complete keys

# The engine's modes: (column, Config.ini lines, pvengine options).
MODES = [
    ("classic", "[Others]\nbRankByUse=0\n", []),
    ("ranked", "[Others]\nbRankByUse=1\n", ["--no-learn"]),
    ("ranked+learn", "[Others]\nbRankByUse=1\n", []),
    # Not run unless asked for (--modes): completions without the blank behind the word.
    ("no-blank", "[Others]\nbRankByUse=1\nbBlankAfterWord=0\n", []),
]


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


def replay_engine(engine, text):
    keys = 0
    i = 0
    recoveries = 0
    state = engine.send({"reset": True})
    while i < len(text):
        span = word_at(text, i)
        if span and state["page"] == 0:
            word = text[span[0]:span[1]]
            rows = [row["text"] for row in state["rows"][:PAGE]]
            if word in rows:
                state = engine.send({"key": "F%d" % (rows.index(word) + 1)})
                keys += 1
                i, state, extra = settle(engine, text, span[1], state)
                keys += extra
                continue
        if state["rows"] and text[i] in COMPLETE_KEYS:
            # Return and Tab complete at a shown prompt: it goes first.
            state = engine.send({"key": "Escape"})
            keys += 1
        state = engine.send({"type": text[i]})
        keys += 1
        i += 1
        if matched(text, i, state["text"]) < 0:
            recoveries += 1
            if recoveries > len(text):
                raise RuntimeError("the engine keeps changing the text near %r" % text[max(i - 40, 0):i])
            i, state, extra = settle(engine, text, i, state)
            keys += extra
    return keys


def settle(engine, text, done, state):
    """After a completion meant to type text[:done]: accounts for a blank typed behind the word,
    and takes back with Back whatever else differs. Returns (position, state, keys pressed)."""
    keys = 0
    edit = state["text"]
    if matched(text, done, edit) >= 0:
        return done, state, 0
    # (compared as a whole: the edit's tail minus its blank would pass for the whole text)
    if edit.endswith(" ") and matched(text[:done] + " ", done + 1, edit) >= 0:
        if done < len(text) and text[done] == " ":
            return done + 1, state, 0
        state = engine.send({"key": "Back"})
        return done, state, 1
    # Something else: Back until the edit agrees with the text again.
    for _ in range(TAIL):
        state = engine.send({"key": "Back"})
        keys += 1
        edit = state["text"]
        for length in range(done, max(done - TAIL, 0) - 1, -1):
            if matched(text, length, edit) >= 0:
                return length, state, keys
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
    parser.add_argument("--modes", default=",".join(m[0] for m in MODES[:3]))
    parser.add_argument("--jobs", type=int, default=2, help="replays run at once")
    parser.add_argument("texts", nargs="+")
    args = parser.parse_args()

    words = [line.rstrip("\r\n") for line in open(args.wordlist, encoding=args.wordlist_encoding) if line.strip()]
    counts = read_frequencies(args.frequencies)
    by_frequency = Ordering(words, lambda w: counts.get(w, 0))
    modes = [m for m in MODES if m[0] in args.modes.split(",")]

    columns = [m[0] for m in modes] + ["frequency", "own counts", "bound"]
    texts = {path: open(path, encoding="utf-8").read() for path in args.texts}
    with tempfile.TemporaryDirectory() as folder, concurrent.futures.ProcessPoolExecutor(args.jobs) as pool:
        runs = {}
        for name, config_text, options in modes:
            config = os.path.join(folder, name + ".ini")
            with open(config, "w") as f:
                f.write(config_text)
            for path in args.texts:
                runs[path, name] = pool.submit(run_mode, args.pvengine, args.libs, config, options, path)
        totals = {c: 0 for c in columns}
        seconds = {name: 0.0 for name, _, _ in modes}
        print("%-10s %8s %7s " % ("text", "chars", "words") + " ".join("%12s" % c for c in columns))
        for path, text in texts.items():
            keys = {}
            for name, _, _ in modes:
                keys[name], took = runs[path, name].result()
                seconds[name] += took
            own = Counter(w.lower() for w in WORD.findall(text))
            keys["frequency"] = replay_ordering(text, first_page_after(by_frequency))
            keys["own counts"] = replay_ordering(text, first_page_after(Ordering(words, lambda w: own.get(w, 0))))
            keys["bound"] = replay_ordering(text, lambda word: 1)
            label = os.path.splitext(os.path.basename(path))[0]
            print("%-10s %8d %7d " % (label, len(text), len(WORD.findall(text))) +
                  " ".join("%12.3f" % (1 - keys[c] / len(text)) for c in columns), flush=True)
            for c in columns:
                totals[c] += keys[c]
    characters = sum(len(t) for t in texts.values())
    words_in_all = sum(len(WORD.findall(t)) for t in texts.values())
    print("%-10s %8d %7d " % ("all", characters, words_in_all) +
          " ".join("%12.3f" % (1 - totals[c] / characters) for c in columns))
    for name, took in seconds.items():
        print("%s: the ideal user's replay of all texts through pvengine took %.1f s" % (name, took))
    took = piped_replay(args.pvengine, args.libs, texts.values())
    print("all texts typed into pvengine in one go (%d words, one event a character): %.1f s" % (words_in_all, took))


def piped_replay(exe, libs, texts):
    """Seconds pvengine takes for every character of the texts piped in at once."""
    events = "".join(json.dumps({"type": c}) + "\n" for text in texts for c in text)
    started = time.monotonic()
    subprocess.run([exe, "--libs", libs, "--tail", "64"], input=events, text=True, encoding="utf-8", check=True,
                   stdout=subprocess.DEVNULL)
    return time.monotonic() - started


def run_mode(exe, libs, config, options, path):
    """Keys of the ideal user on one text in one mode, and the seconds it took."""
    text = open(path, encoding="utf-8").read()
    engine = Engine(exe, libs, config, options)
    started = time.monotonic()
    keys = replay_engine(engine, text)
    took = time.monotonic() - started
    engine.close()
    return keys, took


if __name__ == "__main__":
    main()
