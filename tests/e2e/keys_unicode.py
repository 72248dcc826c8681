"""Keys and text beyond the code page, under a Western one (1252): a letter of the keyboard layout
that the code page lacks reaches the key gate's report whole (the in-process tests of the hook
and the gate, run here with such letters on the keyboard, in both bitnesses), a receiver that
knows only WM_HOOK_KEY gets its usual report and ignores the text beside it, and UTF-8 text
typed or pasted by the program arrives in Wine's notepad exactly.

The letters go on the digit row of the virtual display's keymap (keymap.hold_letters) before any
Wine program starts: Wine's layout then types "п" with the "1" key and "ż" with the "2" key.
"""

import os
import subprocess

from harness import Failure, Session, _binary_dir, expect
from keymap import hold_letters

LETTERS = "пż"  # Cyrillic pe and z with dot above: in no Western code page
ARROWS = "→ ✓ 😀"
VK_PACKET = 0xE7


def gtest(s, exe, test_filter, bits=64):
    """Runs in-process tests under the mapped keyboard; none may fail or be skipped."""
    loader = "/usr/lib/wine/wine64" if bits == 64 else "/usr/lib/wine/wine"
    # To a file: a wineserver the run may start would hold a pipe open.
    path = s.new_file(os.path.basename(exe), ".out")
    with open(path, "wb") as output:
        done = subprocess.run([loader, exe, "--gtest_filter=" + test_filter, "--gtest_color=no"], env=s.env,
                              stdin=subprocess.DEVNULL, stdout=output, stderr=subprocess.STDOUT,
                              timeout=s.remaining(20))
    with open(path, "rb") as output:
        out = output.read().decode("utf-8", errors="replace")
    if done.returncode != 0 or "[  SKIPPED ]" in out or "[  PASSED  ]" not in out:
        s.log(out)
        raise Failure("%s %s: exit %d, skipped or failed (see the log)" % (os.path.basename(exe), test_filter,
                                                                           done.returncode))


with Session("keys_unicode") as s:
    hold_letters(s, LETTERS)
    build = _binary_dir()

    def gate_reports_layout_letter_as_utf8():
        gtest(s, os.path.join(build, "tests", "app", "win", "app_key_gate_test.exe"),
              "KeyGateWithTheHook.ALetterBeyondTheCodePage*")

    def hook_sends_text_beside_report():
        gtest(s, os.path.join(build, "tests", "hook", "hook_test.exe"), "HookFixture.TextBeyondTheCodePage*")

    def hook32_sends_text_beside_report():
        exe = os.path.join(build, "hook32", "tests", "hook", "hook_test.exe")
        if not os.path.exists(exe) or not os.path.exists("/usr/lib/wine/wine"):
            s.log("no 32-bit hook build or loader: skipped")
            return
        gtest(s, exe, "HookFixture.TextBeyondTheCodePage*", bits=32)

    # The in-process tests put in hooks of their own: they run before the receiver's goes in.
    s.case("gate_reports_layout_letter_as_utf8", gate_reports_layout_letter_as_utf8)
    s.case("hook_sends_text_beside_report", hook_sends_text_beside_report)
    s.case("hook32_sends_text_beside_report", hook32_sends_text_beside_report)

    recv = s.start_receiver()
    notepad, window, edit = s.start_notepad()

    def fresh():
        recv.command("clear")
        s.set_text(edit, "")
        s.focus(window)
        return recv.mark()

    def ansi_receiver_gets_its_report_and_the_letter_passes():
        r = fresh()
        s.type("п")
        s.wait_text(edit, "п")
        # The code page lacks it: character 0, never a look-alike (Wine gives the key VK_OEM_8).
        reports = recv.wait_keys(2, r)
        expect([(k[0], k[2], k[3]) for k in reports], [(0, 0, 1), (0, 1, 1)], "reports (character, release, answer)")

    def typed_text_arrives_whole():
        r = fresh()
        text = ARROWS + " żółw café"
        recv.command("swallow hex:%s" % "żcaf".encode("utf-8").hex())  # would swallow the user's own
        recv.command("type %s" % text.encode("utf-8").hex())
        s.wait_text(edit, text)
        recv.wait_line("done type", r)
        # Keys carry the synthetic scan code; Unicode input its mark, which the hook cannot see
        # under Wine: it is reported as VK_PACKET, and the program's key gate lets it pass unseen.
        expect([k for k in recv.keys(r) if k[1] != VK_PACKET], [], "reports of our own keys")

    def pasted_text_arrives_whole():
        r = fresh()
        recv.command("paste %s" % ARROWS.encode("utf-8").hex())
        s.wait_text(edit, ARROWS)
        expect(s.clipboard(), ARROWS, "CF_UNICODETEXT on the clipboard")
        expect([k for k in recv.keys(r) if k[1] == ord("V")], [], "reports of Ctrl+V")

    s.case("ansi_receiver_gets_its_report_and_the_letter_passes", ansi_receiver_gets_its_report_and_the_letter_passes)
    s.case("typed_text_arrives_whole", typed_text_arrives_whole)
    s.case("pasted_text_arrives_whole", pasted_text_arrives_whole)
