"""The installer in a prefix of its own: silent install, the program started from its Start menu
shortcut, an update over the running program that keeps what the user made, the uninstaller
(keeping the user's data, then removing it), and the installer's pages driven by hand."""

import filecmp
import glob
import os
import re
import shutil
import struct
import subprocess

from harness import Session, Failure, expect, wine_loader
from program import PROGRAM_TITLE, window_rect

UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pennivox"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
CONTROLLER_CLASS = "PennivoxController"
WM_COMMAND = 0x111
BM_CLICK = 0xF5
BM_GETCHECK = 0xF0
ID_TRAY_SHORTHANDS = 32824
ID_TRAY_ABOUT = 32832
IDC_ABOUT_VERSION = 1003
PROGRAM_FILES = ["Pennivox.exe", "Zel.dll", "Uninstall.exe"]
OPTIONAL_FILES = ["Zel32.dll", "Zel32Host.exe", "PVHelp.chm", "DictionaryLicences.txt"]


def binary_dir():
    return os.environ.get("PV_BINARY_DIR", os.getcwd())


def setup_of(folder):
    found = sorted(glob.glob(os.path.join(folder, "PennivoxSetup-*.exe")))
    if not found:
        raise SystemExit("no PennivoxSetup-*.exe in %s: build the targets installer and installer_next" % folder)
    return found[-1], re.search(r"PennivoxSetup-(.+)\.exe$", found[-1]).group(1)


def run(s, *command, timeout=60):
    done = subprocess.run([wine_loader()] + list(command), env=s.env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, timeout=s.remaining(timeout))
    return done.returncode, done.stdout.decode("cp1252", errors="replace")


def run_setup(s, path, *options):
    """Runs a setup program to its end. Its output goes nowhere: a program it starts would hold a
    pipe open after it ended."""
    return subprocess.call([wine_loader(), path] + list(options), env=s.env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=s.remaining(120))


def reg_values(s, key):
    """{name: data} of a registry key, None when it does not exist."""
    code, out = run(s, "reg", "query", key)
    if code != 0:
        return None
    values = {}
    for line in out.splitlines():
        found = re.match(r"^\s+(.*?)\s+(REG_\w+)\s*(.*)$", line)
        if found:
            values[found.group(1)] = found.group(3).strip()
    return values


def unix_path(s, path):
    return os.path.join(s.env["WINEPREFIX"], "drive_c", *path[3:].split("\\"))


def shortcut_target(path):
    """The local path a shell link names (its link information's base path)."""
    with open(path, "rb") as f:
        data = f.read()
    flags = struct.unpack_from("<I", data, 0x14)[0]
    at = 0x4C
    if flags & 0x01:  # a target id list comes first
        at += 2 + struct.unpack_from("<H", data, at)[0]
    if not flags & 0x02:
        raise Failure("the shortcut has no link information")
    header_size, info_flags = struct.unpack_from("<II", data, at + 4)
    if header_size >= 0x24:
        start = at + struct.unpack_from("<I", data, at + 28)[0]
        end = data.index(b"\0\0", start)
        end += (end - start) % 2
        return data[start:end].decode("utf-16-le")
    if not info_flags & 0x01:
        raise Failure("the shortcut names no local path")
    start = at + struct.unpack_from("<I", data, at + 16)[0]
    return data[start:data.index(b"\0", start)].decode("cp1252")


