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

from harness import Session, Failure, expect
from program import PROGRAM_TITLE, window_rect, windows_path

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
OPTIONAL_FILES = ["Zel32.dll", "Zel32Host.exe", "PVHelp.chm"]


def binary_dir():
    return os.environ.get("PV_BINARY_DIR", os.getcwd())


def setup_of(folder):
    found = sorted(glob.glob(os.path.join(folder, "PennivoxSetup-*.exe")))
    if not found:
        raise SystemExit("no PennivoxSetup-*.exe in %s: build the targets installer and installer_next" % folder)
    return found[-1], re.search(r"PennivoxSetup-(.+)\.exe$", found[-1]).group(1)


def run(s, *command, timeout=60):
    done = subprocess.run(["wine"] + list(command), env=s.env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, timeout=s.remaining(timeout))
    return done.returncode, done.stdout.decode("cp1252", errors="replace")


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
        expect(run(s, setup, "/S", timeout=120)[0], 0, "exit code of the silent install")
        for name in PROGRAM_FILES + [n for n in OPTIONAL_FILES if os.path.exists(os.path.join(program_dir, n))]:
            expect(os.path.isfile(os.path.join(folder, name)), True, name + " installed")
        for name in os.listdir(os.path.join(program_dir, "Libs")):
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

    def offer(edit, typed, wanted):
        """Types into an empty notepad and completes the first offer with Tab."""
        s.key("Return")  # a new word starts: the program does not see text replaced behind its back
        s.wait_until(lambda: s.text(edit).endswith("\r\n"), "the line end")
        s.set_text(edit, "")
        s.type(typed)
        s.wait_text(edit, typed)
        s.wait_until(lambda: window_rect(s, state["prompt"])[0], "the prompt over notepad for %r" % typed)
        s.key("Tab")
        s.wait_text(edit, wanted)

    def make_dictionary(path, caption, words):
        rows = s.new_file("rows", ".txt")
        with open(rows, "w") as f:
            f.write("\n".join(words) + "\n")
        code, _ = run(s, os.path.join(s.bin_dir, "pvdict.exe"), "create", windows_path(path), "--type", "1",
                      "--caption", caption, "--from", windows_path(rows), "--force")
        expect(code, 0, "pvdict on " + os.path.basename(path))

    def started_from_shortcut_and_taught():
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

    def update_over_running_program():
        expect(run(s, next_setup, "/S", timeout=120)[0], 0, "exit code of the update")
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
        s.ctl("post", "%x" % window, WM_COMMAND, ID_TRAY_ABOUT, 0)
        about = s.wait_window(cls="#32770", title="About Pennivox")
        expect(s.text(s.child(about, ctrl_id=IDC_ABOUT_VERSION)), "Version " + next_version, "the About box")
        s.screenshot("about-new-version")
        s.ctl("post", "%x" % about, WM_COMMAND, 1, 0)
        s.wait_until(lambda: gone(about), "the About box closes")
        _, notepad, edit = state["notepad"]
        s.focus(notepad)
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

    def setup_window_page(main, button_text, label):
        next_button = s.child(main, ctrl_id=1)
        s.wait_until(lambda: s.text(next_button) == button_text and s.ctl("enabled", "%x" % next_button) == "1",
                     "the %s page" % label, 60)
        s.screenshot("setup-" + label)
        return next_button

    def checks_of(page, first_id, count):
        return [s.ctl("send", "%x" % s.child(page, ctrl_id=first_id + i), BM_GETCHECK, 0, 0) for i in range(count)]

    def pages_by_hand():
        s.start(setup, name="setup")
        main = s.wait_window(cls="#32770", title="Pennivox %s Setup" % version, timeout=20)
        s.focus(main)
        s.ctl("post", "%x" % setup_window_page(main, "&Next >", "1-welcome"), BM_CLICK, 0, 0)
        next_button = setup_window_page(main, "&Next >", "2-folder")
        expect(s.text(s.child(main, ctrl_id=1019)), install, "the folder offered")
        s.ctl("post", "%x" % next_button, BM_CLICK, 0, 0)
        s.wait_until(lambda: s.text(s.child(main, ctrl_id=1037)) == "Options", "the options page")
        setup_window_page(main, "&Install", "3-options")
        expect(checks_of(main, 1200, 3), ["1", "0", "1"], "Start menu, desktop, start with Windows")
        s.ctl("post", "%x" % next_button, BM_CLICK, 0, 0)
        finish = setup_window_page(main, "&Finish", "4-finish")
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
        s.wait_until(lambda: not os.path.exists(folder), "the program folder to go")
    s.case("uninstall_removes_the_users_data_when_asked", uninstall_removing_user_data)
