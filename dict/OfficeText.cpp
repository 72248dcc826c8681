// .docx and .odt: a zip archive (minizip over the bytes in memory) whose main part is XML (expat,
// fed as it is unpacked). Only the paragraphs' text is taken; the archive's claims of size are
// not believed: unpacking stops at the limit, and so does the XML at its depth limit.
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include <expat.h>
#include <unzip.h>

#include "dict/DocumentText.h"

namespace {

// The archive's bytes as minizip's file functions see them.
struct MemoryArchive {
    std::string_view bytes;
    ZPOS64_T position = 0;
};

voidpf ZCALLBACK OpenMemory(voidpf opaque, const void*, int mode)
{
    return (mode & ZLIB_FILEFUNC_MODE_WRITE) ? nullptr : opaque;
}

uLong ZCALLBACK ReadMemory(voidpf, voidpf stream, void* buffer, uLong size)
{
    auto* archive = static_cast<MemoryArchive*>(stream);
    if (archive->position >= archive->bytes.size())
        return 0;
    const auto left = static_cast<ZPOS64_T>(archive->bytes.size()) - archive->position;
    const auto count = static_cast<uLong>(size < left ? size : left);
    std::memcpy(buffer, archive->bytes.data() + archive->position, count);
    archive->position += count;
    return count;
}

uLong ZCALLBACK WriteMemory(voidpf, voidpf, const void*, uLong)
{
    return 0;
}

ZPOS64_T ZCALLBACK TellMemory(voidpf, voidpf stream)
{
    return static_cast<MemoryArchive*>(stream)->position;
}

long ZCALLBACK SeekMemory(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    auto* archive = static_cast<MemoryArchive*>(stream);
    const ZPOS64_T size = archive->bytes.size();
    ZPOS64_T base = origin == ZLIB_FILEFUNC_SEEK_CUR ? archive->position : origin == ZLIB_FILEFUNC_SEEK_END ? size : 0;
    if (offset > size || base + offset > size)
        return -1;
    archive->position = base + offset;
    return 0;
}

int ZCALLBACK CloseMemory(voidpf, voidpf)
{
    return 0;
}

int ZCALLBACK ErrorOfMemory(voidpf, voidpf)
{
    return 0;
}

struct UnzipCloser {
    void operator()(void* file) const { unzClose(file); }
};
struct ParserFreer {
    void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};

// What marks text in each kind: the element whose character data is text (docx), or the
// paragraphs whose whole content is (odt), and the elements that stand for a blank or a break.
struct Vocabulary {
    const char* textElement;  // null: all character data inside a paragraph
    const char* paragraphs[2];
    const char* blanks[3];
    const char* breaks[2];
};
const Vocabulary kDocx{"w:t", {"w:p", nullptr}, {"w:tab", nullptr, nullptr}, {"w:br", "w:cr"}};
const Vocabulary kOdt{nullptr, {"text:p", "text:h"}, {"text:s", "text:tab", nullptr}, {"text:line-break", nullptr}};

bool IsOneOf(const char* name, const char* const* names, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (names[i] && std::strcmp(name, names[i]) == 0)
            return true;
    }
    return false;
}

class CXmlText {
public:
    CXmlText(const Vocabulary& vocabulary, const DocumentSink& sink, unsigned maxDepth)
        : m_vocabulary(vocabulary), m_sink(sink), m_maxDepth(maxDepth), m_parser(XML_ParserCreate("UTF-8"))
    {
        if (!m_parser)
            return;
        XML_SetUserData(m_parser.get(), this);
        XML_SetElementHandler(m_parser.get(), &CXmlText::OnStart, &CXmlText::OnEnd);
        XML_SetCharacterDataHandler(m_parser.get(), &CXmlText::OnText);
        // Office documents declare no entities: one that does is refused.
        XML_SetEntityDeclHandler(m_parser.get(), &CXmlText::OnEntity);
    }

    // False once the parse is over (an error, the depth limit, a stop).
    bool Feed(const char* bytes, int length, bool last)
    {
        if (!m_parser || m_failed || m_stopped)
            return false;
        if (XML_Parse(m_parser.get(), bytes, length, last ? XML_TRUE : XML_FALSE) != XML_STATUS_OK) {
            if (!m_stopped)
                m_failed = true;
            return false;
        }
        return last ? Flush() : true;
    }
    DocumentOutcome Outcome() const
    {
        return m_stopped               ? DocumentOutcome::Stopped
               : m_failed || !m_parser ? DocumentOutcome::Damaged
                                       : DocumentOutcome::Read;
    }

private:
    static void XMLCALL OnStart(void* self, const XML_Char* name, const XML_Char**)
    {
        static_cast<CXmlText*>(self)->Start(name);
    }
    static void XMLCALL OnEnd(void* self, const XML_Char* name) { static_cast<CXmlText*>(self)->End(name); }
    static void XMLCALL OnText(void* self, const XML_Char* text, int length)
    {
        static_cast<CXmlText*>(self)->Text(std::string_view(text, static_cast<std::size_t>(length)));
    }
    static void XMLCALL OnEntity(void* self, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                                 const XML_Char*, const XML_Char*, const XML_Char*)
    {
        static_cast<CXmlText*>(self)->Fail();
    }

