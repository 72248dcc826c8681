"""Pennivox.exe's tray icon, driven with the mouse in Wine's own system tray window: the hotkey and a
double click switch the program (icon, first menu item, prompt), the feature items switch their
check marks and effects and are remembered, every dialog item opens its dialog (and the menu stays
closed meanwhile), Exit removes hook and icon, and a hotkey held by another program is told once.

Wine shows notification icons in a small top-level window ("Wine System Tray") when there is no
desktop panel; its icons are child windows, so their place is read and clicked like a user would.
Wine's menus cannot be read from another process, so menu rows are found by their layout (rows of
one height, separators of another) and check marks and the first item are read from the screen."""

import os
import re
import subprocess
import time

from harness import Session, Failure, expect
from program import program_copy, start_program, window_rect, answer_box, fresh_edit

TRAY_TITLE = "Wine System Tray"
MENU_CLASS = "#32768"
MENU_BORDER, SEPARATOR_HEIGHT = 3, 9
MAIN_MENU = ["enable", "-", "autolearn", "words", "phrases", "shorthands", "-", "options", "edit_manager",
             "dictionaries", "app_manager", "-", "more", "help", "-", "exit"]
DICTIONARIES_MENU = ["dict_manager", "user_dictionary", "user_shorthands", "autolearn_dictionary"]
HELP_MENU = ["contents", "-", "homepage", "feedback", "-", "about"]
DICT_NAME = 1023  # the editor's dictionary name field
IDOK, ID_TRAY_DICT_MANAGER = 1, 32795
WM_COMMAND = 0x0111
SHORTHAND_TY = "Thank you very much for your message."
FEATURES_LEFT = {"autolearn": False, "words": True, "phrases": False, "shorthands": False}
CONFIG_KEYS = {"autolearn": "bEanbleAutolearn", "words": "bEnableWord", "phrases": "bEnablePhrase",
               "shorthands": "bEnableShorthand"}


def pixels(s, rect):
    """RGB triples of a screen rectangle (left, top, right, bottom)."""
    left, top, right, bottom = rect
    raw = subprocess.run(["import", "-window", "root", "-display", s.env["DISPLAY"], "-crop",
                          "%dx%d+%d+%d" % (right - left, bottom - top, left, top), "-depth", "8", "rgb:-"],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=10).stdout
    return [tuple(raw[i:i + 3]) for i in range(0, len(raw) - 2, 3)]


