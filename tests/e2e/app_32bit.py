"""Pennivox.exe and 32-bit applications: a 32-bit build of the test target and Wine's 32-bit
notepad get prompts and completions through Zel32Host.exe, the hotkey stops them, and killing the
program takes the helper along. Where Wine runs no 32-bit programs the program starts no helper,
shows no message and completes in 64-bit applications as ever."""

import os
import shutil

from harness import Session, Failure, TestTarget, expect
from program import MESSAGE_BOX_TEXT_ID, program_copy, start_program, window_rect

BINARY_DIR = os.environ.get("PV_BINARY_DIR", os.getcwd())
BIN32 = os.path.join(BINARY_DIR, "hook32", "bin")
HELPER = "Zel32Host.exe"


class Target32(TestTarget):
    """pvtarget.exe built for i686: the same edits and log as the 64-bit one."""

    def __init__(self, session, title="Pennivox 32-bit Target"):
        self.session = session
        self.log_path = session.new_file("target32", ".log")
        self.proc = session.start(os.path.join(BIN32, "pvtarget.exe"), "--title", title, "--log", self.log_path,
                                  "--focus", self.SINGLE, name="pvtarget32")
        self.hwnd = self.proc.track(session.wait_window(cls="PvTestTarget", title=title))
        self.single = session.child(self.hwnd, ctrl_id=self.SINGLE)
        self.multi = session.child(self.hwnd, ctrl_id=self.MULTI)
        self.password = session.child(self.hwnd, ctrl_id=self.PASSWORD)
        self.focus()


def helper_pids(s):
    """Linux ids of Zel32Host.exe processes in this scenario's Wine prefix."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                if HELPER.encode() not in f.read():
                    continue
            with open("/proc/%s/environ" % pid, "rb") as f:
                if ("WINEPREFIX=%s" % s.env["WINEPREFIX"]).encode() in f.read().split(b"\0"):
                    found.append(int(pid))
        except OSError:
            pass
    return found


def told_box(prompt):
    """The program's message box about 32-bit applications (a #32770 titled as the prompt), or 0."""
    try:
        found = int(s.ctl("find", "#32770", "Pennivox".encode().hex()), 16)
        if found == prompt:
            return 0
        return "32-bit" in s.text(s.child(found, ctrl_id=MESSAGE_BOX_TEXT_ID, timeout=0.5)) and found
    except Failure:
        return 0


def ended(pid):
    try:
        s.ctl("alive", pid)
        return False
    except Failure:
        return True


def runs_32bit(s):
    syswow64 = os.path.join(s.env["WINEPREFIX"], "drive_c", "windows", "syswow64")
    return os.path.exists(os.path.join(syswow64, "kernel32.dll")) and os.path.exists(
        os.path.join(BIN32, "pvtarget.exe"))


