"""Documents to teach from, made from the KSR benchmark's texts: as plain text, .docx (paragraphs
in word/document.xml), .eml (quoted-printable bodies) and .html (paragraphs in a page with a head,
a script and a menu), up to a size in bytes of text.

usage: make_documents.py SOURCE_DIR OUTPUT_DIR MEGABYTES
"""
import glob
import os
import quopri
import sys
import zipfile
from xml.sax.saxutils import escape


def docx(path, paragraphs):
    body = "".join("<w:p><w:r><w:t xml:space=\"preserve\">%s</w:t></w:r></w:p>" % escape(p) for p in paragraphs)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        archive.writestr("[Content_Types].xml", "<Types/>")
        archive.writestr("word/document.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:document "
                         "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>%s"
                         "</w:body></w:document>" % body)


def eml(path, text):
    with open(path, "wb") as f:
        f.write(b"From: writer@example.com\r\nSubject: notes\r\nMIME-Version: 1.0\r\n"
                b"Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n")
        f.write(quopri.encodestring(text.encode("utf-8")))


def html(path, paragraphs):
    body = "".join("<p>%s</p>\n" % escape(p) for p in paragraphs)
    with open(path, "w", encoding="utf-8") as f:
        f.write("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>notes</title>"
                "<style>p { margin: 0 }</style><script>var shown = 1;</script></head><body>"
                "<nav><a href=\"/\">Home</a></nav><article>%s</article></body></html>" % body)


def main():
    source, output, megabytes = sys.argv[1], sys.argv[2], float(sys.argv[3])
    os.makedirs(output, exist_ok=True)
    texts = [open(p, encoding="utf-8").read() for p in sorted(glob.glob(os.path.join(source, "**", "*.txt"), recursive=True))]
    budget = int(megabytes * 1024 * 1024)
    made = 0
    serial = 0
    while made < budget:
        for text in texts:
            if made >= budget:
                break
            piece = text[:budget - made]
            kind = ("txt", "docx", "eml", "html")[serial % 4]
            path = os.path.join(output, "doc%03d.%s" % (serial, kind))
            if kind == "txt":
                open(path, "w", encoding="utf-8").write(piece)
            elif kind == "docx":
                docx(path, piece.split("\n"))
            elif kind == "html":
                html(path, piece.split("\n"))
            else:
                eml(path, piece)
            made += len(piece.encode("utf-8"))
            serial += 1


if __name__ == "__main__":
    main()
