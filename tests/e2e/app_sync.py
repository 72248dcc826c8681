"""Two PCs sharing a sync folder: two program folders in two Wine prefixes, running at the same time,
each with `[Others] strSyncFolder` naming the same folder. A shorthand entered on one is offered on the
other while both run, a word learnt twice on each has count 4 on both, the word pairs typed on one are
in the other's usage store, a word deleted on the AutoLearn page of one leaves the other at once and
stays deleted on both after restarts, taking its pairs along; a PC's log removed from the folder comes
back from its copy. Wine's file trace of each program tells which files in the folder it opened for
writing: each PC writes only its own log. A log held back and delivered while a PC runs measures how
soon the change is applied.

usage: app_sync.py [CASE...]
"""

import os
import re
import shutil
import struct
import time

from harness import Failure, Session, expect
from program import (answer_box, command, fresh_edit, learnt_list, list_texts, press, program_copy, start_program,
                     window_rect, windows_path)

ID_TRAY_OPTIONS, ID_TRAY_USER_SHORTHANDS, ID_TRAY_AUTOLEARN_DICTIONARY = 32771, 32839, 32840
EDITOR_TITLE, EDITOR_KEY, EDITOR_DATA, EDITOR_ADD = "User Shorthands", 1008, 1009, 1010
IDOK, IDCANCEL = 1, 2
WM_CLOSE, BM_GETCHECK = 0x0010, 0x00F0
TVM_GETNEXTITEM, TVM_SELECTITEM, TVGN_ROOT, TVGN_NEXT, TVGN_CARET = 0x110A, 0x110B, 0, 1, 9
TREE, CAPTION, SYNC_BOX, SYNC_FOLDER, SYNC_BROWSE = 1000, 1001, 1114, 1115, 1116
AUTOLEARN_DELETE_SELECTED = 1033
RECORD = 516  # AutoLearn.dic: a 4-byte little-endian count, then 512 bytes of text
# A key that words begin with too: a shorthand no word begins with shows no prompt in the program.
SHORTHAND, EXPANSION = "zealo", "quietly zealous shorthand"
LEARNT, DELETED, LATE = "zyxquorn", "plovdak", "quembrit"  # in no dictionary
APPLY_GOAL_S = 5.0
# Wine's trace of the files a program opens; the access bits that write (GENERIC_WRITE,
# FILE_WRITE_DATA, FILE_APPEND_DATA).
FILE_TRACE = "-all,trace+file"
OPENED = re.compile(r'NtCreateFile handle=\S+ access=([0-9a-fA-F]+) name=L"((?:[^"\\]|\\.)*)"')
WRITE_ACCESS = 0x40000006


def learnt_counts(folder):
    """AutoLearn.dic's words and counts; the marker record (count 0, no text) left out."""
    path = os.path.join(folder, "Libs", "AutoLearn.dic")
    counts = {}
    if not os.path.exists(path):
        return counts
    with open(path, "rb") as f:
        data = f.read()
    for at in range(0, len(data) - RECORD + 1, RECORD):
        count = struct.unpack_from("<I", data, at)[0]
        text = data[at + 4:at + RECORD].split(b"\0", 1)[0].decode("utf-8", errors="replace")
        if count or text:
            counts[text] = count
    return counts


