"""The dictionary editor in the real Pennivox.exe: entries added, refused, imported and exported,
macro names inserted, and what the engine offers after OK. Typing in another program goes on
while the editor imports."""

import os

from harness import Session, Failure, expect
from program import (program_copy, start_program, click, command, press, shown_box, answer_box, windows_path,
                     BM_CLICK)

ID_TRAY_USER_DICTIONARY = 32838
ID_TRAY_USER_SHORTHANDS = 32839
EDITOR_TITLE = "Dictionary Editor"  # a dictionary that did not open
TITLES = {32838: "User Dictionary", 32839: "User Shorthands"}
KEY, DATA, ADD, IMPORT, MISC_KEY, EXPORT, STATUS, LIST = 1008, 1009, 1010, 1013, 1014, 1015, 1034, 1007
IDOK = 1
WAIT_CANCEL = 1047
LVM_GETITEMCOUNT = 0x1004


def tagged(entries):
    return b"".join(b"<key>" + k + b"\r\n<data>" + d + b"\r\n" for k, d in entries)


with Session("dict_editor", limit=240) as s:
    folder = program_copy(s, classic=True)
    program, prompt = start_program(s, folder)
    controller = s.wait_window(cls="PennivoxController")
    target = s.start_target()
    editor = [None]

    def open_editor(command_id):
        command(s, controller, command_id)
        editor[0] = s.wait_window(cls="#32770", title=TITLES[command_id])
        s.focus(editor[0])
        return editor[0]

    def field(ctrl_id):
        return s.child(editor[0], ctrl_id=ctrl_id)

    def list_count():
        return int(s.ctl("send", "%x" % field(LIST), LVM_GETITEMCOUNT, 0, 0))

    def add(key, data):
        s.set_text(field(KEY), key)
        s.set_text(field(DATA), data)
        press(s, editor[0], ADD)
        return answer_box(s, editor[0])

    def choose_file(button, path):
        """Import or Export: the file dialog gets the path typed as a user would."""
        press(s, editor[0], button)
        dialog = shown_box(s, editor[0])
        s.focus(dialog)
        s.type(windows_path(path))
        s.key("Return")
        return answer_box(s, editor[0], timeout=60)

    def adds_entry():
        open_editor(ID_TRAY_USER_DICTIONARY)
        s.screenshot("editor-opened")
        expect(add("zorbleplank", "a west wind"), '"zorbleplank" was added.', "the Add box")
        expect(s.text(field(STATUS)), "Entries in the dictionary: 1\r\nEntries listed: 1", "status after Add")
        expect(s.ctl("lvtext", "%x" % field(LIST), 0, 1), "a west wind".encode().hex(), "the listed data")

    def refuses_case_twin():
        expect(add("ZORBLEPLANK", "other"), 'The dictionary already has "ZORBLEPLANK".', "the refusal")
        expect(s.text(field(STATUS)).endswith("Entries listed: 1"), True, "nothing added")

    def imports_tagged_and_words():
        tagged_file = s.new_file("import", ".txt")
        with open(tagged_file, "wb") as f:
            f.write(tagged([(b"quixotic", b"idealistic"), (b"quokka", b"line one\r\nline two")]))
        expect(choose_file(IMPORT, tagged_file), "2 entries were imported.", "tagged import")
        words_file = s.new_file("words", ".txt")
        with open(words_file, "wb") as f:
            f.write(b"vellichor, petrichor; sonder")
        expect(choose_file(IMPORT, words_file), "3 entries were imported.", "word import")
        expect(list_count(), 6, "rows after the imports")
        s.screenshot("editor-imported")

    def exports_byte_for_byte():
        out = s.new_file("export", ".txt")
        expect(choose_file(EXPORT, out), "6 entries were exported.", "export")
        # UTF-8 behind its byte-order mark.
        wanted = b"\xef\xbb\xbf" + tagged([(b"petrichor", b""), (b"quixotic", b"idealistic"), (b"quokka", b"line one\r\nline two"),
                         (b"sonder", b""), (b"vellichor", b""), (b"zorbleplank", b"a west wind")])
        with open(out, "rb") as f:
            expect(f.read(), wanted, "the exported file")

    def offered_after_ok():
        press(s, editor[0], IDOK)
        s.wait_until(lambda: s.ctl("exists", "%x" % editor[0]) == "0", "the editor closes")
        target.focus(101)
        edit = s.child(target.hwnd, ctrl_id=101)
        s.set_text(edit, "")
        s.type("zorbl")
        s.wait_text(edit, "zorbl")
        s.key("Tab")
        s.wait_text(edit, "zorbleplank")

    def misc_key_inserts_macro():
        open_editor(ID_TRAY_USER_SHORTHANDS)
        click(s, field(DATA))
        click(s, field(MISC_KEY))
        s.screenshot("editor-misc-menu")
        s.key("d")
        s.key("Return")
        s.wait_text(field(DATA), "%DATE%")

    def keys_pass_during_import():
        """Keys typed in another program arrive while a long import runs; Cancel stops it."""
        words_file = s.new_file("many-words", ".txt")
        total = 10000000  # long enough to be still running when the keys arrive
        with open(words_file, "wb") as f:
            f.write(b" ".join(b"w%07d" % i for i in range(total)))
        press(s, editor[0], IMPORT)
        dialog = shown_box(s, editor[0])
        s.focus(dialog)
        s.type(windows_path(words_file))
        s.key("Return")

        def wait_dialog():
            box = s.popup(editor[0])
            return box if box and s.text(box) == "Pennivox" else 0
        wait = s.wait_until(wait_dialog, "the import's wait dialog")

        def end_import():
            if s.ctl("exists", "%x" % wait) == "1":
                s.ctl("post", "%x" % s.child(wait, ctrl_id=WAIT_CANCEL), BM_CLICK, 0, 0)
            return answer_box(s, editor[0], timeout=30)
        try:
            # While the busy editor holds the activation Wine does not hand it over by itself: the
            # import must not end during the usual wait for that, its box would take the keys.
            target.focus(101, settle=0.3)
            edit = s.child(target.hwnd, ctrl_id=101)
            s.key("Escape")  # the prompt of the last case
            s.set_text(edit, "")
            expect(s.ctl("exists", "%x" % wait), "1", "the import still runs when the keys are typed")
            s.type("steady")
            s.wait_text(edit, "steady", timeout=3)
            expect(s.ctl("exists", "%x" % wait), "1", "the import still runs when the keys have arrived")
        except Failure:
            # The cases after it find the editor idle; the first failure is the one reported.
            try:
                end_import()
            except Failure:
                pass
            raise
        text = end_import()
        count = int(text.split()[0])
        expect(0 < count < total and text.endswith("entries were imported."), True,
               "a cancelled import keeps what it added: %r" % text)

    def damaged_file_left_alone():
        press(s, editor[0], 2)  # IDCANCEL
        # A key still typed in and not added (the refused case's) makes Cancel ask first.
        try:
            answer_box(s, editor[0], key="y", timeout=3)
        except Failure:
            pass
        s.wait_until(lambda: s.ctl("exists", "%x" % editor[0]) == "0", "the editor closes")
        damaged = os.path.join(folder, "Libs", "UserDictionary.lib")
        garbage = b"not a dictionary\x00\xff" * 64
        with open(damaged, "wb") as f:
            f.write(garbage)
        command(s, controller, ID_TRAY_USER_DICTIONARY)
        editor[0] = s.wait_window(cls="#32770", title=EDITOR_TITLE)
        text = answer_box(s, editor[0])
        expect(text.endswith("\\Libs\\UserDictionary.lib"), True, "the report names the file: %r" % text)
        expect(list_count(), 0, "rows of a damaged dictionary")
        expect(s.ctl("enabled", "%x" % field(IMPORT)), "0", "Import of a damaged dictionary")
        press(s, editor[0], IDOK)
        s.wait_until(lambda: s.ctl("exists", "%x" % editor[0]) == "0", "the editor closes")
        with open(damaged, "rb") as f:
            expect(f.read() == garbage, True, "the damaged file is left as it was")

    def escape_with_typed_key_asks():
        # The default button is OK (Enter) and Escape asks before a typed key is lost: No keeps it.
        s.set_text(field(KEY), "unaddedkey")
        press(s, editor[0], 2)  # IDCANCEL, as Escape
        expect(answer_box(s, editor[0], key="Return"),
               "What you typed has not been added to the dictionary.\r\nClose the editor anyway?", "the question")
        expect(s.ctl("exists", "%x" % editor[0]), "1", "the editor after No")
        expect(s.text(field(KEY)), "unaddedkey", "the key kept")
        s.set_text(field(KEY), "")

    s.case("adds_entry", adds_entry)
    s.case("refuses_case_twin", refuses_case_twin)
    s.case("imports_tagged_and_words", imports_tagged_and_words)
    s.case("exports_byte_for_byte", exports_byte_for_byte)
    s.case("offered_after_ok", offered_after_ok)
    s.case("misc_key_inserts_macro", misc_key_inserts_macro)
    s.case("keys_pass_during_import", keys_pass_during_import)
    s.case("escape_with_typed_key_asks", escape_with_typed_key_asks)
    s.case("damaged_file_left_alone", damaged_file_left_alone)
