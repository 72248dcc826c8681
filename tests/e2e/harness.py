"""End-to-end harness: drives real Windows binaries under Wine on a virtual X display.

A scenario script is a list of cases run against programs started once:

    from harness import Session, Failure, expect

    with Session("my_scenario") as s:             # 30 s limit for the whole scenario
        target = s.start_target()                   # pvtarget.exe, window found, X focus given
        recv = s.start_receiver(rules=["swallow q"])  # pvrecv.exe: Zel.dll installed
        def letters():
            mark = recv.mark()
            s.type("aqb")
            target.wait_text(target.single, "ab")
            expect(recv.keys(mark), [...], "reports")
        s.case("letters", letters)
    # exit status: 0 when every case passed; a failing case leaves a screenshot

Session (one per script; reuses DISPLAY/WINEPREFIX from scripts/wine-env.sh, or starts its own):
    start(exe, *args, uses_hook=) -> Process   start any Windows program (ended at the end;
                                        uses_hook: it installs Zel.dll, see release_hook)
    start_target(), start_receiver(), start_notepad()   the test kit programs / Wine's notepad
    wait_window(cls=, title=), child(hwnd, cls=, ctrl_id=), text(hwnd), set_text(hwnd, s)
    focus(hwnd)                         X focus to a top-level window (xdotool windowfocus --sync)
    type(text), key(*names), chord(mods, *names)   typing with xdotool
    wait_until(probe, what, timeout)    poll until probe() is truthy (never fixed sleeps)
    foreground(), popup(owner), clipboard(), ctl(*words)   the control tool (tools/testkit pvctl.exe) directly
    case(name, fn)                      run one case; failures are recorded, screenshot taken
    screenshot(label), log(msg)
    other_prefix(name) -> OtherPrefix   a second Wine prefix on the same display, running beside
                                        this one: another PC, with the same calls as the session
Files (logs, screenshots) go to $PV_BINARY_DIR/Testing/e2e/<scenario>/.
A scenario that must run as a user who is not root calls unprivileged.rerun_as_user() first.
"""

import os
import queue
import shutil
import signal
import subprocess
import sys
import threading
import time
import traceback
import urllib.parse  # noqa: F401  (kept for scenarios that build titles)

SCENARIO_LIMIT_S = 30
POLL_S = 0.02
ENCODING = "utf-8"  # of the texts the control tool and the target exchange


class Failure(Exception):
    """A case failed: an expectation did not hold or a wait ran out of time."""


class ScenarioTimeout(BaseException):
    """The whole scenario ran past its limit."""


def expect(actual, wanted, what):
    if actual != wanted:
        raise Failure("%s: expected %r, got %r" % (what, wanted, actual))


def wine_loader(bits=64):
    """The Wine loader for a program of that bitness. Once wine32 is installed, Debian's `wine`
    starts the 32-bit loader: builtin programs (notepad, wordpad, reg) are then 32-bit and `reg`
    reads the 32-bit registry view. A program named by its path runs with its own bitness under
    either loader."""
    path = "/usr/lib/wine/wine64" if bits == 64 else "/usr/lib/wine/wine"
    return path if os.path.exists(path) else "wine"


def _hex(text):
    """Text for the control tool: hex bytes, "-" for the empty text."""
    value = text.encode(ENCODING).hex() if isinstance(text, str) else text.hex()
    return value or "-"


def _unhex(value):
    return bytes.fromhex(value).decode(ENCODING)


def _source_dir():
    return os.environ.get("PV_SOURCE_DIR") or os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


def _binary_dir():
    found = os.environ.get("PV_BINARY_DIR")
    if found:
        return found
    return os.path.join(_source_dir(), "build", "win")


def _work_dir():
    """Where logs, screenshots and an own Wine environment go: the build folder, or another one
    (PV_E2E_WORK_DIR) for a scenario run as a user who may not write there."""
    return os.environ.get("PV_E2E_WORK_DIR") or _binary_dir()