def usage_pairs(folder):
    """AutoLearn.use's word pairs: (word, next word) -> count, words in small letters."""
    path = os.path.join(folder, "Libs", "AutoLearn.use")
    if not os.path.exists(path):
        return {}
    words, pairs = [], {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            fields = line.rstrip("\n").split(" ")
            if fields[0] == "w":
                words.append(" ".join(fields[5:]).lower())
            elif fields[0] == "p":
                pairs[(words[int(fields[1])], words[int(fields[2])])] = int(fields[3])
    return pairs


def pc_id(folder):
    with open(os.path.join(folder, "SyncPc.id")) as f:
        return f.read().strip().lower()


def written_files(trace_path, folder):
    """The names of the files in `folder` that the traced program opened for writing."""
    prefix = ("\\??\\" + windows_path(folder) + "\\").lower()
    names = set()
    with open(trace_path, encoding="utf-8", errors="replace") as f:
        for line in f:
            found = OPENED.search(line)
            if not found or not int(found.group(1), 16) & WRITE_ACCESS:
                continue
            path = re.sub(r"\\(.)", r"\1", found.group(2))
            if path.lower().startswith(prefix) and "\\" not in path[len(prefix):]:
                names.add(path[len(prefix):].lower())
    return names


class Pc:
    """One PC: a program folder in its own prefix (`s`: the session or another prefix), with a test
    target there. Its program runs with Wine's file trace into `trace`."""

    def __init__(self, s, name, sync):
        self.s, self.name = s, name
        self.folder = program_copy(s, name=name, classic=True)
        with open(os.path.join(self.folder, "Config.ini"), "w") as f:
            # Ranked: the usage store learns the pairs that travel.
            f.write("[Others]\r\nbRankByUse=1\r\nstrSyncFolder=%s\r\n" % windows_path(sync))
        self.trace = os.path.join(s.out_dir, name + "-files.trace")
        self.target = s.start_target()
        self.program = self.prompt = self.controller = None

    def start(self):
        self.program, self.prompt = start_program(self.s, self.folder, env={"WINEDEBUG": FILE_TRACE},
                                                  stderr_path=self.trace)
        self.controller = self.s.wait_window(cls="PennivoxController")
        # Keys typed before loading ends pass unseen: the hook is in once a dictionary word is offered.
        self.s.wait_until(lambda: self.offered("xylop"), "%s to offer words" % self.name, 15)

    def stop(self):
        """Exits the program as the tray's Exit does."""
        s, program = self.s, self.program
        s.ctl("post", "%x" % self.prompt, WM_CLOSE, 0, 0)
        s.wait_until(lambda: not s._win_pid_alive(program), "%s's program to end" % self.name, 10)
        self.program = None

    def restart(self):
        if self.program:
            self.stop()
        self.start()

    def type_word(self, text):
        edit = fresh_edit(self.s, self.target, self.prompt)
        self.s.type(text)
        self.s.wait_text(edit, text)

    def offered(self, typed):
        self.type_word(typed)
        try:
            self.s.wait_until(lambda: window_rect(self.s, self.prompt)[0], "the prompt", timeout=1.5)
            return True
        except Failure:
            return False

    def counts(self):
        return learnt_counts(self.folder)

    def count_becomes(self, word, count, timeout=10.0):
        try:
            self.s.wait_until(lambda: self.counts().get(word) == count, "%s counted %d" % (word, count), timeout)
        except Failure:
            raise Failure("%s on %s: expected count %r, got %r" % (word, self.name, count, self.counts().get(word)))

    def open_options(self, command_id):
        command(self.s, self.controller, command_id)
        dialog = self.s.wait_window(cls="#32770", title="Options")
        self.s.focus(dialog)
        return dialog

    def close(self, window, button):
        press(self.s, window, button)
        self.s.wait_until(lambda: self.s.ctl("exists", "%x" % window) == "0", "the window closes")


with Session("app_sync", limit=480) as s:
    sync = os.path.join(s.out_dir, "sync")
    os.makedirs(sync)
    held = os.path.join(s.out_dir, "held")  # a log the sync client has not delivered yet
    os.makedirs(held)
    A = Pc(s, "pc-a", sync)
    B = Pc(s.other_prefix("pc-b"), "pc-b", sync)

    # ----- both PCs run; A enters a shorthand and learns, B takes it up while it runs

    def both_run_and_a_enters():
        A.start()
        B.start()
        command(A.s, A.controller, ID_TRAY_USER_SHORTHANDS)
        editor = A.s.wait_window(cls="#32770", title=EDITOR_TITLE)
        A.s.focus(editor)
        A.s.set_text(A.s.child(editor, ctrl_id=EDITOR_KEY), SHORTHAND)
        A.s.set_text(A.s.child(editor, ctrl_id=EDITOR_DATA), EXPANSION)
        press(A.s, editor, EDITOR_ADD)
        expect(answer_box(A.s, editor), '"%s" was added.' % SHORTHAND, "the Add box")
        A.close(editor, IDOK)
        A.type_word("%s and %s " % (LEARNT, LEARNT))
        A.type_word("and %s " % DELETED)
        A.count_becomes(LEARNT, 2)
        A.count_becomes(DELETED, 1)
        B.count_becomes(LEARNT, 2, timeout=15)  # while B runs
        B.count_becomes(DELETED, 1)
        expect(sorted(os.listdir(sync)), sorted([pc_id(A.folder) + ".pvsync", pc_id(B.folder) + ".pvsync"]),
               "the sync folder with both PCs running")
    s.case("a_enters_and_learns_while_b_runs", both_run_and_a_enters)

    def b_offers_a_shorthand():
        B.type_word(SHORTHAND)
        B.s.wait_until(lambda: window_rect(B.s, B.prompt)[0], "the prompt for the shorthand on B", 10)
        s.screenshot("b-shorthand-prompt")
        B.s.key("F1")
        B.s.wait_text(B.s.child(B.target.hwnd, ctrl_id=B.target.SINGLE), EXPANSION)
    s.case("shorthand_from_a_offered_on_b", b_offers_a_shorthand)

    def b_learns_twice():
        B.type_word("%s or %s " % (LEARNT, LEARNT))
        B.count_becomes(LEARNT, 4)
        A.count_becomes(LEARNT, 4, timeout=15)  # while A runs
        B.stop()
        pairs = usage_pairs(B.folder)  # written at B's exit: A's pairs came with the merge
        for pair in ((LEARNT, "and"), ("and", DELETED)):
            expect(pairs.get(pair, 0) >= 1, True, "the pair %s in B's usage store: %r" % (pair, pairs))
        B.start()
    s.case("b_learns_twice_and_both_count_four", b_learns_twice)

    # ----- a deletion on A leaves the running B at once and stays through restarts

    def a_deletes_a_word():
        dialog = A.open_options(ID_TRAY_AUTOLEARN_DICTIONARY)
        listed = learnt_list(A.s, dialog)
        words = list_texts(A.s, listed)
        expect(DELETED in words, True, "the word listed on A: %r" % words)
        A.s.ctl("lvsetstate", "%x" % listed, words.index(DELETED), 3, 3)
        press(A.s, dialog, AUTOLEARN_DELETE_SELECTED)
        expect(answer_box(A.s, dialog), 'Delete the word "%s"?' % DELETED, "the question")
        A.close(dialog, IDOK)
        A.s.wait_until(lambda: DELETED not in A.counts(), "the word gone from A's AutoLearn.dic")
        B.s.wait_until(lambda: DELETED not in B.counts(), "the word gone from the running B's AutoLearn.dic", 15)
    s.case("a_deletes_a_word_on_the_autolearn_page", a_deletes_a_word)

    def deleted_stays_deleted():
        # Each restart, the other PC running, must neither keep nor bring the word back.
        for pc in (B, A, B):
            pc.restart()
            pc.count_becomes(LEARNT, 4)
            pc.s.wait_until(lambda: DELETED not in pc.counts(), "%s gone from %s" % (DELETED, pc.name), 10)
            expect(pc.offered(DELETED[:5]), False, "the deleted word offered on %s" % pc.name)
        B.stop()
        A.stop()
        expect(DELETED in A.counts() or DELETED in B.counts(), False, "the word after the last exit")
        for pc in (A, B):
            kept = [pair for pair in usage_pairs(pc.folder) if DELETED in pair]
            expect(kept, [], "the deleted word's pairs in %s's usage store" % pc.name)
    s.case("deleted_word_stays_deleted_after_restarts", deleted_stays_deleted)

    # ----- B learns while A is off; its newer log is delivered late, while A runs

    def a_applies_a_late_log():
        for pc in (A, B):
            if pc.program:
                pc.stop()
        b_log = pc_id(B.folder) + ".pvsync"
        delivered = os.path.join(held, "delivered-" + b_log)
        shutil.copy2(os.path.join(sync, b_log), delivered)  # the version the client delivered so far
        B.start()
        B.type_word("%s " % LATE)
        B.count_becomes(LATE, 1)
        B.stop()
        shutil.move(os.path.join(sync, b_log), os.path.join(held, b_log))  # B's newer log, not delivered yet
        os.replace(delivered, os.path.join(sync, b_log))
        A.start()
        time.sleep(2.5)  # a refresh or more passes with B's older log
        expect(A.counts().get(LATE), None, "the late word on A before B's newer log arrives")
        expect(A.counts().get(LEARNT), 4, "what B's older log brings to A")
        os.replace(os.path.join(held, b_log), os.path.join(sync, b_log))  # the client's atomic rename
        arrived = time.monotonic()
        A.count_becomes(LATE, 1, timeout=15)
        applied = time.monotonic() - arrived
        s.log("a log's change applied on a running PC %.2f s after it arrived (goal <= %.1f s)"
              % (applied, APPLY_GOAL_S))
        if applied > APPLY_GOAL_S:
            raise Failure("applied %.2f s after the log arrived, past %.1f s" % (applied, APPLY_GOAL_S))
    s.case("late_log_applied_within_goal", a_applies_a_late_log)

    def own_log_put_back():
        # B is off; its log goes from the folder (a sync client or a user removed it).
        if B.program:
            B.stop()
        b_log = os.path.join(sync, pc_id(B.folder) + ".pvsync")
        os.remove(b_log)
        B.start()
        B.count_becomes(LEARNT, 4)
        B.count_becomes(LATE, 1)
        expect(os.path.exists(b_log), True, "B's log in the folder again")
        time.sleep(2.5)  # a refresh or more on the running A
        expect((A.counts().get(LEARNT), A.counts().get(LATE)), (4, 1), "A's counts of B's words")
    s.case("own_log_removed_is_put_back", own_log_put_back)

    def options_show_the_folder():
        if not B.program:
            B.start()
        dialog = B.open_options(ID_TRAY_OPTIONS)
        tree = B.s.child(dialog, ctrl_id=TREE)
        item = int(B.s.ctl("send", "%x" % tree, TVM_GETNEXTITEM, TVGN_ROOT, 0))
        for _ in range(2):  # Hotkeys, AutoLearn, Others
            item = int(B.s.ctl("send", "%x" % tree, TVM_GETNEXTITEM, TVGN_NEXT, item))
        B.s.ctl("send", "%x" % tree, TVM_SELECTITEM, TVGN_CARET, item)
        expect(B.s.text(B.s.child(dialog, ctrl_id=CAPTION)), "General", "the page")
        expect(int(B.s.ctl("send", "%x" % B.s.child(dialog, ctrl_id=SYNC_BOX), BM_GETCHECK, 0, 0)), 1, "the sync box")
        expect(B.s.text(B.s.child(dialog, ctrl_id=SYNC_FOLDER)), windows_path(sync), "the folder shown")
        expect(B.s.ctl("enabled", "%x" % B.s.child(dialog, ctrl_id=SYNC_BROWSE)), "1", "Browse with a folder set")
        s.settled_screenshot("others-page-sync")
        B.close(dialog, IDCANCEL)
    s.case("options_show_the_sync_folder", options_show_the_folder)

    def one_writer_per_file():
        for pc in (A, B):
            if pc.program:
                pc.stop()
        logs = {pc_id(pc.folder) + ".pvsync": pc for pc in (A, B)}
        expect(len(logs), 2, "the PCs' ids differ")
        expect(sorted(os.listdir(sync)), sorted(logs), "the files in the sync folder")
        written = {pc.name: written_files(pc.trace, sync) for pc in (A, B)}
        for name, pc in logs.items():
            expect(name in written[pc.name], True, "%s's own log among the files it wrote: %r" % (pc.name, written))
        expect(written["pc-a"] & written["pc-b"], set(), "the files both PCs opened for writing")
    s.case("no_file_written_by_both", one_writer_per_file)
