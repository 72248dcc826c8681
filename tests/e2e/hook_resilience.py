"""Typing survives a main window that is gone, hangs, or whose process dies while the hook is set."""

import time

from harness import Session, Failure, expect

# The hook gives up on a main window that has not answered after this long (KeyboardHook.cpp).
ANSWER_LIMIT_S = 0.25

with Session("hook_resilience") as s:
    target = s.start_target()

    def fresh_receiver(*rules):
        recv = s.start_receiver(rules=rules)
        target.clear()
        target.focus(target.SINGLE)
        return recv

    def destroyed_window():
        recv = fresh_receiver("destroy d", "swallow z")
        r = recv.mark()
        s.type("d")
        recv.wait_line("destroyed", r)
        s.wait_until(lambda: s.ctl("exists", "%x" % recv.hwnd) == "0", "the receiver window to go")
        # z would be swallowed by a live window; with the window gone every key must pass.
        s.type("zebra")
        target.wait_text(target.single, "dzebra")
        expect(recv.keys(r), [(100, 68, 0, 1)], "reports (only the press that destroyed the window)")
        s.ctl("alive", recv.proc.win_pid)  # the process, and with it the hook, is still there
        s.ctl("killpid", recv.proc.win_pid)

    def hung_receiver():
        recv = fresh_receiver("block h 15000")
        r, t = recv.mark(), target.mark()
        s.type("h")
        recv.wait_line("key ch=104", r)
        started = time.monotonic()
        s.type("ang on")
        # Each of the 13 key events (h's release, then "ang on") waits at most the limit: about
        # 3 s in all, far less than the 15 s the receiver stays blocked.
        target.wait_text(target.single, "hang on", timeout=10)
        elapsed = time.monotonic() - started
        if any(line == "unblocked" for line in recv.lines(r)):
            raise Failure("keys only passed after the receiver answered again")
        expect([e[2] for e in target.events(t) if e[0] == "down"], list(b"HANG ON"), "keys in the target")
        s.ctl("killpid", recv.proc.win_pid)
        s.log("7 keys passed a hung receiver in %.2f s (limit %.2f s per key event)" % (elapsed, ANSWER_LIMIT_S))

    def killed_receiver():
        recv = fresh_receiver("swallow x")
        r = recv.mark()
        s.type("ab")
        target.wait_text(target.single, "ab")
        recv.wait_keys(4, r)
        s.ctl("kill", "%x" % recv.hwnd)
        s.type("xyz")
        target.wait_text(target.single, "abxyz")

    def receiver_dies_in_handler():
        recv = fresh_receiver("exit e")
        s.type("e")
        s.wait_until(lambda: not _alive(recv), "the receiver to end")
        s.type("ndless")
        target.wait_text(target.single, "endless")

    def hook_left_by_killed_receiver():
        # Wine keeps the hook of a killed process. Once no process maps Zel.dll any more, its
        # shared state is gone and nobody can unhook it; a new receiver must still get each
        # key once, not once per hook in the chain.
        old = s.start_receiver(name="doomed")
        target.clear()
        target.focus(target.SINGLE)
        s.type("a")
        target.wait_text(target.single, "a")
        s.ctl("killpid", old.proc.win_pid)
        s.ctl("close", "%x" % target.hwnd)
        s.wait_until(lambda: s.ctl("exists", "%x" % target.hwnd) == "0", "the target to close")
        s.wait_until(lambda: not _alive_pid(target.proc.win_pid), "the target process to end")
        fresh_target = s.start_target(title="Second Target")
        recv = s.start_receiver()
        fresh_target.focus(fresh_target.SINGLE)
        r, t = recv.mark(), fresh_target.mark()
        s.type("bc")
        fresh_target.wait_text(fresh_target.single, "bc")
        fresh_target.wait_event("up", ord("C"), t)
        expect(recv.keys(r), [(98, 66, 0, 1), (98, 66, 1, 1), (99, 67, 0, 1), (99, 67, 1, 1)], "reports")

    def _alive_pid(pid):
        try:
            s.ctl("alive", pid)
            return True
        except Failure:
            return False

    def _alive(recv):
        try:
            s.ctl("alive", recv.proc.win_pid)
            return True
        except Failure:
            return False

    s.case("destroyed_window", destroyed_window)
    s.case("hung_receiver", hung_receiver)
    s.case("killed_receiver", killed_receiver)
    s.case("receiver_dies_in_handler", receiver_dies_in_handler)
    s.case("hook_left_by_killed_receiver", hook_left_by_killed_receiver)
