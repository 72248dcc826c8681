"""Letters beyond ASCII in Wine's notepad under the locale of another language (Wine takes the ANSI
code page from it): the dictionary of that language is on at first start, its words are offered
and completed with the right letters, and (German) a word with such a letter is learnt and the
prompt follows the language being written: English words lead after an English sentence, German
ones after a German sentence.

usage: app_languages.py --lang=de|pl|ru [CASE...]
"""

import os
import sys

from harness import Session
from keymap import hold_letters
from program import NotepadCompletion, program_copy, start_program, window_rect

# locale, letters typed beyond ASCII, what is typed -> what F1 completes it to
LANGUAGES = {
    "de": ("de_DE.UTF-8", "üé", "gemü", "Gemüse "),
    "pl": ("pl_PL.UTF-8", "żó", "żó", "żółty "),
    "ru": ("ru_RU.UTF-8", "прив", "прив", "привет "),
}
LEARNT = "zébrolin"  # in no dictionary

language = next((a.split("=", 1)[1] for a in sys.argv[1:] if a.startswith("--lang=")), "de")
locale, letters, typed, completed = LANGUAGES[language]
# Every program of the scenario runs under the locale (Wine takes the ANSI code page from it); the
# control tool's texts are UTF-8 whatever it is.
os.environ["LANG"] = locale
os.environ.pop("LC_ALL", None)

with Session("app_languages_" + language, limit=90) as s:
    hold_letters(s, letters)
    folder = program_copy(s)
    program, prompt = start_program(s, folder)
    notepad, window, edit = s.start_notepad()

    notepad_f1 = NotepadCompletion(s, prompt, window, edit)
    first_row_after = notepad_f1.first_row_after

    s.case("completes", lambda: first_row_after(typed, completed))

    def learns():
        # Typed twice, it is offered the third time on its second letter.
        notepad_f1.type_fresh("%s und %s " % (LEARNT, LEARNT))
        first_row_after(LEARNT[:2], LEARNT + " ", before="so ")
    if language == "de":
        s.case("learns", learns)

    def follows_the_language():
        # English and German are on: "be" leads with the words of the sentence's language.
        for label, sentence, wanted in (("english", "I think it would ", "been "),
                                        ("german", "Ich glaube, dass es ", "bei ")):
            notepad_f1.type_fresh(sentence + "be")
            s.wait_until(lambda: window_rect(s, prompt)[0], "the prompt shows")
            s.screenshot("prompt-be-" + label)
            s.key("F1")
            s.wait_text(edit, sentence + wanted)
    if language == "de":
        s.case("follows_the_language", follows_the_language)
