"""Zel.dll end to end in a test application: what is reported, what is swallowed, what passes."""

from harness import Session, Failure, expect

MODIFIER_VKS = {0x10, 0x11, 0x12, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0x14}


def press_release(text):
    """Reports that typing `text` (no Shift needed) must produce, each answered 1."""
    reports = []
    for ch in text:
        vk = ord(ch.upper())
        reports += [(ord(ch), vk, 0, 1), (ord(ch), vk, 1, 1)]
    return reports


def without_modifiers(keys):
    return [k for k in keys if k[1] not in MODIFIER_VKS]


with Session("hook_keys") as s:
    target = s.start_target()
    recv = s.start_receiver()
    T = target

    def fresh(ctrl_id=T.SINGLE):
        recv.command("clear")
        target.clear()
        target.focus(ctrl_id)
        return recv.mark(), target.mark()

    def letters_reported_once():
        r, t = fresh()
        s.type("abc")
        target.wait_text(target.single, "abc")
        target.wait_event("up", ord("C"), t)
        expect(recv.keys(r), press_release("abc"), "reports of abc")
        expect([e[:3] for e in target.events(t)],
               [(kind, T.SINGLE, vk) for vk in b"ABC" for kind in ("down", "up")], "key messages in the target")

    def swallowed_key_never_arrives():
        r, t = fresh()
        recv.command("swallow q")
        s.type("aqb")
        target.wait_text(target.single, "ab")
        target.wait_event("up", ord("B"), t)
        expect(recv.keys(r), [(97, 65, 0, 1), (97, 65, 1, 1), (113, 81, 0, 0), (113, 81, 1, 0),
                              (98, 66, 0, 1), (98, 66, 1, 1)], "reports")
        expect([e for e in target.events(t) if e[2] == ord("Q")], [], "q press or release in the target")

    def shortcuts_pass_unreported():
        r, t = fresh()
        recv.command("swallow acfe")  # would be swallowed if they were reported
        s.type("xyz")
        target.wait_text(target.single, "xyz")
        s.chord("shift", "Home")
        s.chord("ctrl", "c", "a")               # copy the selection
        s.key("End")
        s.chord("alt", "f")
        s.chord("ctrl+alt", "e")                # AltGr-like combination
        s.type("q")
        target.wait_text(target.single, "xyzq")
        target.wait_event("up", ord("Q"), t)
        expect(s.clipboard(), "xyz", "clipboard after ctrl+c")
        downs = {e[2] for e in target.events(t) if e[0] == "down"}
        for vk in b"ACFE":
            if vk not in downs:
                raise Failure("vk %d with Ctrl/Alt did not reach the target" % vk)
        reported = {k[1] for k in without_modifiers(recv.keys(r))}
        expect(reported, {ord(c) for c in "XYZQ"} | {0x24, 0x23}, "keys reported besides the modifiers")

    def shift_and_caps_lock():
        r, t = fresh()
        s.chord("shift", "a")
        s.key("b")
        target.wait_text(target.single, "Ab")
        target.wait_event("up", ord("B"), t)
        expect(without_modifiers(recv.keys(r)), [(65, 65, 0, 1), (65, 65, 1, 1), (98, 66, 0, 1), (98, 66, 1, 1)],
               "Shift+a and b")
        r = recv.mark()
        s.key("Caps_Lock", "x", "Caps_Lock")
        target.wait_text(target.single, "AbX")
        expect([k for k in recv.keys(r) if k[1] == ord("X")], [(88, 88, 0, 1), (88, 88, 1, 1)],
               "x with Caps Lock on")

    def control_and_function_keys():
        r, t = fresh(T.MULTI)
        s.type("ab")
        s.key("BackSpace", "Return", "Tab", "Escape", "F5", "Left")
        target.wait_event("up", 0x25, t)
        target.wait_text(target.multi, "a\r\n\t")
        presses = [k[:2] for k in recv.keys(r) if k[2] == 0]
        expect(presses, [(97, 65), (98, 66), (8, 8), (13, 13), (9, 9), (27, 27), (0, 0x74), (0, 0x25)],
               "(character, vk) of the presses")

    def password_edit():
        r, t = fresh(T.PASSWORD)
        s.type("pw1")
        s.wait_until(lambda: target.last_text(T.PASSWORD) == "pw1", "password text in the target")
        target.wait_event("up", ord("1"), t)
        expect(recv.keys(r), press_release("pw1"), "reports from the password edit")

    def install_twice_reports_once():
        expect(recv.command("install"), 1, "first InstallHook")
        expect(recv.command("install"), 1, "second InstallHook")
        r, t = fresh()
        s.type("z")
        target.wait_text(target.single, "z")
        target.wait_event("up", ord("Z"), t)
        expect(recv.keys(r), press_release("z"), "reports after two installs")

    def remove_twice_then_silent():
        recv.command("remove")
        recv.command("remove")
        r, t = fresh()
        s.type("mn")
        target.wait_text(target.single, "mn")
        target.wait_event("up", ord("N"), t)
        expect(recv.keys(r), [], "reports after RemoveHook")
        recv.command("install")
        r = recv.mark()
        s.type("o")
        target.wait_text(target.single, "mno")
        expect(recv.wait_keys(2, r), press_release("o"), "reports after installing again")

    def activate_without_target():
        fresh()
        before = s.foreground()
        expect(before, target.hwnd, "foreground before")
        expect(recv.command("activate"), 0, "ActivateTarget result")
        expect(s.foreground(), before, "foreground after")
        s.type("k")
        target.wait_text(target.single, "k")

    s.case("letters_reported_once", letters_reported_once)
    s.case("swallowed_key_never_arrives", swallowed_key_never_arrives)
    s.case("shortcuts_pass_unreported", shortcuts_pass_unreported)
    s.case("shift_and_caps_lock", shift_and_caps_lock)
    s.case("control_and_function_keys", control_and_function_keys)
    s.case("password_edit", password_edit)
    s.case("install_twice_reports_once", install_twice_reports_once)
    s.case("remove_twice_then_silent", remove_twice_then_silent)
    s.case("activate_without_target", activate_without_target)
