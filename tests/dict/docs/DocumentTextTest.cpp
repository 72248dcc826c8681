// The readers of taught documents: what each hands on, and what it must not (headers, markup,
// code), and how hostile documents are bounded.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <zip.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dict/DocumentText.h"
#include "dict/TaughtWords.h"
#include "tests/support/TempFolder.h"

using ::testing::HasSubstr;
using ::testing::Not;

namespace {

std::string TextOf(DocumentKind kind, std::string_view bytes, DocumentOutcome expected = DocumentOutcome::Read,
                   const DocumentLimits& limits = {})
{
    std::string text;
    EXPECT_EQ(ReadDocument(
                  kind, bytes, [&](std::string_view piece) { return text.append(piece), true; }, limits),
              expected);
    return text;
}

// A zip archive with the entries, through the library's writer; deflated.
std::string MakeArchive(const pvtest::TempFolder& folder,
                        const std::vector<std::pair<std::string, std::string>>& entries)
{
    const std::string path = folder.File("archive.zip");
    zipFile zip = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
    for (const auto& [name, content] : entries) {
        zipOpenNewFileInZip(zip, name.c_str(), nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 9);
        zipWriteInFileInZip(zip, content.data(), static_cast<unsigned>(content.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
    return pvtest::ReadFile(path);
}

std::string Docx(const std::string& body)
{
    return "<?xml version=\"1.0\"?><w:document xmlns:w=\"urn:w\"><w:body>" + body + "</w:body></w:document>";
}

// An .odt archive whose content has the body.
std::string Odt(const pvtest::TempFolder& folder, const std::string& body)
{
    return MakeArchive(
        folder, {{"mimetype", "application/vnd.oasis.opendocument.text"},
                 {"content.xml", "<office:document-content xmlns:office=\"o\" xmlns:text=\"t\"><office:body>" + body +
                                     "</office:body></office:document-content>"}});
}

}  // namespace

TEST(DocumentText, KindsComeFromTheExtensionWhateverItsCase)
{
    EXPECT_EQ(DocumentKindOf("C:\\Docs\\Notes.TXT"), DocumentKind::PlainText);
    EXPECT_EQ(DocumentKindOf("readme.md"), DocumentKind::Markdown);
    EXPECT_EQ(DocumentKindOf("a.Eml"), DocumentKind::Mail);
    EXPECT_EQ(DocumentKindOf("inbox.mbox"), DocumentKind::Mbox);
    EXPECT_EQ(DocumentKindOf("report.docx"), DocumentKind::Docx);
    EXPECT_EQ(DocumentKindOf("report.odt"), DocumentKind::Odt);
    EXPECT_EQ(DocumentKindOf("photo.jpg"), DocumentKind::Unknown);
    EXPECT_EQ(DocumentKindOf("docx"), DocumentKind::Unknown);
}

TEST(DocumentText, PlainTextTakesMarksAndFallsBackToWindows1252)
{
    EXPECT_EQ(TextOf(DocumentKind::PlainText, "\xEF\xBB\xBFZa\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87\r\nb"), "Zażółć\nb\n");
    EXPECT_EQ(TextOf(DocumentKind::PlainText, std::string("\xFF\xFE"
                                                          "h\0\xE9\0",
                                                          6)),
              "hé\n");
    EXPECT_EQ(TextOf(DocumentKind::PlainText, "caf\xE9"), "café\n");  // not UTF-8: an ANSI byte
}

TEST(DocumentText, MarkdownLeavesCodeOut)
{
    const std::string text =
        TextOf(DocumentKind::Markdown, "# Title\nSome `inline code` here\n```\nint secretCode;\n```\nafter\n");
    EXPECT_THAT(text, HasSubstr("# Title\n\n"));  // a heading stands apart
    // "#hashtag" and code indented by four are no headings.
    EXPECT_EQ(TextOf(DocumentKind::Markdown, "#hashtag\n    # indented code\n## Two"),
              "#hashtag\n# indented code\n## Two\n\n");
    EXPECT_THAT(text, HasSubstr("Some  here"));
    EXPECT_THAT(text, HasSubstr("after"));
    EXPECT_THAT(text, Not(HasSubstr("inline")));
    EXPECT_THAT(text, Not(HasSubstr("secretCode")));
}

TEST(DocumentText, CharsetsBecomeUtf8)
{
    EXPECT_EQ(CharsetToUtf8("\xB3\xF3\x64\x9F", "windows-1250"), "łódź");
    EXPECT_EQ(CharsetToUtf8("\xCC\xE8\xF0", "Windows-1251"), "Мир");
    EXPECT_EQ(CharsetToUtf8("\xE9t\xE9", "\"ISO-8859-1\""), "été");
    EXPECT_EQ(CharsetToUtf8("\xC3\xA9t\xE9", "utf-8"), "été");  // a broken byte read as 1252
}

TEST(DocumentText, MailGivesDecodedBodiesAndNoHeaders)
{
    const std::string message =
        "From: Someone Private <private.person@example.com>\r\n"
        "Subject: Confidential subjectword\r\n"
        "Content-Type: multipart/mixed;\r\n boundary=\"outer\"\r\n"
        "\r\n"
        "preamble text\r\n"
        "--outer\r\n"
        "Content-Type: multipart/alternative; boundary=inner\r\n"
        "\r\n"
        "--inner\r\n"
        "Content-Type: text/plain; charset=iso-8859-1\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n"
        "\r\n"
        "Caf=E9 meeting about Xanthoporix, a long line that is bro=\r\n"
        "ken softly.\r\n"
        "> quoted reply line\r\n"
        "--inner\r\n"
        "Content-Type: text/html\r\n"
        "\r\n"
        "<p>htmlonlyword</p>\r\n"
        "--inner--\r\n"
        "--outer\r\n"
        "Content-Type: text/plain; charset=utf-8\r\n"
        "Content-Transfer-Encoding: base64\r\n"
        "\r\n"
        "WsOzxYJ3IGJhc2U2NA==\r\n"
        "--outer\r\n"
        "Content-Type: text/plain\r\n"
        "Content-Disposition: attachment; filename=\"a.txt\"\r\n"
        "\r\n"
        "attachedword\r\n"
        "--outer--\r\n";
    const std::string text = TextOf(DocumentKind::Mail, message);
    EXPECT_THAT(text, HasSubstr("Café meeting about Xanthoporix"));
    EXPECT_THAT(text, HasSubstr("is broken softly."));
    EXPECT_THAT(text, HasSubstr("Zółw base64"));
    for (const char* left :
         {"private", "Confidential", "subjectword", "quoted", "htmlonlyword", "attachedword", "preamble"})
        EXPECT_THAT(text, Not(HasSubstr(left))) << left;
}

TEST(DocumentText, MboxReadsEveryMessageAndUnescapesFromLines)
{
    const std::string mbox =
        "From alice@example.com Mon Jan  1 00:00:00 2024\n"
        "Subject: firstheader\n\nfirst body\n>From the start\n\n"
        "From bob@example.com Mon Jan  1 00:00:00 2024\n"
        "Subject: secondheader\n\nsecond body\n";
    const std::string text = TextOf(DocumentKind::Mbox, mbox);
    EXPECT_THAT(text, HasSubstr("first body\nFrom the start\n"));
    EXPECT_THAT(text, HasSubstr("second body"));
    EXPECT_THAT(text, Not(HasSubstr("header")));
    EXPECT_THAT(text, Not(HasSubstr("alice")));
}

TEST(DocumentText, OfficeDocumentsGiveTheirParagraphs)
{
    pvtest::TempFolder folder;
    const std::string docx = MakeArchive(
        folder, {{"[Content_Types].xml", "<Types/>"},
                 {"word/document.xml", Docx("<w:p><w:r><w:t>Hello</w:t><w:tab/><w:t xml:space=\"preserve\">wor</w:t>"
                                            "<w:t>ld &amp; more</w:t></w:r></w:p><w:p><w:r><w:t>Next</w:t></w:r>"
                                            "<w:instrText>HYPERLINK</w:instrText></w:p>")}});
    EXPECT_EQ(TextOf(DocumentKind::Docx, docx), "Hello world & more\n\nNext\n\n");

    const std::string odt = Odt(folder,
                                "<text:h>Heading</text:h><text:p>One<text:s/><text:span>two</text:span></text:p>"
                                "<office:meta>notext</office:meta>");
    EXPECT_EQ(TextOf(DocumentKind::Odt, odt), "Heading\n\nOne two\n\n");

    // The same through a file; an archive without the part, and one that is no archive, are damaged.
    ASSERT_TRUE(pvtest::WriteFile(folder.File("r.docx"), docx));
    std::string fromFile;
    EXPECT_EQ(ReadDocumentFile(folder.File("r.docx"), [&](std::string_view t) { return fromFile.append(t), true; }),
              DocumentOutcome::Read);
    EXPECT_EQ(fromFile, "Hello world & more\n\nNext\n\n");
    TextOf(DocumentKind::Docx, odt, DocumentOutcome::Damaged);
    TextOf(DocumentKind::Docx, "PK\x03\x04 not really", DocumentOutcome::Damaged);
}

// A heading's last word is not taught as followed by the first word of the paragraph after it.
TEST(DocumentText, HeadingsDoNotPairWithTheParagraphAfterThem)
{
    pvtest::TempFolder folder;
    const std::string odt =
        Odt(folder, "<text:h>Quarterly results</text:h><text:p>Sales rose<text:line-break/>again</text:p>");
    for (const std::string& text : {TextOf(DocumentKind::Odt, odt),
                                    TextOf(DocumentKind::Markdown, "## Quarterly results\nSales rose\nagain\n")}) {
        CTaughtWords taught;
        taught.Add(text);
        taught.EndDocument();
        std::vector<std::string> pairs;
        for (const CTaughtWords::Pair& pair : taught.Pairs())
            pairs.push_back(taught.Words()[pair.previous].text + " " + taught.Words()[pair.word].text);
        std::sort(pairs.begin(), pairs.end());
        EXPECT_EQ(pairs, (std::vector<std::string>{"Quarterly results", "Sales rose", "rose again"})) << text;
    }
}

TEST(DocumentText, HostileDocumentsAreBounded)
{
    pvtest::TempFolder folder;
    // Deep nesting stops at the depth limit.
    std::string deep;
    for (int i = 0; i < 1000; ++i)
        deep += "<w:p>";
    TextOf(DocumentKind::Docx, MakeArchive(folder, {{"word/document.xml", Docx(deep)}}), DocumentOutcome::Damaged);
    // Entities are refused (no amplification).
    const std::string laughs =
        "<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;\">]>"
        "<w:document xmlns:w=\"urn:w\"><w:p><w:t>&b;</w:t></w:p></w:document>";
    TextOf(DocumentKind::Docx, MakeArchive(folder, {{"word/document.xml", laughs}}), DocumentOutcome::Damaged);
    // A part that unpacks far beyond its archive is read only up to the limit.
    const std::string huge = Docx("<w:p><w:t>" + std::string(8 << 20, 'a') + " end</w:t></w:p>");
    const std::string bomb = MakeArchive(folder, {{"word/document.xml", huge}});
    ASSERT_LT(bomb.size(), 100000u);
    DocumentLimits limits;
    limits.unpackedBytes = 1 << 20;
    EXPECT_EQ(TextOf(DocumentKind::Docx, bomb, DocumentOutcome::Read, limits), "");
    // What a document hands on is bounded too; a file over the size limit is refused.
    limits = {};
    limits.textBytes = 100;
    EXPECT_LE(TextOf(DocumentKind::PlainText, std::string(1000, 'x') + "\n" + std::string(50, 'y'),
                     DocumentOutcome::Read, limits)
                  .size(),
              100u);
    limits.fileBytes = 10;
    TextOf(DocumentKind::Mail, std::string(11, 'x'), DocumentOutcome::TooLarge, limits);
}

TEST(DocumentText, TheSinkStopsAReader)
{
    int pieces = 0;
    const auto stopAtOnce = [&](std::string_view) {
        return ++pieces, false;
    };
    EXPECT_EQ(ReadDocument(DocumentKind::PlainText, "a\nb\nc\n", stopAtOnce), DocumentOutcome::Stopped);
    EXPECT_EQ(ReadDocument(DocumentKind::Mbox, "From x\n\nbody\n\nFrom y\n\nbody\n", stopAtOnce),
              DocumentOutcome::Stopped);
    EXPECT_EQ(pieces, 2);
}
