"""Pennivox.exe's Dictionaries Manager and New Dictionary dialog, driven through the controller's commands.

A dictionary is created in the manager and filled in the editor; what the manager's check boxes say
decides whether its entry is offered while typing in the test application.
"""

import os
import time

from harness import Session, Failure, expect
from program import program_copy, window_rect, command, press, answer_box

PROGRAM_TITLE = "Pennivox"
WM_CLOSE, WM_COMMAND = 0x0010, 0x0111
LVM_GETITEMCOUNT, LVM_GETITEMSTATE = 0x1004, 0x102C
LVIS_FOCUSED_SELECTED, LVIS_STATEIMAGEMASK = 0x0003, 0xF000
ID_TRAY_DICT_MANAGER, ID_TRAY_USER_SHORTHANDS = 32795, 32839
MANAGER_LIST, MANAGER_CREATE, MANAGER_ENCRYPT, MANAGER_EDIT = 1019, 1021, 1047, 1068
NAME_EDIT, NEW_FILE_EDIT, DESCRIPTION_EDIT = 1023, 1072, 1017
EDITOR_KEY, EDITOR_DATA, EDITOR_ADD = 1008, 1009, 1010
NO_DICTIONARY = "Pennivox has no dictionary to offer words from.\nOpen the Dictionaries Manager now?"

NEW_NAME = "E2E Shorthands"
KEY, DATA = "zqsig", "Zq signed text"
TYPED = "zqs"  # the key's beginning: a key typed in full is not offered again


def prompt_shown(s, prompt):
    return window_rect(s, prompt)[0]


