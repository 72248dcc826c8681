"""Keys typed at full speed into a target while a dialog's OK takes effect: the Applications Manager
over 5,000 rules (its OK writes AppConfig.ini, the engine reads it again and the hook goes in anew)
and Options OK. Every key must land once and in order: the target's text is exactly what was typed."""

import os
import random
import subprocess
import time

from harness import Session, Failure, expect
from program import program_copy, start_program, command

ID_TRAY_OPTIONS, ID_TRAY_APP_MANAGER = 32771, 32794
IDOK, IDCANCEL, WM_COMMAND = 1, 2, 0x0111
RULES = 5000
KEY_DELAY_MS = 8
SYLLABLES = ["ka", "lo", "mi", "ne", "pu", "ra", "si", "to", "vu", "ze", "bri", "dor", "fen", "gal", "hup"]


def write_rules(folder):
    """Rules for programs that do not run here: the target keeps its completions."""
    parts = ["[Other_Apps]\r\nWORK_ON_PV=1\r\n"]
    for i in range(1, RULES + 1):
        parts.append("[APP%d]\r\nCAPTION=Tool %d\r\nPATH=C:\\Program Files\\Vendor %d\\tool%d.exe\r\n"
                     "EDIT_ID=\r\nWORK_ON_PV=%d\r\n" % (i, i, i % 97, i, 1 if i % 3 == 0 else 0))
    with open(os.path.join(folder, "AppConfig.ini"), "w", newline="") as f:
        f.write("".join(parts))


def words(rng, count):
    return " ".join("".join(rng.choice(SYLLABLES) for _ in range(rng.randint(1, 3))) for _ in range(count)) + " "


with Session("dialog_ok_keys", limit=150) as s:
    rng = random.Random(23)
    folder = program_copy(s, classic=True)
    write_rules(folder)
    program, prompt = start_program(s, folder)
    controller = s.wait_window(cls="PennivoxController")
    target = s.start_target()

    def typed_through_ok(command_id, title, opened_for):
        """Opens the dialog, types into the target and presses the dialog's OK while the keys flow."""
        command(s, controller, command_id)
        dialog = s.wait_window(cls="#32770", title=title, timeout=20)
        s.focus(dialog)
        time.sleep(opened_for)  # the dialog has filled its lists and settled; the user turns to the target
        target.focus(target.SINGLE)
        edit = s.child(target.hwnd, ctrl_id=target.SINGLE)
        s.set_text(edit, "")
        text = words(rng, 30)
        typist = subprocess.Popen(["xdotool", "type", "--delay", str(KEY_DELAY_MS), "--", text], env=s.env,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            # The keys reach the target behind the hook: OK goes while some are in and the rest on their way.
            s.wait_until(lambda: len(s.text(edit)) >= 15, "the first keys in the target", 10)
            arrived = len(s.text(edit))
            s.ctl("post", "%x" % dialog, WM_COMMAND, IDOK, 0)  # as the button sends it, the focus left alone
            s.wait_until(lambda: s.ctl("exists", "%x" % dialog) == "0", "the dialog closes", 10)
            s.log("%s: OK with %d of %d characters in the target, closed with %d" % (
                title, arrived, len(text), len(s.text(edit))))
            expect(arrived < len(text), True, "keys still to come when OK was pressed")
            typist.wait(timeout=s.remaining(30))
        finally:
            if typist.poll() is None:
                typist.kill()
            if s.ctl("exists", "%x" % dialog) == "1":
                s.ctl("post", "%x" % dialog, WM_COMMAND, IDCANCEL, 0)
        try:
            s.wait_text(edit, text, timeout=30)
        except Failure:
            got = s.text(edit)
            at = next((i for i, (a, b) in enumerate(zip(got, text)) if a != b), min(len(got), len(text)))
            raise Failure("the text differs at %d of %d: typed ...%r, got ...%r" % (
                at, len(text), text[max(0, at - 20):at + 20], got[max(0, at - 20):at + 20]))
        expect(s.foreground(), target.hwnd, "the foreground window")

    s.case("applications_manager_ok", lambda: typed_through_ok(ID_TRAY_APP_MANAGER, "Applications Manager", 1.0))
    s.case("options_ok", lambda: typed_through_ok(ID_TRAY_OPTIONS, "Options", 1.0))
