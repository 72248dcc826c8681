"""Pennivox.exe's Options dialog, opened through the controller's commands: saved keys (the complete
keys' boxes too) and the toggle hotkey take effect at once, Cancel asks only after a change, and the
start-up box writes and removes the user's Run value."""

import os
import subprocess

from harness import Session, Failure, expect, wine_loader
from program import (changed_pixels, program_copy, start_program, command, press, click, shown_box, answer_box,
                     window_rect, fresh_edit, learnt_list, learnt_words)

ID_TRAY_OPTIONS, ID_TRAY_AUTOLEARN_DICTIONARY = 32771, 32840
IDOK, IDCANCEL, IDNO = 1, 2, 7
OPTIONS_HELP = 1016
WM_COMMAND, BM_GETCHECK, HKM_GETHOTKEY = 0x0111, 0x00F0, 0x0402
CTRL_SHIFT_K = 0x034B  # the hotkey control's word: HOTKEYF_CONTROL | HOTKEYF_SHIFT, then K
TVM_GETNEXTITEM, TVM_SELECTITEM, TVGN_ROOT, TVGN_NEXT, TVGN_CARET = 0x110A, 0x110B, 0, 1, 9
TREE, CAPTION, HOTKEY_CONTROL = 1000, 1001, 1046
FUNCTION_KEYS, MAIN_DIGITS = 1065, 1066
WORD_BOX, STARTUP_BOX = 1040, 1067
COMPLETE_BOXES = {"Ctrl": 1052, "Return": 1053, "Shift": 1054, "Space": 1055, "Tab": 1056}
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
AUTOLEARN_DELETE_SELECTED, AUTOLEARN_DELETE_ALL, AUTOLEARN_SAVE = 1033, 1077, 1079
QUESTION = "You have changed some options.\r\nSave them?"