with Session("tray", limit=240) as s:
    folder = program_copy(s, classic=True)
    program, prompt = start_program(s, folder)
    target = s.start_target()
    tray = s.wait_window(title=TRAY_TITLE)

    def controller():
        return s.wait_window(cls="PennivoxController")

    def icon_rect():
        icon = s.child(tray, timeout=5)
        visible, rect = window_rect(s, icon)
        if not visible:
            raise Failure("the tray icon is hidden")
        return rect

    def icon_enabled():
        """Icon 128 is blue and orange, icon 162 grey."""
        return any(b > r + 60 for r, _, b in pixels(s, icon_rect()))

    def click_icon(button="3", repeat=1):
        left, top, right, bottom = icon_rect()
        # Low in the icon: the menu opens below the cursor, clear of the tray window.
        s._xdotool("mousemove", str((left + right) // 2), str(bottom - 2), "click", "--repeat",
                   str(repeat), "--delay", "60", button)

    def menu_shown():
        """The newest visible menu window (a submenu comes before its parent), or 0."""
        menu = found(lambda: int(s.ctl("find", MENU_CLASS, "-", 0), 16))
        return menu if menu and window_rect(s, menu)[0] else 0

    def close_menus():
        if menu_shown():
            s._xdotool("mousemove", "700", "700", "click", "1")
            s.wait_until(lambda: not menu_shown(), "the menu closes")

    def open_menu():
        close_menus()
        click_icon()
        return s.wait_until(menu_shown, "the tray menu")

    def rows(menu, layout):
        """The screen rectangle of each named row of a shown menu."""
        _, (left, top, right, bottom) = window_rect(s, menu)
        separators = layout.count("-")
        item_height = (bottom - top - 2 * MENU_BORDER - separators * SEPARATOR_HEIGHT) // (len(layout) - separators)
        found, y = {}, top + MENU_BORDER
        for name in layout:
            height = SEPARATOR_HEIGHT if name == "-" else item_height
            found[name] = (left + MENU_BORDER, y, right - MENU_BORDER, y + height)
            y += height
        return found

    def click_row(rect):
        left, top, _, bottom = rect
        s._xdotool("mousemove", str(left + 40), str((top + bottom) // 2), "click", "1")

    def choose(name):
        """Clicks a menu item, opening its submenu first when it is in one."""
        menu = open_menu()
        for parent, layout in (("dictionaries", DICTIONARIES_MENU), ("help", HELP_MENU)):
            if name in layout:
                click_row(rows(menu, MAIN_MENU)[parent])
                sub = s.wait_until(lambda: menu_shown() not in (0, menu) and menu_shown(), "the submenu")
                click_row(rows(sub, layout)[name])
                break
        else:
            click_row(rows(menu, MAIN_MENU)[name])
        s.wait_until(lambda: not menu_shown(), "the menu closes")

    def checked(menu, name):
        left, top, _, bottom = rows(menu, MAIN_MENU)[name]
        return any(sum(p) < 200 for p in pixels(s, (left, top, left + 14, bottom)))

    def marks():
        menu = open_menu()
        found = {name: checked(menu, name) for name in CONFIG_KEYS}
        close_menus()
        return found

    def first_item_picture():
        menu = open_menu()
        picture = pixels(s, rows(menu, MAIN_MENU)["enable"])
        close_menus()
        return picture

    def config():
        path = os.path.join(folder, "Config.ini")
        text = open(path).read() if os.path.exists(path) else ""
        return {k: int(v) for k, v in re.findall(r"^(\w+)=(-?\d+)\s*$", text, re.M)}

    def fresh():
        close_menus()
        return fresh_edit(s, target, prompt)

    def found(probe):
        """What probe finds, or 0 when it fails."""
        try:
            return probe()
        except Failure:
            return 0

    def absent(probe, timeout=1.5):
        """True when probe finds nothing for the whole time."""
        return not found(lambda: s.wait_until(lambda: found(probe), "something", timeout=timeout))

    def offered(typed):
        edit = fresh()
        s.type(typed)
        s.wait_text(edit, typed)
        return not absent(lambda: window_rect(s, prompt)[0])

    def first_offer(typed):
        """What Tab types for the first item offered."""
        edit = fresh()
        s.type(typed)
        s.wait_text(edit, typed)
        s.wait_until(lambda: window_rect(s, prompt)[0], "the prompt for %r" % typed)
        s.key("Tab")
        s.wait_until(lambda: not window_rect(s, prompt)[0], "the prompt hides")
        last = {"text": None, "since": 0.0}

        def settled():
            """The text has not changed for a while: the completion is typed in full."""
            text = s.text(edit)
            if text != last["text"]:
                last.update(text=text, since=time.monotonic())
            return text != typed and time.monotonic() - last["since"] > 0.3
        s.wait_until(settled, "the completion typed")
        return s.text(edit)

    def wait_icon(enabled):
        s.wait_until(lambda: icon_enabled() == enabled, "the icon shows %s" % ("on" if enabled else "off"))

    def closed(dialog, button=None):
        s.ctl("post", "%x" % dialog, WM_COMMAND, button, 0) if button else s.ctl("close", "%x" % dialog)
        s.wait_until(lambda: s.ctl("exists", "%x" % dialog) == "0", "the dialog closes")

    def exit_program():
        choose("exit")
        s.wait_until(lambda: s.ctl("exists", "%x" % prompt) == "0", "the program ends")

    # ------------------------------------------------------------------------------------------

    def hotkey_switches():
        wait_icon(True)
        open_menu()
        s.screenshot("tray-menu")
        on_item = first_item_picture()
        expect(offered("xylop"), True, "prompt while on")
        fresh()
        s.chord("ctrl", "F5")
        wait_icon(False)
        expect(first_item_picture() != on_item, True, "the first item changed")
        expect(offered("xylop"), False, "prompt while off")
        fresh()
        s.chord("ctrl", "F5")
        wait_icon(True)
        expect(first_item_picture(), on_item, "the first item back")
        expect(offered("xylop"), True, "prompt on again")
    s.case("hotkey_switches_icon_item_and_prompt", hotkey_switches)

    def double_click_and_first_item_switch():
        click_icon("1", repeat=2)
        wait_icon(False)
        expect(offered("xylop"), False, "prompt after a double click")
        choose("enable")  # the first item: "Enable Pennivox" now
        wait_icon(True)
        expect(offered("xylop"), True, "prompt after the first item")
    s.case("double_click_and_first_item_switch", double_click_and_first_item_switch)

    def features():
        expect(marks(), dict.fromkeys(CONFIG_KEYS, True), "marks at first")
        choose("autolearn")  # off: a word typed is not learnt
        expect(offered("qwzzyx "), False, "no prompt for a new word")
        expect(offered("qwz"), False, "a word typed while AutoLearn is off offered")
        choose("words")  # off: single words are no longer offered, phrases still are
        expect(offered("xylop"), False, "a word offered with words off")
        expect(offered("good mor"), True, "a phrase with words off")
        choose("phrases")
        expect(offered("good mor"), False, "a phrase offered with phrases off")
        # Shorthand keys are words too: with words on, Tab takes the shorthand or, without
        # shorthands, a word.
        choose("words")
        expect(first_offer("ty"), SHORTHAND_TY, "the shorthand first")
        choose("shorthands")
        expect(first_offer("ty") != SHORTHAND_TY, True, "the shorthand taken with shorthands off")
        expect(marks(), FEATURES_LEFT, "marks")
        expect({k: config().get(v) == 1 for k, v in CONFIG_KEYS.items()}, FEATURES_LEFT, "Config.ini")
    s.case("feature_items_switch_marks_and_effects", features)

    def exit_and_restart():
        global program, prompt
        left = marks()
        exit_program()
        s.wait_until(lambda: not found(lambda: s.child(tray, timeout=0)), "the icon goes")
        edit = s.child(target.hwnd, ctrl_id=101)
        target.focus(101)
        s.set_text(edit, "")
        s.type("typing goes on xylop")  # no hook: every key arrives, no prompt
        s.wait_text(edit, "typing goes on xylop")
        program, prompt = start_program(s, folder)
        wait_icon(True)
        expect(marks(), left, "marks after a restart")
        expect(first_offer("ty") == SHORTHAND_TY, left["shorthands"], "the shorthand after a restart")
        for name in CONFIG_KEYS:
            if not left[name]:
                choose(name)
        fresh()
        s.type("plmbqz ")
        expect(offered("plmb"), True, "a word learnt with AutoLearn on again")
        expect(first_offer("ty"), SHORTHAND_TY, "the shorthand with shorthands on again")
    s.case("exit_removes_hook_and_icon_and_start_again_remembers", exit_and_restart)

    def dialog_items():
        for item, title in (("options", "Options"), ("edit_manager", "Edit Boxes"),
                            ("dict_manager", "Dictionaries Manager"), ("app_manager", "Applications Manager"),
                            ("autolearn_dictionary", "Options"), ("about", "About Pennivox"),
                            ("user_dictionary", "User Dictionary"), ("user_shorthands", "User Shorthands")):
            choose(item)
            if item.startswith("user_"):  # the editor, on the user's own file
                dialog = s.wait_window(cls="#32770", title=title)  # the editor, titled with the name
                s.wait_until(lambda: s.text(s.child(dialog, ctrl_id=DICT_NAME)) == title, "the editor on " + title)
            else:
                dialog = s.wait_window(cls="#32770", title=title)
            if item == "about":
                s.screenshot("about-box")
            close_menus()
            click_icon()
            expect(absent(menu_shown, timeout=1), True, "no menu over %s" % title)
            closed(dialog)
    s.case("every_dialog_item_opens_its_dialog_and_the_menu_waits", dialog_items)

    def one_dialog_at_a_time():
        choose("options")
        dialog = s.wait_window(cls="#32770", title="Options")
        click_icon("1", repeat=2)  # the default command still runs, and the hotkey
        wait_icon(False)
        s.chord("ctrl", "F5")
        wait_icon(True)
        s.ctl("post", "%x" % controller(), WM_COMMAND, ID_TRAY_DICT_MANAGER, 0)
        expect(absent(lambda: s.wait_window(cls="#32770", title="Dictionaries Manager", timeout=0)), True,
               "no second dialog")
        closed(dialog)
    s.case("one_dialog_at_a_time_hotkey_still_switches", one_dialog_at_a_time)

    def off_stays_off_after_ok():
        s.chord("ctrl", "F5")
        wait_icon(False)
        for item, title in (("options", "Options"), ("edit_manager", "Edit Boxes")):
            choose(item)
            closed(s.wait_window(cls="#32770", title=title), IDOK)
            expect(offered("xylop"), False, "prompt after %s OK while off" % title)
            expect(icon_enabled(), False, "icon after %s OK while off" % title)
        s.chord("ctrl", "F5")
        wait_icon(True)
    s.case("off_stays_off_after_a_dialogs_ok", off_stays_off_after_ok)

    def help_items():
        # The viewer draws its pages with the HTML engine, which these Wine prefixes leave out
        # (no downloads): it refuses, and the program names what it asked it to show.
        help_file = "Z:" + os.path.join(folder, "PVHelp.chm").replace("/", "\\")
        for item, topic in (("contents", ""), ("more", "::/dictionaries.htm"), ("homepage", "::/home.htm")):
            choose(item)
            try:
                closed(s.wait_window(title="Pennivox Help", timeout=3))
            except Failure:
                expect(answer_box(s, controller()), "%s%s could not be opened." % (help_file, topic), "the message")
    s.case("help_items_open_the_help_file", help_items)

    def prompt_steps_aside_for_the_menu():
        edit = fresh()
        s.type("xylop")
        s.wait_text(edit, "xylop")
        s.wait_until(lambda: window_rect(s, prompt)[0], "the prompt")
        open_menu()
        s.wait_until(lambda: not window_rect(s, prompt)[0], "the prompt hides behind the tray menu", 3)
        s.screenshot("menu-without-prompt")
        close_menus()
        target.focus(target.SINGLE)
        s.type("h")  # the text typed before the menu is the control's again
        s.wait_text(edit, "xyloph")
        s.wait_until(lambda: window_rect(s, prompt)[0], "the prompt for the text typed on")
    s.case("prompt_steps_aside_for_the_tray_menu", prompt_steps_aside_for_the_menu)

    def hotkey_held_elsewhere():
        global program, prompt
        exit_program()
        expect(s.ctl("holdhotkey", 2, 0x74), "", "Ctrl+F5 held by the control tool")
        program = s.start(os.path.join(folder, "Pennivox.exe"), name="Pennivox", uses_hook=True)
        text = answer_box(s, controller(), timeout=20)
        if not re.match(r"Another program already uses (Ctrl|Control)\+F5, ", text):
            raise Failure("the box does not name the key: %r" % text)
        prompt = program.track(s.wait_window(cls="#32770", title="Pennivox", timeout=20))
        choose("options")
        closed(s.wait_window(cls="#32770", title="Options"), IDOK)  # registers the key again
        expect(absent(lambda: s.popup(controller())), True, "told only once")
    s.case("hotkey_held_elsewhere_is_told_once", hotkey_held_elsewhere)