class Ctl:
    """The control tool kept running (pvctl.exe serve): one line per command, one answer each."""

    def __init__(self, session):
        self._session = session
        self._proc = subprocess.Popen(
            [wine_loader(), os.path.join(session.bin_dir, "pvctl.exe"), "serve"],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=session.env)
        self._lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for raw in self._proc.stdout:
            self._lines.put(raw.decode("latin-1").rstrip("\r\n"))
        self._lines.put(None)

    def call(self, *words, timeout=10.0):
        """Runs one command; returns its value, raises Failure on "err"."""
        line = " ".join(str(w) for w in words) + "\n"
        try:
            self._proc.stdin.write(line.encode("latin-1"))
            self._proc.stdin.flush()
        except OSError as error:
            raise Failure("control tool gone: %s" % error)
        try:
            answer = self._lines.get(timeout=self._session.remaining(timeout))
        except queue.Empty:
            raise Failure("control tool did not answer %r" % line.strip())
        if answer is None:
            raise Failure("control tool ended")
        status, _, value = answer.partition(" ")
        if status != "ok":
            raise Failure("%s: %s" % (line.strip(), value))
        return value

    def close(self):
        try:
            self._proc.stdin.write(b"quit\n")
            self._proc.stdin.flush()
            self._proc.wait(timeout=3)
        except (OSError, subprocess.TimeoutExpired):
            self._proc.kill()


class Process:
    """A Windows program we started. `windows` are closed and `win_pid` killed at the end."""

    def __init__(self, session, popen, name):
        self.session = session
        self.popen = popen
        self.name = name
        self.windows = []
        self.win_pid = None
        self.before_close = []  # control tool commands run before its windows are closed

    def track(self, hwnd):
        self.windows.append(hwnd)
        if self.win_pid is None:
            try:
                self.win_pid = int(self.session.ctl("pid", "%x" % hwnd))
            except Failure:
                pass
        return hwnd


