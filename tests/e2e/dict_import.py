"""Shorthands from other expanders through the dictionary editor's Import and its preview (the
skipped items listed with their reasons), then typed from the prompt: an espanso file of twenty
matches of many kinds, an AutoHotkey script and a CSV as a spreadsheet writes it."""

import datetime
import time

from harness import Session, expect
from program import (program_copy, start_program, command, press, shown_box, answer_box, windows_path, fresh_edit,
                     window_rect)

ID_TRAY_USER_SHORTHANDS = 32839
EDITOR_TITLE = "User Shorthands"
IMPORT, IDOK = 1013, 1
PREVIEW_SUMMARY, PREVIEW_SKIPPED = 1101, 1102
LVM_GETITEMCOUNT = 0x1004

ESPANSO = """# twenty matches of the kinds espanso's documentation shows
defaults: &word
  word: true
matches:
  - trigger: "btw"
    replace: "by the way"
    <<: *word
  - trigger: "divisi"
    replace: "<div>$|$</div>"
  - trigger: "datab"
    replace: "{{today}}"
    vars:
      - name: today
        type: date
        params:
          format: "%Y-%m-%d"
  - triggers: ["qhi", "qhey"]
    replace: Hello there
  - trigger: "qsig"
    replace: |
      Best regards,
      Jon
  - trigger: "qquote"
    replace: 'He said "ok"'
  - trigger: "quni"
    replace: "ünïcödé ✓"
  - trigger: "qcase"
    replace: "propagated"
    propagate_case: true
  - trigger: "qaddr"
    replace: &addr "1 Main Street"
  - trigger: "qhome"
    replace: *addr
  - trigger: "qfold"
    replace: >
      folded
      text
  - trigger: "qtime"
    replace: "{{now}}"
    vars:
      - name: now
        type: date
        params:
          format: "%H:%M"
  - trigger: "qip"
    replace: "{{ip}}"
    vars:
      - name: ip
        type: shell
        params:
          cmd: "curl https://example.org"
  - trigger: "qform"
    form: "Hi [[name]]"
  - trigger: "qclip"
    replace: "{{c}}"
    vars:
      - name: c
        type: clipboard
  - trigger: "qimg"
    image_path: "C:/cat.png"
  - regex: "q(?P<n>\\\\d+)x"
    replace: "{{n}} times"
  - trigger: "qhtml"
    html: "<b>bold</b>"
  - trigger: "qpy"
    replace: "{{out}}"
    vars:
      - name: out
        type: script
        params:
          args: [python, script.py]
"""

AHK = """; hotstrings
::absolu::by the way, from a script
:*:adver::<div></div>{Left 6}
::assig::
(
Kind regards,
Ann
)
:X:arun::MsgBox hi
::aalt::^c
"""

CSV = ('\ufeffAbbreviation;Text\r\ncabba;by the way, said the sheet\r\n'
       'quotat;"She said ""hi""\nand left"\r\nlonely\r\n')


# The program offers a shorthand only where a word begins with its key too: the keys below are such.
with Session("dict_import", limit=300) as s:
    folder = program_copy(s, classic=True)
    program, prompt = start_program(s, folder)
    controller = s.wait_window(cls="PennivoxController")
    target = s.start_target()
    editor = [None]

    def import_file(name, suffix, text, wanted_summary, wanted_skipped, wanted_count):
        command(s, controller, ID_TRAY_USER_SHORTHANDS)
        editor[0] = s.wait_window(cls="#32770", title=EDITOR_TITLE)
        s.focus(editor[0])
        path = s.new_file(name, suffix)
        with open(path, "w", encoding="utf-8", newline="") as f:
            f.write(text)
        press(s, editor[0], IMPORT)
        dialog = shown_box(s, editor[0])
        s.focus(dialog)
        s.type(windows_path(path))
        s.key("Return")
        preview = s.wait_window(cls="#32770", title="Import Shorthands")
        summary = s.text(s.child(preview, ctrl_id=PREVIEW_SUMMARY))
        expect(summary.startswith(wanted_summary), True, "the preview's summary: %r" % summary)
        skipped = s.child(preview, ctrl_id=PREVIEW_SKIPPED)
        expect(int(s.ctl("send", "%x" % skipped, LVM_GETITEMCOUNT, 0, 0)), wanted_skipped, "skipped rows")
        time.sleep(1)  # the lists and buttons paint
        s.screenshot("preview-" + name)
        press(s, preview, IDOK)
        expect(answer_box(s, editor[0], timeout=30), "%d shorthands have been imported." % wanted_count, "import")
        press(s, editor[0], IDOK)
        s.wait_until(lambda: s.ctl("exists", "%x" % editor[0]) == "0", "the editor closes")
        time.sleep(2)  # the engine reloads the dictionaries after OK

    def typed(abbreviation, wanted, then=None, after=None, ctrl_id=101):
        edit = fresh_edit(s, target, prompt, ctrl_id)  # 102: the target's edit of many lines
        s.type(abbreviation)
        s.wait_text(edit, abbreviation)
        s.wait_until(lambda: window_rect(s, prompt)[0], "the prompt for " + abbreviation, 10)
        s.key("Tab")
        s.wait_text(edit, wanted, timeout=10)
        if then:
            s.type(then)
            s.wait_text(edit, after)

    def espanso():
        import_file("espanso", ".yml", ESPANSO, "espanso file (UTF-8): 13 of its 13 shorthands", 7, 13)
        typed("btw", "by the way")
        typed("divisi", "<div></div>", "Ann", "<div>Ann</div>")
        typed("datab", datetime.date.today().strftime("%Y-%m-%d"))

    def autohotkey():
        import_file("hotstrings", ".ahk", AHK, "AutoHotkey file (UTF-8): 3 of its 3 shorthands", 2, 3)
        typed("absolu", "by the way, from a script")
        typed("adver", "<div></div>", "Bo", "<div>Bo</div>")
        typed("assig", "Kind regards,\r\nAnn", ctrl_id=102)

    def spreadsheet():
        import_file("sheet", ".csv", CSV, "CSV file (UTF-8): 2 of its 2 shorthands", 1, 2)
        typed("cabba", "by the way, said the sheet")
        typed("quotat", 'She said "hi"\r\nand left', ctrl_id=102)

    s.case("espanso", espanso)
    s.case("autohotkey", autohotkey)
    s.case("spreadsheet", spreadsheet)
