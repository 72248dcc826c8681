"""Pennivox.exe run from a program folder whose name no ANSI code page holds whole ("Łódź" under
Wine's Western one): it starts, loads its dictionaries from that folder's Libs (the prompt's title
becomes "Pennivox") and completes an English word in notepad, with the blank a completed word gets."""

from harness import Session
from program import NotepadCompletion, program_copy, start_program

with Session("app_unicode_folder", limit=90) as s:
    folder = program_copy(s, name="Łódź")
    program, prompt = start_program(s, folder)
    notepad, window, edit = s.start_notepad()
    notepad_f1 = NotepadCompletion(s, prompt, window, edit)

    s.case("completes", lambda: notepad_f1.first_row_after("xylop", "xylophone "))
