"""Text typed by the program itself (scan code 0xEE) reaches the target exactly and is never reported."""

from harness import Session, expect

SYNTHETIC_SCAN_CODE = 0xEE

with Session("hook_textout") as s:
    target = s.start_target()
    recv = s.start_receiver()

    def fresh(ctrl_id):
        recv.command("clear")
        target.clear()
        target.focus(ctrl_id)
        return recv.mark(), target.mark()

    def keystrokes_arrive_unreported():
        r, t = fresh(target.MULTI)
        # Typed by the user, each of these would be swallowed.
        recv.command("swallow hex:%s" % "Hi Q!1 \r\t".encode().hex())
        recv.command("type %s" % b"Hi Q!1".hex())
        recv.command("key 13")
        recv.command("key 9")
        target.wait_text(target.multi, "Hi Q!1\r\n\t")
        recv.wait_line("done key", r)
        target.wait_event("up", 9, t)
        expect(recv.keys(r), [], "reports of our own typing")
        scans = {e[3] for e in target.events(t)}
        expect(scans, {SYNTHETIC_SCAN_CODE}, "scan codes of the key messages in the target")

    def user_keys_still_judged():
        # Right after our own typing, the user's keys are reported and swallowed as before.
        r, t = fresh(target.SINGLE)
        recv.command("swallow q")
        recv.command("type %s" % b"q".hex())
        target.wait_text(target.single, "q")
        s.type("qa")
        target.wait_text(target.single, "qa")
        expect(recv.wait_keys(4, r), [(113, 81, 0, 0), (113, 81, 1, 0), (97, 65, 0, 1), (97, 65, 1, 1)], "reports")

    def paste_arrives_and_stays_on_clipboard():
        r, t = fresh(target.SINGLE)
        recv.command("swallow v")
        recv.command("paste %s" % b"Paste: 100% sure".hex())
        target.wait_text(target.single, "Paste: 100% sure")
        expect(s.clipboard(), "Paste: 100% sure", "CF_TEXT on the clipboard")
        expect(recv.keys(r), [], "reports of the paste keys")

    s.case("keystrokes_arrive_unreported", keystrokes_arrive_unreported)
    s.case("user_keys_still_judged", user_keys_still_judged)
    s.case("paste_arrives_and_stays_on_clipboard", paste_arrives_and_stays_on_clipboard)
