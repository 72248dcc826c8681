"""Letters beyond ASCII in Wine's notepad under the locale of another language (Wine takes the ANSI
code page from it): the dictionary of that language is on at first start, its words are offered
and completed with the right letters, and (German) a word with such a letter is learnt.

usage: app_languages.py --lang=de|pl|ru [CASE...]
"""

import os
import sys

import harness
from harness import Session
from keymap import hold_letters
from program import program_copy, start_program, window_rect

# locale, ANSI code page, letters typed beyond ASCII, what is typed -> what F1 completes it to
LANGUAGES = {
    "de": ("de_DE.UTF-8", "cp1252", "üé", "gemü", "Gemüse "),
    "pl": ("pl_PL.UTF-8", "cp1250", "żó", "żó", "żółty "),
    "ru": ("ru_RU.UTF-8", "cp1251", "прив", "прив", "привет "),
}
LEARNT = "zébrolin"  # in no dictionary

language = next((a.split("=", 1)[1] for a in sys.argv[1:] if a.startswith("--lang=")), "de")
locale, codepage, letters, typed, completed = LANGUAGES[language]
# Every program of the scenario, the control tool too, runs under the locale: texts come and go in
# its code page.
os.environ["LANG"] = locale
os.environ.pop("LC_ALL", None)
harness.ENCODING = codepage

with Session("app_languages_" + language, limit=90) as s:
    hold_letters(s, letters)
    folder = program_copy(s)
    program, prompt = start_program(s, folder)
    notepad, window, edit = s.start_notepad()

    def fresh():
        """An empty notepad with the focus; a line end tells the program that a new word begins."""
        s.focus(window)
        if window_rect(s, prompt)[0]:
            s.key("Escape")
            s.wait_until(lambda: not window_rect(s, prompt)[0], "the prompt hides")
        s.set_text(edit, "")
        s.key("Return")
        s.wait_text(edit, "\r\n")
        s.set_text(edit, "")

    def first_row_after(typed, wanted, before=""):
        """F1 at the prompt shown after `typed` types `wanted` in its place."""
        fresh()
        s.type(before + typed)
        s.wait_text(edit, before + typed)
        s.wait_until(lambda: window_rect(s, prompt)[0], "the prompt shows", 10)
        s.screenshot("prompt-" + typed)
        s.key("F1")
        s.wait_text(edit, before + wanted)

    s.case("completes", lambda: first_row_after(typed, completed))

    def learns():
        # Typed twice, it is offered the third time on its second letter.
        fresh()
        s.type("%s und %s " % (LEARNT, LEARNT))
        s.wait_text(edit, "%s und %s " % (LEARNT, LEARNT))
        first_row_after(LEARNT[:2], LEARNT + " ", before="so ")
    if language == "de":
        s.case("learns", learns)
