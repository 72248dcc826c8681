"""Pennivox.exe under sustained full-speed typing into Wine's notepad, with frequent completions by
the index key of row 1 (F1) pressed as soon as the prompt shows: every key must land once, in order,
and no F1 may reach notepad (its Help would open).

PV_FULL_SPEED_ROUNDS=N runs more rounds (a longer soak than the suite's run)."""

import os
import random
import subprocess
import time

from harness import Session, expect
from program import program_copy, start_program, wait_exact_text

ROUNDS = int(os.environ.get("PV_FULL_SPEED_ROUNDS", "3"))
WORDS_PER_ROUND = 60
COMPLETE_EVERY = 4  # every 4th word is completed from its first four letters
KEY_DELAY_MS = 8


def english_words(count, rng):
    with open("/usr/share/dict/american-english", encoding="utf-8", errors="replace") as f:
        words = [w.strip() for w in f]
    plain = [w for w in words if w.isascii() and w.isalpha() and w.islower() and 2 <= len(w) <= 7]
    return rng.sample(plain, count), {w.lower()[:4] for w in words if len(w) >= 4}


def completed_words(count, rng, taken):
    """Words of their own dictionary whose first four letters begin no other word."""
    found = []
    while len(found) < count:
        word = "".join(rng.choice("bcdfghjklmnpqrstvwxz") for _ in range(4)) + "".join(
            rng.choice("aeiou") for _ in range(3))
        if word[:4] not in taken:
            taken.add(word[:4])
            found.append(word)
    return found


with Session("app_full_speed", limit=60 + 45 * ROUNDS) as s:
    rng = random.Random(19)
    total = ROUNDS * WORDS_PER_ROUND
    fillers, english_heads = english_words(total, rng)
    targets = completed_words(total // COMPLETE_EVERY, rng, english_heads)

    folder = program_copy(s, classic=True)
    rows = "".join(word + "\n" for word in targets)
    pvdict = os.path.join(os.environ.get("PV_BINARY_DIR", "build/win"), "native-tools", "tools", "pvdict", "pvdict")
    subprocess.run([pvdict, "create", os.path.join(folder, "Libs", "Made.lib"), "--type", "1", "--caption", "Made"],
                   input=rows.encode(), check=True, stdout=subprocess.DEVNULL)
    program, prompt = start_program(s, folder)
    notepad, window, edit = s.start_notepad()

    def prompt_shows():
        return s.ctl("visible", "%x" % prompt) == "1"

    def no_other_window():
        expect(s.popup(window), 0, "a window opened by notepad (F1 reached it)")
        expect(s.foreground(), window, "the foreground window")

    def one_round(number):
        expected = s.text(edit)
        start = time.monotonic()
        for i in range(WORDS_PER_ROUND):
            at = number * WORDS_PER_ROUND + i
            if i % COMPLETE_EVERY != COMPLETE_EVERY - 1:
                word = fillers[at] + " "
                s.type(word, delay_ms=KEY_DELAY_MS)
                expected += word
                continue
            word = targets[at // COMPLETE_EVERY]
            s.type(word[:4], delay_ms=KEY_DELAY_MS)
            # The prompt that shows may still be an earlier word's while notepad lags behind the keys.
            s.wait_until(prompt_shows, "a prompt (typing %r)" % word[:4], 5.0)
            s.key("F1", delay_ms=KEY_DELAY_MS)
            s.type(" ", delay_ms=KEY_DELAY_MS)
            expected += word + " "
        wait_exact_text(s, edit, expected, "round %d" % (number + 1), 10.0)
        no_other_window()
        s.log("round %d: %d words, %d completed, %.1f s" % (number + 1, WORDS_PER_ROUND,
                                                           WORDS_PER_ROUND // COMPLETE_EVERY,
                                                           time.monotonic() - start))

    def rounds():
        s.focus(window)
        s.set_text(edit, "")
        for number in range(ROUNDS):
            one_round(number)
    s.case("full_speed_rounds", rounds)
