"""Letters beyond ASCII in Wine's notepad under the locale of another language (Wine takes the ANSI
code page from it): the dictionary of that language is on at first start, its words are offered
and completed with the right letters, and a word with such a letter is learnt.

usage: app_languages.py --lang=de|pl|ru [CASE...]
"""

import os
import sys

import harness
from harness import Session, expect
from program import program_copy, start_program, window_rect

# locale, ANSI code page, and what is typed -> what F1 completes it to (the best-ranked row)
LANGUAGES = {
    "de": ("de_DE.UTF-8", "cp1252", [("gemü", "Gemüse ")]),
    "pl": ("pl_PL.UTF-8", "cp1250", [("żó", "żółty ")]),
    "ru": ("ru_RU.UTF-8", "cp1251", [("прив", "привет ")]),
}

language = next((a.split("=", 1)[1] for a in sys.argv[1:] if a.startswith("--lang=")), "de")
locale, codepage, completions = LANGUAGES[language]
# Every program of the scenario, the control tool too, runs under the locale: texts come and go in
# its code page.
os.environ["LANG"] = locale
os.environ.pop("LC_ALL", None)
harness.ENCODING = codepage

with Session("app_languages_" + language, limit=90) as s:
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
        fresh()
        s.type(before + typed)
        s.wait_text(edit, before + typed)
        s.wait_until(lambda: window_rect(s, prompt)[0], "the prompt shows")
        s.screenshot("prompt-" + language)
        s.key("F1")
        s.wait_text(edit, before + wanted)

    for typed, wanted in completions:
        s.case("completes_" + language, lambda: first_row_after(typed, wanted))

    def learnt():
        # A word no dictionary holds, typed twice, is offered the third time.
        word = {"de": "zébrolin", "pl": "źdźbłotek", "ru": "зюзябрик"}[language]
        fresh()
        s.type("%s und %s " % (word, word))
        s.wait_text(edit, "%s und %s " % (word, word))
        first_row_after(word[:2], word + " ", before="so ")
    s.case("learns_" + language, learnt)