with Session("installer", limit=300, fresh_prefix=True) as s:
    setup, version = setup_of(binary_dir())
    next_setup, next_version = setup_of(os.path.join(binary_dir(), "next"))
    program_dir = os.path.join(binary_dir(), "Pennivox")
    local = run(s, "cmd", "/c", "echo %LOCALAPPDATA%")[1].strip()
    roaming = run(s, "cmd", "/c", "echo %APPDATA%")[1].strip()
    install = local + r"\Programs\Pennivox"
    folder = unix_path(s, install)
    libs = os.path.join(folder, "Libs")
    start_menu = unix_path(s, roaming + r"\Microsoft\Windows\Start Menu\Programs\Pennivox.lnk")
    exe = install + r"\Pennivox.exe"
    state = {}

    def controller(timeout=20):
        return s.wait_window(cls=CONTROLLER_CLASS, timeout=timeout)

    def alive(pid):
        try:
            s.ctl("alive", pid)
            return True
        except Failure:
            return False

    def gone(hwnd):
        return s.ctl("exists", "%x" % hwnd) == "0"

    def uninstall(*options):
        s.start(os.path.join(folder, "Uninstall.exe"), "/S", *options, name="uninstaller")
        s.wait_until(lambda: reg_values(s, UNINSTALL_KEY) is None, "the uninstall entry to go", 60)

    def silent_install():
        expect(run_setup(s, setup, "/S"), 0, "exit code of the silent install")
        for name in PROGRAM_FILES + [n for n in OPTIONAL_FILES if os.path.exists(os.path.join(program_dir, n))]:
            expect(os.path.isfile(os.path.join(folder, name)), True, name + " installed")
        # Only the dictionaries: running the build's program (scripts/run.sh) leaves learnt words there.
        for name in [n for n in os.listdir(os.path.join(program_dir, "Libs")) if n.endswith(".lib")]:
            expect(filecmp.cmp(os.path.join(libs, name), os.path.join(program_dir, "Libs", name), False), True,
                   "Libs\\%s as built" % name)
        expect(shortcut_target(start_menu).lower(), exe.lower(), "the Start menu shortcut's target")
        entry = reg_values(s, UNINSTALL_KEY) or {}
        expect({k: entry.get(k) for k in ("DisplayName", "DisplayVersion", "Publisher", "InstallLocation")},
               {"DisplayName": "Pennivox", "DisplayVersion": version, "Publisher": "Pennivox",
                "InstallLocation": install}, "the uninstall entry")
        expect(entry.get("DisplayIcon", "").lower(), exe.lower() + ",0", "its icon")
        expect(int(entry.get("EstimatedSize", "0"), 16) > 100, True, "its size in KB: %r" % entry.get("EstimatedSize"))
        expect((reg_values(s, RUN_KEY) or {}).get("Pennivox"), '"%s"' % exe, "the Run value")
    s.case("silent_install", silent_install)

    def offer(edit, typed, wanted, attempts=2):
        """Types into an empty notepad and completes the first offer with Tab. On a machine under
        heavy load a completion in notepad is now and then lost: tried twice, and said so."""
        for attempt in range(attempts):
            s.key("Return")  # a new word starts: the program does not see text replaced behind its back
            s.wait_until(lambda: s.text(edit).endswith("\r\n"), "the line end")
            s.set_text(edit, "")
            s.type(typed)
            s.wait_text(edit, typed)
            try:
                s.wait_until(lambda: window_rect(s, state["prompt"])[0], "the prompt over notepad for %r" % typed)
                s.screenshot("offer-" + typed)
                s.key("Tab")
                s.wait_text(edit, wanted)
                return
            except Failure as error:
                if attempt + 1 == attempts:
                    raise
                s.log("%s; once more" % error)
                s.key("Escape")

    def make_dictionary(path, caption, words):
        rows = s.new_file("rows", ".txt")
        with open(rows, "w") as f:
            f.write("\n".join(words) + "\n")
        # The build's native copy of the dictionary tool: the file is replaced as the editor replaces it.
        pvdict = os.path.join(binary_dir(), "native-tools", "tools", "pvdict", "pvdict")
        code = subprocess.call([pvdict, "create", path, "--type", "1", "--caption", caption, "--from", rows,
                                "--force"], stdout=subprocess.DEVNULL)
        expect(code, 0, "pvdict on " + os.path.basename(path))

    def started_from_shortcut_and_taught():
        # The classic order: the offers checked below are exact texts, without a blank behind.
        with open(os.path.join(folder, "Config.ini"), "w") as f:
            f.write("[Others]\nbRankByUse=0\n")
        program = s.start(shortcut_target(start_menu), name="Pennivox", uses_hook=True)
        state["prompt"] = program.track(s.wait_window(cls="#32770", title=PROGRAM_TITLE, timeout=20))
        state["notepad"] = s.start_notepad()
        _, window, edit = state["notepad"]
        offer(edit, "xylop", "xylophone")
        # What the user makes: a learnt word, an entry of the user dictionary, an option, an edited
        # bundled dictionary.
        s.type(" qwzzyx ")
        learnt = os.path.join(libs, "AutoLearn.dic")
        s.wait_until(lambda: os.path.exists(learnt) and b"qwzzyx" in open(learnt, "rb").read(), "the word learnt")
        make_dictionary(os.path.join(libs, "UserDictionary.lib"), "User Dictionary", ["zorblaxian"])
        make_dictionary(os.path.join(libs, "English.lib"), "English words", ["zymurgyedit"])
        s.ctl("post", "%x" % controller(), WM_COMMAND, ID_TRAY_SHORTHANDS, 0)
        config = os.path.join(folder, "Config.ini")
        s.wait_until(lambda: os.path.exists(config) and "bEnableShorthand=0" in open(config).read(),
                     "shorthands switched off in Config.ini")
        state["saved"] = s.out_dir + "/before-update"
        shutil.rmtree(state["saved"], ignore_errors=True)
        shutil.copytree(folder, state["saved"])
        state["old_controller"] = controller()
        state["old_pid"] = program.win_pid
    s.case("started_from_its_shortcut_offers_words_in_notepad", started_from_shortcut_and_taught)

    def open_about(window):
        s.ctl("post", "%x" % window, WM_COMMAND, ID_TRAY_ABOUT, 0)
        return s.wait_window(cls="#32770", title="About Pennivox")

    def close_about(about):
        s.ctl("post", "%x" % about, WM_COMMAND, 1, 0)
        s.wait_until(lambda: gone(about), "the About box closes")

    def update_over_running_program():
        # With a dialog of the program open, the update says so, and nothing is closed or changed.
        about = open_about(state["old_controller"])
        try:
            expect(run_setup(s, next_setup, "/S") != 0, True, "the update refused while a dialog is open")
            expect(filecmp.cmp(os.path.join(program_dir, "Pennivox.exe"), os.path.join(folder, "Pennivox.exe"),
                               False), True, "Pennivox.exe untouched")
            expect(gone(state["old_controller"]), False, "the program ended")
        finally:
            close_about(about)
        expect(run_setup(s, next_setup, "/S"), 0, "exit code of the update")
        s.wait_until(lambda: gone(state["old_controller"]), "the old program to end")
        s.wait_until(lambda: not alive(state["old_pid"]), "the old program's process to end")
        saved = state["saved"]
        for name in ("Config.ini", "Libs/AutoLearn.dic", "Libs/UserDictionary.lib", "Libs/English.lib",
                     "Libs/UserShortHands.lib"):
            expect(filecmp.cmp(os.path.join(saved, name), os.path.join(folder, name), False), True, name + " kept")
        expect(filecmp.cmp(os.path.join(binary_dir(), "next", "Phrases.lib"), os.path.join(libs, "Phrases.lib"),
                           False), True, "the unchanged bundled Phrases.lib replaced by the new one")
        for name in ("Pennivox.exe", "Zel.dll"):
            expect(filecmp.cmp(os.path.join(binary_dir(), "next", name), os.path.join(folder, name), False), True,
                   name + " of the new version")
        expect((reg_values(s, UNINSTALL_KEY) or {}).get("DisplayVersion"), next_version, "the entry's version")
        # The update started the new program again: its About box tells its version.
        window = controller()
        state["prompt"] = s.wait_window(cls="#32770", title=PROGRAM_TITLE, timeout=20)
        about = open_about(window)
        try:
            s.screenshot("about-new-version")
            expect(s.text(s.child(about, ctrl_id=IDC_ABOUT_VERSION)), "Version " + next_version, "the About box")
        finally:
            close_about(about)
        # A program that ran across the update keeps the hook library it had loaded: a new notepad.
        _, old_notepad, old_edit = state["notepad"]
        s.ctl("send", "%x" % old_edit, 0xB9, 0, 0)  # EM_SETMODIFY: closes unasked
        s.ctl("close", "%x" % old_notepad)
        s.wait_until(lambda: gone(old_notepad), "the old notepad to close")
        _, _, edit = s.start_notepad()
        offer(edit, "qwz", "qwzzyx")
        offer(edit, "zorbl", "zorblaxian")
        offer(edit, "zymur", "zymurgyedit")
        offer(edit, "quintess", "quintessential update phrase")
    s.case("update_over_the_running_program_keeps_the_users_files", update_over_running_program)

    def uninstall_keeps_user_data():
        window = controller(timeout=1)
        uninstall()
        s.wait_until(lambda: gone(window), "the program to end")
        for name in PROGRAM_FILES + OPTIONAL_FILES + ["Libs/Phrases.lib", "Installed.ini"]:
            expect(os.path.exists(os.path.join(folder, name)), False, name + " after the uninstall")
        expect(os.path.exists(start_menu), False, "the Start menu shortcut after the uninstall")
        expect((reg_values(s, RUN_KEY) or {}).get("Pennivox"), None, "the Run value after the uninstall")
        for name in ("Config.ini", "Libs/AutoLearn.dic", "Libs/UserDictionary.lib", "Libs/UserShortHands.lib",
                     "Libs/English.lib"):
            expect(os.path.exists(os.path.join(folder, name)), True, name + " kept")
    s.case("uninstall_keeps_the_users_data", uninstall_keeps_user_data)

    def setup_window_page(main, button_text, label, control_id):
        """Waits for a page (its Next button's text, one of its controls shown) and takes its picture."""
        next_button = s.child(main, ctrl_id=1)
        s.wait_until(lambda: s.text(next_button) == button_text and s.ctl("enabled", "%x" % next_button) == "1",
                     "the %s page" % label, 60)
        control = s.child(main, ctrl_id=control_id, timeout=10)
        s.wait_until(lambda: window_rect(s, control)[0], "the %s page's controls" % label)
        s.screenshot("setup-" + label)
        return next_button

    def checks_of(page, first_id, count):
        return [s.ctl("send", "%x" % s.child(page, ctrl_id=first_id + i), BM_GETCHECK, 0, 0) for i in range(count)]

    def pages_by_hand():
        s.start(setup, name="setup")
        main = s.wait_window(cls="#32770", title="Pennivox %s Setup" % version, timeout=20)
        s.focus(main)
        s.ctl("post", "%x" % setup_window_page(main, "&Next >", "1-welcome", 1201), BM_CLICK, 0, 0)
        next_button = setup_window_page(main, "&Next >", "2-folder", 1019)
        expect(s.text(s.child(main, ctrl_id=1019)).rstrip("\\"), install, "the folder offered")
        s.ctl("post", "%x" % next_button, BM_CLICK, 0, 0)
        setup_window_page(main, "&Install", "3-options", 1200)
        expect(checks_of(main, 1200, 3), ["1", "0", "1"], "Start menu, desktop, start with Windows")
        s.ctl("post", "%x" % next_button, BM_CLICK, 0, 0)
        finish = setup_window_page(main, "&Finish", "4-finish", 1203)
        expect(s.text(s.child(main, ctrl_id=1203)), "Start Pennivox now", "the finish page's box")
        expect(checks_of(main, 1203, 1), ["1"], "Start Pennivox now, ticked")
        s.ctl("post", "%x" % finish, BM_CLICK, 0, 0)
        controller()
        expect(os.path.exists(os.path.join(folder, "Libs", "AutoLearn.dic")), True, "the learnt words still there")
    s.case("pages_of_the_installer", pages_by_hand)

    def uninstall_removing_user_data():
        window = controller(timeout=1)
        uninstall("/REMOVEUSERDATA")
        s.wait_until(lambda: gone(window), "the program to end")
        try:
            s.wait_until(lambda: not os.path.exists(folder), "the program folder to go")
        except Failure:
            raise Failure("the program folder still holds %r" % [os.path.relpath(os.path.join(d, n), folder)
                                                                  for d, _, names in os.walk(folder) for n in names])
    s.case("uninstall_removes_the_users_data_when_asked", uninstall_removing_user_data)

    def uninstall_asks():
        expect(run_setup(s, setup, "/S"), 0, "exit code of the silent install")
        open(os.path.join(folder, "Config.ini"), "w").write("[Others]\nbEnableShorthand=0\n")
        s.start(os.path.join(folder, "Uninstall.exe"), name="uninstaller")
        main = s.wait_window(cls="#32770", timeout=30)  # the program is not running: the only dialog
        expect(s.text(main).strip(), "Pennivox %s Uninstall" % version, "the uninstaller's title")
        s.focus(main)
        s.ctl("post", "%x" % setup_window_page(main, "&Uninstall", "un-confirm", 1029), BM_CLICK, 0, 0)
        box = s.wait_until(lambda: s.popup(main), "the question", 30)
        expect(s.text(s.child(box, ctrl_id=0xFFFF)).startswith("Keep your dictionaries, learnt words and settings"),
               True, "the question")
        s.screenshot("un-question")
        s.focus(box)
        s.key("n")
        s.wait_until(lambda: not os.path.exists(folder), "the program folder to go", 30)
    s.case("uninstall_asks_whether_to_keep_the_users_data", uninstall_asks)