with Session("app_32bit", limit=150) as s:
    folder = program_copy(s, classic=True)
    source = os.path.join(BINARY_DIR, "Pennivox")
    for name in ("Zel32.dll", HELPER):
        if os.path.exists(os.path.join(source, name)):
            shutil.copy(os.path.join(source, name), folder)
    program, prompt = start_program(s, folder)

    def complete_in(target, ctrl_id, typed, keys, wanted):
        target.focus(ctrl_id)
        edit = target.single if ctrl_id == target.SINGLE else target.multi
        s.set_text(edit, "")
        # A new word for the program, whatever it saw before: the control the focus came back to
        # may show the prompt of its last word, which Escape closes and Return would complete.
        mark = target.mark()
        s.key("Escape", "Return")
        target.wait_event("up", 0x0D, since=mark)
        s.set_text(edit, "")
        s.type(typed)
        s.wait_text(edit, typed)
        s.wait_until(lambda: window_rect(s, prompt)[0], "the prompt over " + typed)
        s.key(*keys)
        s.wait_text(edit, wanted)
        return edit

    if not runs_32bit(s):
        reason_file = os.path.join(os.path.dirname(__file__), "..", "..", "build", "wine32-unavailable.txt")
        reason = open(reason_file).read().strip() if os.path.exists(reason_file) else "no wine32"
        s.log("this Wine runs no 32-bit programs (%s): only the 64-bit side is checked" % reason)

        def no_helper_and_64bit_works():
            target = s.start_target()
            complete_in(target, target.SINGLE, "xylop", ["F1"], "xylophone")
            expect(helper_pids(s), [], "helpers on a system without 32-bit programs")
        s.case("without_32bit_system", no_helper_and_64bit_works)

        def helper_missing_is_told_once():
            # A system that looks as if it ran 32-bit programs, and a program folder without the
            # helper: one message, and completion in 64-bit applications goes on.
            global prompt
            s.ctl("close", "%x" % prompt)
            s.wait_until(lambda: ended(program.win_pid), "the first program ends", 5)
            marker = os.path.join(s.env["WINEPREFIX"], "drive_c", "windows", "syswow64", "kernel32.dll")
            with open(marker, "wb"):
                pass
            try:
                bare = program_copy(s, name="without_helper", classic=True)
                second = s.start(os.path.join(bare, "Pennivox.exe"), name="Pennivox", uses_hook=True)
                # The box may come before the prompt has its title: the prompt is looked up after it.
                box = s.wait_until(lambda: told_box(0), "the message about 32-bit applications", 20)
                second.track(box)
                text = s.text(s.child(box, ctrl_id=MESSAGE_BOX_TEXT_ID))
                expect("32-bit applications get no suggestions" in text, True, "the message: " + text)
                # Told as every other message is: by the controller, in a box it owns.
                controller = s.wait_window(cls="PennivoxController")
                expect(s.popup(controller), box, "the box's owner")
                s.screenshot("helper-missing-message")
                s.focus(box)
                s.key("Return")
                s.wait_until(lambda: s.ctl("exists", "%x" % box) == "0", "the box closes")
                second_prompt = second.track(s.wait_window(cls="#32770", title="Pennivox", timeout=20))
                target = s.start_target(title="Pennivox Test Target 2")
                s.chord("ctrl", "F5")
                s.chord("ctrl", "F5")  # on again: the helper is tried again, quietly
                prompt = second_prompt
                complete_in(target, target.SINGLE, "xylop", ["F1"], "xylophone")
                expect(told_box(second_prompt), 0, "a second message")
            finally:
                os.remove(marker)
        s.case("helper_missing", helper_missing_is_told_once)
    else:
        s.case("helper_starts", lambda: s.wait_until(lambda: helper_pids(s), "Zel32Host.exe runs", 5))
        target = Target32(s)
        s.case("word", lambda: complete_in(target, target.SINGLE, "xylop", ["F1"], "xylophone"))

        def shorthand_with_caret_macro():
            edit = complete_in(target, target.MULTI, "sig", ["Tab"], "Best regards,\r\n\r\nPennivox user")
            s.type("Ann")
            s.wait_text(edit, "Best regards,\r\nAnn\r\nPennivox user")
        s.case("shorthand_with_caret_macro", shorthand_with_caret_macro)

        def learnt_word():
            edit = complete_in(target, target.SINGLE, "xylop", ["F1"], "xylophone")
            s.type(" qwzzyx ")
            s.wait_text(edit, "xylophone qwzzyx ")
            s.type("qwz")
            s.wait_until(lambda: window_rect(s, prompt)[0], "the prompt offers the learnt word")
            s.key("Tab")
            s.wait_text(edit, "xylophone qwzzyx qwzzyx")
        s.case("learnt_word", learnt_word)

        def fast_typing():
            target.focus(target.SINGLE)
            # A new word for the program: the emptied edit is no text it saw typed.
            mark = target.mark()
            s.key("Return")
            target.wait_event("up", 0x0D, since=mark)
            s.set_text(target.single, "")
            mark = target.mark()
            text = "qvzzkw plumb jjqq zzv "  # words no later case completes: they are learnt
            s.type(text, delay_ms=0)
            s.wait_text(target.single, text)
            s.wait_until(lambda: len(target.events(mark, kinds=("up",))) >= len(text), "the last key's release")
            for kind in ("down", "up"):
                keys = [e[2] for e in target.events(mark, kinds=(kind,))]
                expect(keys, [ord(c.upper()) for c in text], "virtual keys of the %s messages" % kind)
        s.case("fast_typing", fast_typing)

        def notepad32():
            proc = s.start("C:\\windows\\syswow64\\notepad.exe", name="notepad32")
            hwnd = proc.track(s.wait_window(cls="Notepad"))
            edit = s.child(hwnd, cls="Edit")
            proc.before_close.append(("send", "%x" % edit, 0xB9, 0, 0))  # EM_SETMODIFY: closes unasked
            s.focus(hwnd)
            s.type("xylop")
            s.wait_until(lambda: window_rect(s, prompt)[0], "the prompt over notepad")
            s.key("Tab")
            s.wait_text(edit, "xylophone")
            s.ctl("send", "%x" % edit, 0xB9, 0, 0)  # unmodified: the close asks nothing
            s.ctl("close", "%x" % hwnd)
            s.wait_until(lambda: s.ctl("exists", "%x" % hwnd) == "0", "notepad closes")
        s.case("notepad_32bit", notepad32)

        def hotkey_stops_32bit_reports():
            target.focus(target.SINGLE)
            s.set_text(target.single, "")
            s.chord("ctrl", "F5")
            s.type("xylop")
            s.wait_text(target.single, "xylop")
            s.key("F1")
            s.type("q")
            s.wait_text(target.single, "xylopq")
            expect(window_rect(s, prompt)[0], False, "prompt while switched off")
            s.chord("ctrl", "F5")
            complete_in(target, target.SINGLE, "xylop", ["F1"], "xylophone")
        s.case("hotkey", hotkey_stops_32bit_reports)

        def killed_program_takes_helper_along():
            s.ctl("killpid", program.win_pid)
            s.wait_until(lambda: not helper_pids(s), "Zel32Host.exe ends with the program", 1.0)
            target.focus(target.SINGLE)
            s.set_text(target.single, "")
            mark = target.mark()
            s.type("after kill", delay_ms=0)
            s.wait_text(target.single, "after kill")
            keys = [e[2] for e in target.events(mark, kinds=("down",))]
            expect(keys, [ord(c.upper()) for c in "after kill"], "keys typed after the kill")
        s.case("killed_program", killed_program_takes_helper_along)
