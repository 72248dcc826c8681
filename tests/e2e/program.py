"""The real Pennivox.exe in a scenario: a fresh program folder, start-up, and what scenarios read
of its windows and click on them."""

import os
import shutil
import subprocess
import time

from harness import Failure, wine_loader

PROGRAM_TITLE = "Pennivox"
# The editor is titled with its dictionary's name; this until a dictionary opens.
EDITOR_TITLE = "Dictionary Editor"
USER_DICTIONARY_TITLE = "User Dictionary"
USER_SHORTHANDS_TITLE = "User Shorthands"
WM_COMMAND = 0x111
BM_CLICK = 0xF5
MESSAGE_BOX_TEXT_ID = 0xFFFF
WORDPAD = "C:\\Program Files\\Windows NT\\Accessories\\wordpad.exe"
EM_SETMODIFY = 0xB9
CARET_SLACK = 3  # pixels: the prompt's top-left against the caret's bottom right + 5


def program_copy(s, name="program", dictionaries=True, classic=False):
    """A fresh program folder per run: its settings and learnt words start empty. dictionaries:
    with the bundled dictionaries. classic: candidates in the classic order (learnt items first,
    then key order; completions without a blank), which scenarios of exact texts check."""
    source = os.path.join(os.environ.get("PV_BINARY_DIR", os.getcwd()), "Pennivox")
    folder = os.path.join(s.out_dir, name)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(os.path.join(folder, "Libs"))
    for name in ("Pennivox.exe", "Zel.dll"):
        shutil.copy(os.path.join(source, name), folder)
    for name in ("Zel32.dll", "Zel32Host.exe"):  # the 32-bit hook, where it was built
        if os.path.exists(os.path.join(source, name)):
            shutil.copy(os.path.join(source, name), folder)
    for name in os.listdir(os.path.join(source, "Libs")) if dictionaries else ():
        if name.endswith(".lib"):
            shutil.copy(os.path.join(source, "Libs", name), os.path.join(folder, "Libs"))
    if classic:
        with open(os.path.join(folder, "Config.ini"), "w") as f:
            f.write("[Others]\nbRankByUse=0\n")
    return folder


def start_program(s, folder, env=None, stderr_path=None):
    """Starts the program folder's Pennivox.exe; env and stderr_path as Session.start takes them."""
    proc = s.start(os.path.join(folder, "Pennivox.exe"), name="Pennivox", uses_hook=True, env=env,
                   stderr_path=stderr_path)
    prompt = proc.track(s.wait_window(cls="#32770", title=PROGRAM_TITLE, timeout=20))
    return proc, prompt


def wininfo(s, *args):
    """pvwininfo.exe (tests/app/win): window rectangles and the caret of another process. A loaded
    Wine now and then fails to start a program: one more try before it counts."""
    for attempt in range(2):
        done = subprocess.run([wine_loader(), os.path.join(s.bin_dir, "pvwininfo.exe")] + list(args), env=s.env,
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=20)
        if done.returncode == 0:
            return done.stdout.decode().split()
        if done.returncode == 2:
            break  # no such window: asking again tells nothing new
        time.sleep(0.5)
    raise Failure("pvwininfo %s failed (exit %d): %s" % (" ".join(args), done.returncode,
                                                         done.stderr.decode(errors="replace").strip()[-300:]))


def window_rect(s, hwnd):
    visible, left, top, right, bottom = (int(v) for v in wininfo(s, "rect", "%x" % hwnd))
    return visible == 1, (left, top, right, bottom)


LVM_GETITEMCOUNT = 0x1004
AUTOLEARN_LIST = 1044  # the AutoLearn page's list of learnt words


def list_texts(s, listed, column=0):
    """A list view's texts in one column, row by row."""
    count = int(s.ctl("send", "%x" % listed, LVM_GETITEMCOUNT, 0, 0))
    return [bytes.fromhex(s.ctl("lvtext", "%x" % listed, row, column)).decode() for row in range(count)]


def learnt_list(s, dialog):
    """The AutoLearn page's list in the Options dialog."""
    return s.child(dialog, cls="SysListView32", ctrl_id=AUTOLEARN_LIST)


def learnt_words(s, dialog):
    return list_texts(s, learnt_list(s, dialog))


def changed_pixels(before, after, rect, hole=None):
    """How many pixels of rect (screen coordinates) differ between two grabs, those in hole left out."""
    width, height, old = before
    _, _, new = after
    left, top, right, bottom = max(rect[0], 0), max(rect[1], 0), min(rect[2], width), min(rect[3], height)
    changed = 0
    for y in range(top, bottom):
        row = y * width * 3
        for x in range(left, right):
            if hole and hole[0] <= x < hole[2] and hole[1] <= y < hole[3]:
                continue
            at = row + x * 3
            changed += old[at:at + 3] != new[at:at + 3]
    return changed


