// Web pages (.html, .htm, .xhtml): libxml2's HTML parser, fed in pieces, its events turned into
// the text a reader of the page sees. The page is made UTF-8 first (by its byte-order mark or its
// declared charset), so that the parser never switches encodings itself; entities are its to
// decode. Scripts, styles, the head and other text that is never shown are left out; a block
// element ends a paragraph (a blank line: no word is taken as following across it), <br> a line.
#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>

#include "dict/DocumentText.h"
#include "dict/Utf8Case.h"

namespace {

bool IsNameIn(const char* name, std::initializer_list<const char*> names)
{
    return std::any_of(names.begin(), names.end(), [name](const char* n) { return std::strcmp(name, n) == 0; });
}

// Never shown as text: code, metadata, fallbacks for what cannot be shown, embedded drawings.
bool IsHidden(const char* name)
{
    return IsNameIn(name, {"script", "style", "head", "title", "template", "noscript", "iframe", "object", "svg",
                           "math", "canvas", "audio", "video", "textarea", "select"});
}

bool IsBlock(const char* name)
{
    return IsNameIn(
        name, {"address", "article", "aside",   "blockquote", "body", "button",   "caption",    "center", "dd",
               "details", "dialog",  "div",     "dl",         "dt",   "fieldset", "figcaption", "figure", "footer",
               "form",    "h1",      "h2",      "h3",         "h4",   "h5",       "h6",         "header", "hgroup",
               "hr",      "html",    "legend",  "li",         "main", "nav",      "ol",         "option", "p",
               "pre",     "section", "summary", "table",      "td",   "th",       "tr",         "ul"});
}

// The charset a page declares in its first bytes (<meta charset>, http-equiv, or an XML
// declaration's encoding); empty when none.
std::string DeclaredCharset(std::string_view bytes)
{
    const std::string head = utf8case::Lowered(bytes.substr(0, 2048));
    for (const char* key : {"charset=", "encoding="}) {
        std::size_t at = head.find(key);
        if (at == std::string::npos)
            continue;
        at += std::strlen(key);
        while (at < head.size() && (head[at] == '"' || head[at] == '\'' || head[at] == ' '))
            ++at;
        const std::size_t end = head.find_first_of("\"'; />", at);
        return head.substr(at, end == std::string::npos ? std::string::npos : end - at);
    }
    return {};
}

std::string PageToUtf8(std::string_view bytes)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return CharsetToUtf8(bytes.substr(3), "utf-8");
    if (bytes.substr(0, 2) == "\xFF\xFE")
        return CharsetToUtf8(bytes.substr(2), "utf-16le");
    if (bytes.substr(0, 2) == "\xFE\xFF")
        return CharsetToUtf8(bytes.substr(2), "utf-16be");
    return CharsetToUtf8(bytes, DeclaredCharset(bytes));
}

// libxml2 is built without threads: its global error state is shared, so pages are parsed in turn.
std::mutex& ParserTurn()
{
    static std::mutex turn;
    return turn;
}

struct ContextFreer {
    void operator()(htmlParserCtxt* context) const { htmlFreeParserCtxt(context); }
};

class CHtmlText {
public:
    CHtmlText(const DocumentSink& sink, unsigned maxDepth) : m_sink(sink), m_maxDepth(maxDepth)
    {
        htmlSAXHandler handler{};
        handler.startElement = &CHtmlText::OnStart;
        handler.endElement = &CHtmlText::OnEnd;
        handler.characters = &CHtmlText::OnText;
        handler.cdataBlock = &CHtmlText::OnText;
        m_context.reset(htmlCreatePushParserCtxt(&handler, this, nullptr, 0, nullptr, XML_CHAR_ENCODING_UTF8));
        if (m_context)
            htmlCtxtUseOptions(m_context.get(), HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                                    HTML_PARSE_NONET | HTML_PARSE_IGNORE_ENC);
    }

