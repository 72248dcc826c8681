"""Letters beyond ASCII in Wine's notepad under the locale of another language (Wine takes the ANSI
code page from it): the dictionary of that language is on at first start, its words are offered
and completed with the right letters, and (German) a word with such a letter is learnt and the
prompt follows the language being written: English words lead after an English sentence, German
ones after a German sentence. The interface follows the user's language: Options is titled in it,
its first page too, and the choice of English on its General page shows at the next opening of a
dialog; a German user's keyboard names the toggle hotkey "Strg+F5" in Options and the tray menu.

usage: app_languages.py --lang=de|pl|ru [CASE...]
"""

import os
import sys
import time

from harness import Session, expect
from keymap import hold_letters
from program import NotepadCompletion, command, press, program_copy, start_program, translated, window_rect

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

    ID_TRAY_OPTIONS, IDC_OPTIONS_CAPTION, IDC_OTHERS_LANGUAGE, IDOK = 32771, 1001, 1117, 1
    CB_SETCURSEL, WM_COMMAND, CBN_SELCHANGE = 0x014E, 0x0111, 1
    TREE, TVM_GETNEXTITEM, TVM_SELECTITEM, TVGN_ROOT, TVGN_NEXT, TVGN_CARET = 1000, 0x110A, 0x110B, 0, 1, 9
    controller = s.wait_window(cls="PennivoxController")

    def options_in(code):
        command(s, controller, ID_TRAY_OPTIONS)
        return s.wait_window(cls="#32770", title=translated(code, "Options"))

    def closed(dialog, button=2):
        press(s, dialog, button)
        s.wait_until(lambda: s.ctl("exists", "%x" % dialog) == "0", "Options closes")

    def interface_in_language():
        dialog = options_in(language)
        s.screenshot("options-" + language)
        s.wait_text(s.child(dialog, ctrl_id=IDC_OPTIONS_CAPTION), translated(language, "Hotkeys"))
        closed(dialog)

    IDC_HOTKEY_DESCRIPTION, WM_TRAY_ICON, WM_RBUTTONUP, TRAY_ICON_ID = 1017, 0x0400 + 10, 0x0205, 171

    def hotkey_named_as_the_keyboard_does():
        # Wine's own names are its X server's ("Control"); a German keyboard says "Strg".
        dialog = options_in(language)
        s.wait_text(s.child(dialog, ctrl_id=IDC_HOTKEY_DESCRIPTION), "Strg+F5")
        time.sleep(1.0)  # the page's other controls paint one by one
        s.screenshot("options-hotkey-" + language)
        closed(dialog)
        s.ctl("post", "%x" % controller, WM_TRAY_ICON, TRAY_ICON_ID, WM_RBUTTONUP)
        menu = int(s.ctl("find", "#32768", "-", 5000, timeout=10), 16)
        s.wait_until(lambda: window_rect(s, menu)[0], "the tray menu shows")
        s.screenshot("tray-menu-" + language)  # its first item ends in "Strg+F5"
        s.key("Escape")
        s.wait_until(lambda: s.ctl("visible", "%x" % menu) == "0" or s.ctl("exists", "%x" % menu) == "0",
                     "the tray menu closes")

    def english_chosen_in_options():
        dialog = options_in(language)
        tree = s.child(dialog, ctrl_id=TREE)
        item = int(s.ctl("send", "%x" % tree, TVM_GETNEXTITEM, TVGN_ROOT, 0))
        for _ in range(2):  # the General page
            item = int(s.ctl("send", "%x" % tree, TVM_GETNEXTITEM, TVGN_NEXT, item))
        s.ctl("send", "%x" % tree, TVM_SELECTITEM, TVGN_CARET, item)
        combo = s.child(dialog, ctrl_id=IDC_OTHERS_LANGUAGE)
        s.ctl("send", "%x" % combo, CB_SETCURSEL, 1, 0)  # after "As Windows (...)": English
        # The page hears of the choice as from the user.
        page = int(s.ctl("parent", "%x" % combo), 16)
        s.ctl("post", "%x" % page, WM_COMMAND, (CBN_SELCHANGE << 16) | IDC_OTHERS_LANGUAGE, combo)
        closed(dialog, IDOK)
        english = options_in("en")
        closed(english)
        with open(os.path.join(folder, "Config.ini")) as f:
            expect("strLanguage=en" in f.read(), True, "the choice kept in Config.ini")
    if language in ("de", "ru"):
        s.case("interface_in_the_users_language", interface_in_language)
        if language == "de":
            s.case("hotkey_named_as_a_german_keyboard_does", hotkey_named_as_the_keyboard_does)
        s.case("english_chosen_in_options_shows_next_time", english_chosen_in_options)
