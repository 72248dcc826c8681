#!/usr/bin/env python3
"""A short scripted demonstration of Pennivox in Wine's notepad (used by scripts/run.sh when
no display is at hand). Prints what notepad ends up holding and saves screenshots of the prompt.

usage: PV_BINARY_DIR=build/win PV_PROGRAM_DIR=build/win/Pennivox pennivox_demo.py
Without PV_PROGRAM_DIR (the test command runs it so) it works on a fresh copy of the build's
program folder, as a new user has it.
"""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from harness import Session  # noqa: E402
from program import program_copy  # noqa: E402

del sys.argv[1:]  # the harness reads case names from the command line
shots = []

with Session("demo", limit=120) as s:
    given = os.environ.get("PV_PROGRAM_DIR")
    program_dir = os.path.abspath(given) if given else program_copy(s, name="demo-program")
    program = s.start(os.path.join(program_dir, "Pennivox.exe"), name="Pennivox", uses_hook=True)
    program.track(s.wait_window(cls="#32770", title="Pennivox", timeout=60))
    notepad, window, edit = s.start_notepad()
    expected = [""]

    def typed_into(text, typed):
        # Behind a completed word the program types a blank: a blank typed there out of habit is
        # absorbed, a mark takes its place.
        if text.endswith(" ") and typed[:1] in " .,;:!?":
            text = text[:-1]
        return text + typed

    def step(typed, keys, after, label):
        s.type(typed)
        expected[0] = typed_into(expected[0], typed)
        s.wait_text(edit, expected[0])
        time.sleep(0.4)  # let the prompt paint before the picture
        shots.append(s.screenshot(label))
        s.key(*keys)
        expected[0] = after
        s.wait_text(edit, expected[0])
        print("  typed %-12r + %-8s -> %r" % (typed, "+".join(keys), expected[0]), flush=True)

    def demo():
        step("Pennivox says good mor", ["F4"], "Pennivox says good morning ", "prompt-phrase")  # words first
        step(" to the xylop", ["F1"], "Pennivox says good morning to the xylophone ", "prompt-word")
        step(". ty", ["Tab"], "Pennivox says good morning to the xylophone. Thank you very much for your message.",
             "prompt-shorthand")
        s.key("Return")
        expected[0] += "\r\n"
        s.wait_text(edit, expected[0])
        step("sig", ["Tab"], expected[0] + "Best regards,\r\n\r\nPennivox user", "prompt-signature")
        s.type("Ann")
        expected[0] = expected[0].replace("Best regards,\r\n\r\n", "Best regards,\r\nAnn\r\n")
        s.wait_text(edit, expected[0])
    s.case("demo", demo)
    print("\nNotepad holds:\n" + s.text(edit).replace("\r\n", "\n"), flush=True)
    print("\nScreenshots of the prompt:")
    for shot in shots:
        if shot:
            print("  " + shot, flush=True)