with Session("options", limit=150) as s:
    folder = program_copy(s)
    program, prompt = start_program(s, folder)
    controller = s.wait_window(cls="PennivoxController")
    target = s.start_target()

    def open_options(command_id=ID_TRAY_OPTIONS):
        command(s, controller, command_id)
        dialog = s.wait_window(cls="#32770", title="Options")
        s.focus(dialog)
        return dialog

    def show_page(dialog, position):
        """Selects the tree's item at that position (0 Hotkeys, 1 AutoLearn, 2 Others)."""
        tree = s.child(dialog, ctrl_id=TREE)
        item = int(s.ctl("send", "%x" % tree, TVM_GETNEXTITEM, TVGN_ROOT, 0))
        for _ in range(position):
            item = int(s.ctl("send", "%x" % tree, TVM_GETNEXTITEM, TVGN_NEXT, item))
        s.ctl("send", "%x" % tree, TVM_SELECTITEM, TVGN_CARET, item)
        return s.text(s.child(dialog, ctrl_id=CAPTION))

    def close(dialog, button):
        press(s, dialog, button)
        s.wait_until(lambda: s.ctl("exists", "%x" % dialog) == "0", "the Options dialog closes")

    def checked(dialog, ctrl_id):
        return int(s.ctl("send", "%x" % s.child(dialog, ctrl_id=ctrl_id), BM_GETCHECK, 0, 0)) == 1

    def fresh():
        return fresh_edit(s, target, prompt)

    def completes(typed, keys, wanted):
        edit = fresh()
        s.type(typed)
        s.wait_text(edit, typed)
        s.wait_until(lambda: window_rect(s, prompt)[0], "the prompt shows")
        s.key(*keys)
        s.wait_text(edit, wanted)

    def switched_off():
        """Typed text stays as typed and no prompt shows: the hook is out."""
        edit = fresh()
        s.type("xylop")
        s.wait_text(edit, "xylop")
        s.key("F1")
        s.type("q")
        s.wait_text(edit, "xylopq")
        expect(window_rect(s, prompt)[0], False, "prompt while switched off")

    def cancel_without_change():
        dialog = open_options()
        expect(s.text(s.child(dialog, ctrl_id=CAPTION)), "Hotkeys", "first page")
        s.screenshot("page-hotkeys")
        expect(show_page(dialog, 2), "General", "caption after picking General")
        s.screenshot("page-others")
        # Three pages use id 1017 and two use 1040: a lookup finds the shown page's control.
        for ctrl_id in (1017, WORD_BOX):
            expect(s.ctl("visible", "%x" % s.child(dialog, ctrl_id=ctrl_id)), "1", "control %d shown" % ctrl_id)
        close(dialog, IDCANCEL)  # a question would keep the dialog open
    s.case("cancel_without_change_asks_nothing", cancel_without_change)

    def cancel_after_tick():
        dialog = open_options()
        show_page(dialog, 2)
        press(s, dialog, WORD_BOX)
        s.wait_until(lambda: not checked(dialog, WORD_BOX), "the box is cleared")
        press(s, dialog, IDCANCEL)
        box = shown_box(s, dialog)
        expect(s.text(s.child(box, ctrl_id=0xFFFF)), QUESTION, "Cancel's question")
        s.ctl("post", "%x" % box, WM_COMMAND, IDNO, 0)
        s.wait_until(lambda: s.ctl("exists", "%x" % dialog) == "0", "the Options dialog closes")
        expect(os.path.exists(os.path.join(folder, "Config.ini")), False, "Config.ini written after No")
    s.case("cancel_after_a_tick_asks", cancel_after_tick)

    def escape_then_enter_discards():
        dialog = open_options()
        show_page(dialog, 2)
        press(s, dialog, WORD_BOX)
        s.wait_until(lambda: not checked(dialog, WORD_BOX), "the box is cleared")
        s.key("Escape")  # the question comes up with No as its default button
        expect(answer_box(s, dialog, "Return"), QUESTION, "Cancel's question")
        s.wait_until(lambda: s.ctl("exists", "%x" % dialog) == "0", "the Options dialog closes")
        expect(os.path.exists(os.path.join(folder, "Config.ini")), False, "Config.ini written after Enter")
    s.case("escape_then_enter_discards", escape_then_enter_discards)

    def help_without_file_says_so():
        dialog = open_options()
        press(s, dialog, OPTIONS_HELP)
        text = answer_box(s, dialog)
        expect("PVHelp.chm" in text and "missing" in text, True, "the message names the file: %r" % text)
        close(dialog, IDCANCEL)
    s.case("help_without_file_says_so", help_without_file_says_so)

    def selection_keys():
        dialog = open_options()
        press(s, dialog, MAIN_DIGITS)
        s.wait_until(lambda: checked(dialog, MAIN_DIGITS), "Main Digits chosen")
        close(dialog, IDOK)
        completes("xylop", ["1"], "xylophone ")
        dialog = open_options()
        press(s, dialog, FUNCTION_KEYS)
        s.wait_until(lambda: checked(dialog, FUNCTION_KEYS), "Function Keys chosen")
        close(dialog, IDOK)
        completes("xylop", ["F1"], "xylophone ")
    s.case("selection_keys_take_effect_at_once", selection_keys)

    def toggle_hotkey():
        dialog = open_options()
        control = s.child(dialog, ctrl_id=HOTKEY_CONTROL)
        click(s, control)
        s.chord("ctrl+shift", "k")
        s.wait_until(lambda: int(s.ctl("send", "%x" % control, HKM_GETHOTKEY, 0, 0)) == CTRL_SHIFT_K,
                     "the control holds Ctrl+Shift+K")
        s.screenshot("hotkey-ctrl-shift-k")
        close(dialog, IDOK)
        fresh()
        s.chord("ctrl+shift", "k")  # off
        switched_off()
        s.chord("ctrl", "F5")  # the old hotkey does nothing now
        switched_off()
        s.chord("ctrl+shift", "k")  # on again
        completes("xylop", ["F1"], "xylophone ")
    s.case("toggle_hotkey_follows_the_setting", toggle_hotkey)

    def run_value():
        done = subprocess.run([wine_loader(), "reg", "query", RUN_KEY, "/v", "Pennivox"], env=s.env,
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=20)
        return done.stdout.decode(errors="replace") if done.returncode == 0 else None

    def run_at_startup():
        expect(run_value(), None, "Run value before anything was saved")
        dialog = open_options()
        show_page(dialog, 2)
        expect(checked(dialog, STARTUP_BOX), False, "start-up box at first")
        press(s, dialog, STARTUP_BOX)
        s.wait_until(lambda: checked(dialog, STARTUP_BOX), "the box is ticked")
        expect(run_value(), None, "Run value before OK")
        close(dialog, IDOK)
        value = run_value() or ""
        exe = os.path.join(folder, "Pennivox.exe")
        if '"Z:%s"' % exe.replace("/", "\\") not in value:
            raise Failure("Run value does not name %s: %r" % (exe, value))
        dialog = open_options()
        show_page(dialog, 2)
        expect(checked(dialog, STARTUP_BOX), True, "start-up box when registered")
        press(s, dialog, STARTUP_BOX)
        s.wait_until(lambda: not checked(dialog, STARTUP_BOX), "the box is cleared")
        close(dialog, IDOK)
        expect(run_value(), None, "Run value after switching it off")
    s.case("run_at_startup_writes_and_removes_the_value", run_at_startup)

    def autolearn_page():
        dialog = open_options(ID_TRAY_AUTOLEARN_DICTIONARY)
        expect(s.text(s.child(dialog, ctrl_id=CAPTION)), "AutoLearn", "caption")
        s.screenshot("page-autolearn")
        close(dialog, IDCANCEL)
    s.case("autolearn_page_first", autolearn_page)

    def offered(typed):
        edit = fresh()
        s.type(typed)
        s.wait_text(edit, typed)
        try:
            s.wait_until(lambda: window_rect(s, prompt)[0], "the prompt", timeout=1.5)
            return True
        except Failure:
            return False

    def deleted_word_not_offered():
        edit = fresh()
        # Enough words that rows show below the question's box.
        typed = "qwzzyx plumbrick vantolee brindle caltrop dunmore eskar fenwick gorsedd hobnail "
        s.type(typed)
        s.wait_text(edit, typed)
        expect(offered("qwz"), True, "the learnt word is offered")
        dialog = open_options(ID_TRAY_AUTOLEARN_DICTIONARY)
        words = learnt_words(s, dialog)
        s.screenshot("autolearn-words")
        expect("qwzzyx" in words, True, "the learnt word listed: %r" % words)
        s.ctl("lvsetstate", "%x" % learnt_list(s, dialog), words.index("qwzzyx"), 3, 3)
        before = s.settled_grab()
        press(s, dialog, AUTOLEARN_DELETE_SELECTED)
        box = shown_box(s, dialog)
        during = s.settled_grab()
        s.screenshot("autolearn-delete-question")
        # The list stays drawn behind the question: outside the box, not a pixel of it changed.
        _, list_rect = window_rect(s, learnt_list(s, dialog))
        _, box_rect = window_rect(s, box)
        expect(changed_pixels(before, during, list_rect, box_rect), 0, "pixels of the list changed behind the box")
        expect(answer_box(s, dialog), 'Delete the word "qwzzyx"?', "the question")
        expect("qwzzyx" in learnt_words(s, dialog), False, "deleted from the list")
        close(dialog, IDOK)
        expect(offered("qwz"), False, "a deleted word is offered")
        # What typing taught of it goes too, and is written at once.
        use = os.path.join(folder, "Libs", "AutoLearn.use")
        s.wait_until(lambda: os.path.exists(use) and b"qwzzyx" not in open(use, "rb").read(),
                     "AutoLearn.use written without the deleted word")
    s.case("deleted_learnt_word_not_offered", deleted_word_not_offered)

    def delete_all_and_save():
        edit = fresh()
        s.type("plumbix ")
        s.wait_text(edit, "plumbix ")
        dic = os.path.join(folder, "Libs", "AutoLearn.dic")
        # A record is 516 bytes; the first only marks the file's texts as UTF-8.
        s.wait_until(lambda: os.path.getsize(dic) > 516, "a word learnt")
        dialog = open_options(ID_TRAY_AUTOLEARN_DICTIONARY)
        press(s, dialog, AUTOLEARN_DELETE_ALL)
        question = answer_box(s, dialog)
        expect(question.startswith("Delete all ") and question.endswith(" learnt words?"), True,
               "the question counts the words: %r" % question)
        press(s, dialog, AUTOLEARN_SAVE)
        s.wait_until(lambda: os.path.getsize(dic) == 516, "an AutoLearn.dic without words")
        close(dialog, IDCANCEL)  # saved: nothing left to ask about
    s.case("delete_all_and_save_empties_the_file", delete_all_and_save)

    def ticked_complete_keys(dialog):
        return [name for name, box in COMPLETE_BOXES.items() if checked(dialog, box)]

    def complete_key_boxes():
        """Last: Space then completes whatever a later case would type."""
        dialog = open_options()
        expect(ticked_complete_keys(dialog), ["Return", "Tab"], "complete keys ticked at first")
        press(s, dialog, COMPLETE_BOXES["Return"])
        press(s, dialog, COMPLETE_BOXES["Space"])
        s.wait_until(lambda: ticked_complete_keys(dialog) == ["Space", "Tab"], "Return cleared, Space ticked")
        s.screenshot("complete-keys-space-tab")
        close(dialog, IDOK)
        with open(os.path.join(folder, "Config.ini")) as f:
            slots = [line.strip() for line in f if line.startswith("vkSelect=")]
        expect(slots, ["vkSelect=2009FFFFFFFFFFFFFFFF"], "Space and Tab in the slots")
        completes("xylop", ["space"], "xylophone ")
        edit = fresh_edit(s, target, prompt, target.MULTI)
        s.type("xylop")
        s.wait_until(lambda: window_rect(s, prompt)[0], "the prompt shows")
        s.key("Down", "Return")  # Return took a row moved to; now it is the line break
        s.wait_text(edit, "xylop\r\n")
    s.case("complete_key_boxes_take_effect_at_once", complete_key_boxes)
