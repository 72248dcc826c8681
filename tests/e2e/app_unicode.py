"""Text beyond the system's code page, under a Western one (Wine takes 1252 from en_US): Polish and
Russian words offered and completed whole, a shorthand of arrows, a tick and an emoji typed exactly
into notepad and WordPad, a word with "ł" learnt from typing, and the prompt showing each of them.

usage: app_unicode.py [CASE...]
"""

import json
import os
import subprocess

from harness import Failure, Session, expect
from keymap import hold_letters
from program import NotepadCompletion, answer_box, command, press, program_copy, start_program, start_wordpad, windows_path

os.environ["LANG"] = "en_US.UTF-8"
os.environ.pop("LC_ALL", None)

LETTERS = "żółęприв"  # on the digit row (keymap.py): no layout of the display has them
SHORTHAND, EXPANSION = "arw", "→ ✓ 😀"
LEARNT = "łazikowo"  # in no dictionary
ID_TRAY_USER_SHORTHANDS = 32839
LVM_GETITEMCOUNT = 0x1004
EDITOR_TITLE, EDITOR_KEY, EDITOR_DATA, EDITOR_ADD, EDITOR_LIST, IDOK = "User Shorthands", 1008, 1009, 1010, 1007, 1


def pvdict_path():
    return os.path.join(os.environ.get("PV_BINARY_DIR", "build/win"), "native-tools", "tools", "pvdict", "pvdict")


def pvengine_rows(libs, typed):
    """The rows the engine offers after `typed` with the same dictionaries, from the native pvengine
    (one engine for both): where a word stands on the page."""
    pvengine = os.path.join(os.path.dirname(os.path.dirname(pvdict_path())), "pvengine", "pvengine")
    done = subprocess.run([pvengine, "--libs", libs, "--codepage", "1252", "--no-learn"],
                          input=(json.dumps({"type": typed}) + "\n").encode(), stdout=subprocess.PIPE,
                          check=True, timeout=60)
    return [row["text"] for row in json.loads(done.stdout.decode().splitlines()[-1])["rows"]]


def prepare(folder):
    """Polish and Russian on (a user who switched them on in the manager), and a shorthand dictionary
    of characters no code page holds together."""
    libs = os.path.join(folder, "Libs")
    subprocess.run([pvdict_path(), "create", os.path.join(libs, "Symbols.lib"), "--type", "2", "--keycode", "2",
                    "--datacode", "2", "--caption", "Symbols", "--input", "utf8", "--force"],
                   input=("%s\t%s\n" % (SHORTHAND, EXPANSION)).encode(), check=True, stdout=subprocess.DEVNULL)
    with open(os.path.join(folder, "Config.ini"), "w") as f:
        f.write("[DBS]\n")
        for number, name in enumerate(("English.lib", "Polish.lib", "Russian.lib", "Symbols.lib"), 1):
            f.write("DB%d=%s\nDB%d-B=1\n" % (number, windows_path(os.path.join(libs, name)), number))
    return libs


with Session("app_unicode", limit=200) as s:
    hold_letters(s, LETTERS)
    folder = program_copy(s)
    libs = prepare(folder)
    program, prompt = start_program(s, folder)
    controller = s.wait_window(cls="PennivoxController")
    notepad, window, edit = s.start_notepad()
    notepad_f1 = NotepadCompletion(s, prompt, window, edit)
    first_row_after = notepad_f1.first_row_after

    s.case("polish_word_completed", lambda: first_row_after("żó", "żółty "))
    s.case("russian_word_completed", lambda: first_row_after("прив", "привет "))

    def polish_word_on_the_first_page():
        rows = pvengine_rows(libs, "pr")
        if "proszę" not in rows:
            raise Failure("'pr' does not offer 'proszę' on its first page: %r" % rows)
        notepad_f1.type_fresh("pr")
        s.wait_until(lambda: s.ctl("visible", "%x" % prompt) == "1", "the prompt shows")
        s.screenshot("prompt-pr")
        s.key("F%d" % (rows.index("proszę") + 1))
        s.wait_text(edit, "proszę ")
    s.case("polish_word_on_the_first_page", polish_word_on_the_first_page)

    s.case("shorthand_into_notepad", lambda: first_row_after(SHORTHAND, EXPANSION))  # no blank behind a shorthand

    def shorthand_into_wordpad():
        top, rich = start_wordpad(s)
        s.focus(top)
        s.type(SHORTHAND)
        s.wait_until(lambda: s.ctl("visible", "%x" % prompt) == "1", "the prompt shows")
        s.screenshot("prompt-wordpad-" + SHORTHAND)
        s.key("F1")
        s.wait_until(lambda: s.text(rich).startswith(EXPANSION), "the expansion in WordPad")
        expect(s.text(rich).rstrip("\r\n "), EXPANSION, "WordPad's text")
    s.case("shorthand_into_wordpad", shorthand_into_wordpad)

    def learnt_word_offered():
        # Typed twice, it is offered the third time on its second letter.
        notepad_f1.type_fresh("%s i %s " % (LEARNT, LEARNT))
        first_row_after(LEARNT[:2], LEARNT + " ", before="na ")
    s.case("learnt_word_offered", learnt_word_offered)

    def shorthand_entered_in_the_editor():
        # What a user enters in a bundled user dictionary is kept whole and typed as entered.
        command(s, controller, ID_TRAY_USER_SHORTHANDS)
        editor = s.wait_window(cls="#32770", title=EDITOR_TITLE)
        s.focus(editor)
        s.set_text(s.child(editor, ctrl_id=EDITOR_KEY), "ptk")
        s.set_text(s.child(editor, ctrl_id=EDITOR_DATA), "żółw → привет")
        press(s, editor, EDITOR_ADD)
        expect(answer_box(s, editor), '"ptk" was added.', "the Add box")
        listed = s.child(editor, ctrl_id=EDITOR_LIST)
        rows = int(s.ctl("send", "%x" % listed, LVM_GETITEMCOUNT, 0, 0))
        row = next(r for r in range(rows) if s.ctl("lvtext", "%x" % listed, r, 0) == b"ptk".hex())
        expect(bytes.fromhex(s.ctl("lvtext", "%x" % listed, row, 1)).decode("utf-8"), "żółw → привет", "the listed data")
        s.screenshot("editor-unicode")
        press(s, editor, IDOK)
        s.wait_until(lambda: s.ctl("exists", "%x" % editor) == "0", "the editor closes")
        first_row_after("ptk", "żółw → привет")
    s.case("shorthand_entered_in_the_editor", shorthand_entered_in_the_editor)
