#include "dict/DocumentText.h"

#include <algorithm>
#include <memory>

#include "base/FileIo.h"
#include "base/Utf8Text.h"
#include "dict/CodePage.h"
#include "dict/TextImport.h"
#include "dict/Utf8Case.h"

namespace {

bool EndsWith(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// Valid stretches as they are, every other byte as Windows-1252.
std::string MixedUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    const CCodePage& fallback = Windows1252CodePage();
    std::u16string wide;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        const std::string_view piece = bytes.substr(i, length);
        if (lead < 0x80 || (piece.size() == length && length > 1 && utf8case::IsValid(piece))) {
            out.append(piece);
            i += length;
            continue;
        }
        if (fallback.ToUtf16(bytes.substr(i, 1), wide))
            out += Utf8Of(wide);
        ++i;
    }
    return out;
}

std::string Utf16ToUtf8Bytes(std::string_view bytes, bool bigEndian)
{
    std::u16string wide;
    wide.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        wide.push_back(static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a));
    }
    if (!wide.empty() && wide.front() == 0xFEFF)
        wide.erase(0, 1);
    return Utf8Of(wide);
}

// Plain text held in memory: the byte-order marks, else UTF-8 where valid.
std::string PlainTextToUtf8(std::string_view bytes)
{
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE)
        return Utf16ToUtf8Bytes(bytes.substr(2), false);
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE &&
        static_cast<unsigned char>(bytes[1]) == 0xFF)
        return Utf16ToUtf8Bytes(bytes.substr(2), true);
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    return MixedUtf8(bytes);
}

// "# Title" ... "###### Title", indented by three blanks at most.
bool IsMarkdownHeading(std::string_view line)
{
    const std::size_t indent = line.find_first_not_of(' ');
    if (indent == std::string_view::npos || indent > 3 || line[indent] != '#')
        return false;
    const std::size_t hashes = line.find_first_not_of('#', indent);
    const std::size_t level = (hashes == std::string_view::npos ? line.size() : hashes) - indent;
    return level <= 6 && (hashes == std::string_view::npos || line[hashes] == ' ' || line[hashes] == '\t');
}

// Hands on lines (Markdown: their text only), each ending in '\n'.
class CLineFeeder {
public:
    CLineFeeder(const DocumentSink& sink, bool markdown) : m_sink(sink), m_markdown(markdown) {}

    bool Feed(std::string_view text)
    {
        for (std::size_t end; (end = text.find('\n')) != std::string_view::npos; text.remove_prefix(end + 1)) {
            m_line.append(text.substr(0, end));
            if (!Flush())
                return false;
        }
        m_line.append(text);
        return true;
    }
    bool Flush()
    {
        if (!m_line.empty() && m_line.back() == '\r')
            m_line.pop_back();
        const bool heading = m_markdown && IsMarkdownHeading(m_line);
        std::string out = m_markdown ? MarkdownLineText(m_line, m_inFence) : std::move(m_line);
        m_line.clear();
        out += heading ? "\n\n" : "\n";  // a heading stands apart, as if a blank line followed it
        return m_sink(out);
    }

private:
    const DocumentSink& m_sink;
    bool m_markdown;
    bool m_inFence = false;
    std::string m_line;
};

DocumentOutcome FeedPlainText(std::string_view utf8, const DocumentSink& sink, bool markdown)
{
    CLineFeeder feeder(sink, markdown);
    return feeder.Feed(utf8) && feeder.Flush() ? DocumentOutcome::Read : DocumentOutcome::Stopped;
}

DocumentOutcome ReadTextFile(const std::string& path, const DocumentSink& sink, bool markdown)
{
    CTextImportReader reader(SystemCodePage());
    TextImportReport report;
    if (!reader.Open(path, report)) {
        return report.problem == TextImportReport::Problem::Empty     ? DocumentOutcome::Read
               : report.problem == TextImportReport::Problem::NotText ? DocumentOutcome::Damaged
                                                                      : DocumentOutcome::Unreadable;
    }
    CLineFeeder feeder(sink, markdown);
    char buffer[64 * 1024];
    while (const std::size_t got = reader.Read(buffer, sizeof buffer)) {
        if (!feeder.Feed(std::string_view(buffer, got)))
            return DocumentOutcome::Stopped;
    }
    return feeder.Flush() ? DocumentOutcome::Read : DocumentOutcome::Stopped;
}

// Stops the reader once the document has handed on its share; that is no failure.
class CBoundedSink {
public:
    CBoundedSink(const DocumentSink& sink, std::size_t limit) : m_sink(sink), m_left(limit) {}
    DocumentSink Sink()
    {
        return [this](std::string_view text) {
            if (text.size() > m_left) {
                m_full = true;
                return false;
            }
            m_left -= text.size();
            return m_sink(text);
        };
    }
    DocumentOutcome Outcome(DocumentOutcome outcome) const
    {
        return m_full && outcome == DocumentOutcome::Stopped ? DocumentOutcome::Read : outcome;
    }

private:
    const DocumentSink& m_sink;
    std::size_t m_left;
    bool m_full = false;
};

}  // namespace

