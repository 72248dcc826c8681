// Web pages as taught documents: the text a reader sees, whatever the markup's state.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "dict/DocumentText.h"
#include "tests/support/TempFolder.h"

using ::testing::HasSubstr;
using ::testing::Not;

namespace {

std::string PageText(std::string_view page, DocumentOutcome expected = DocumentOutcome::Read,
                     const DocumentLimits& limits = {})
{
    std::string text;
    EXPECT_EQ(ReadDocument(
                  DocumentKind::Html, page, [&](std::string_view piece) { return text.append(piece), true; }, limits),
              expected);
    return text;
}

}  // namespace

TEST(HtmlText, KindsAndFiles)
{
    EXPECT_EQ(DocumentKindOf("C:\\Web\\Index.HTML"), DocumentKind::Html);
    EXPECT_EQ(DocumentKindOf("old.htm"), DocumentKind::Html);
    EXPECT_EQ(DocumentKindOf("book.xhtml"), DocumentKind::Html);
    EXPECT_EQ(DocumentKindOf("page.html.gz"), DocumentKind::Unknown);

    pvtest::TempFolder folder;
    ASSERT_TRUE(pvtest::WriteFile(folder.File("a.htm"), "<p>Saved page</p>"));
    std::string text;
    EXPECT_EQ(ReadDocumentFile(folder.File("a.htm"), [&](std::string_view t) { return text.append(t), true; }),
              DocumentOutcome::Read);
    EXPECT_EQ(text, "Saved page\n\n");
}

TEST(HtmlText, ARealPageGivesItsVisibleText)
{
    const std::string page = R"(<!DOCTYPE html>
<html lang="en"><head>
  <meta charset="utf-8"><title>Quarterly report - Intranet</title>
  <style>body { font-family: sans-serif } .x:before { content: "styled" }</style>
  <script>var tracking = "<p>scripted</p>"; if (a < b) document.write("written");</script>
</head>
<body>
  <nav><ul><li><a href="/">Home</a></li><li><a href="/news">News</a></li></ul></nav>
  <article>
    <h1>Quarterly   report</h1>
    <p>Our <b>Xanthoporix</b> sales grew
       strongly in the <a href="#q3">third quarter</a>.<br>Costs fell.</p>
    <table><tr><th>Region</th><td>North</td></tr></table>
    <template><p>templated</p></template><noscript>Enable scripts</noscript>
    <!-- a comment that is never shown -->
  </article>
  <footer>Written by the team</footer>
</body></html>)";
    const std::string text = PageText(page);
    EXPECT_THAT(text, HasSubstr("Home\n\nNews\n\n"));
    EXPECT_THAT(text, HasSubstr("Quarterly   report\n\n"));
    EXPECT_THAT(text, HasSubstr("Our Xanthoporix sales grew        strongly in the third quarter.\nCosts fell.\n\n"));
    EXPECT_THAT(text, HasSubstr("Region\n\nNorth\n\n"));
    EXPECT_THAT(text, HasSubstr("Written by the team\n\n"));
    for (const char* hidden : {"Intranet", "styled", "scripted", "written", "templated", "Enable", "comment", "href"})
        EXPECT_THAT(text, Not(HasSubstr(hidden))) << hidden;
}

TEST(HtmlText, BrokenMarkupStillGivesWordsApart)
{
    // Unclosed paragraphs and items, a stray end tag, unquoted attributes, misnested inline tags.
    EXPECT_EQ(PageText("<p>one<p>two</div>three<li>four<li class=x>five"), "one\n\ntwothree\n\nfour\n\nfive\n\n");
    EXPECT_EQ(PageText("<b>bold<i>both</b>italic</i> plain"), "boldbothitalic plain\n\n");
    // Markup that never ends: an open comment hides what follows, an open script too.
    EXPECT_EQ(PageText("kept<!-- open comment <p>lost"), "kept\n\n");
    EXPECT_EQ(PageText("<p>kept</p><script>lost</p> still script"), "kept\n\n");
    // A tag cut off at the end, and bytes that are no markup at all.
    EXPECT_THAT(PageText("<p>words <a href=\"x"), HasSubstr("words"));
    PageText(std::string("\0\x01<\xFF>\x80 <<>></", 14));
}

TEST(HtmlText, EntitiesAndCharsetsAreDecoded)
{
    EXPECT_EQ(PageText("<p>caf&eacute; &amp; cr&#232;me&nbsp;br&#xFB;l&#xE9;e &hellip; &unknown; AT&T</p>"),
              "café & crème brûlée … &unknown; AT&T\n\n");
    // A declared single-byte charset, and a UTF-16 page by its byte-order mark.
    EXPECT_EQ(PageText("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\"><p>na\xEFve "
                       "\x93quoted\x94</p>"),
              "naïve “quoted”\n\n");
    EXPECT_EQ(PageText(std::string("\xFF\xFE<\0p\0>\0\xE9\0t\0\xE9\0", 14)), "été\n\n");
    // XHTML read as HTML: its declaration names the encoding.
    EXPECT_EQ(PageText("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><html xmlns=\"http://www.w3.org/1999/xhtml\">"
                       "<body><p>gar\xE7on</p></body></html>"),
              "garçon\n\n");
}

TEST(HtmlText, HugeAndHostilePagesAreBounded)
{
    // Many paragraphs: every one handed on, in pieces that stay small.
    std::string page = "<html><body>";
    for (int i = 0; i < 20000; ++i)
        page += "<p>paragraph number " + std::to_string(i) + "</p>";
    std::size_t pieces = 0, largest = 0, paragraphs = 0;
    EXPECT_EQ(ReadDocument(DocumentKind::Html, page,
                           [&](std::string_view piece) {
                               ++pieces;
                               largest = std::max(largest, piece.size());
                               paragraphs += piece.find("paragraph") != std::string_view::npos ? 1 : 0;
                               return true;
                           }),
              DocumentOutcome::Read);
    EXPECT_EQ(paragraphs, 20000u);
    EXPECT_LT(largest, 100u);

    // One block without end, megabytes long: handed on in pieces cut at blanks, up to textBytes.
    std::string endless = "<div>";
    for (int i = 0; i < 400000; ++i)
        endless += "word ";
    DocumentLimits limits;
    limits.textBytes = 1 << 20;
    const std::string text = PageText(endless, DocumentOutcome::Read, limits);
    EXPECT_LE(text.size(), limits.textBytes);
    EXPECT_GT(text.size(), limits.textBytes / 2);
    EXPECT_EQ(text.substr(0, 10), "word word ");

    // Nesting deeper than the limit: the text above it is handed on, the page is damaged.
    std::string deep = "<p>top</p>";
    for (int i = 0; i < 20000; ++i)
        deep += "<span><div>";
    deep += "bottom";
    EXPECT_EQ(PageText(deep, DocumentOutcome::Damaged), "top\n\n");
    // Nesting as deep as the limit allows is read; a sink that stops the page at once.
    limits = {};
    limits.xmlDepth = 1000;
    EXPECT_THAT(PageText(deep.substr(0, 10 + 11 * 400) + "bottom", DocumentOutcome::Read, limits), HasSubstr("bottom"));
    int calls = 0;
    EXPECT_EQ(ReadDocument(DocumentKind::Html, page, [&](std::string_view) { return ++calls, false; }),
              DocumentOutcome::Stopped);
    EXPECT_EQ(calls, 1);
}