    void Fail()
    {
        m_failed = true;
        XML_StopParser(m_parser.get(), XML_FALSE);
    }
    void Start(const char* name)
    {
        if (++m_depth > m_maxDepth)
            return Fail();
        if (IsOneOf(name, m_vocabulary.paragraphs, 2))
            ++m_inParagraph;
        else if (m_vocabulary.textElement && std::strcmp(name, m_vocabulary.textElement) == 0)
            ++m_inText;
        else if (IsOneOf(name, m_vocabulary.blanks, 3))
            m_text += ' ';
        else if (IsOneOf(name, m_vocabulary.breaks, 2))
            m_text += '\n';
    }
    void End(const char* name)
    {
        --m_depth;
        if (IsOneOf(name, m_vocabulary.paragraphs, 2)) {
            // A blank line, as between the paragraphs of plain text: a heading's last word does
            // not pair with the first of the paragraph after it.
            --m_inParagraph;
            m_text += "\n\n";
            Flush();
        } else if (m_vocabulary.textElement && std::strcmp(name, m_vocabulary.textElement) == 0) {
            --m_inText;
        }
    }
    void Text(std::string_view text)
    {
        if (m_vocabulary.textElement ? m_inText > 0 : m_inParagraph > 0)
            m_text.append(text);
        // A paragraph without end is handed on in pieces: at a blank, so that no word is cut.
        if (m_text.size() > 64 * 1024) {
            const std::size_t blank = m_text.find_last_of(" \n");
            if (blank != std::string::npos && blank > 0) {
                const std::string rest = m_text.substr(blank + 1);
                m_text.resize(blank + 1);
                Flush();
                m_text = rest;
            }
        }
    }
    bool Flush()
    {
        if (m_stopped || m_failed || m_text.empty())
            return !m_stopped && !m_failed;
        if (!m_sink(m_text)) {
            m_stopped = true;
            XML_StopParser(m_parser.get(), XML_FALSE);
        }
        m_text.clear();
        return !m_stopped;
    }

    const Vocabulary& m_vocabulary;
    const DocumentSink& m_sink;
    unsigned m_maxDepth;
    std::unique_ptr<XML_ParserStruct, ParserFreer> m_parser;
    unsigned m_depth = 0;
    int m_inParagraph = 0;
    int m_inText = 0;
    std::string m_text;
    bool m_failed = false;
    bool m_stopped = false;
};

}  // namespace

DocumentOutcome ReadOfficeDocument(DocumentKind kind, std::string_view bytes, const DocumentSink& sink,
                                   const DocumentLimits& limits)
{
    if (kind != DocumentKind::Docx && kind != DocumentKind::Odt)
        return DocumentOutcome::Unsupported;
    MemoryArchive memory{bytes};
    zlib_filefunc64_def functions{&OpenMemory, &ReadMemory,  &WriteMemory,   &TellMemory,
                                  &SeekMemory, &CloseMemory, &ErrorOfMemory, &memory};
    const std::unique_ptr<void, UnzipCloser> archive(unzOpen2_64("document", &functions));
    if (!archive)
        return DocumentOutcome::Damaged;
    const char* part = kind == DocumentKind::Docx ? "word/document.xml" : "content.xml";
    if (unzLocateFile(archive.get(), part, 1) != UNZ_OK || unzOpenCurrentFile(archive.get()) != UNZ_OK)
        return DocumentOutcome::Damaged;
    CXmlText xml(kind == DocumentKind::Docx ? kDocx : kOdt, sink, limits.xmlDepth);
    char buffer[64 * 1024];
    std::size_t unpacked = 0;
    bool broken = false;
    for (;;) {
        const int got = unzReadCurrentFile(archive.get(), buffer, sizeof buffer);
        broken = got < 0;
        const bool last = got <= 0 || unpacked + static_cast<std::size_t>(got) >= limits.unpackedBytes;
        unpacked += got > 0 ? static_cast<std::size_t>(got) : 0;
        if (!xml.Feed(buffer, got > 0 ? got : 0, last) || last)
            break;
    }
    // A bad checksum is reported at the close of the entry.
    if (unzCloseCurrentFile(archive.get()) == UNZ_CRCERROR)
        broken = true;
    const DocumentOutcome outcome = xml.Outcome();
    if (outcome == DocumentOutcome::Stopped)
        return outcome;
    if (unpacked >= limits.unpackedBytes)
        return DocumentOutcome::Read;  // as much as a document may give
    return broken ? DocumentOutcome::Damaged : outcome;
}
