"""Files that cannot be written, as a user who is not root: a read-only program folder, a read-only
or damaged dictionary, a read-only Config.ini (and one on a full disk) under Options OK and a tray
switch, a dictionary editor whose commit fails until the fault is removed, and the AutoLearn page's
import of an unreadable file, export into a read-only folder and cancelled export."""

import os
import shutil
import stat

import unprivileged


def _program_size_kib():
    source = os.path.join(os.environ.get("PV_BINARY_DIR", os.getcwd()), "Pennivox")
    return sum(os.path.getsize(os.path.join(d, f)) for d, _, files in os.walk(source) for f in files) // 1024


unprivileged.rerun_as_user(tiny_disk=_program_size_kib() + 2048)

from harness import Session, Failure, expect  # noqa: E402
from program import (program_copy, command, press, fresh_edit, window_rect, shown_box,  # noqa: E402
                     windows_path)

ID_TRAY_OPTIONS, ID_TRAY_WORDS, ID_TRAY_USER_DICTIONARY = 32771, 32823, 32838
IDOK, WM_COMMAND, WM_CLOSE, BM_GETCHECK = 1, 0x0111, 0x0010, 0x00F0
TREE, WORD_BOX = 1000, 1040
EDITOR_KEY, EDITOR_DATA, EDITOR_ADD = 1008, 1009, 1010
TVM_GETNEXTITEM, TVM_SELECTITEM, TVGN_ROOT, TVGN_NEXT, TVGN_CARET = 0x110A, 0x110B, 0, 1, 9
AUTOLEARN_IMPORT, AUTOLEARN_EXPORT, WAIT_CANCEL, BM_CLICK, IDNO = 1013, 1015, 1047, 0x00F5, 7
LEARNT_WORDS = 40000  # an export of this many (seconds under Wine) still runs when its Cancel is clicked
ERROR_CAPTION = "Pennivox - ERROR"
CONFIG = b"[Others]\r\nbEnableShorthand=1\r\nbEnableWord=1\r\nbEnablePhrase=1\r\nbRankByUse=0\r\n"


def read_only(*paths):
    """Takes the write bits off files and folders."""
    for path in paths:
        os.chmod(path, os.stat(path).st_mode & ~(stat.S_IWUSR | stat.S_IWGRP | stat.S_IWOTH))


