"""Zel.dll loaded into Wine's own notepad: reports, swallowing, shortcuts and our typed text."""

from harness import Session, expect


def press_release(text):
    reports = []
    for ch in text:
        vk = ord(ch.upper())
        reports += [(ord(ch), vk, 0, 1), (ord(ch), vk, 1, 1)]
    return reports


with Session("hook_notepad") as s:
    recv = s.start_receiver()
    notepad, window, edit = s.start_notepad()

    def fresh():
        recv.command("clear")
        s.set_text(edit, "")
        s.focus(window)
        return recv.mark()

    def letters_reported_once():
        r = fresh()
        s.type("note")
        s.wait_text(edit, "note")
        # The release of the last key is reported before notepad sees it; once it is logged,
        # nothing of "note" can still be on its way.
        expect(recv.wait_keys(8, r), press_release("note"), "reports")

    def swallowed_keys():
        r = fresh()
        recv.command("swallow qj")
        s.type("aqjb")
        s.wait_text(edit, "ab")
        expect(recv.wait_keys(8, r), [(97, 65, 0, 1), (97, 65, 1, 1), (113, 81, 0, 0), (113, 81, 1, 0),
                                      (106, 74, 0, 0), (106, 74, 1, 0), (98, 66, 0, 1), (98, 66, 1, 1)], "reports")

    def shortcuts_pass():
        r = fresh()
        recv.command("swallow cv")
        s.type("w")
        s.chord("shift", "Left")
        s.chord("ctrl", "c")
        s.key("End")
        s.chord("ctrl", "v")
        s.wait_text(edit, "ww")
        reported = {k[1] for k in recv.keys(r)}
        expect(reported & {ord("C"), ord("V")}, set(), "Ctrl+C / Ctrl+V reported")

    def typed_text_not_reported():
        r = fresh()
        recv.command("swallow hex:%s" % "Hi Q!1 \r\t".encode().hex())
        recv.command("type %s" % b"Hi Q!1".hex())
        recv.command("key 13")
        recv.command("key 9")
        s.wait_text(edit, "Hi Q!1\r\n\t")
        recv.wait_line("done key", r)
        expect(recv.keys(r), [], "reports of our own typing")

    def pasted_text():
        r = fresh()
        recv.command("paste %s" % b"pasted into notepad".hex())
        s.wait_text(edit, "pasted into notepad")
        expect(s.clipboard(), "pasted into notepad", "clipboard after the paste")
        expect([k for k in recv.keys(r) if k[1] == ord("V")], [], "reports of Ctrl+V")

    s.case("letters_reported_once", letters_reported_once)
    s.case("swallowed_keys", swallowed_keys)
    s.case("shortcuts_pass", shortcuts_pass)
    s.case("typed_text_not_reported", typed_text_not_reported)
    s.case("pasted_text", pasted_text)
