"""Ranked suggestions in Wine's notepad with the bundled dictionaries: common words first, a rare
word learnt from typing, and the classic order back at once when the Options dialog says so."""

from harness import Session, expect
from program import program_copy, start_program, command, press, window_rect

ID_TRAY_OPTIONS = 32771
IDOK = 1
TVM_GETNEXTITEM, TVM_SELECTITEM, TVGN_ROOT, TVGN_NEXT, TVGN_CARET = 0x110A, 0x110B, 0, 1, 9
TREE, RANK_BY_USE = 1000, 1043
BM_GETCHECK, BM_CLICK = 0x00F0, 0x00F5

with Session("app_ranking", limit=150) as s:
    folder = program_copy(s)
    program, prompt = start_program(s, folder)
    controller = s.wait_window(cls="PennivoxController")
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
        s.wait_until(lambda: window_rect(s, prompt)[0], "the prompt shows")
        s.screenshot("prompt-" + typed)
        s.key("F1")
        s.wait_text(edit, before + wanted)

    s.case("th_offers_the_first", lambda: first_row_after("th", "the "))

    def rare_word():
        fresh()
        s.type("zorbulate and zorbulate or ")
        s.wait_text(edit, "zorbulate and zorbulate or ")
        first_row_after("zo", "zorbulate ", before="so ")  # the third time, on its second letter
    s.case("rare_word_offered_on_its_second_letter", rare_word)

    def classic_from_options():
        command(s, controller, ID_TRAY_OPTIONS)
        dialog = s.wait_window(cls="#32770", title="Options")
        tree = s.child(dialog, ctrl_id=TREE)
        item = int(s.ctl("send", "%x" % tree, TVM_GETNEXTITEM, TVGN_ROOT, 0))
        for _ in range(2):  # Hotkeys, AutoLearn, Others
            item = int(s.ctl("send", "%x" % tree, TVM_GETNEXTITEM, TVGN_NEXT, item))
        s.ctl("send", "%x" % tree, TVM_SELECTITEM, TVGN_CARET, item)
        box = s.child(dialog, ctrl_id=RANK_BY_USE)
        expect(int(s.ctl("send", "%x" % box, BM_GETCHECK, 0, 0)), 1, "ranked by default")
        s.screenshot("others-page")
        s.ctl("send", "%x" % box, BM_CLICK, 0, 0)
        expect(int(s.ctl("send", "%x" % box, BM_GETCHECK, 0, 0)), 0, "classic chosen")
        press(s, dialog, IDOK)
        s.wait_until(lambda: s.ctl("exists", "%x" % dialog) == "0", "the Options dialog closes")
        # Key order at once: the bundled list's first key after "th", without a blank.
        first_row_after("th", "Th")
    s.case("classic_mode_from_options", classic_from_options)
