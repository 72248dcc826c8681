"""Learn from documents on the AutoLearn page: a folder with a .txt, a .docx and an .eml made here,
picked in the open dialog and read with the progress window. Cancel part-way leaves the learnt
words as they were; a full read offers a name found only in those documents ("Xanthoporix") after
"Xan" in notepad, and the learnt word can be deleted on the page like any."""

import os
import shutil
import time
import zipfile

from harness import Session, expect
from program import (NotepadCompletion, program_copy, start_program, command, press, shown_box, answer_box,
                     windows_path, learnt_list, learnt_words)

ID_TRAY_AUTOLEARN_DICTIONARY = 32840
IDOK, IDCANCEL = 1, 2
AUTOLEARN_DELETE_SELECTED, AUTOLEARN_TEACH = 1033, 1108
NAME = "Xanthoporix"
FILLER = "The committee met on Tuesday and agreed that the harbour works would go on through the winter.\n"

DOCX_CONTENT_TYPES = ('<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/'
                      'package/2006/content-types"><Override PartName="/word/document.xml" ContentType="application/'
                      'vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/></Types>')
DOCX_BODY = ('<?xml version="1.0" encoding="UTF-8"?><w:document xmlns:w="http://schemas.openxmlformats.org/'
             'wordprocessingml/2006/main"><w:body>%s</w:body></w:document>')
MAIL = ("From: Ann Example <ann@example.org>\r\nTo: Bo Example <bo@example.org>\r\nSubject: The plans\r\n"
        "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n"
        "Dear Bo,\r\n\r\nthe %s survey starts on Monday; %s and the harbour team will meet you there.\r\n\r\n"
        "Ann\r\n" % (NAME, NAME))


def make_documents(folder):
    """The three documents."""
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "notes.txt"), "w", encoding="utf-8", newline="\n") as f:
        f.write("Notes on the %s project.\n" % NAME)
        for _ in range(20000):
            f.write(FILLER)
        f.write("The %s report is due in March.\n" % NAME)
    paragraphs = "".join("<w:p><w:r><w:t>%s</w:t></w:r></w:p>" % text for text in (
        "Report on the %s survey" % NAME, "The %s survey covered the harbour and the old mill." % NAME))
    with zipfile.ZipFile(os.path.join(folder, "report.docx"), "w", zipfile.ZIP_DEFLATED) as docx:
        docx.writestr("[Content_Types].xml", DOCX_CONTENT_TYPES)
        docx.writestr("word/document.xml", DOCX_BODY % paragraphs)
    with open(os.path.join(folder, "letter.eml"), "w", encoding="utf-8", newline="") as f:
        f.write(MAIL)


def make_long_documents(folder, count=6):
    """Text files that take seconds to read (each up to the bound of text taken from a document)."""
    os.makedirs(folder, exist_ok=True)
    first = os.path.join(folder, "long1.txt")
    with open(first, "w", encoding="utf-8", newline="\n") as f:
        f.write("%s\n" % NAME * 3)
        f.write(FILLER * 360000)  # about 34 MB
    for i in range(2, count + 1):
        shutil.copy(first, os.path.join(folder, "long%d.txt" % i))
    return ['"long%d.txt"' % i for i in range(1, count + 1)]


with Session("autolearn_teach", limit=400) as s:
    folder = program_copy(s)
    program, prompt = start_program(s, folder)
    controller = s.wait_window(cls="PennivoxController")
    notepad, window, edit = s.start_notepad()
    notepad_f1 = NotepadCompletion(s, prompt, window, edit)
    documents = os.path.join(s.out_dir, "documents")
    make_documents(documents)
    long_documents = os.path.join(s.out_dir, "long-documents")
    long_names = make_long_documents(long_documents)
    libs = os.path.join(folder, "Libs")

    def open_page():
        command(s, controller, ID_TRAY_AUTOLEARN_DICTIONARY)
        dialog = s.wait_window(cls="#32770", title="Options")
        s.focus(dialog)
        return dialog

    def close(dialog, button):
        press(s, dialog, button)
        s.wait_until(lambda: s.ctl("exists", "%x" % dialog) == "0", "the Options dialog closes")

    def start_learning(dialog, where, names):
        """Picks the documents in the open dialog; returns the progress window."""
        press(s, dialog, AUTOLEARN_TEACH)
        picker = shown_box(s, dialog)
        s.focus(picker)
        s.type(windows_path(where) + "\\")
        s.key("Return")
        time.sleep(1)  # the dialog shows the folder
        s.type(" ".join(names))
        s.key("Return")
        # The open dialog has the progress window's title too.
        s.wait_until(lambda: s.ctl("exists", "%x" % picker) == "0", "the open dialog closes")
        return s.wait_window(cls="#32770", title="Learn from documents", timeout=15)

    def stores():
        found = {}
        for name in ("AutoLearn.dic", "AutoLearn.use"):
            path = os.path.join(libs, name)
            found[name] = open(path, "rb").read() if os.path.exists(path) else None
        return found

    def cancel_keeps_the_stores():
        before = stores()
        dialog = open_page()
        progress = start_learning(dialog, long_documents, long_names)
        time.sleep(1)  # the bar moves
        s.screenshot("progress-window")
        press(s, progress, IDCANCEL)
        s.wait_until(lambda: s.ctl("exists", "%x" % progress) == "0", "the progress window closes", timeout=30)
        expect(NAME in learnt_words(s, dialog), False, "nothing learnt after Cancel")
        expect(s.popup(dialog), 0, "no message after Cancel")
        close(dialog, IDCANCEL)
        time.sleep(1)
        expect(stores() == before, True, "AutoLearn.dic and AutoLearn.use as they were")
        shutil.rmtree(long_documents, ignore_errors=True)  # some 200 MB
    s.case("cancel_keeps_the_stores", cancel_keeps_the_stores)

    def learn_from_documents():
        dialog = open_page()
        start_learning(dialog, documents, ['"notes.txt"', '"report.docx"', '"letter.eml"'])
        summary = answer_box(s, dialog, timeout=120)
        expect(summary.startswith("3 documents were read;"), True, "the summary: %r" % summary)
        words = learnt_words(s, dialog)
        expect(NAME in words, True, "the name listed: %r" % words[:20])
        time.sleep(1)  # the list paints
        s.screenshot("page-after-learning")
        close(dialog, IDCANCEL)  # saved already: nothing to ask about
        s.wait_until(lambda: NAME.encode("utf-16-le") in open(os.path.join(libs, "AutoLearn.dic"), "rb").read()
                     or NAME.encode() in open(os.path.join(libs, "AutoLearn.dic"), "rb").read(),
                     "AutoLearn.dic holds the name")
        notepad_f1.first_row_after("Xan", NAME + " ")
    s.case("learnt_name_offered_after_Xan", learn_from_documents)

    def delete_learnt_name():
        dialog = open_page()
        words = learnt_words(s, dialog)
        s.ctl("lvsetstate", "%x" % learnt_list(s, dialog), words.index(NAME), 3, 3)
        press(s, dialog, AUTOLEARN_DELETE_SELECTED)
        expect(answer_box(s, dialog), 'Delete the word "%s"?' % NAME, "the question")
        expect(NAME in learnt_words(s, dialog), False, "deleted from the list")
        s.screenshot("page-after-delete")
        close(dialog, IDOK)
        s.wait_until(lambda: NAME.encode() not in open(os.path.join(libs, "AutoLearn.dic"), "rb").read(),
                     "AutoLearn.dic without the name")
    s.case("learnt_name_deleted_on_the_page", delete_learnt_name)
