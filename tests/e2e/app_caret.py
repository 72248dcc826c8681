"""Where the prompt shows: under the caret of an edit that had the focus before the program started,
under the caret of a rich edit (WordPad) on any line, and never over the program's own dialogs."""

import time

from harness import Session, Failure, expect
from program import (EM_SETMODIFY, command, press, program_copy, prompt_under_caret, start_program, start_wordpad,
                     window_rect)

ID_TRAY_DICT_MANAGER, MANAGER_CREATE, NAME_EDIT = 32795, 1021, 1023


def shows_within(s, prompt, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if window_rect(s, prompt)[0]:
            return True
    return False


def lines(text):
    return text.replace("\r\n", "\n").replace("\r", "\n")


with Session("app_caret", limit=180) as s:
    # Notepad has the focus before the program starts: no focus event will tell the program of it.
    _, notepad, notepad_edit = s.start_notepad()
    folder = program_copy(s, classic=True)
    program, prompt = start_program(s, folder)
    controller = s.wait_window(cls="PennivoxController")
    # Wine shows its tray window for the program's icon a moment after start-up; while it comes up
    # it may take the activation from notepad.
    try:
        s.wait_window(title="Wine System Tray", timeout=5)
    except Failure:
        pass

    def focused_before_start():
        s.focus(notepad)
        s.type("xylop")
        s.wait_text(notepad_edit, "xylop")
        prompt_under_caret(s, prompt, notepad_edit)
        s.key("Tab")
        s.wait_text(notepad_edit, "xylophone")
        s.ctl("send", "%x" % notepad_edit, EM_SETMODIFY, 0, 0)
    s.case("focused_before_start", focused_before_start)

    wordpad_top, rich = start_wordpad(s)

    def wordpad_lines():
        s.focus(wordpad_top)
        s.type("xylop")
        s.wait_until(lambda: lines(s.text(rich)) == "xylop", "xylop in the document")
        first = prompt_under_caret(s, prompt, rich)
        s.screenshot("wordpad-prompt")
        s.key("Tab")
        s.wait_until(lambda: lines(s.text(rich)) == "xylophone", "the completion in the document")
        s.key("Return")
        s.type("xylop")
        s.wait_until(lambda: lines(s.text(rich)) == "xylophone\nxylop", "the second line")
        second = prompt_under_caret(s, prompt, rich)
        if second[1] <= first[1]:
            raise Failure("the second line's caret %r is not below the first's %r" % (second, first))
        s.key("F2")
        s.wait_until(lambda: lines(s.text(rich)) == "xylophone\nxylophones", "the second completion")
    s.case("wordpad_lines", wordpad_lines)

    def wordpad_fast_typing():
        s.focus(wordpad_top)
        before = lines(s.text(rich))
        s.key("Return")
        sentence = "the quick brown fox jumps over the lazy dog and types xylop quickly "
        s.type(sentence, delay_ms=0)
        s.wait_until(lambda: lines(s.text(rich)) == before + "\n" + sentence, "every key once and in order")
    s.case("wordpad_fast_typing", wordpad_fast_typing)

    def own_dialog_gets_no_prompt():
        command(s, controller, ID_TRAY_DICT_MANAGER)
        manager = s.wait_window(cls="#32770", title="Dictionaries Manager")
        s.focus(manager)
        press(s, manager, MANAGER_CREATE)
        new = s.wait_window(cls="#32770", title="New Dictionary")
        s.focus(new)
        name = s.child(new, ctrl_id=NAME_EDIT)
        s.type("xylop")
        s.wait_text(name, "xylop")
        expect(shows_within(s, prompt, 1.0), False, "a prompt over New Dictionary")
        s.key("Return")  # OK: the dictionary is made and its editor opens
        s.wait_until(lambda: s.ctl("exists", "%x" % new) == "0", "New Dictionary closes")
        editor = s.wait_window(cls="#32770", title="xylop")  # titled with its name
        s.ctl("close", "%x" % editor)
        s.wait_until(lambda: s.ctl("exists", "%x" % editor) == "0", "the editor closes")
        s.ctl("close", "%x" % manager)
        s.wait_until(lambda: s.ctl("exists", "%x" % manager) == "0", "the manager closes")
    s.case("own_dialog", own_dialog_gets_no_prompt)

    def completes_again_after_own_dialog():
        s.ctl("setfg", "%x" % notepad)
        s.focus(notepad)
        s.key("ctrl+End")
        s.type(" zebr")
        s.wait_until(lambda: lines(s.text(notepad_edit)).endswith(" zebr"), "zebr typed")
        prompt_under_caret(s, prompt, notepad_edit)
        s.key("F1")
        s.wait_until(lambda: len(lines(s.text(notepad_edit)).rsplit(" ", 1)[1]) > 4, "the completion after the dialog")
        s.ctl("send", "%x" % notepad_edit, EM_SETMODIFY, 0, 0)
    s.case("completes_after_own_dialog", completes_again_after_own_dialog)
