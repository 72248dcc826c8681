"""Pennivox.exe as shipped (every bundled dictionary, ranked suggestions, learning on) under
sustained fast typing into Wine's notepad: random words, every 10th completed from its first four
letters by F1 as soon as the prompt shows, the habitual blank typed after it; notepad emptied
between rounds. Every round's text must be exact: no key lost, doubled, misplaced or leaked (F1
would open notepad's Help). And when the engine stalls right after a completion, the keys typed
meanwhile land once each, in order, behind it.

PV_SUSTAINED_ROUNDS=N runs more rounds (the suite runs 3); PV_SUSTAINED_ORDER=classic runs it with
suggestions in key order; PV_ENGINE_LOG_DIR=DIR keeps the engine thread's work log (engine.tsv)
there."""

import os
import random
import subprocess
import time

from harness import Session, expect
from program import program_copy, start_program, wait_exact_text

ROUNDS = int(os.environ.get("PV_SUSTAINED_ROUNDS", "3"))
WORDS_PER_ROUND = 150
COMPLETE_EVERY = 10
KEY_DELAY_MS = 8
WM_COMMAND = 0x111
HANG_AFTER_COMPLETION = 0x7F12  # the program's test aid: the engine sleeps lParam ms after its next completion
HANG_MS = 900
CONSONANTS = "bcdfghjklmnpqrstvwxz"
VOWELS = "aeiou"


def dictionary_heads(pvdict, libs):
    """The first four letters of every word the program knows."""
    heads = set()
    for name in os.listdir(libs):
        dump = subprocess.run([pvdict, "dump", os.path.join(libs, name)], stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL).stdout.decode("utf-8", "replace")
        heads.update(line.split("\t", 1)[0][:4].lower() for line in dump.splitlines())
    return heads


def completed_words(count, rng, taken):
    """Words whose first four letters (consonants only) begin no other word."""
    found = []
    while len(found) < count:
        head = "".join(rng.choice(CONSONANTS) for _ in range(4))
        if head not in taken:
            taken.add(head)
            found.append(head + "".join(rng.choice(VOWELS + CONSONANTS) for _ in range(rng.randint(2, 4))))
    return found


def filler_words(count, rng):
    """Random words that begin with a vowel, so no learnt one shares a completed word's head."""
    return [rng.choice(VOWELS) + "".join(rng.choice(VOWELS + CONSONANTS) for _ in range(rng.randint(3, 7)))
            for _ in range(count)]


with Session("app_sustained", limit=90 + 60 * ROUNDS) as s:
    rng = random.Random(int(os.environ.get("PV_SUSTAINED_SEED", "34")))
    folder = program_copy(s, classic=os.environ.get("PV_SUSTAINED_ORDER") == "classic")
    pvdict = os.path.join(os.environ.get("PV_BINARY_DIR", "build/win"), "native-tools", "tools", "pvdict", "pvdict")
    per_round = WORDS_PER_ROUND // COMPLETE_EVERY
    targets = completed_words(ROUNDS * per_round + 1, rng, dictionary_heads(pvdict, os.path.join(folder, "Libs")))
    fillers = filler_words(ROUNDS * WORDS_PER_ROUND, rng)
    subprocess.run([pvdict, "create", os.path.join(folder, "Libs", "Made.lib"), "--type", "1", "--caption", "Made"],
                   input="".join(word + "\n" for word in targets).encode(), check=True, stdout=subprocess.DEVNULL)
    log_dir = os.environ.get("PV_ENGINE_LOG_DIR")
    if log_dir:
        s.env["PV_ENGINE_LOG"] = "Z:" + os.path.join(os.path.abspath(log_dir), "engine.tsv").replace("/", "\\")
    program, prompt = start_program(s, folder)
    notepad, window, edit = s.start_notepad()

    def prompt_shows():
        return s.ctl("visible", "%x" % prompt) == "1"

    def type_word(word, complete):
        if not complete:
            s.type(word + " ", delay_ms=KEY_DELAY_MS)
            return
        s.type(word[:4], delay_ms=KEY_DELAY_MS)
        # Ranked, a prompt of predictions may still show for the word before; F1 acts on the
        # prompt of everything typed before it.
        s.wait_until(prompt_shows, "a prompt (typing %r)" % word[:4], 5.0)
        s.key("F1", delay_ms=KEY_DELAY_MS)
        s.type(" ", delay_ms=KEY_DELAY_MS)

    def check_round(number, expected, start):
        wait_exact_text(s, edit, expected, "round %d" % (number + 1), 15.0)
        expect(s.popup(window), 0, "a window opened by notepad (F1 reached it)")
        s.log("round %d: %d words, %d completed, %.1f s" % (number + 1, WORDS_PER_ROUND, per_round,
                                                           time.monotonic() - start))

    def one_round(number):
        s.set_text(edit, "")
        start = time.monotonic()
        expected = ""
        for i in range(WORDS_PER_ROUND):
            complete = i % COMPLETE_EVERY == COMPLETE_EVERY - 1
            word = targets[number * per_round + i // COMPLETE_EVERY] if complete else \
                fillers[number * WORDS_PER_ROUND + i]
            type_word(word, complete)
            expected += word + " "
        check_round(number, expected, start)

    def rounds():
        s.focus(window)
        for number in range(ROUNDS):
            one_round(number)

    def stalled_engine():
        # Without the gate answering for it, keys typed while the engine sleeps would pass, and be
        # held back and typed again once it wakes: doubled, and behind the ones typed after them.
        s.focus(window)
        s.set_text(edit, "")
        word = targets[-1]
        after = "and then some more words"
        s.type("so " + word[:4], delay_ms=KEY_DELAY_MS)
        s.wait_until(prompt_shows, "a prompt (typing %r)" % word[:4], 5.0)
        s.ctl("post", "%x" % prompt, WM_COMMAND, HANG_AFTER_COMPLETION, HANG_MS)
        time.sleep(0.2)
        s.key("F1", delay_ms=KEY_DELAY_MS)
        s.type(after, delay_ms=KEY_DELAY_MS)
        expected = "so " + word + " " + after
        s.wait_until(lambda: s.text(edit) == expected, "notepad's text %r (has %r)" % (expected, s.text(edit)), 10.0)
        expect(s.popup(window), 0, "a window opened by notepad (F1 reached it)")

    s.case("stalled_engine", stalled_engine)
    s.case("sustained_rounds", rounds)