with Session("unwritable", limit=200) as s:
    target = s.start_target()
    running = {}

    def start(folder, boxes_first=False):
        """Starts the program on the folder; with boxes_first the start-up report is awaited."""
        proc = s.start(os.path.join(folder, "Pennivox.exe"), name="Pennivox", uses_hook=True)
        running.update(proc=proc, controller=proc.track(s.wait_window(cls="PennivoxController", timeout=20)))
        if boxes_first:
            return proc
        running["prompt"] = proc.track(s.wait_window(cls="#32770", title="Pennivox", timeout=20))
        return proc

    def stop():
        """Ends the program of the last case; one that does not end (a case failed over a box) is killed."""
        if not running:
            return
        proc = running.pop("proc")
        s.ctl("post", "%x" % running.pop("controller"), WM_CLOSE, 0, 0)
        running.clear()
        try:
            s.wait_until(lambda: not s._win_pid_alive(proc), "the program to end", 10)
        except Failure:
            s.ctl("killpid", proc.win_pid)
            s.release_hook()

    def error_box(owner=None, caption=ERROR_CAPTION, shot=None, timeout=10):
        """The text of the box shown now (over owner, or any error box), answered with OK; shot: a
        screenshot of it is taken first under that name."""
        if owner:
            # A wait dialog (titled "Pennivox" too, no text of a box) may show first.
            def shown():
                box = s.popup(owner)
                try:
                    return box if box and s.text(box) == caption and s.child(box, ctrl_id=0xFFFF, timeout=0.2) else 0
                except Failure:
                    return 0
            box = s.wait_until(shown, "a %r box over its dialog" % caption, timeout)
        else:
            box = s.wait_window(title=caption, timeout=10)
        text = s.text(s.child(box, ctrl_id=0xFFFF))
        if shot:
            s.screenshot(shot)
        s.ctl("post", "%x" % box, WM_COMMAND, IDOK, 0)
        s.wait_until(lambda: s.ctl("exists", "%x" % box) == "0", "the box closes")
        return text

    def no_error_box():
        try:
            box = s.wait_window(title=ERROR_CAPTION, timeout=0.3)
        except Failure:
            return
        raise Failure("a second box: %r" % s.text(s.child(box, ctrl_id=0xFFFF)))

    def completes(typed, wanted):
        """The words are offered. On a loaded machine the first prompt after one of the program's
        own windows had the focus is sometimes missed (the Options scenario sees it too): one retry."""
        for attempt in (1, 2):
            s.ctl("setfg", "%x" % target.hwnd)  # a closed dialog's owner may hold the activation
            edit = fresh_edit(s, target, running["prompt"])
            s.type(typed)
            s.wait_text(edit, typed)
            try:
                s.wait_until(lambda: window_rect(s, running["prompt"])[0], "the prompt shows for %r" % typed, 5)
                break
            except Failure:
                if attempt == 2:
                    raise
                s.log("no prompt for %r at the first attempt" % typed)
        s.key("Tab")
        s.wait_text(edit, wanted)

    def read_only_folder():
        stop()
        folder = program_copy(s, "read-only-program", classic=True)
        libs = os.path.join(folder, "Libs")
        read_only(folder, libs, *(os.path.join(libs, name) for name in os.listdir(libs)))
        start(folder, boxes_first=True)
        text = error_box()
        s.log("start-up report: %r" % text)
        expect("cannot save in its folder (its folder is read-only)" in text and "read-only-program" in text, True,
               "the folder named: %r" % text)
        running["prompt"] = running["proc"].track(s.wait_window(cls="#32770", title="Pennivox", timeout=20))
        s.screenshot("read-only-folder-started")
        completes("xylop", "xylophone")
        edit = fresh_edit(s, target, running["prompt"])
        s.type("qwzzyx, ")  # a word ended: learning it fails, and that is not told again
        s.wait_text(edit, "qwzzyx, ")
        no_error_box()
        stop()

    def read_only_dictionary():
        stop()
        folder = program_copy(s, "read-only-dictionary", classic=True)
        read_only(os.path.join(folder, "Libs", "English.lib"), os.path.join(folder, "Libs", "UserDictionary.lib"))
        start(folder)
        completes("xylop", "xylophone")
        no_error_box()
        # The editor shows a read-only dictionary and says so; nothing that changes it is enabled.
        command(s, running["controller"], ID_TRAY_USER_DICTIONARY)
        editor = s.wait_window(cls="#32770", title="User Dictionary")
        text = error_box(editor, "Pennivox")
        expect(text.startswith("This dictionary is read-only") and text.endswith("UserDictionary.lib"), True,
               "the editor's report: %r" % text)
        expect(s.ctl("enabled", "%x" % s.child(editor, ctrl_id=EDITOR_ADD)), "0", "Add of a read-only dictionary")
        s.screenshot("read-only-editor")
        press(s, editor, IDOK)
        s.wait_until(lambda: s.ctl("exists", "%x" % editor) == "0", "the editor closes")
        stop()

    def damaged_dictionary():
        stop()
        folder = program_copy(s, "damaged-dictionary", classic=True)
        path = os.path.join(folder, "Libs", "English.lib")
        with open(path, "rb") as f:
            whole = f.read()
        with open(path, "wb") as f:
            f.write(whole[:len(whole) // 2])
        start(folder, boxes_first=True)
        text = error_box()
        expect("English.lib: the file is damaged" in text, True, "the report: %r" % text)
        running["prompt"] = running["proc"].track(s.wait_window(cls="#32770", title="Pennivox", timeout=20))
        edit = fresh_edit(s, target, running["prompt"])
        s.type("xylop ")
        s.wait_text(edit, "xylop ")
        expect(window_rect(s, running["prompt"])[0], False, "a prompt from the damaged dictionary")
        no_error_box()
        stop()

    def options_page(position):
        """The Options dialog open on the page at that position (1 AutoLearn, 2 Others)."""
        command(s, running["controller"], ID_TRAY_OPTIONS)
        dialog = s.wait_window(cls="#32770", title="Options")
        tree = s.child(dialog, ctrl_id=TREE)
        item = int(s.ctl("send", "%x" % tree, TVM_GETNEXTITEM, TVGN_ROOT, 0))
        for _ in range(position):
            item = int(s.ctl("send", "%x" % tree, TVM_GETNEXTITEM, TVGN_NEXT, item))
        s.ctl("send", "%x" % tree, TVM_SELECTITEM, TVGN_CARET, item)
        return dialog

    def cancel_options(dialog):
        """Cancel; the question after a change is answered No."""
        s.ctl("post", "%x" % dialog, WM_COMMAND, 2, 0)
        question = s.wait_until(lambda: s.popup(dialog), "the question")
        s.ctl("post", "%x" % question, WM_COMMAND, IDNO, 0)
        s.wait_until(lambda: s.ctl("exists", "%x" % dialog) == "0", "the dialog closes")

    def options_ok_refused(folder, reason):
        config = os.path.join(folder, "Config.ini")
        dialog = options_page(2)
        box = s.child(dialog, ctrl_id=WORD_BOX)
        press(s, dialog, WORD_BOX)
        s.wait_until(lambda: s.ctl("send", "%x" % box, BM_GETCHECK, 0, 0) == "0", "word completion unticked")
        press(s, dialog, IDOK)
        text = error_box(dialog)
        expect(("Config.ini: " + reason) in text, True, "the report: %r" % text)
        expect(s.ctl("exists", "%x" % dialog), "1", "the dialog stays open")
        expect(s.ctl("send", "%x" % box, BM_GETCHECK, 0, 0), "0", "the user's value kept")
        with open(config, "rb") as f:
            expect(f.read(), CONFIG, "Config.ini unchanged")
        cancel_options(dialog)
        completes("xylop", "xylophone")  # still as on disk: words offered

        command(s, running["controller"], ID_TRAY_WORDS)
        text = error_box()
        expect(("Config.ini: " + reason) in text and "The switch stays as it was." in text, True,
               "the switch's report: %r" % text)
        with open(config, "rb") as f:
            expect(f.read(), CONFIG, "Config.ini unchanged by the switch")
        completes("xylop", "xylophone")

    def read_only_config():
        stop()
        folder = program_copy(s, "read-only-config", classic=True)
        config = os.path.join(folder, "Config.ini")
        with open(config, "wb") as f:
            f.write(CONFIG)
        read_only(config)
        start(folder)
        options_ok_refused(folder, "the file is read-only")
        stop()

    def full_disk_config():
        stop()
        disk = os.environ.get("PV_TINY_DISK")
        if not disk:
            s.log("full disk not shown: %s" % os.environ.get("PV_TINY_DISK_SKIP", "no tmpfs"))
            return
        folder = program_copy(s, "full-disk-program", classic=True)
        on_disk = os.path.join(disk, "program")
        shutil.copytree(folder, on_disk)
        with open(os.path.join(on_disk, "Config.ini"), "wb") as f:
            f.write(CONFIG)
        with open(os.path.join(on_disk, "Libs", "AutoLearn.dic"), "wb"):
            pass
        try:
            with open(os.path.join(disk, "filler"), "wb", buffering=0) as f:  # the rest of the disk
                while True:
                    f.write(b"\0" * 4096)
        except OSError:
            pass
        start(on_disk)
        options_ok_refused(on_disk, "the disk is full")
        stop()

    def editor_commit_refused_then_done():
        stop()
        folder = program_copy(s, "editor-commit", classic=True)
        libs = os.path.join(folder, "Libs")
        start(folder)
        command(s, running["controller"], ID_TRAY_USER_DICTIONARY)
        editor = s.wait_window(cls="#32770", title="User Dictionary")
        for key in ("zorbleplank", "zorblequint"):
            s.set_text(s.child(editor, ctrl_id=EDITOR_KEY), key)
            s.set_text(s.child(editor, ctrl_id=EDITOR_DATA), "")
            press(s, editor, EDITOR_ADD)
            expect(error_box(editor, "Pennivox"), '"%s" was added.' % key, "the Add box")
        os.chmod(libs, 0o555)  # the commit writes a new file beside the old one: refused now
        press(s, editor, IDOK)
        text = error_box(editor)
        expect("its folder is read-only" in text and text.endswith("UserDictionary.lib"), True,
               "the report: %r" % text)
        expect(s.ctl("exists", "%x" % editor), "1", "the editor stays open")
        os.chmod(libs, 0o755)
        press(s, editor, IDOK)
        s.wait_until(lambda: s.ctl("exists", "%x" % editor) == "0", "the editor closes on the second OK")
        completes("zorblep", "zorbleplank")
        completes("zorbleq", "zorblequint")
        stop()

    def choose_file(dialog, button, path, replace=False):
        """Import or Export of the AutoLearn page: the file dialog gets the path typed (replace:
        the question whether to replace the file is answered Yes)."""
        press(s, dialog, button)
        chooser = shown_box(s, dialog)
        s.focus(chooser)
        s.type(windows_path(path))
        s.key("Return")
        if replace:
            s.focus(shown_box(s, chooser))
            s.key("Return")
        s.wait_until(lambda: s.ctl("exists", "%x" % chooser) == "0", "the file dialog closes")

    def autolearn_failures():
        stop()
        folder = program_copy(s, "autolearn-files", classic=True)
        start(folder)
        dialog = options_page(1)
        unreadable = s.new_file("unreadable", ".txt")
        with open(unreadable, "w") as f:
            f.write("zorble\t3\r\n")
        os.chmod(unreadable, 0)
        choose_file(dialog, AUTOLEARN_IMPORT, unreadable)
        text = error_box(dialog, shot="autolearn-import-failed")
        expect(text, "The file could not be read; nothing was imported:\r\n" + windows_path(unreadable),
               "the import's report")

        many = s.new_file("many-learnt", ".txt")
        with open(many, "w", newline="") as f:
            f.write("".join("zw%07d\t%d\r\n" % (i, i % 9 + 1) for i in range(LEARNT_WORDS)))
        choose_file(dialog, AUTOLEARN_IMPORT, many)
        expect(error_box(dialog, "Pennivox", timeout=60), "%d entries were imported." % LEARNT_WORDS,
               "the import of many words")

        shut = os.path.join(s.out_dir, "read-only-folder")
        os.makedirs(shut)
        read_only(shut)
        refused = os.path.join(shut, "learnt.txt")
        choose_file(dialog, AUTOLEARN_EXPORT, refused)
        text = error_box(dialog, shot="autolearn-export-failed")
        expect(text, "The file could not be written (its folder is read-only); nothing was exported:\r\n" +
               windows_path(refused), "the export's report")
        expect(os.listdir(shut), [], "nothing left in the read-only folder")

        kept = s.new_file("kept", ".txt")
        with open(kept, "w") as f:
            f.write("an earlier export\n")
        choose_file(dialog, AUTOLEARN_EXPORT, kept, replace=True)
        wait = s.wait_until(lambda: (lambda box: box if box and s.text(box) == "Pennivox" else 0)(
            s.popup(dialog)), "the export's wait dialog")
        s.ctl("post", "%x" % s.child(wait, ctrl_id=WAIT_CANCEL), BM_CLICK, 0, 0)
        s.wait_until(lambda: s.ctl("exists", "%x" % wait) == "0", "the wait dialog closes", 30)
        no_error_box()
        expect(s.popup(dialog), 0, "a box after a cancelled export")
        with open(kept) as f:
            expect(f.read(), "an earlier export\n", "the file a cancelled export would have replaced")
        expect(sorted(n for n in os.listdir(s.out_dir) if n.startswith("kept")), [os.path.basename(kept)],
               "no partial file beside it")
        cancel_options(dialog)
        stop()

    s.case("read_only_folder", read_only_folder)
    s.case("read_only_dictionary", read_only_dictionary)
    s.case("damaged_dictionary", damaged_dictionary)
    s.case("read_only_config", read_only_config)
    s.case("full_disk_config", full_disk_config)
    s.case("editor_commit_refused_then_done", editor_commit_refused_then_done)
    s.case("autolearn_import_export_failures", autolearn_failures)
