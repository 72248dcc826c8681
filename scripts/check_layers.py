#!/usr/bin/env python3
"""Checks that the folders use each other only as ARCHITECTURE.md's folder table allows.

The table's first column names a folder, its last column ("may use") the folders, or single
headers, that the folder's files may include and its CMake targets may link. A file belongs to the
longest folder of the table that holds it; so does an included path, and a target defined there.
Every `#include "..."` and every linked target of the tree (`target_link_libraries`) that crosses
the table
is printed as FILE:LINE and the check exits 1. So is every circle of includes between the units (a
file and its header, X.cpp with X.h) of one of the UNTANGLED folders: a circle there is two
classes that know each other's insides. So is an include of a header that only the files of
PRIVATE_HEADERS may include: the engine thread's host is seen only by its own thread's files (the
window thread reaches it through CEngineThread) and by the tests.

Usage: check_layers.py [SOURCE_DIR]
"""
import os
import re
import sys

SOURCE_EXTENSIONS = (".h", ".hpp", ".c", ".cpp", ".rc")
SKIPPED_DIRS = {".git", "build", ".deps", "node_modules"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
ROW = re.compile(r"^\|\s*(`[^|]+)\|.*\|([^|]*)\|\s*$")
TARGET_DEFINITION = re.compile(r"\badd_(?:library|executable)\(\s*([A-Za-z_][\w.-]*)")
LINK_COMMAND = re.compile(r"\btarget_link_libraries\(([^)]*)\)", re.S)
UNTANGLED = ("base", "config", "dict", "textout")
# Header: the files (or folders, ending in "/") that may include it.
PRIVATE_HEADERS = {
    "app/EngineHost.h": ("app/EngineHost.cpp", "app/EngineThread.cpp", "tests/"),
}


class Layers:
    """The table: which folders exist and what each may use."""

    def __init__(self, architecture_text):
        self.allowed = {}
        for line in architecture_text.splitlines():
            match = ROW.match(line)
            if not match:
                continue
            folders = re.findall(r"`([^`]+)/`", match.group(1))
            uses = self._uses(match.group(2))
            for folder in folders:
                self.allowed[folder] = uses
        if not self.allowed:
            raise ValueError("ARCHITECTURE.md has no folder table with a 'may use' column")

    @staticmethod
    def _uses(cell):
        cell = cell.strip()
        if cell == "any":
            return None
        return {name.strip().strip("`").rstrip("/") for name in cell.split(",") if name.strip() not in ("", "—", "-")}

    def folder_of(self, path):
        """The longest folder of the table that holds the path, or None."""
        best = None
        for folder in self.allowed:
            if path.startswith(folder + "/") and (best is None or len(folder) > len(best)):
                best = folder
        return best

    def permits(self, folder, target_path, target_folder):
        if target_folder is None or target_folder == folder:
            return True
        uses = self.allowed[folder]
        return uses is None or target_folder in uses or target_path in uses


def source_files(root):
    for directory, subdirs, files in os.walk(root):
        subdirs[:] = sorted(d for d in subdirs if d not in SKIPPED_DIRS and not d.startswith("."))
        for name in sorted(files):
            if name.endswith(SOURCE_EXTENSIONS) or name == "CMakeLists.txt":
                yield os.path.relpath(os.path.join(directory, name), root).replace(os.sep, "/")


def check_includes(layers, root, path, folder, text):
    for number, line in enumerate(text.splitlines(), 1):
        match = INCLUDE.match(line)
        if not match:
            continue
        included = match.group(1)
        target = layers.folder_of(included)
        if not layers.permits(folder, included, target):
            yield f"{path}:{number}: includes {included} ({folder}/ may not use {target}/)"
        readers = PRIVATE_HEADERS.get(included)
        if readers and path != included and not any(path == r or (r.endswith("/") and path.startswith(r)) for r in readers):
            yield f"{path}:{number}: includes {included} (only {', '.join(readers)} may)"


def cmake_targets(layers, root, files):
    targets = {}
    for path in files:
        if not path.endswith("CMakeLists.txt"):
            continue
        with open(os.path.join(root, path), encoding="utf-8") as stream:
            for name in TARGET_DEFINITION.findall(stream.read()):
                targets[name] = layers.folder_of(path)
    return targets


def check_links(layers, targets, path, folder, text):
    for match in LINK_COMMAND.finditer(text):
        number = text.count("\n", 0, match.start()) + 1
        arguments = match.group(1).split(None, 1)
        for name in (arguments[1] if len(arguments) > 1 else "").split():
            if name not in targets:
                continue  # system libraries, keywords
            target = targets[name]
            if not layers.permits(folder, name, target):
                yield f"{path}:{number}: links {name} ({folder}/ may not use {target}/)"


def unit_of(path):
    return os.path.splitext(path)[0]


def untangled(path):
    return any(path.startswith(folder + "/") for folder in UNTANGLED)


def include_circles(root, files):
    """Each circle of includes among the units of the untangled folders, as FILE:LINE of the
    include that leaves its first unit (in path order) for the next one on the circle."""
    units = {unit_of(path) for path in files if untangled(path) and path.endswith(SOURCE_EXTENSIONS)}
    arrows = {}  # unit -> {included unit: FILE:LINE}
    for path in sorted(files):
        if unit_of(path) not in units:
            continue
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as stream:
            for number, line in enumerate(stream, 1):
                match = INCLUDE.match(line)
                target = match and unit_of(match.group(1))
                if target in units and target != unit_of(path):
                    arrows.setdefault(unit_of(path), {}).setdefault(target, f"{path}:{number}")
    for circle in strongly_connected(arrows):
        first = min(circle)
        step = min(unit for unit in arrows[first] if unit in circle)
        members = ", ".join(sorted(circle))
        yield f"{arrows[first][step]}: includes {step} in a circle of {members}"


def strongly_connected(arrows):
    """The groups of more than one unit that reach each other (Tarjan's algorithm, iterative)."""
    index, low, stack, on_stack, groups = {}, {}, [], set(), []
    for start in sorted(arrows):
        if start in index:
            continue
        work = [(start, iter(sorted(arrows.get(start, ()))))]
        index[start] = low[start] = len(index)
        stack.append(start)
        on_stack.add(start)
        while work:
            unit, targets = work[-1]
            target = next(targets, None)
            if target is None:
                work.pop()
                if work:
                    low[work[-1][0]] = min(low[work[-1][0]], low[unit])
                if low[unit] == index[unit]:
                    group = set()
                    while True:
                        member = stack.pop()
                        on_stack.discard(member)
                        group.add(member)
                        if member == unit:
                            break
                    if len(group) > 1:
                        groups.append(group)
            elif target not in index:
                index[target] = low[target] = len(index)
                stack.append(target)
                on_stack.add(target)
                work.append((target, iter(sorted(arrows.get(target, ())))))
            elif target in on_stack:
                low[unit] = min(low[unit], index[target])
    return groups


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
    with open(os.path.join(root, "ARCHITECTURE.md"), encoding="utf-8") as stream:
        layers = Layers(stream.read())
    files = list(source_files(root))
    targets = cmake_targets(layers, root, files)
    problems = []
    for path in files:
        folder = layers.folder_of(path)
        if folder is None:
            continue
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as stream:
            text = stream.read()
        if path.endswith("CMakeLists.txt"):
            problems.extend(check_links(layers, targets, path, folder, text))
        else:
            problems.extend(check_includes(layers, root, path, folder, text))
    problems.extend(include_circles(root, files))
    for problem in problems:
        print(problem)
    print(f"layers: {len(files)} files of {len(layers.allowed)} folders checked, {len(problems)} links not allowed")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