def click(s, hwnd):
    """A real mouse click in the middle of a window."""
    _, (left, top, right, bottom) = window_rect(s, hwnd)
    s.move_pointer((left + right) // 2, (top + bottom) // 2)
    s._xdotool("click", "1")


def command(s, window, command_id):
    """The WM_COMMAND a menu item would send."""
    s.ctl("post", "%x" % window, WM_COMMAND, command_id, 0)


def press(s, dialog, button_id):
    """Presses a dialog's button as a click would (posted: the button may open a modal box)."""
    s.ctl("post", "%x" % s.child(dialog, ctrl_id=button_id), BM_CLICK, 0, 0)


def shown_box(s, owner, timeout=10.0):
    """The window (a message box or a file dialog) that owner shows now."""
    return s.wait_until(lambda: s.popup(owner), "a box over %x" % owner, timeout)


def answer_box(s, owner, key="Return", timeout=10.0):
    """Reads the message box that owner shows, answers it with a key and returns its text."""
    def message_box():
        box = s.popup(owner)
        try:
            return box and int(s.ctl("child", "%x" % box, "-", MESSAGE_BOX_TEXT_ID, 0), 16) and box
        except Failure:  # another window of the owner (a file or wait dialog) still shows
            return 0
    box = s.wait_until(message_box, "a message box over %x" % owner, timeout)
    text = s.text(s.child(box, ctrl_id=MESSAGE_BOX_TEXT_ID))
    s.focus(box)
    s.key(key)
    s.wait_until(lambda: s.ctl("exists", "%x" % box) == "0", "the box closes")
    return text


def windows_path(path):
    """The Wine drive path of a file of this machine."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wait_exact_text(s, edit, expected, what, timeout):
    """Waits until the edit holds exactly `expected`; else says where the text first differs."""
    try:
        s.wait_until(lambda: s.text(edit) == expected, "the text", timeout)
    except Failure:
        got = s.text(edit)
        at = next((i for i, (a, b) in enumerate(zip(got, expected)) if a != b), min(len(got), len(expected)))
        raise Failure("%s: text differs at %d of %d: expected ...%r, got ...%r" % (
            what, at, len(expected), expected[max(0, at - 60):at + 60], got[max(0, at - 60):at + 60]))


def fresh_edit(s, target, prompt, ctrl_id=101):
    """An empty edit of the test target with the focus, as a new word starts there: a prompt left by
    an earlier case is closed, and a line end tells the program that a new word begins (it keeps what
    was typed in each control; text replaced behind its back is unknown to it)."""
    target.focus(ctrl_id)
    edit = s.child(target.hwnd, ctrl_id=ctrl_id)
    if window_rect(s, prompt)[0]:
        s.key("Escape")
        s.wait_until(lambda: not window_rect(s, prompt)[0], "the prompt hides")
    mark = target.mark()
    s.key("Return")
    target.wait_event("up", 0x0D, since=mark)
    s.set_text(edit, "")
    return edit


class NotepadCompletion:
    """Completing by F1 in Wine's notepad, each time in an empty notepad as a new word starts."""

    def __init__(self, s, prompt, window, edit):
        self.s, self.prompt, self.window, self.edit = s, prompt, window, edit

    def fresh(self):
        """An empty notepad with the focus; a line end tells the program that a new word begins."""
        s = self.s
        s.focus(self.window)
        if window_rect(s, self.prompt)[0]:
            s.key("Escape")
            s.wait_until(lambda: not window_rect(s, self.prompt)[0], "the prompt hides")
        s.set_text(self.edit, "")
        s.key("Return")
        s.wait_text(self.edit, "\r\n")
        s.set_text(self.edit, "")

    def type_fresh(self, text):
        """`text` typed into an empty notepad."""
        self.fresh()
        self.s.type(text)
        self.s.wait_text(self.edit, text)

    def first_row_after(self, typed, wanted, before="", timeout=10):
        """F1 at the prompt shown after `typed` types `wanted` in its place."""
        s = self.s
        self.type_fresh(before + typed)
        s.wait_until(lambda: window_rect(s, self.prompt)[0], "the prompt shows", timeout)
        s.screenshot("prompt-" + typed)
        s.key("F1")
        s.wait_text(self.edit, before + wanted)


def start_wordpad(s):
    """Starts WordPad; returns its top window and its rich edit, which it closes without asking to save."""
    wordpad = s.start(WORDPAD, name="wordpad")
    # Its first start in a new prefix may take Wine more than ten seconds (seen once at 200%).
    top = wordpad.track(s.wait_window(cls="WORDPADTOP", timeout=30))
    rich = s.child(top, cls="RichEdit20W")
    wordpad.before_close.append(("send", "%x" % rich, EM_SETMODIFY, 0, 0))
    return top, rich


def caret_of(s, hwnd):
    """The caret of the window as pvwininfo reads it back: left, top, right, bottom in screen pixels."""
    return tuple(int(v) for v in wininfo(s, "caret", "%x" % hwnd))


def prompt_under_caret(s, prompt, hwnd):
    """Waits for the prompt and checks that its top-left is under the caret; returns the caret."""
    s.wait_until(lambda: window_rect(s, prompt)[0], "the prompt shows")

    # The prompt follows the caret after the key that showed it: wait until it settled there.
    def placed():
        caret = caret_of(s, hwnd)
        rect = window_rect(s, prompt)[1]
        return abs(rect[0] - caret[2]) <= CARET_SLACK and abs(rect[1] - caret[3] - 5) <= CARET_SLACK and caret
    try:
        return s.wait_until(placed, "the prompt under the caret", timeout=3)
    except Failure:
        raise Failure("prompt at %r, caret at %r" % (window_rect(s, prompt)[1][:2], caret_of(s, hwnd)))


def translated(code, english):
    """A text as the interface shows it in a language ("en": as it is), from res/lang/<code>.txt."""
    if code == "en":
        return english
    path = os.path.join(os.environ.get("PV_SOURCE_DIR", ""), "res", "lang", code + ".txt")
    table, key = {}, None
    with open(path, encoding="utf-8") as f:
        for line in f.read().splitlines():
            if line.startswith("en: "):
                key = line[4:].replace('""', '"')
            elif key is not None and line.startswith(code + ": "):
                table[key] = line[len(code) + 2:].replace('""', '"')
                key = None
    return table.get(english, english)