class Session:
    def __init__(self, name, limit=SCENARIO_LIMIT_S, fresh_prefix=False):
        self.name = name
        self.limit = limit
        self.fresh_prefix = fresh_prefix  # a new prefix of its own, whatever the environment
        self.bin_dir = os.path.join(_binary_dir(), "bin")
        self.out_dir = os.path.join(_work_dir(), "Testing", "e2e", name)
        self.failures = []
        self.passed = []
        self._procs = []
        self._own_env_dir = None
        self._ctl = None
        self._deadline = None
        self._file_count = 0
        self._hook_used = False
        self._others = []
        self.selected = [a for a in sys.argv[1:] if not a.startswith("-")]

    # ----- set-up and tear-down

    def __enter__(self):
        shutil.rmtree(self.out_dir, ignore_errors=True)
        os.makedirs(self.out_dir, exist_ok=True)
        self._deadline = time.monotonic() + self.limit
        signal.signal(signal.SIGALRM, self._on_alarm)
        signal.alarm(self.limit + 1)
        self.env = self._wine_env()
        self._ctl = Ctl(self)
        return self

    def __exit__(self, kind, value, tb):
        signal.alarm(0)
        if kind is not None and not issubclass(kind, SystemExit):
            self.failures.append(("scenario", "".join(traceback.format_exception(kind, value, tb))))
            self.screenshot("scenario")
        self._deadline = time.monotonic() + 10  # room to clean up
        for other in self._others:
            other.close()
        self._stop_all()
        if self._ctl:
            self._ctl.close()
        if self._own_env_dir:
            subprocess.call(["bash", os.path.join(_source_dir(), "scripts", "wine-env.sh"), "stop",
                             self._own_env_dir])
            if self.fresh_prefix:  # made for this run only
                shutil.rmtree(self._own_env_dir, ignore_errors=True)
        self._summary()
        sys.exit(1 if self.failures or not self.passed else 0)

    def _on_alarm(self, signum, frame):
        raise ScenarioTimeout("scenario %s ran past %d s" % (self.name, self.limit))

    def _wine_env(self):
        env = dict(os.environ)
        if env.get("DISPLAY") and env.get("WINEPREFIX") and not self.fresh_prefix:
            return env
        # Not run under the test command, or asked for: bring up our own environment for this script.
        self._own_env_dir = os.path.join(_work_dir(), "e2e-wine-env-" + self.name if self.fresh_prefix
                                         else "e2e-wine-env")
        subprocess.check_call(["bash", os.path.join(_source_dir(), "scripts", "wine-env.sh"), "start",
                               self._own_env_dir] + (["--fresh"] if self.fresh_prefix else []),
                              stdout=subprocess.DEVNULL)
        self._deadline = time.monotonic() + self.limit  # the start-up is not the scenario's time
        signal.alarm(self.limit + 1)
        with open(os.path.join(self._own_env_dir, "env.sh")) as f:
            for line in f:
                if line.startswith("export "):
                    for item in line[len("export "):].split():
                        key, _, val = item.partition("=")
                        env[key] = val.strip('"')
        os.environ.update({k: env[k] for k in ("DISPLAY", "WINEPREFIX", "WINEDEBUG", "WINEARCH",
                                               "WINEDLLOVERRIDES") if k in env})
        return env

    def release_hook(self):
        """Removes a keyboard hook that a killed program left behind.

        Wine keeps the global hook of a process that was killed (Windows drops it). While some
        process still maps Zel.dll, its shared state knows that hook, and RemoveHook (ordinal 2)
        from a fresh receiver unhooks it; later scenarios would otherwise get each key twice.
        """
        if not self._hook_used:
            return
        self._hook_used = False
        try:
            cleaner = Receiver(self, ["remove"], False, "hook-release")
            cleaner.command("quit")
        except Failure as error:
            self.log("could not release the hook: %s" % error)

    def _stop_all(self):
        self.release_hook()
        for proc in reversed(self._procs):
            for words in proc.before_close:
                try:
                    self.ctl(*words)
                except Failure:
                    pass
            for hwnd in proc.windows:
                try:
                    if self.ctl("exists", "%x" % hwnd) == "1":
                        self.ctl("close", "%x" % hwnd)
                except Failure:
                    pass
        for proc in reversed(self._procs):
            if proc.win_pid is not None:
                try:
                    self.wait_until(lambda: not self._win_pid_alive(proc), "%s to end" % proc.name, 2)
                except Failure:
                    try:
                        self.ctl("killpid", proc.win_pid)
                    except Failure:
                        pass
            if proc.popen.poll() is None:
                try:
                    proc.popen.wait(timeout=2)
                except subprocess.TimeoutExpired:
                    proc.popen.kill()
                    proc.popen.wait()

    def _win_pid_alive(self, proc):
        try:
            self.ctl("alive", proc.win_pid)
            return True
        except Failure:
            return False

    def _summary(self):
        for name in self.passed:
            print("PASS %s" % name)
        for name, detail in self.failures:
            print("FAIL %s\n%s" % (name, detail))
        print("%s: %d passed, %d failed (logs in %s)" % (self.name, len(self.passed), len(self.failures),
                                                        self.out_dir))

    # ----- time

    def remaining(self, wanted=None):
        left = max(0.0, self._deadline - time.monotonic())
        return left if wanted is None else min(wanted, left)

    def wait_until(self, probe, what, timeout=5.0):
        """Polls probe() until it returns something truthy; returns that, or raises Failure."""
        end = time.monotonic() + self.remaining(timeout)
        while True:
            value = probe()
            if value:
                return value
            if time.monotonic() >= end:
                raise Failure("timed out waiting for %s" % what)
            time.sleep(POLL_S)

    # ----- programs

    def start(self, exe, *args, name=None, uses_hook=False, bits=64, env=None, stderr_path=None):
        """Starts a Windows program. uses_hook: it installs Zel.dll's hook (see release_hook);
        bits: the loader, which decides the bitness of Wine's builtin programs (wine_loader);
        env: variables added to the session's (WINEDEBUG for a trace); stderr_path: where Wine's
        messages and traces go (appended)."""
        self._hook_used = self._hook_used or uses_hook
        if not os.path.isabs(exe) and os.path.exists(os.path.join(self.bin_dir, exe)):
            exe = os.path.join(self.bin_dir, exe)
        errors = open(stderr_path, "ab") if stderr_path else subprocess.DEVNULL
        try:
            popen = subprocess.Popen([wine_loader(bits), exe] + [str(a) for a in args], env=dict(self.env, **(env or {})),
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=errors)
        finally:
            if stderr_path:
                errors.close()
        proc = Process(self, popen, name or os.path.basename(exe))
        self._procs.append(proc)
        return proc

    def other_prefix(self, name):
        other = OtherPrefix(self, name)
        self._others.append(other)
        return other

    def start_target(self, title="Pennivox Test Target", focus_id=101):
        return TestTarget(self, title, focus_id)

    def start_receiver(self, rules=(), install=True, name="receiver"):
        return Receiver(self, rules, install, name)

    def run(self, *command, timeout=60):
        """Runs a 64-bit Windows command (reg, cmd) to its end: (exit code, output)."""
        done = subprocess.run([wine_loader()] + list(command), env=self.env, stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=self.remaining(timeout))
        return done.returncode, done.stdout.decode("cp1252", errors="replace")

    def start_notepad(self, bits=64):
        proc = self.start("notepad", name="notepad%d" % bits, bits=bits)
        hwnd = proc.track(self.wait_window(cls="Notepad"))
        edit = self.child(hwnd, cls="Edit")
        # Unmodified text: closing then asks nothing.
        proc.before_close.append(("send", "%x" % edit, 0xB9, 0, 0))  # EM_SETMODIFY
        self.focus(hwnd)
        return proc, hwnd, edit

    # ----- windows

    def ctl(self, *words, timeout=10.0):
        return self._ctl.call(*words, timeout=timeout)

    def wait_window(self, cls=None, title=None, timeout=10.0):
        ms = int(self.remaining(timeout) * 1000)
        value = self.ctl("find", cls or "-", _hex(title) if title else "-", ms, timeout=timeout + 5)
        return int(value, 16)

    def child(self, hwnd, cls=None, ctrl_id=None, timeout=5.0):
        ms = int(self.remaining(timeout) * 1000)
        value = self.ctl("child", "%x" % hwnd, cls or "-", "-" if ctrl_id is None else ctrl_id, ms,
                         timeout=timeout + 5)
        return int(value, 16)

    def text(self, hwnd):
        return _unhex(self.ctl("gettext", "%x" % hwnd))

    def set_text(self, hwnd, text):
        self.ctl("settext", "%x" % hwnd, _hex(text))

    def wait_text(self, hwnd, wanted, timeout=5.0):
        last = [None]

        def probe():
            last[0] = self.text(hwnd)
            return last[0] == wanted
        try:
            self.wait_until(probe, "text %r" % wanted, timeout)
        except Failure:
            raise Failure("text: expected %r, got %r" % (wanted, last[0]))

    def foreground(self):
        return int(self.ctl("foreground"), 16)

    def popup(self, owner):
        """The shown, enabled window that owner owns (a box or dialog over it), or 0."""
        return int(self.ctl("popup", "%x" % owner), 16)

    def clipboard(self):
        value = self.ctl("getclip")
        return None if value == "none" else _unhex(value)

    def focus(self, hwnd, settle=2.0):
        """Gives a top-level window the X keyboard focus (no window manager runs on Xvfb).
        settle: how long Wine may take to activate it on its own before Windows is asked directly."""
        xid = self.ctl("xid", "%x" % hwnd)
        last = [None]

        def try_focus():
            # A window that is not mapped yet answers BadMatch: try again.
            try:
                self._xdotool("windowfocus", "--sync", xid)
                return True
            except Failure as error:
                last[0] = error
                return False
        try:
            self.wait_until(try_focus, "X focus on window %x" % hwnd)
        except Failure:
            raise Failure("could not focus window %x: %s" % (hwnd, last[0]))
        try:
            self.wait_until(lambda: self.foreground() == hwnd, "window %x in the foreground" % hwnd, settle)
        except Failure:
            # After a window of another program closed, Wine may keep the X focus without
            # activating: ask Windows directly.
            self.ctl("setfg", "%x" % hwnd)
            self.wait_until(lambda: self.foreground() == hwnd, "window %x in the foreground" % hwnd)

    # ----- typing

    def _xdotool(self, *args):
        try:
            subprocess.run(["xdotool"] + list(args), env=self.env, check=True, timeout=self.remaining(10),
                           stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        except subprocess.CalledProcessError as error:
            raise Failure("xdotool %s failed: %s" % (" ".join(args), error.stderr.decode(errors="replace")))
        except subprocess.TimeoutExpired:
            raise Failure("xdotool %s hung" % " ".join(args))

    def move_pointer(self, x, y):
        """Moves the mouse pointer there and waits until it is. xdotool's wait never ends when the
        pointer is there already: it goes to a corner first."""
        self._xdotool("mousemove", "0", "0")
        self._xdotool("mousemove", "--sync", str(x), str(y))

    def type(self, text, delay_ms=12):
        self._xdotool("type", "--delay", str(delay_ms), "--", text)

    def key(self, *names, delay_ms=12):
        """xdotool key: note that "ctrl+c" releases ctrl before c."""
        self._xdotool("key", "--delay", str(delay_ms), *names)

    def chord(self, modifiers, *names):
        """Holds the modifiers (e.g. "ctrl", "alt") down around the keys, releasing them last."""
        mods = modifiers.split("+")
        self._xdotool("keydown", "--delay", "12", *mods)
        try:
            self.key(*names)
        finally:
            self._xdotool("keyup", "--delay", "12", *reversed(mods))

    # ----- cases and evidence

    def new_file(self, stem, suffix):
        """A fresh path in the scenario's output folder."""
        self._file_count += 1
        return os.path.join(self.out_dir, "%s-%d%s" % (stem, self._file_count, suffix))

    def log(self, message):
        print("[%s] %s" % (self.name, message), flush=True)

    def screenshot(self, label):
        path = os.path.join(self.out_dir, "%s.png" % label)
        try:
            subprocess.run(["import", "-window", "root", "-display", self.env.get("DISPLAY", ""), path],
                           timeout=10, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except (OSError, subprocess.TimeoutExpired):
            return None
        return path

    def grab(self):
        """The whole screen now: (width, height, RGB bytes)."""
        ppm = subprocess.run(["import", "-window", "root", "-display", self.env.get("DISPLAY", ""), "ppm:-"],
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=10).stdout
        # P6, width, height, maxval, one blank, then the pixels.
        fields, at = [], 0
        while len(fields) < 4:
            end = at
            while ppm[end:end + 1] not in (b" ", b"\n", b"\t", b"\r"):
                end += 1
            fields.append(ppm[at:end])
            at = end + 1
        return int(fields[1]), int(fields[2]), ppm[at:]

    def settled_grab(self, timeout=5.0):
        """The screen once it stops changing: a window's controls paint one by one."""
        last = [None]

        def unchanged():
            now = self.grab()
            same, last[0] = now == last[0], now
            return same
        self.wait_until(unchanged, "the screen to settle", timeout)
        return last[0]

    def settled_screenshot(self, label, timeout=5.0):
        self.settled_grab(timeout)
        return self.screenshot(label)

    def case(self, name, fn):
        """Runs one case. A failure is recorded (with a screenshot) and the next case runs.
        Case names given on the command line select which cases run."""
        if self.selected and name not in self.selected:
            return True
        start = time.monotonic()
        try:
            fn()
        except Failure as error:
            shot = self.screenshot(name)
            self.failures.append((name, "%s\n  screenshot: %s" % (error, shot)))
            self.log("FAIL %s: %s" % (name, error))
            return False
        except ScenarioTimeout:
            raise
        except Exception:
            shot = self.screenshot(name)
            self.failures.append((name, traceback.format_exc() + "  screenshot: %s" % shot))
            self.log("ERROR %s" % name)
            return False
        self.passed.append(name)
        self.log("ok %s (%.2f s)" % (name, time.monotonic() - start))
        return True


class OtherPrefix(Session):
    """A second Wine prefix beside the session's, with its own wineserver and control tool on the
    same X display: a second PC whose programs run while the first one's do. Windows, processes
    and files of one prefix are unknown to the other's calls; the keyboard is shared and goes to
    the window with the X focus. It shares the session's clock and results and ends with it.

    The prefix is the session's, hard-linked (Wine replaces its registry files whole, and those are
    copied), so it takes a second instead of a new prefix's half a minute and a gigabyte."""

    def __init__(self, session, name):
        Session.__init__(self, session.name, session.limit)
        self.failures, self.passed = session.failures, session.passed
        self._deadline = session._deadline
        self._label = name
        self.prefix = os.path.join(session.out_dir, name + "-prefix")
        shutil.rmtree(self.prefix, ignore_errors=True)
        source = session.env["WINEPREFIX"]
        subprocess.check_call(["cp", "-al", source, self.prefix])
        for folder, _, files in os.walk(self.prefix):
            for file_name in files:
                if file_name.endswith(".reg"):
                    path = os.path.join(folder, file_name)
                    shutil.copyfile(os.path.join(source, os.path.relpath(path, self.prefix)), path + ".new")
                    os.replace(path + ".new", path)
        self.env = dict(session.env, WINEPREFIX=self.prefix)
        subprocess.call(["wineserver", "-p"], env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                        stderr=subprocess.DEVNULL, start_new_session=True)
        self._ctl = Ctl(self)

    def new_file(self, stem, suffix):
        return Session.new_file(self, "%s-%s" % (self._label, stem), suffix)

    def release_hook(self):
        pass  # the prefix's wineserver ends with it, and its hooks with that

    def close(self):
        self._deadline = time.monotonic() + 10  # room to clean up
        self._stop_all()
        self._ctl.close()
        for flag in ("-k", "-w"):
            try:
                subprocess.call(["wineserver", flag], env=self.env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, timeout=10)
            except subprocess.TimeoutExpired:
                pass
        shutil.rmtree(self.prefix, ignore_errors=True)


class TestTarget:
    """pvtarget.exe: edits 101 single-line, 102 multi-line, 103 password; logs what reaches them."""

    SINGLE, MULTI, PASSWORD = 101, 102, 103

    def __init__(self, session, title, focus_id):
        self.session = session
        self.log_path = session.new_file("target", ".log")
        self.proc = session.start("pvtarget.exe", "--title", title, "--log", self.log_path, "--focus", focus_id,
                                  name="pvtarget")
        self.hwnd = self.proc.track(session.wait_window(cls="PvTestTarget", title=title))
        self.single = session.child(self.hwnd, ctrl_id=self.SINGLE)
        self.multi = session.child(self.hwnd, ctrl_id=self.MULTI)
        self.password = session.child(self.hwnd, ctrl_id=self.PASSWORD)
        self.focus()

    def focus(self, ctrl_id=None, settle=2.0):
        self.session.focus(self.hwnd, settle)
        if ctrl_id is not None:
            expect(self.session.ctl("send", "%x" % self.hwnd, 0x8001, ctrl_id, 0), "1", "focus control %d" % ctrl_id)

    def clear(self):
        for hwnd in (self.single, self.multi, self.password):
            self.session.set_text(hwnd, "")

    def mark(self):
        return len(self._lines())

    def _lines(self):
        try:
            with open(self.log_path, encoding="latin-1") as f:
                return f.read().splitlines()
        except FileNotFoundError:
            return []

    def events(self, since=0, kinds=("down", "up")):
        """[(kind, control id, vk, scan)] for key messages that reached an edit."""
        found = []
        for line in self._lines()[since:]:
            parts = line.split()
            if parts and parts[0] in kinds:
                fields = dict(p.split("=", 1) for p in parts[1:])
                found.append((parts[0], int(fields["id"]), int(fields.get("vk", fields.get("code", 0))),
                              int(fields["scan"])))
        return found

    def last_text(self, ctrl_id):
        """The text of a control as the target itself last logged it (works for the password edit)."""
        text = ""
        for line in self._lines():
            if line.startswith("text id=%d " % ctrl_id):
                text = _unhex(line.split("hex=", 1)[1])
        return text

    def wait_text(self, hwnd, wanted, timeout=5.0):
        self.session.wait_text(hwnd, wanted, timeout)

    def wait_event(self, kind, vk, since=0, timeout=5.0):
        return self.session.wait_until(
            lambda: any(e[0] == kind and e[2] == vk for e in self.events(since)),
            "%s of vk %d in the target" % (kind, vk), timeout)


class Receiver:
    """pvrecv.exe: Zel.dll installed with its window; logs and answers WM_HOOK_KEY by rules."""

    def __init__(self, session, rules, install, name):
        self.session = session
        self.log_path = session.new_file(name, ".log")
        args = ["--log", self.log_path]
        for rule in rules:
            args += ["--rule", rule]
        if not install:
            args.append("--no-install")
        self.proc = session.start("pvrecv.exe", *args, name=name, uses_hook=install)
        line = session.wait_until(lambda: next((l for l in self._lines() if l.startswith("ready ")), None),
                                  "%s to start" % name, 10)
        fields = dict(p.split("=", 1) for p in line.split()[1:])
        self.hwnd = int(fields["hwnd"], 16)
        self.proc.windows.append(self.hwnd)
        self.proc.win_pid = int(fields["pid"])

    def _lines(self):
        try:
            with open(self.log_path, encoding="latin-1") as f:
                return f.read().splitlines()
        except FileNotFoundError:
            return []

    def command(self, text, timeout=5.0):
        """Sends one command (see TestReceiver.cpp); returns its integer result."""
        return int(self.session.ctl("copydata", "%x" % self.hwnd, 0x5056, _hex(text),
                                    int(timeout * 1000), timeout=timeout + 5))

    def mark(self):
        return len(self._lines())

    def keys(self, since=0):
        """[(character, vk, released, answer)] reported since the mark."""
        found = []
        for line in self._lines()[since:]:
            if line.startswith("key "):
                f = dict(p.split("=", 1) for p in line.split()[1:])
                found.append((int(f["ch"]), int(f["vk"]), int(f["up"]), int(f["ans"])))
        return found

    def lines(self, since=0):
        return self._lines()[since:]

    def wait_line(self, prefix, since=0, timeout=5.0):
        return self.session.wait_until(lambda: next((l for l in self.lines(since) if l.startswith(prefix)), None),
                                       "receiver log line %r" % prefix, timeout)

    def wait_keys(self, count, since=0, timeout=5.0):
        return self.session.wait_until(lambda: len(self.keys(since)) >= count and self.keys(since),
                                       "%d key reports" % count, timeout)