def shows_within(s, prompt, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if prompt_shown(s, prompt):
            return True
    return False


class Dialogs:
    """The program's windows: commands to its controller, its dialogs and message boxes read back."""

    def __init__(self, s, folder):
        self.s = s
        self.folder = folder
        self.proc = s.start(os.path.join(folder, "Pennivox.exe"), name="Pennivox", uses_hook=True)
        self.controller = s.wait_window(cls="PennivoxController", timeout=20)

    def wait_loaded(self):
        return self.proc.track(self.s.wait_window(cls="#32770", title=PROGRAM_TITLE, timeout=20))

    def command(self, command_id):
        command(self.s, self.controller, command_id)

    def dialog(self, title):
        hwnd = self.s.wait_window(cls="#32770", title=title)
        self.s.focus(hwnd)
        return hwnd

    def click(self, dialog, ctrl_id):
        press(self.s, dialog, ctrl_id)

    def box(self, title, owner):
        """The message box a window shows (boxes come to the foreground): (hwnd, its text)."""
        def probe():
            hwnd = self.s.foreground()
            if hwnd not in (0, owner) and self.s.text(hwnd) == title:
                return hwnd
            # A box that came up before the test focused its owner is behind the owner (no window
            # manager keeps it above): bring it forward, as a click on the owner would.
            popup = self.s.popup(owner)
            if popup and self.s.text(popup) == title:
                self.s.focus(popup)
                return popup
            return None
        hwnd = self.s.wait_until(probe, "a box titled %r" % title)
        return hwnd, self.s.text(self.s.child(hwnd, cls="Static", ctrl_id=0xFFFF)).replace("\r\n", "\n")

    def answer(self, box, button=1):
        self.s.ctl("post", "%x" % box, WM_COMMAND, button, 0)
        self.s.wait_until(lambda: self.s.ctl("exists", "%x" % box) == "0", "the box closes")

    def closed(self, hwnd):
        self.s.wait_until(lambda: self.s.ctl("exists", "%x" % hwnd) == "0", "window %x closes" % hwnd)


class Manager:
    """The Dictionaries Manager's list read back cell by cell."""

    def __init__(self, d):
        self.d = d
        self.s = d.s
        self.hwnd = d.dialog("Dictionaries Manager")
        self.list = self.s.child(self.hwnd, ctrl_id=MANAGER_LIST)

    def rows(self):
        count = int(self.s.ctl("send", "%x" % self.list, LVM_GETITEMCOUNT, 0, 0))
        return [tuple(self.cell(row, column) for column in range(4)) + (self.checked(row),) for row in range(count)]

    def cell(self, row, column):
        return bytes.fromhex(self.s.ctl("lvtext", "%x" % self.list, row, column)).decode("utf-8")

    def checked(self, row):
        return int(self.s.ctl("send", "%x" % self.list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK)) >> 12 == 2

    def row_of(self, name):
        names = [row[0] for row in self.rows()]
        if name not in names:
            raise Failure("%r not listed: %r" % (name, names))
        return names.index(name)

    def select(self, name):
        row = self.row_of(name)
        self.s.ctl("lvsetstate", "%x" % self.list, row, LVIS_FOCUSED_SELECTED, LVIS_FOCUSED_SELECTED)
        return row

    def toggle_check(self, name):
        """Selects the row and presses Space in the list, as a user would."""
        row = self.select(name)
        before = self.checked(row)
        self.s.key("space")
        self.s.wait_until(lambda: self.checked(row) != before, "the check box of %r changes" % name)

    def close(self, button):
        self.d.click(self.hwnd, button)
        self.d.closed(self.hwnd)


os.environ["LANG"] = "C.UTF-8"  # Wine takes the user's language from it: English
os.environ.pop("LC_ALL", None)

with Session("dict_manager", limit=240) as s:
    folder = program_copy(s, "program", classic=True)
    with open(os.path.join(folder, "Libs", "Broken.lib"), "wb") as f:
        f.write(b"this is no dictionary storage" * 40)
    d = Dialogs(s, folder)
    # A dictionary that cannot be loaded is told once at start-up.
    told = answer_box(s, d.controller, timeout=20)
    expect("Broken.lib: the file is damaged" in told, True, "the start-up report: %r" % told)
    prompt = d.wait_loaded()
    target = s.start_target()

    def open_manager():
        d.command(ID_TRAY_DICT_MANAGER)
        return Manager(d)

    def expect_offered(offered):
        """Types the key into the multi-line box: offered, Tab completes it; else Tab is a tab character."""
        # The closed dialog's owner, a hidden window of the program, holds the activation: ask for it.
        s.ctl("setfg", "%x" % target.hwnd)
        target.focus(target.MULTI)
        mark = target.mark()
        s.key("Return")  # a new word for the program, whatever the box held before
        target.wait_event("up", 0x0D, since=mark)
        s.set_text(target.multi, "")
        s.type(TYPED)
        s.wait_text(target.multi, TYPED)
        # Offered, it shows within a fraction of a second; not offered, it stays hidden all that time.
        expect(shows_within(s, prompt, 5.0 if offered else 1.5), offered, "the prompt for %r" % TYPED)
        s.key("Tab")
        s.wait_text(target.multi, DATA if offered else TYPED + "\t")

    def damaged_dictionary_listed():
        manager = open_manager()
        box, text = d.box("Pennivox - ERROR", manager.hwnd)
        expect(("damaged" in text, text.endswith("Broken.lib")), (True, True), "the damaged file reported: %r" % text)
        d.answer(box)
        s.screenshot("manager")
        row = manager.rows()[manager.row_of("Broken.lib")]
        expect((row[1], row[2], row[3].endswith("\\Broken.lib")), ("", "", True), "the damaged row %r" % (row,))
        manager.select("Broken.lib")
        d.click(manager.hwnd, MANAGER_EDIT)
        box, text = d.box("Pennivox - ERROR", manager.hwnd)
        expect("cannot be edited" in text, True, "Edit on the damaged file: %r" % text)
        d.answer(box)
        # A user of English: the other languages' dictionaries are installed and off.
        checks = {row[0]: row[4] for row in manager.rows()}
        expect({name: checks.get(name) for name in ("English words", "German words", "Polish words", "Russian words")},
               {"English words": True, "German words": False, "Polish words": False, "Russian words": False},
               "the check boxes at first start")
        manager.close(2)
        broken = os.path.join(folder, "Libs", "Broken.lib")
        with open(broken, "rb") as f:
            expect(f.read(), b"this is no dictionary storage" * 40, "the damaged file untouched")
        os.remove(broken)  # the other cases go without its report
    s.case("damaged_dictionary", damaged_dictionary_listed)

    def new_dictionary_refuses_and_creates():
        manager = open_manager()
        d.click(manager.hwnd, MANAGER_CREATE)
        dialog = d.dialog("New Dictionary")
        name_edit = s.child(dialog, ctrl_id=NAME_EDIT)
        s.type("bad/name")
        s.wait_text(name_edit, "bad/name")
        file_name = s.text(s.child(dialog, ctrl_id=NEW_FILE_EDIT))
        expect(file_name.endswith("\\libs\\bad/name.lib"), True, "file name follows the name: %r" % file_name)
        s.screenshot("new-dictionary")
        s.key("Return")
        box, text = d.box(PROGRAM_TITLE, dialog)
        expect("may not contain" in text, True, "bad name refused: %r" % text)
        d.answer(box)
        expect(s.ctl("exists", "%x" % dialog), "1", "the dialog stays open")
        s.set_text(name_edit, "")
        s.focus(dialog)
        s.type(NEW_NAME)
        s.key("Tab", "Down", "Tab")  # to the type (the read-only file name takes no focus): "Shorthands"
        s.type("made by the scenario")  # Return would go into the description: OK is clicked
        s.wait_text(s.child(dialog, ctrl_id=DESCRIPTION_EDIT), "made by the scenario")
        d.click(dialog, 1)
        d.closed(dialog)
        editor = d.dialog(NEW_NAME)  # titled with its name
        s.screenshot("editor-on-new")
        s.set_text(s.child(editor, ctrl_id=EDITOR_KEY), KEY)
        s.set_text(s.child(editor, ctrl_id=EDITOR_DATA), DATA)
        d.click(editor, EDITOR_ADD)
        box, text = d.box(PROGRAM_TITLE, editor)
        expect(text, '"%s" was added.' % KEY, "the entry added")
        d.answer(box)
        d.click(editor, 1)
        d.closed(editor)
        row = manager.rows()[manager.row_of(NEW_NAME)]
        expect(row[1:3] + (row[4],), ("Shorthands", "made by the scenario", True), "the new row %r" % (row,))
        expect(os.path.isfile(os.path.join(folder, "Libs", NEW_NAME + ".lib")), True, "the file")
        s.screenshot("manager-with-new")
        manager.close(1)
        expect_offered(True)
    s.case("create_dictionary", new_dictionary_refuses_and_creates)

    def existing_name_refused():
        manager = open_manager()
        d.click(manager.hwnd, MANAGER_CREATE)
        dialog = d.dialog("New Dictionary")
        s.type(NEW_NAME)
        s.key("Return")
        box, text = d.box(PROGRAM_TITLE, dialog)
        expect("already exists" in text, True, "existing file refused: %r" % text)
        d.answer(box)
        d.click(dialog, 2)
        d.closed(dialog)
        manager.close(2)
    s.case("existing_name", existing_name_refused)

    def uncheck_then_cancel():
        manager = open_manager()
        manager.toggle_check(NEW_NAME)
        manager.close(2)
        expect_offered(True)
    s.case("uncheck_cancel", uncheck_then_cancel)

    def uncheck_then_ok():
        manager = open_manager()
        manager.toggle_check(NEW_NAME)
        manager.close(1)
        with open(os.path.join(folder, "Config.ini"), encoding="cp1252") as f:
            config = f.read()
        expect(NEW_NAME + ".lib" in config, True, "the flag in Config.ini:\n" + config)
        expect_offered(False)
        manager = open_manager()
        expect(manager.rows()[manager.row_of(NEW_NAME)][4], False, "unchecked when opened again")
        manager.close(2)
    s.case("uncheck_ok", uncheck_then_ok)

    def encrypted_copy():
        manager = open_manager()
        manager.select(NEW_NAME)
        d.click(manager.hwnd, MANAGER_ENCRYPT)
        box, text = d.box(PROGRAM_TITLE, manager.hwnd)
        expect(text.startswith("A scrambled copy of the dictionary was saved:") and text.endswith(".lib.dic"), True,
               "the copy's box: %r" % text)
        d.answer(box)
        manager.close(2)
        expect(os.path.getsize(os.path.join(folder, "Libs", NEW_NAME + ".lib.dic")) > 0, True, "the scrambled copy")
    s.case("encrypt", encrypted_copy)

    def user_shorthands_editor():
        d.command(ID_TRAY_USER_SHORTHANDS)
        editor = d.dialog("User Shorthands")
        d.click(editor, 2)
        d.closed(editor)
        expect(os.path.isfile(os.path.join(folder, "Libs", "UserShortHands.lib")), True, "the user file")
    s.case("user_shorthands", user_shorthands_editor)

    def question_opens_manager():
        s.ctl("post", "%x" % d.controller, WM_CLOSE, 0, 0)
        s.wait_until(lambda: s.ctl("exists", "%x" % prompt) == "0", "the program ends")
        empty = Dialogs(s, program_copy(s, "empty-program", dictionaries=False))
        box, text = empty.box("Pennivox - ERROR", empty.controller)
        expect(text, NO_DICTIONARY, "the question")
        empty.answer(box, 1)
        manager = Manager(empty)
        expect(manager.rows(), [], "an empty folder lists nothing")
        manager.close(2)
        empty.wait_loaded()
    s.case("no_dictionary_question", question_opens_manager)
