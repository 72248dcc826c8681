"""The compiled help file: every topic of the project is inside, the contents and the index are
there, the index has the keyword the Options dialog looks up, and every link between topics
resolves to a file (and an anchor) that the help file holds.

    check_help_file.py PVHelp.chm PVHelp.hhp
"""

import html.parser
import os
import re
import subprocess
import sys
import tempfile


class Links(html.parser.HTMLParser):
    """The targets of href/Local values and the anchors a page defines."""

    def __init__(self):
        super().__init__()
        self.targets = []
        self.anchors = set()
        self.sitemap = []  # (Name, Local) of the contents or index entries

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag in ("a", "link") and "href" in attrs:
            self.targets.append(attrs["href"])
        if tag == "a" and "name" in attrs:
            self.anchors.add(attrs["name"])
        if tag == "param" and attrs.get("name") == "Name":
            self.sitemap.append([attrs.get("value"), None])
        if tag == "param" and attrs.get("name") == "Local" and self.sitemap:
            self.targets.append(attrs.get("value"))
            self.sitemap[-1][1] = attrs.get("value")


def parse(path):
    links = Links()
    with open(path, encoding="cp1252") as f:
        links.feed(f.read())
    return links


def project_files(hhp):
    with open(hhp) as f:
        text = f.read()
    files = text.split("[FILES]", 1)[1].split()
    options = dict(line.split("=", 1) for line in text.split("[OPTIONS]", 1)[1].split("[", 1)[0].split("\n") if "=" in line)
    return files, options


def main(chm, hhp):
    failures = []
    files, options = project_files(hhp)
    with tempfile.TemporaryDirectory() as out:
        done = subprocess.run(["extract_chmLib", chm, out], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        if done.returncode != 0:
            print("extract_chmLib failed: %s" % done.stderr.decode(errors="replace"))
            return 1
        held = {os.path.relpath(os.path.join(d, n), out).replace(os.sep, "/")
                for d, _, names in os.walk(out) for n in names}
        wanted = set(files) | {options["Contents file"], options["Index file"], options["Default topic"]}
        failures += ["missing in the help file: %s" % name for name in sorted(wanted - held)]

        pages = {name: parse(os.path.join(out, name)) for name in held if re.search(r"\.(htm|hhc|hhk)$", name)}
        for name, links in sorted(pages.items()):
            for target in links.targets:
                if re.match(r"^(https?|mailto):", target or ""):
                    continue
                path, _, anchor = (target or "").partition("#")
                if path not in held:
                    failures.append("%s: link to %r, which the help file does not hold" % (name, target))
                elif anchor and anchor not in pages.get(path, Links()).anchors:
                    failures.append("%s: link to %r, whose anchor does not exist" % (name, target))

        topics = [n for n in files if n.endswith(".htm")]
        contents = {local for _, local in pages[options["Contents file"]].sitemap}
        failures += ["topic not in the contents: %s" % t for t in topics if t not in contents]
        index = dict(pages[options["Index file"]].sitemap)
        if not index.get("Options", "").startswith("options.htm"):
            failures.append("the index has no keyword \"Options\" leading to the Options topic: %r" % index.get("Options"))
        for name in topics:
            with open(os.path.join(out, name), encoding="cp1252") as f:
                if len(re.sub(r"<[^>]+>", "", f.read()).split()) < 80:
                    failures.append("%s: fewer than 80 words" % name)

    for failure in failures:
        print(failure)
    print("help file: %d topics, %d index keywords, %d failed" % (len(topics), len(index), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2]))
