"""Ranked suggestions in Wine's notepad with the bundled dictionaries: common words first, a rare
word learnt from typing, no blank behind a completed word and then the classic order, each at once
when the Options dialog says so."""

from harness import Session, expect
from program import NotepadCompletion, program_copy, start_program, command, press, window_rect

ID_TRAY_OPTIONS = 32771
IDOK = 1
TVM_GETNEXTITEM, TVM_SELECTITEM, TVGN_ROOT, TVGN_NEXT, TVGN_CARET = 0x110A, 0x110B, 0, 1, 9
TREE, RANK_BY_USE, BLANK_AFTER_WORD = 1000, 1043, 1048
BM_GETCHECK, BM_CLICK = 0x00F0, 0x00F5

with Session("app_ranking", limit=150) as s:
    folder = program_copy(s)
    program, prompt = start_program(s, folder)
    controller = s.wait_window(cls="PennivoxController")
    notepad, window, edit = s.start_notepad()

    notepad_f1 = NotepadCompletion(s, prompt, window, edit)
    first_row_after = notepad_f1.first_row_after

    s.case("th_offers_the_first", lambda: first_row_after("th", "the "))

    def rare_word():
        notepad_f1.type_fresh("zorbulate and zorbulate or ")
        first_row_after("zo", "zorbulate ", before="so ")  # the third time, on its second letter
    s.case("rare_word_offered_on_its_second_letter", rare_word)

    def return_is_a_line_break():
        # The first row is a guess: Return at a shown prompt ends the line; Down then Return chooses.
        notepad_f1.type_fresh("we had a long walk")
        s.wait_until(lambda: window_rect(s, prompt)[0], "the prompt shows")
        s.key("Return")
        s.wait_text(edit, "we had a long walk\r\n")
        s.type("th")
        s.wait_until(lambda: window_rect(s, prompt)[0], "the prompt shows")
        s.key("Down", "Return")
        s.wait_until(lambda: s.text(edit).startswith("we had a long walk\r\nth") and s.text(edit).endswith(" "),
                     "the row moved to, with its blank")
    s.case("return_is_a_line_break", return_is_a_line_break)

    def switch_off_on_others_page(ctrl_id, what):
        """Opens Options on its General page, takes the check box's tick away and saves."""
        command(s, controller, ID_TRAY_OPTIONS)
        dialog = s.wait_window(cls="#32770", title="Options")
        tree = s.child(dialog, ctrl_id=TREE)
        item = int(s.ctl("send", "%x" % tree, TVM_GETNEXTITEM, TVGN_ROOT, 0))
        for _ in range(2):  # Hotkeys, AutoLearn, Others
            item = int(s.ctl("send", "%x" % tree, TVM_GETNEXTITEM, TVGN_NEXT, item))
        s.ctl("send", "%x" % tree, TVM_SELECTITEM, TVGN_CARET, item)
        box = s.child(dialog, ctrl_id=ctrl_id)
        expect(int(s.ctl("send", "%x" % box, BM_GETCHECK, 0, 0)), 1, what + " by default")
        s.screenshot("others-page")
        s.ctl("send", "%x" % box, BM_CLICK, 0, 0)
        expect(int(s.ctl("send", "%x" % box, BM_GETCHECK, 0, 0)), 0, what + " switched off")
        press(s, dialog, IDOK)
        s.wait_until(lambda: s.ctl("exists", "%x" % dialog) == "0", "the Options dialog closes")

    def no_blank_from_options():
        switch_off_on_others_page(BLANK_AFTER_WORD, "the blank after a completed word")
        first_row_after("th", "the")  # still ranked, the word alone
    s.case("no_blank_from_options", no_blank_from_options)

    def classic_from_options():
        switch_off_on_others_page(RANK_BY_USE, "ranked")
        # Key order at once: the bundled list's first key after "th", without a blank.
        first_row_after("th", "Th")
    s.case("classic_mode_from_options", classic_from_options)
