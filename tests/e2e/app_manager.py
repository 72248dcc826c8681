"""Pennivox.exe's Applications Manager and Edit Boxes list, opened through the controller's commands
and driven with the mouse: an application picked among the running programs is switched off,
"Other Applications" switches off the rest, and an edit box picked with the finder is switched off
on its own while its neighbour keeps working."""

import os
import time

from harness import Session, Failure, expect, _unhex
from program import program_copy, start_program, command, click, window_rect

ID_TRAY_APP_MANAGER, ID_TRAY_EDIT_MANAGER = 32794, 32841
IDOK = 1
BM_GETCHECK, LVM_GETITEMCOUNT = 0x00F0, 0x1004
LVIS_FOCUSED_SELECTED = 3
APPS_LIST, ENABLE_OTHERS, DISABLE_OTHERS = 1000, 1031, 1032
RULE_ADD, RULE_DELETE = 1081, 1022
OPTION_PATH, OPTION_RUNNING, RULE_CAPTION, RULE_DISABLE = 1017, 1110, 1101, 1028
RUNNING_LIST = 1000
EDIT_BOX_LIST, FINDER_PICTURE, FINDER_EDIT_ID = 1044, 1099, 1108

with Session("app_manager", limit=240) as s:
    folder = program_copy(s)
    program, prompt = start_program(s, folder)
    controller = s.wait_window(cls="PennivoxController")
    target = s.start_target()
    _, notepad, notepad_edit = s.start_notepad()
    app_config = os.path.join(folder, "AppConfig.ini")

    def prompts_in(focus, edit, typed="xylop"):
        """Types a word's beginning into an edit; True when the prompt comes up for it."""
        focus()
        if window_rect(s, prompt)[0]:
            s.key("Escape")
            s.wait_until(lambda: not window_rect(s, prompt)[0], "the prompt hides")
        s.set_text(edit, "")
        s.type(typed)
        s.wait_text(edit, typed)
        try:
            s.wait_until(lambda: window_rect(s, prompt)[0], "the prompt", timeout=2.5)
            shown = True
        except Failure:
            shown = False
        if shown:
            s.key("Escape")
            s.wait_until(lambda: not window_rect(s, prompt)[0], "the prompt hides")
        s.set_text(edit, "")
        return shown

    def in_target(ctrl_id):
        return lambda: target.focus(ctrl_id)

    def in_notepad():
        s.focus(notepad)

    def checked(dialog, ctrl_id):
        return int(s.ctl("send", "%x" % s.child(dialog, ctrl_id=ctrl_id), BM_GETCHECK, 0, 0)) == 1

    def rows(list_hwnd, column=0):
        count = int(s.ctl("send", "%x" % list_hwnd, LVM_GETITEMCOUNT, 0, 0))
        return [_unhex(s.ctl("lvtext", "%x" % list_hwnd, row, column)) for row in range(count)]

    def select_row(list_hwnd, row):
        s.ctl("lvsetstate", "%x" % list_hwnd, row, LVIS_FOCUSED_SELECTED, LVIS_FOCUSED_SELECTED)

    def click_item(dialog, ctrl_id):
        click(s, s.child(dialog, ctrl_id=ctrl_id))

    def closes(window, what):
        s.wait_until(lambda: s.ctl("exists", "%x" % window) == "0", what + " closes")

    def open_dialog(command_id, title):
        command(s, controller, command_id)
        dialog = s.wait_window(cls="#32770", title=title)
        s.focus(dialog)
        return dialog

    def baseline():
        expect(prompts_in(in_target(target.SINGLE), target.single), True, "prompt in the target")
        expect(prompts_in(in_notepad, notepad_edit), True, "prompt in notepad")
    s.case("prompts_everywhere_without_rules", baseline)

    def disable_target_from_running_apps():
        manager = open_dialog(ID_TRAY_APP_MANAGER, "Applications Manager")
        click_item(manager, RULE_ADD)
        option = s.wait_window(cls="#32770", title="Application")
        expect(checked(option, RULE_DISABLE), True, "a new rule starts with Disable")
        click_item(option, OPTION_RUNNING)
        running = s.wait_window(cls="#32770", title="Running Applications")
        listed = s.child(running, ctrl_id=RUNNING_LIST)
        names = s.wait_until(lambda: "pvtarget.exe" in rows(listed) and rows(listed), "pvtarget.exe listed")
        expect(names, sorted(names), "running programs sorted by name")
        select_row(listed, names.index("pvtarget.exe"))
        s.screenshot("running-applications")
        click_item(running, IDOK)
        closes(running, "Running Applications")
        path = s.wait_until(lambda: s.text(s.child(option, ctrl_id=OPTION_PATH)), "the chosen path")
        expect(path.lower().endswith("pvtarget.exe"), True, "path from the running programs: " + path)
        expect(s.text(s.child(option, ctrl_id=RULE_CAPTION)) in ("pvtarget", "pvtarget.exe"), True,
               "caption from the file title")
        s.screenshot("application-option")
        click_item(option, IDOK)
        closes(option, "Application")
        apps = s.child(manager, ctrl_id=APPS_LIST)
        s.wait_until(lambda: rows(apps, 1) == ["Off"], "the rule listed as off")
        expect(rows(apps, 2), [path], "the rule's full path")
        s.screenshot("applications-manager")
        click_item(manager, IDOK)
        closes(manager, "Applications Manager")
        with open(app_config, encoding="latin-1") as f:
            expect("WORK_ON_PV=0" in f.read(), True, "the rule saved")
        expect(prompts_in(in_target(target.SINGLE), target.single), False, "prompt in the switched-off target")
        expect(prompts_in(in_notepad, notepad_edit), True, "prompt in notepad")
    s.case("an_application_picked_among_running_ones_is_switched_off", disable_target_from_running_apps)

    def other_applications():
        manager = open_dialog(ID_TRAY_APP_MANAGER, "Applications Manager")
        expect(checked(manager, ENABLE_OTHERS), True, "Other Applications start at Enable")
        click_item(manager, DISABLE_OTHERS)
        s.wait_until(lambda: checked(manager, DISABLE_OTHERS), "Disable chosen")
        click_item(manager, IDOK)
        closes(manager, "Applications Manager")
        expect(prompts_in(in_notepad, notepad_edit), False, "prompt in notepad with others disabled")

        # Back: the rule deleted, the others enabled.
        manager = open_dialog(ID_TRAY_APP_MANAGER, "Applications Manager")
        expect(checked(manager, DISABLE_OTHERS), True, "Disable kept")
        select_row(s.child(manager, ctrl_id=APPS_LIST), 0)
        click_item(manager, RULE_DELETE)
        s.wait_until(lambda: rows(s.child(manager, ctrl_id=APPS_LIST)) == [], "the rule deleted")
        click_item(manager, ENABLE_OTHERS)
        s.wait_until(lambda: checked(manager, ENABLE_OTHERS), "Enable chosen")
        click_item(manager, IDOK)
        closes(manager, "Applications Manager")
        expect(prompts_in(in_notepad, notepad_edit), True, "prompt in notepad again")
        expect(prompts_in(in_target(target.SINGLE), target.single), True, "prompt in the target again")
    s.case("other_applications_follow_their_choice", other_applications)

    def finder_drag():
        edit_list = open_dialog(ID_TRAY_EDIT_MANAGER, "Edit Boxes")
        click_item(edit_list, RULE_ADD)
        finder = s.wait_window(cls="#32770", title="Edit Box")
        s.wait_until(lambda: not window_rect(s, edit_list)[0], "the list hides while the finder runs")
        _, own = window_rect(s, finder)
        _, edit = window_rect(s, target.single)
        if own[0] < edit[2] and edit[0] < own[2] and own[1] < edit[3] and edit[1] < own[3]:
            s._xdotool("windowmove", s.ctl("xid", "%x" % finder), "0", "0")
            s.wait_until(lambda: window_rect(s, finder)[1][:2] == (0, 0), "the finder moved aside")
        _, picture = window_rect(s, s.child(finder, ctrl_id=FINDER_PICTURE))
        s.move_pointer((picture[0] + picture[2]) // 2, (picture[1] + picture[3]) // 2)
        s._xdotool("mousedown", "1")
        try:
            x, y = (edit[0] + edit[2]) // 2, (edit[1] + edit[3]) // 2
            for step in range(1, 6):
                px = picture[0] + (x - picture[0]) * step // 5
                py = picture[1] + (y - picture[1]) * step // 5
                s._xdotool("mousemove", "--sync", str(px), str(py))  # a drag: straight on
                time.sleep(0.05)
            id_box = s.child(finder, ctrl_id=FINDER_EDIT_ID)
            s.wait_text(id_box, "Edit#%d" % target.SINGLE)
            left, top, right, bottom = edit
            wanted = sorted(["%d,%d,%d,%d" % r for r in (
                (left - 6, top - 2, left - 2, bottom + 2), (left - 6, top - 6, right + 6, top - 2),
                (right + 2, top - 2, right + 6, bottom + 2), (left - 6, bottom + 2, right + 6, bottom + 6))])
            shown = s.wait_until(lambda: sorted(s.ctl("visiblerects", "RectWndClass").split()) == wanted and wanted,
                                 "the frame around the edit")
            s.log("frame edges %s around the edit %s" % (shown, edit))
            s.screenshot("finder-drag")
        finally:
            s._xdotool("mouseup", "1")
        s.wait_until(lambda: s.ctl("visiblerects", "RectWndClass") == "", "the frame hides on release")
        expect(s.text(s.child(finder, ctrl_id=RULE_CAPTION)), "Edit1", "the default caption")
        click_item(finder, RULE_DISABLE)
        s.wait_until(lambda: checked(finder, RULE_DISABLE), "Disable chosen")
        s.screenshot("edit-box-finder")
        click_item(finder, IDOK)
        closes(finder, "Edit Box")
        s.wait_until(lambda: window_rect(s, edit_list)[0], "the list shows again")
        boxes = s.child(edit_list, ctrl_id=EDIT_BOX_LIST)
        s.wait_until(lambda: rows(boxes, 1) == ["Edit#%d" % target.SINGLE], "the edit box listed")
        expect(rows(boxes, 2), ["Off"], "its status")
        s.screenshot("edit-box-list")
        click_item(edit_list, IDOK)
        closes(edit_list, "Edit Boxes")
        expect(prompts_in(in_target(target.SINGLE), target.single), False, "prompt in the switched-off edit")
        expect(prompts_in(in_target(target.MULTI), target.multi), True, "prompt in the multi-line edit")
    s.case("an_edit_box_picked_with_the_finder_is_switched_off", finder_drag)
