"""The installer's and the uninstaller's pages in the user's language and at a screen scale: English,
German and Russian at 100 %, German at 150 %. Each page is reached by its own controls (the buttons'
texts are translated), must fit on the screen, and is kept as a screenshot for looking at (cut-off or
overlapping texts); the setup window is titled in the language."""

import glob
import os
import subprocess
import time

from harness import Session, Failure, expect, wine_loader
from program import window_rect

DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
# language, locale, dpi, a word of the setup window's title in that language
RUNS = [("en", "en_US.UTF-8", 96, "Setup"), ("de", "de_DE.UTF-8", 96, "Installation"),
        ("ru", "ru_RU.UTF-8", 96, "Установка"), ("de", "de_DE.UTF-8", 144, "Installation")]
# page, a control only it shows (the ids MUI and nsDialogs give them)
SETUP_PAGES = [("1-welcome", 1201), ("2-folder", 1019), ("3-options", 1200), ("4-finish", 1203)]
UNINSTALL_CONFIRM = 1029
NEXT, CANCEL, BM_CLICK, BM_GETCHECK = 1, 2, 0xF5, 0xF0
SCREEN = (0, 0, 1024, 768)


def setup_program():
    found = sorted(glob.glob(os.path.join(os.environ.get("PV_BINARY_DIR", os.getcwd()), "PennivoxSetup-*.exe")))
    if not found:
        raise SystemExit("no PennivoxSetup-*.exe: build the target installer")
    return found[-1]


def wine(s, *command, env=None):
    return subprocess.run([wine_loader()] + list(command), env=env or s.env, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=s.remaining(60)).stdout


with Session("installer_pages", limit=400, fresh_prefix=True) as s:
    setup = setup_program()
    local = wine(s, "cmd", "/c", "echo %LOCALAPPDATA%").decode("cp1252").strip()
    folder = os.path.join(s.env["WINEPREFIX"], "drive_c", *(local[3:] + r"\Programs\Pennivox").split("\\"))
    english_env = dict(s.env)

    def page(main, label, control_id, shot):
        """Waits for the page with this control, checks the window is on the screen, takes its picture."""
        next_button = s.child(main, ctrl_id=NEXT)

        def shown():
            # Each page makes its controls anew: the one found may be gone a moment later.
            try:
                control = s.child(main, ctrl_id=control_id, timeout=0.5)
                return window_rect(s, control)[0] and s.ctl("enabled", "%x" % next_button) == "1"
            except Failure:
                return False
        s.wait_until(shown, "the %s page" % label, 60)
        time.sleep(0.5)  # its texts paint after the controls show
        s.screenshot(shot)
        left, top, right, bottom = window_rect(s, main)[1]
        expect(left >= SCREEN[0] and top >= SCREEN[1] and right <= SCREEN[2] and bottom <= SCREEN[3], True,
               "%s (%d, %d, %d, %d) within the screen" % (label, left, top, right, bottom))
        return next_button

    def closed(process, main):
        """Closes what a failed run left open: the next run must find its own window."""
        if s.ctl("exists", "%x" % main) == "1":
            s.ctl("close", "%x" % main)
        if process.win_pid is not None:
            try:
                s.wait_until(lambda: s.ctl("exists", "%x" % main) == "0", "the window to close", 5)
            except Failure:
                s.ctl("killpid", process.win_pid)

    def run_case(language, locale, dpi, title_word):
        def run():
            wine(s, "reg", "add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f")
            s.env["LANG"] = locale
            s.env.pop("LC_ALL", None)
            process, main = None, 0
            try:
                process = s.start(setup, name="setup-%s-%d" % (language, dpi))
                main = process.track(s.wait_window(cls="#32770", timeout=30))
                s.focus(main)
                expect(title_word in s.text(main), True, "the setup's title in %s: %r" % (language, s.text(main)))
                for label, control_id in SETUP_PAGES:
                    next_button = page(main, label, control_id, "setup-%s-%s-%d" % (label, language, dpi))
                    if label == "4-finish":  # not started: the next run installs over it
                        run_now = s.child(main, ctrl_id=control_id)
                        if s.ctl("send", "%x" % run_now, BM_GETCHECK, 0, 0) == "1":
                            s.ctl("send", "%x" % run_now, BM_CLICK, 0, 0)
                    s.ctl("post", "%x" % next_button, BM_CLICK, 0, 0)
                s.wait_until(lambda: s.ctl("exists", "%x" % main) == "0", "the setup to end", 30)

                process = s.start(os.path.join(folder, "Uninstall.exe"), name="uninstaller-%s-%d" % (language, dpi))
                main = process.track(s.wait_window(cls="#32770", timeout=30))
                s.focus(main)
                page(main, "un-confirm", UNINSTALL_CONFIRM, "un-confirm-%s-%d" % (language, dpi))
                s.ctl("post", "%x" % s.child(main, ctrl_id=CANCEL), BM_CLICK, 0, 0)
                s.wait_until(lambda: s.ctl("exists", "%x" % main) == "0", "the uninstaller to close", 30)
            finally:
                if main:
                    closed(process, main)
                s.env.clear()
                s.env.update(english_env)
                wine(s, "reg", "delete", DESKTOP_KEY, "/v", "LogPixels", "/f")
        return run

    for language, locale, dpi, title_word in RUNS:
        s.case("pages_%s_%d" % (language, dpi), run_case(language, locale, dpi, title_word))