    DocumentOutcome Read(std::string_view utf8)
    {
        if (!m_context)
            return DocumentOutcome::Damaged;
        // The parser is never halted from inside its own callbacks (it reads on past a halt there):
        // a page that is over is cut between pieces, small so that little is parsed in vain.
        constexpr std::size_t kPiece = 4 * 1024;
        for (std::size_t at = 0; at < utf8.size() && !Over(); at += kPiece) {
            const std::string_view piece = utf8.substr(at, kPiece);
            htmlParseChunk(m_context.get(), piece.data(), static_cast<int>(piece.size()), 0);
        }
        if (!Over())
            htmlParseChunk(m_context.get(), nullptr, 0, 1);
        if (!Over())
            Break("\n");
        return m_stopped ? DocumentOutcome::Stopped : m_tooDeep ? DocumentOutcome::Damaged : DocumentOutcome::Read;
    }

private:
    static CHtmlText& Of(void* self) { return *static_cast<CHtmlText*>(self); }
    static void OnStart(void* self, const xmlChar* name, const xmlChar**) { Of(self).Start(Name(name)); }
    static void OnEnd(void* self, const xmlChar* name) { Of(self).End(Name(name)); }
    static void OnText(void* self, const xmlChar* text, int length)
    {
        Of(self).Text(std::string_view(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length)));
    }
    static const char* Name(const xmlChar* name) { return name ? reinterpret_cast<const char*>(name) : ""; }

    bool Over() const { return m_stopped || m_tooDeep; }
    // The parser keeps every open element: a page nested deeper than any real one is refused.
    void Start(const char* name)
    {
        if (++m_depth > m_maxDepth)
            m_tooDeep = true;
        if (IsHidden(name))
            ++m_hidden;
        else if (std::strcmp(name, "pre") == 0)
            ++m_preformatted;
        if (IsBlock(name))
            Break("\n\n");
        else if (std::strcmp(name, "br") == 0)
            Break("\n");
    }
    void End(const char* name)
    {
        m_depth -= m_depth > 0 ? 1 : 0;
        if (IsHidden(name) && m_hidden > 0)
            --m_hidden;
        else if (std::strcmp(name, "pre") == 0 && m_preformatted > 0)
            --m_preformatted;
        if (IsBlock(name))
            Break("\n\n");
    }
    void Text(std::string_view text)
    {
        if (m_hidden > 0 || Over())
            return;
        for (std::size_t at = 0; at < text.size(); ++at) {
            const char c = text[at];
            if (text.compare(at, 2, "\xC2\xA0") == 0) {  // a non-breaking space separates words all the same
                m_text += ' ';
                ++at;
            } else if (c == '\n' && m_preformatted > 0) {
                m_text += '\n';
            } else {
                m_text += c == '\n' || c == '\r' || c == '\t' || c == '\f' ? ' ' : c;
            }
        }
        // A block without end is handed on in pieces: at a blank, so that no word is cut.
        if (m_text.size() > 64 * 1024) {
            const std::size_t blank = m_text.find_last_of(" \n");
            if (blank != std::string::npos && blank > 0) {
                std::string rest = m_text.substr(blank + 1);
                m_text.resize(blank + 1);
                Flush();
                m_text = std::move(rest);
            } else {
                Flush();  // no word is that long; kept, every later piece would scan it again
            }
        }
    }
    void Break(const char* end)
    {
        if (m_text.empty())
            return;
        m_text += end;
        Flush();
    }
    void Flush()
    {
        if (Over() || m_text.empty())
            return;
        m_stopped = !m_sink(m_text);
        m_text.clear();
    }

    const DocumentSink& m_sink;
    unsigned m_maxDepth;
    std::unique_ptr<htmlParserCtxt, ContextFreer> m_context;
    unsigned m_depth = 0;
    bool m_tooDeep = false;
    int m_hidden = 0;
    int m_preformatted = 0;
    std::string m_text;
    bool m_stopped = false;
};

}  // namespace

DocumentOutcome ReadHtmlDocument(std::string_view bytes, const DocumentSink& sink, const DocumentLimits& limits)
{
    const std::string utf8 = PageToUtf8(bytes);
    const std::lock_guard<std::mutex> turn(ParserTurn());
    static const bool initialized = (xmlInitParser(), true);
    (void)initialized;
    CHtmlText page(sink, limits.xmlDepth);
    return page.Read(utf8);
}
