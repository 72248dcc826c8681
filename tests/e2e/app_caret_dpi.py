"""The prompt under the caret at a screen scale other than 100 % (--dpi=144 is 150 %, 192 is 200 %),
in notepad and in WordPad: its top-left within a few pixels of the caret's bottom right + 5, read
back from the caret and the prompt window in screen pixels. Screenshots of the prompt are kept."""

import subprocess
import sys

from harness import Session, Failure
from program import program_copy, start_program, wininfo, window_rect

WORDPAD = "C:\\Program Files\\Windows NT\\Accessories\\wordpad.exe"
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
EM_SETMODIFY = 0xB9
SLACK = 3

dpi = next((int(a.split("=", 1)[1]) for a in sys.argv[1:] if a.startswith("--dpi=")), 144)


def reg(s, *args):
    subprocess.run(["wine", "reg"] + list(args), env=s.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=30)


def under_caret(s, prompt, hwnd, label):
    s.wait_until(lambda: window_rect(s, prompt)[0], "the prompt shows")

    def placed():
        caret = [int(v) for v in wininfo(s, "caret", "%x" % hwnd)]
        rect = window_rect(s, prompt)[1]
        return abs(rect[0] - caret[2]) <= SLACK and abs(rect[1] - caret[3] - 5) <= SLACK
    try:
        s.wait_until(placed, "the prompt under the caret", timeout=3)
    finally:
        s.screenshot("%s-%d" % (label, dpi))
        s.log("%s: prompt %r caret %r" % (label, window_rect(s, prompt)[1], wininfo(s, "caret", "%x" % hwnd)))


with Session("app_caret_dpi_%d" % dpi, limit=150) as s:
    reg(s, "add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f")
    try:
        folder = program_copy(s, classic=True)
        program, prompt = start_program(s, folder)
        try:
            s.wait_window(title="Wine System Tray", timeout=5)
        except Failure:
            pass
        _, notepad, edit = s.start_notepad()

        def in_notepad():
            s.focus(notepad)
            s.type("xylop")
            s.wait_text(edit, "xylop")
            under_caret(s, prompt, edit, "notepad")
            s.key("Escape")
            s.ctl("send", "%x" % edit, EM_SETMODIFY, 0, 0)
        s.case("notepad", in_notepad)

        wordpad = s.start(WORDPAD, name="wordpad")
        top = wordpad.track(s.wait_window(cls="WORDPADTOP"))
        rich = s.child(top, cls="RichEdit20W")
        wordpad.before_close.append(("send", "%x" % rich, EM_SETMODIFY, 0, 0))

        def in_wordpad():
            s.focus(top)
            s.key("Return")
            s.type("xylop")
            s.wait_until(lambda: s.text(rich).endswith("xylop"), "xylop in the document")
            under_caret(s, prompt, rich, "wordpad")
            s.key("Escape")
        s.case("wordpad", in_wordpad)
    finally:
        reg(s, "delete", DESKTOP_KEY, "/v", "LogPixels", "/f")