DocumentKind DocumentKindOf(std::string_view path)
{
    const std::string name = utf8case::Lowered(path);
    struct Ending {
        const char* text;
        DocumentKind kind;
    };
    static const Ending kEndings[] = {
        {".txt", DocumentKind::PlainText},     {".text", DocumentKind::PlainText}, {".md", DocumentKind::Markdown},
        {".markdown", DocumentKind::Markdown}, {".eml", DocumentKind::Mail},       {".mbox", DocumentKind::Mbox},
        {".mbx", DocumentKind::Mbox},          {".docx", DocumentKind::Docx},      {".odt", DocumentKind::Odt},
        {".html", DocumentKind::Html},         {".htm", DocumentKind::Html},       {".xhtml", DocumentKind::Html},
    };
    for (const Ending& ending : kEndings) {
        if (EndsWith(name, ending.text))
            return ending.kind;
    }
    return DocumentKind::Unknown;
}

std::string CharsetToUtf8(std::string_view bytes, std::string_view charset)
{
    std::string name = utf8case::Lowered(charset);
    name.erase(std::remove_if(name.begin(), name.end(), [](char c) { return c == '"' || c == ' '; }), name.end());
    if (name == "iso-8859-1" || name == "latin1" || name == "iso8859-1") {
        std::u16string wide(bytes.begin(), bytes.end());
        for (char16_t& unit : wide)
            unit &= 0xFF;
        return Utf8Of(wide);
    }
    if (name == "utf-16le" || name == "utf-16be" || name == "utf-16")
        return Utf16ToUtf8Bytes(bytes, name == "utf-16be");
    for (const unsigned id : {1250u, 1251u, 1252u}) {
        if (name == "windows-" + std::to_string(id) || name == "cp" + std::to_string(id)) {
            std::u16string wide;
            PortableCodePage(id)->ToUtf16(bytes, wide);
            return Utf8Of(wide);
        }
    }
    return MixedUtf8(bytes);
}

std::string MarkdownLineText(std::string_view line, bool& inFence)
{
    const std::size_t indent = line.find_first_not_of(" \t");
    const std::string_view trimmed = indent == std::string_view::npos ? std::string_view() : line.substr(indent);
    if (trimmed.substr(0, 3) == "```" || trimmed.substr(0, 3) == "~~~") {
        inFence = !inFence;
        return {};
    }
    if (inFence)
        return {};
    std::string out;
    bool inCode = false;
    for (const char c : trimmed) {
        if (c == '`')
            inCode = !inCode;
        else if (!inCode)
            out += c;
    }
    return out;
}

DocumentOutcome ReadDocument(DocumentKind kind, std::string_view bytes, const DocumentSink& sink,
                             const DocumentLimits& limits)
{
    if (bytes.size() > limits.fileBytes)
        return DocumentOutcome::TooLarge;
    CBoundedSink bounded(sink, limits.textBytes);
    const DocumentSink inner = bounded.Sink();
    switch (kind) {
        case DocumentKind::PlainText:
        case DocumentKind::Markdown:
            return bounded.Outcome(FeedPlainText(PlainTextToUtf8(bytes), inner, kind == DocumentKind::Markdown));
        case DocumentKind::Html:
            return bounded.Outcome(ReadHtmlDocument(bytes, inner, limits));
        case DocumentKind::Mail:
            return bounded.Outcome(ReadMailMessage(bytes, inner, limits));
        case DocumentKind::Mbox:
            return bounded.Outcome(ReadMbox(bytes, inner, limits));
        case DocumentKind::Docx:
        case DocumentKind::Odt:
            return bounded.Outcome(ReadOfficeDocument(kind, bytes, inner, limits));
        case DocumentKind::Unknown:
            break;
    }
    return DocumentOutcome::Unsupported;
}

DocumentOutcome ReadDocumentFile(const std::string& path, const DocumentSink& sink, const DocumentLimits& limits)
{
    const DocumentKind kind = DocumentKindOf(path);
    if (kind == DocumentKind::Unknown)
        return DocumentOutcome::Unsupported;
    if (kind == DocumentKind::PlainText || kind == DocumentKind::Markdown) {
        CBoundedSink bounded(sink, limits.textBytes);
        return bounded.Outcome(ReadTextFile(path, bounded.Sink(), kind == DocumentKind::Markdown));
    }
    const std::unique_ptr<pvbase::FileHandle> file = pvbase::FileHandle::Open(path, pvbase::OpenMode::ReadOnly);
    if (!file)
        return DocumentOutcome::Unreadable;
    const std::int64_t size = file->Size();
    if (size < 0)
        return DocumentOutcome::Unreadable;
    if (static_cast<std::uint64_t>(size) > limits.fileBytes)
        return DocumentOutcome::TooLarge;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (size > 0 && file->Read(0, bytes.data(), static_cast<int>(size)) != static_cast<int>(size))
        return DocumentOutcome::Unreadable;
    return ReadDocument(kind, bytes, sink, limits);
}
