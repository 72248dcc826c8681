"""Pennivox.exe itself: completions typed into the test application and into a folder path."""

import os

from harness import Session, Failure, expect
from program import program_copy, start_program, wininfo, window_rect, fresh_edit

with Session("app_completion", limit=120) as s:
    folder = program_copy(s, classic=True)
    program, prompt = start_program(s, folder)
    target = s.start_target()

    def fresh(ctrl_id=101):
        return fresh_edit(s, target, prompt, ctrl_id)

    def erase(edit, count):
        # The word typed is taken back: a word ended here would be learnt and offered first later.
        s.key(*["BackSpace"] * count)
        s.wait_text(edit, "")

    def complete_with(typed, keys, wanted, ctrl_id=101):
        edit = fresh(ctrl_id)
        s.type(typed)
        s.wait_text(edit, typed)
        s.screenshot("prompt-" + typed.replace(" ", "_").replace("\\", "_").replace(":", ""))
        s.key(*keys)
        s.wait_text(edit, wanted)
        return edit

    s.case("word_by_index_key", lambda: complete_with("xylop", ["F1"], "xylophone"))
    s.case("word_by_second_index_key", lambda: complete_with("xylop", ["F2"], "xylophones"))
    s.case("word_by_tab", lambda: complete_with("xylop", ["Tab"], "xylophone"))
    s.case("word_by_return", lambda: complete_with("xylop", ["Return"], "xylophone"))
    s.case("word_after_words", lambda: complete_with("I play the xylop", ["Tab"], "I play the xylophone"))
    s.case("phrase", lambda: complete_with("good mor", ["Tab"], "good morning"))
    def shorthand():
        edit = fresh()
        s.type("ty")
        # The shorthand's text shows in the preview beside the selected row, right of the prompt.
        preview = s.wait_window(cls="PennivoxPreview")
        s.wait_until(lambda: window_rect(s, preview)[0], "the preview shows")
        prompt_right = window_rect(s, prompt)[1][2]
        expect(window_rect(s, preview)[1][0] >= prompt_right, True, "the preview right of the prompt")
        s.screenshot("prompt-ty")
        s.key("Tab")
        s.wait_text(edit, "Thank you very much for your message.")
        s.wait_until(lambda: not window_rect(s, preview)[0], "the preview hides with the prompt")
    s.case("shorthand", shorthand)

    def shorthand_with_caret():
        edit = complete_with("sig", ["Tab"], "Best regards,\r\n\r\nPennivox user", ctrl_id=102)
        s.type("Ann")
        s.wait_text(edit, "Best regards,\r\nAnn\r\nPennivox user")
    s.case("shorthand_with_caret_macro", shorthand_with_caret)

    def learnt_word():
        edit = fresh()
        s.type("qwzzyx ")
        s.wait_text(edit, "qwzzyx ")
        s.type("qwz")
        s.wait_text(edit, "qwzzyx qwz")
        s.key("Tab")
        s.wait_text(edit, "qwzzyx qwzzyx")
    s.case("learnt_word", learnt_word)

    def path():
        edit = fresh()
        s.type("C:\\windo")
        s.wait_text(edit, "C:\\windo")
        s.key("Tab")
        s.wait_text(edit, "C:\\windows\\")
        s.screenshot("folder-entries")
        s.key("Escape")  # the prompt goes on with the folder's entries
    s.case("path", path)

    def prompt_under_the_caret():
        edit = fresh()
        s.type("xylop")
        s.wait_text(edit, "xylop")
        s.wait_until(lambda: window_rect(s, prompt)[0], "the prompt shows")
        caret = [int(v) for v in wininfo(s, "caret", "%x" % target.hwnd)]
        _, rect = window_rect(s, prompt)
        expect((rect[0], rect[1]), (caret[2], caret[3] + 5), "prompt top-left against the caret's bottom right")
        s.key("Escape")
        s.wait_until(lambda: not window_rect(s, prompt)[0], "Escape hides the prompt")
        erase(edit, 5)
    s.case("prompt_position", prompt_under_the_caret)

    def escape_keeps_text():
        edit = fresh()
        s.type("xylop")
        s.wait_text(edit, "xylop")
        s.wait_until(lambda: window_rect(s, prompt)[0], "the prompt shows")
        s.key("Escape")
        s.key("Tab")  # the prompt is gone: Tab reaches the single-line edit and completes nothing
        s.type("x")
        s.wait_text(edit, "xylopx")
        expect(window_rect(s, prompt)[0], False, "a prompt for the rest of the word")
        erase(edit, 6)
    s.case("escape", escape_keeps_text)

    def password_gets_nothing():
        edit = fresh(103)
        s.type("xylop")
        s.key("F1")
        s.type("q")
        # Nothing was completed: F1 reached the box and the text is what was typed.
        s.wait_until(lambda: len(s.text(edit)) == 6, "six characters in the password box")
        expect(window_rect(s, prompt)[0], False, "prompt visible over the password box")
    s.case("password_box", password_gets_nothing)

    def hotkey_switches_off_and_on():
        edit = fresh()
        s.chord("ctrl", "F5")  # off: the hook is removed
        s.type("xylop")
        s.wait_text(edit, "xylop")
        s.key("F1")
        s.type("q")
        s.wait_text(edit, "xylopq")
        expect(window_rect(s, prompt)[0], False, "prompt while switched off")
        s.chord("ctrl", "F5")  # on again
        complete_with("xylop", ["F1"], "xylophone")
    s.case("hotkey", hotkey_switches_off_and_on)

    def fast_typing():
        # Keys typed without a pause while the prompt comes and goes: each reaches the box once and
        # in order, and a word ended by a space in the rush is still learnt.
        edit = fresh()
        mark = target.mark()
        text = "xylop qvzzkw xylophone good mor qvzzkw xylo "
        s.type(text, delay_ms=0)
        s.wait_text(edit, text)
        # The text is in once the last press arrived; its release may still be on the way.
        s.wait_until(lambda: len(target.events(mark, kinds=("up",))) >= len(text), "the last key's release")
        for kind in ("down", "up"):
            keys = [e[2] for e in target.events(mark, kinds=(kind,))]
            expect(keys, [ord(c.upper()) for c in text], "virtual keys of the %s messages in the box" % kind)
        s.type("qvz")
        s.wait_text(edit, text + "qvz")
        s.wait_until(lambda: window_rect(s, prompt)[0], "the prompt shows the learnt word")
        s.key("Tab")
        s.wait_text(edit, text + "qvzzkw")
    s.case("fast_typing", fast_typing)

    def typing_through_a_completion():
        # Keys typed at full speed right behind the key that completes: the completion's Backspaces
        # and text arrive first, as one block, and then each of the user's keys once and in order
        # (those that came too early are held back and typed again behind the completion).
        edit = fresh()
        s.type("xylop", delay_ms=0)
        s.wait_until(lambda: window_rect(s, prompt)[0], "the prompt shows")
        mark = target.mark()
        s.type("\tzz qvx ", delay_ms=0)
        user = [ord(c.upper()) for c in "zz qvx "]

        def keys(kind):
            return [e for e in target.events(mark, kinds=(kind,)) if e[2] != 0x10]  # Shift aside
        s.wait_until(lambda: [e[2] for e in keys("up")][-len(user):] == user, "the last key's release")
        downs = keys("down")
        # Whichever candidate came first (a learnt "xylop" or "xylophone"): its block comes first.
        block = [e for e in downs[:len(downs) - len(user)]]
        word = "".join(chr(e[2]) for e in block[5:]).lower()
        expect([e[2] for e in block[:5]], [0x08] * 5, "the completion's Backspaces")
        expect(word.startswith("xylop"), True, "the completed word (%r)" % word)
        expect([e[3] for e in block], [0xEE] * len(block), "the completion as one block")
        expect([e[2] for e in downs[len(block):]], user, "the user's keys after it")
        s.wait_text(edit, word + "zz qvx ")
    s.case("typing_through_a_completion", typing_through_a_completion)

    def second_copy():
        second = s.start(os.path.join(folder, "Pennivox.exe"), name="Pennivox-2")
        # A program starting under a loaded Wine may take a while to show its box.
        box = s.wait_window(title="Pennivox - ERROR", timeout=30)
        static = s.child(box, cls="Static", ctrl_id=0xFFFF)
        expect(s.text(static), "Pennivox is already running.", "message")
        s.ctl("post", "%x" % box, 0x0010, 0, 0)  # WM_CLOSE
        s.wait_until(lambda: s.ctl("exists", "%x" % box) == "0", "the box closes")
        expect(s.ctl("exists", "%x" % prompt), "1", "first copy still running")
        s.wait_until(lambda: second.popen.poll() is not None, "the second copy ends")
    s.case("second_copy", second_copy)
