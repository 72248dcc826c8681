"""The prompt under the caret at a screen scale other than 100 % (--dpi=144 is 150 %, 192 is 200 %),
in notepad and in WordPad: its top-left within a few pixels of the caret's bottom right + 5, read
back from the caret and the prompt window in screen pixels. Screenshots of the prompt are kept."""

import subprocess
import sys

from harness import Session, Failure, wine_loader
from program import (EM_SETMODIFY, program_copy, prompt_under_caret, start_program, start_wordpad, wininfo,
                     window_rect)

DESKTOP_KEY = r"HKCU\Control Panel\Desktop"

dpi = next((int(a.split("=", 1)[1]) for a in sys.argv[1:] if a.startswith("--dpi=")), 144)


def reg(s, *args):
    subprocess.run([wine_loader(), "reg"] + list(args), env=s.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=30)


def under_caret(s, prompt, hwnd, label):
    try:
        prompt_under_caret(s, prompt, hwnd)
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

        top, rich = start_wordpad(s)

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
