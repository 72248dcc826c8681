"""Pennivox.exe start-up: no dictionaries, the libs folder, the first-run flag, the hotkey."""

import os
import shutil
import subprocess

from harness import Session, expect, wine_loader

NO_DICTIONARY = "Pennivox has no dictionary to offer words from.\nOpen the Dictionaries Manager now?"
OPTION_KEY = r"HKLM\SOFTWARE\Pennivox Pro\Option"


def reg(s, *args):
    return subprocess.run([wine_loader(), "reg"] + list(args), env=s.env, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=30)


with Session("app_startup", limit=90) as s:
    source = os.path.join(os.environ.get("PV_BINARY_DIR", os.getcwd()), "Pennivox")
    folder = os.path.join(s.out_dir, "empty-program")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    # The program's files as shipped, without dictionaries: with the 32-bit pieces a system that
    # runs 32-bit programs tells of no missing helper.
    for name in ("Pennivox.exe", "Zel.dll", "Zel32.dll", "Zel32Host.exe"):
        if os.path.exists(os.path.join(source, name)):
            shutil.copy(os.path.join(source, name), folder)
    # A first run as the registry records it.
    reg(s, "add", OPTION_KEY, "/v", "bFirstRun", "/t", "REG_BINARY", "/d", "01000000", "/f")

    program = s.start(os.path.join(folder, "Pennivox.exe"), name="Pennivox", uses_hook=True)

    def question_without_dictionaries():
        box = s.wait_window(title="Pennivox - ERROR", timeout=20)
        static = s.child(box, cls="Static", ctrl_id=0xFFFF)
        expect(s.text(static).replace("\r\n", "\n"), NO_DICTIONARY, "question")
        expect(os.path.isdir(os.path.join(folder, "libs")) or os.path.isdir(os.path.join(folder, "Libs")), True,
               "libs folder created")
        s.ctl("post", "%x" % box, 0x0111, 2, 0)  # Cancel
        s.wait_until(lambda: s.ctl("exists", "%x" % box) == "0", "the question closes")
        # Start-up goes on without dictionaries.
        prompt = program.track(s.wait_window(cls="#32770", title="Pennivox", timeout=10))
        expect(s.ctl("exists", "%x" % prompt), "1", "still running")
    s.case("no_dictionaries", question_without_dictionaries)

    def first_run_flag_cleared():
        out = reg(s, "query", OPTION_KEY, "/v", "bFirstRun").stdout.decode(errors="replace")
        expect("00000000" in out.replace(" ", ""), True, "bFirstRun after one start: %r" % out)
    s.case("first_run", first_run_flag_cleared)

    def exit_on_close():
        # WM_CLOSE (as the tray's Exit) ends the program: hook removed first, then everything else.
        prompt = program.track(s.wait_window(cls="#32770", title="Pennivox", timeout=10))
        expect(s._win_pid_alive(program), True, "running before the close")
        s.ctl("post", "%x" % prompt, 0x0010, 0, 0)
        s.wait_until(lambda: not s._win_pid_alive(program), "the program to end", 5)
    s.case("exit_on_close", exit_on_close)


    def unusable_selection_keys():
        # A hand-edited Config.ini with a letter in every selection role: the default keys are
        # used, and the user is told so, naming the file.
        from program import program_copy, start_program
        keys_folder = program_copy(s, name="letter-keys")
        with open(os.path.join(keys_folder, "Config.ini"), "w") as f:
            f.write("[HotKeys]\r\nvkSelectIndex=41414141414141414141\r\nvkSelectPrev=41\r\nvkSelectNext=41\r\n"
                    "vkSelectPageDown=41\r\nvkSelectPageUp=41\r\nvkSelect=4141FFFFFFFFFFFFFFFF\r\n")
        second, _ = start_program(s, keys_folder)
        def keys_box():
            box = s.wait_window(title="Pennivox - ERROR", timeout=20)
            text = s.text(s.child(box, cls="Static", ctrl_id=0xFFFF))
            if text.replace("\r\n", "\n") == NO_DICTIONARY:  # the first copy's, run without its case
                s.ctl("post", "%x" % box, 0x0111, 2, 0)
                s.wait_until(lambda: s.ctl("exists", "%x" % box) == "0", "the question closes")
                return None
            return box, text
        box, text = s.wait_until(keys_box, "the box about the keys", 30)
        expect("Config.ini" in text and "usual keys" in text, True, "the box names the file: %r" % text)
        s.screenshot("unusable-selection-keys")
        s.ctl("post", "%x" % box, 0x0111, 1, 0)  # OK
        s.wait_until(lambda: s.ctl("exists", "%x" % box) == "0", "the box closes")
    s.case("unusable_selection_keys", unusable_selection_keys)
