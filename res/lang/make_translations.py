"""Per-language copies of the program's dialogs, menus and strings, made from the English .rc files
and one translation table per language (res/lang/<code>.txt).

A table holds pairs of lines, the English text as the .rc file quotes it and its translation:
    en: &Options...
    de: &Optionen...
Texts a table lacks stay English, as do texts that are no words (class names, file names, macros).
The layouts are the English ones: a translation that does not fit is a layout to widen.

make_translations.py OUT.rc TABLE_DIR SOURCE.rc...   writes OUT.rc (UTF-8, code page 65001)
make_translations.py --list SOURCE.rc...              prints the English texts to translate
"""
import os
import re
import sys

# code -> the LANGUAGE statement's primary language.
LANGUAGES = [("de", "LANG_GERMAN"), ("fr", "LANG_FRENCH"), ("es", "LANG_SPANISH"), ("it", "LANG_ITALIAN"),
             ("pt", "LANG_PORTUGUESE"), ("nl", "LANG_DUTCH"), ("pl", "LANG_POLISH"), ("sv", "LANG_SWEDISH"),
             ("ru", "LANG_RUSSIAN")]

BLOCK_START = re.compile(r"^(\w+\s+(DIALOGEX|DIALOG|MENU|MENUEX)\b|STRINGTABLE\b)")
QUOTED = re.compile(r'"((?:[^"]|"")*)"')
# Quoted texts that are not words: window classes, fonts, and the strings of res/Pennivox.rc that
# name files and topics.
NOT_WORDS = re.compile(r'^(|[A-Z]{3,}|[\w.]+\.\w{2,4}|Tahoma|Static|Button|SysListView32|SysTreeView32|msctls_\w+|%\w+%|'
                       r'.*\\\\.*|mailto:.*|\.\.\.|Pennivox|Edit1)$')
STRING_ID_NOT_WORDS = ("IDS_LIBS_PATTERN", "IDS_HOMEPAGE_TOPIC", "IDS_MORE_DICTIONARIES_TOPIC", "IDS_FEEDBACK_MAIL",
                       "IDS_USER_DICTIONARY", "IDS_USER_SHORTHANDS", "IDS_PROGRAM_TITLE")


def read_source(path):
    """The preprocessor lines to keep, and the localizable blocks, of one .rc file."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    header, blocks, block = [], [], None
    for line in lines:
        if block is not None:
            block.append(line)
            if line.rstrip() == "END":
                blocks.append(block)
                block = None
        elif BLOCK_START.match(line):
            block = [line]
        elif re.match(r"#\s*(define|ifndef|ifdef|endif|undef|include\s+<)", line) or (
                line.startswith("#include") and not line.rstrip().endswith('.rc"')):
            header.append(line)
    return header, blocks


def words_of(block):
    for line in block:
        if line.lstrip().startswith("//") or re.match(r"\s*(FONT|CONTROL\s+\"\",)", line):
            pass
        if any(line.lstrip().startswith(name + " ") for name in STRING_ID_NOT_WORDS):
            continue
        code = line.split("//")[0] if not line.lstrip().startswith("//") else ""
        for match in QUOTED.finditer(code):
            if not NOT_WORDS.match(match.group(1)):
                yield match.group(1)


def translate(block, table):
    out = []
    for line in block:
        if line.lstrip().startswith("//") or any(line.lstrip().startswith(n + " ") for n in STRING_ID_NOT_WORDS):
            out.append(line)
            continue
        out.append(QUOTED.sub(lambda m: '"%s"' % table.get(m.group(1), m.group(1)), line))
    return out


def read_table(path):
    table, english = {}, None
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            tag, _, text = line.partition(": ")
            if tag == "en":
                english = text
            elif english is not None:
                table[english] = text
                english = None
            else:
                raise SystemExit("%s:%d: a translation without its English line" % (path, number))
    return table


def main(argv):
    if argv[1] == "--list":
        seen = []
        for source in argv[2:]:
            for block in read_source(source)[1]:
                seen += [w for w in words_of(block) if w not in seen]
        print("\n".join(seen))
        return
    out_path, table_dir, sources = argv[1], argv[2], argv[3:]
    parsed = [read_source(source) for source in sources]
    lines = ["// Made by res/lang/make_translations.py from the English .rc files; edit those and the tables.",
             "#pragma code_page(65001)"]
    for header, _ in parsed:
        lines += [line for line in header if line not in lines]
    english = []
    for _, blocks in parsed:
        for block in blocks:
            english += [w for w in words_of(block) if w not in english]
    for code, language in LANGUAGES:
        table_path = os.path.join(table_dir, code + ".txt")
        table = read_table(table_path) if os.path.exists(table_path) else {}
        missing = [w for w in english if w not in table]
        if missing:
            print("%s: %d of %d texts stay English" % (code, len(missing), len(english)))
        lines += ["", "LANGUAGE %s, SUBLANG_NEUTRAL" % language]
        for _, blocks in parsed:
            for block in blocks:
                lines += translate(block, table)
    text = "\n".join(lines) + "\n"
    if not os.path.exists(out_path) or open(out_path, encoding="utf-8").read() != text:
        with open(out_path, "w", encoding="utf-8") as f:
            f.write(text)


if __name__ == "__main__":
    main(sys.argv)
