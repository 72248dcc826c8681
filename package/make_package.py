#!/usr/bin/env python3
"""Makes the installer (makensis) or the portable zip from the program folder.

  make_package.py installer --program DIR --version V --script Pennivox.nsi --icon ICO --out SETUP.exe
  make_package.py zip --program DIR --version V --readme README.txt --out PORTABLE.zip
  --file NAME          an optional file of the program folder to ship (the 32-bit hook, the help)
  --replace NAME=PATH  ship PATH in place of the program folder's NAME (the update test's build)

Only the program's own files are taken, never what a run left in the folder (Config.ini,
AutoLearn.dic, dictionaries the user made there).
"""

import argparse
import os
import subprocess
import sys
import zipfile

PROGRAM_FILES = ["Pennivox.exe", "Zel.dll"]
# The licences of what the bundled dictionaries are made from (written with them by the build).
NOTICES = ["DictionaryLicences.txt"]
# Shipped empty or with examples, then the user's: an update never replaces them.
USER_DICTIONARIES = ["UserDictionary.lib", "UserShortHands.lib"]
# Bundled dictionaries the build makes; one an update finds changed since it was installed is kept.
# The other languages' are installed too; only the user's own language has its dictionary on.
BUNDLED_DICTIONARIES = ["English.lib", "Phrases.lib"] + [
    language + ".lib"
    for language in ("German", "French", "Spanish", "Italian", "Portuguese", "Dutch", "Polish", "Swedish", "Russian")
]


def fail(message):
    sys.exit("make_package: " + message)


class Contents:
    """The files to ship: name in the program folder (Libs/ for dictionaries) -> path here."""

    def __init__(self, args):
        replaced = {}
        for item in args.replace:
            name, sep, path = item.partition("=")
            if not sep:
                fail("--replace wants NAME=PATH, not %r" % item)
            replaced[name] = path
        self.sources = {}

        def take(name, required):
            path = replaced.get(name, os.path.join(args.program, *name.split("/")))
            if os.path.isfile(path):
                self.sources[name] = path
            elif required:
                fail("%s is missing: build the program first" % path)

        for name in PROGRAM_FILES + args.file:
            take(name, True)
        for name in NOTICES:
            take(name, False)
        for name in BUNDLED_DICTIONARIES + USER_DICTIONARIES:
            take("Libs/" + name, False)
        if not any(name.startswith("Libs/") for name in self.sources):
            fail("no dictionary in %s/Libs" % args.program)

    def program_files(self):
        return [n for n in self.sources if "/" not in n]

    def dictionaries(self, names):
        return [n[5:] for n in self.sources if n.startswith("Libs/") and n[5:] in names]

    def size_kb(self):
        return (sum(os.path.getsize(p) for p in self.sources.values()) + 1023) // 1024


def nsis_string(text):
    return '"%s"' % text.replace("$", "$$").replace('"', '$\\"')


def write_file_list(contents, path):
    """The script's include: what to put in place and to remove, by name."""
    lines = ["; Made by make_package.py: the files of this package.",
             "!define PV_SIZE_KB %d" % contents.size_kb()]

    def macro(name, inner, names, source_of=None):
        lines.append("!macro %s" % name)
        for item in names:
            args = [nsis_string(item)]
            if source_of:
                args.append(nsis_string(os.path.abspath(source_of(item))))
            lines.append("  !insertmacro %s %s" % (inner, " ".join(args)))
        lines.append("!macroend")

    programs = contents.program_files()
    bundled = contents.dictionaries(BUNDLED_DICTIONARIES)
    user = contents.dictionaries(USER_DICTIONARIES)
    macro("PV_INSTALL_PROGRAM_FILES", "PV_PUT_PROGRAM_FILE", programs, lambda n: contents.sources[n])
    macro("PV_REMOVE_PROGRAM_FILES", "PV_REMOVE_PROGRAM_FILE", programs)
    macro("PV_INSTALL_BUNDLED", "PV_PUT_BUNDLED", bundled, lambda n: contents.sources["Libs/" + n])
    macro("PV_REMOVE_BUNDLED", "PV_REMOVE_UNCHANGED_BUNDLED", bundled)
    macro("PV_INSTALL_USER_FILES", "PV_PUT_USER_FILE", user, lambda n: contents.sources["Libs/" + n])
    with open(path, "w", encoding="utf-8") as out:
        out.write("\n".join(lines) + "\n")


def make_installer(args, contents):
    os.makedirs(args.work, exist_ok=True)
    listing = os.path.join(args.work, "files.nsh")
    write_file_list(contents, listing)
    temporary = args.out + ".part"
    command = [args.makensis, "-V2", "-NOCD", "-DPV_VERSION=" + args.version, "-DPV_FILES=" + listing,
               "-DPV_ICON=" + os.path.abspath(args.icon), "-DPV_OUT=" + temporary, args.script]
    if subprocess.call(command) != 0:
        fail("makensis failed")
    os.replace(temporary, args.out)


def make_zip(args, contents):
    temporary = args.out + ".part"
    top = "Pennivox-%s" % args.version
    with zipfile.ZipFile(temporary, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for name in sorted(contents.sources):
            archive.write(contents.sources[name], top + "/" + name)
        with open(args.readme, encoding="utf-8") as readme:
            text = readme.read().replace("@VERSION@", args.version)
        archive.writestr(top + "/README.txt", text.replace("\r\n", "\n").replace("\n", "\r\n"))
    os.replace(temporary, args.out)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("kind", choices=["installer", "zip"])
    parser.add_argument("--program", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--file", action="append", default=[])
    parser.add_argument("--replace", action="append", default=[])
    parser.add_argument("--out", required=True)
    parser.add_argument("--script")
    parser.add_argument("--icon")
    parser.add_argument("--makensis", default="makensis")
    parser.add_argument("--work")
    parser.add_argument("--readme")
    args = parser.parse_args()
    contents = Contents(args)
    if args.kind == "installer":
        if not (args.script and args.icon and args.work):
            parser.error("the installer needs --script, --icon and --work")
        make_installer(args, contents)
    else:
        if not args.readme:
            parser.error("the zip needs --readme")
        make_zip(args, contents)


if __name__ == "__main__":
    main()
