"""Every dialog of the program at a screen scale (--dpi=96 is 100 %, 144 is 150 %): it opens whole on
the screen, and a screenshot of it is kept for looking at (columns, cut-off texts)."""

import subprocess
import sys

from harness import Session, Failure, expect, wine_loader
from program import program_copy, start_program, window_rect, command

DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
DIALOGS = [("options", 32771, "Options"), ("autolearn", 32840, "Options"),
           ("edit_box_list", 32841, "Edit Box List"), ("dict_manager", 32795, "Dictionaries Manager"),
           ("user_dictionary", 32838, "Dictionary Option"), ("app_manager", 32794, "Applications Manager"),
           ("about", 32832, "About Pennivox")]

dpi = next((int(a.split("=", 1)[1]) for a in sys.argv[1:] if a.startswith("--dpi=")), 144)


def reg(s, *args):
    subprocess.run([wine_loader(), "reg"] + list(args), env=s.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=30)


with Session("dialogs_dpi_%d" % dpi, limit=150) as s:
    reg(s, "add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f")
    try:
        folder = program_copy(s)
        program, prompt = start_program(s, folder)
        controller = s.wait_window(cls="PennivoxController")
        screen = (0, 0, 1024, 768)  # the test display

        def dialog_case(name, command_id, title):
            def run():
                command(s, controller, command_id)
                dialog = s.wait_window(cls="#32770", title=title)
                s.wait_until(lambda: window_rect(s, dialog)[0], "%s shows" % title)
                s.screenshot("%s-%d" % (name, dpi))
                left, top, right, bottom = window_rect(s, dialog)[1]
                expect(left >= screen[0] and top >= screen[1] and right <= screen[2] and bottom <= screen[3], True,
                       "%s (%d, %d, %d, %d) within the screen" % (title, left, top, right, bottom))
                s.ctl("close", "%x" % dialog)
                s.wait_until(lambda: s.ctl("exists", "%x" % dialog) == "0", "%s closes" % title)
            return run
        for name, command_id, title in DIALOGS:
            s.case(name, dialog_case(name, command_id, title))
    finally:
        reg(s, "delete", DESKTOP_KEY, "/v", "LogPixels", "/f")
