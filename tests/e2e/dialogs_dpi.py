"""Every dialog of the program and its tray menu at a screen scale (--dpi=96 is 100 %, 144 is 150 %)
and in a language of the interface (--lang=en|de|ru..., chosen in Config.ini as Options does): each
opens whole on the screen, titled in that language, and a screenshot of it is kept for looking at
(columns, cut-off texts, overlapping controls)."""

import subprocess
import sys
import time

from harness import Session, Failure, expect, wine_loader
from program import program_copy, start_program, window_rect, command, press, translated

DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
WM_TRAY_ICON, WM_RBUTTONUP, TRAY_ICON_ID = 0x0400 + 10, 0x0205, 171  # the icon's id is IDR_TRAY
# name, the tray command that opens it, its title in English
DIALOGS = [("options", 32771, "Options"), ("autolearn", 32840, "Options"),
           ("edit_box_list", 32841, "Edit Boxes"), ("dict_manager", 32795, "Dictionaries Manager"),
           ("user_dictionary", 32838, "User Dictionary"), ("app_manager", 32794, "Applications Manager"),
           ("about", 32832, "About Pennivox")]
# Dialogs opened from another: name, the opener, the button pressed there, the title in English
INNER = [("general_page", "options", None, "Options"),
         ("application", "app_manager", 1081, "Application"),
         ("edit_box", "edit_box_list", 1081, "Edit Box"),
         ("new_dictionary", "dict_manager", 1021, "New Dictionary")]
TREE, IDC_OPTION_RUNNING = 1000, 1110
TVM_GETNEXTITEM, TVM_SELECTITEM, TVGN_ROOT, TVGN_NEXT, TVGN_CARET = 0x110A, 0x110B, 0, 1, 9

dpi = next((int(a.split("=", 1)[1]) for a in sys.argv[1:] if a.startswith("--dpi=")), 144)
lang = next((a.split("=", 1)[1] for a in sys.argv[1:] if a.startswith("--lang=")), "en")


def reg(s, *args):
    subprocess.run([wine_loader(), "reg"] + list(args), env=s.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=30)


name = "dialogs_dpi_%d" % dpi if lang == "en" else "dialogs_%s_%d" % (lang, dpi)
with Session(name, limit=200) as s:
    reg(s, "add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f")
    try:
        folder = program_copy(s)
        if lang != "en":
            with open(folder + "/Config.ini", "w") as f:
                f.write("[Others]\r\nstrLanguage=%s\r\n" % lang)
        program, prompt = start_program(s, folder)
        controller = s.wait_window(cls="PennivoxController")
        screen = (0, 0, 1024, 768)  # the test display

        def title_of(english):
            # The user's own dictionary is titled with its name, which is data.
            return english if english == "User Dictionary" else translated(lang, english)

        def shown(title, shot):
            dialog = s.wait_window(cls="#32770", title=title)
            s.wait_until(lambda: window_rect(s, dialog)[0], "%s shows" % title)
            time.sleep(1.0)  # its controls paint one by one
            s.screenshot("%s-%s-%d" % (shot, lang, dpi))
            left, top, right, bottom = window_rect(s, dialog)[1]
            expect(left >= screen[0] and top >= screen[1] and right <= screen[2] and bottom <= screen[3], True,
                   "%s (%d, %d, %d, %d) within the screen" % (title, left, top, right, bottom))
            return dialog

        def closed(dialog, title):
            s.ctl("close", "%x" % dialog)
            s.wait_until(lambda: s.ctl("exists", "%x" % dialog) == "0", "%s closes" % title)

        def dialog_case(name, command_id, english):
            def run():
                command(s, controller, command_id)
                closed(shown(title_of(english), name), english)
            return run
        for name, command_id, english in DIALOGS:
            s.case(name, dialog_case(name, command_id, english))

        def inner_case(name, opener, button, english):
            def run():
                command_id, outer_english = next((c, e) for n, c, e in DIALOGS if n == opener)
                command(s, controller, command_id)
                outer = s.wait_window(cls="#32770", title=title_of(outer_english))
                if button is None:  # the Options dialog's General page: the tree's third item
                    tree = s.child(outer, ctrl_id=TREE)
                    item = int(s.ctl("send", "%x" % tree, TVM_GETNEXTITEM, TVGN_ROOT, 0))
                    for _ in range(2):
                        item = int(s.ctl("send", "%x" % tree, TVM_GETNEXTITEM, TVGN_NEXT, item))
                    s.ctl("send", "%x" % tree, TVM_SELECTITEM, TVGN_CARET, item)
                    s.wait_until(lambda: window_rect(s, outer)[0], "Options shows")
                    s.screenshot("%s-%s-%d" % (name, lang, dpi))
                else:
                    press(s, outer, button)
                    inner = shown(title_of(english), name)
                    if name == "application":
                        press(s, inner, IDC_OPTION_RUNNING)
                        closed(shown(title_of("Running Applications"), "running_applications"), "Running")
                    closed(inner, english)
                closed(outer, outer_english)
            return run
        for name, opener, button, english in INNER:
            s.case(name, inner_case(name, opener, button, english))

        def tray_menu():
            s.ctl("post", "%x" % controller, WM_TRAY_ICON, TRAY_ICON_ID, WM_RBUTTONUP)
            menu = int(s.ctl("find", "#32768", "-", 5000, timeout=10), 16)
            s.wait_until(lambda: window_rect(s, menu)[0], "the tray menu shows")
            s.screenshot("tray-menu-%s-%d" % (lang, dpi))
            s.key("Escape")
            s.wait_until(lambda: s.ctl("visible", "%x" % menu) == "0" or s.ctl("exists", "%x" % menu) == "0",
                         "the tray menu closes")
        s.case("tray_menu", tray_menu)
    finally:
        reg(s, "delete", DESKTOP_KEY, "/v", "LogPixels", "/f")
