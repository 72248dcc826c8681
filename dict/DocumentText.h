#pragma once
// The text of the documents a user teaches from, in UTF-8: plain text, Markdown, web pages, e-mail
// (.eml and mbox: bodies only, decoded), .docx and .odt. Each reader hands its text on in pieces; a piece
// that ends a paragraph (or a line of a plain text) ends in '\n', so that nothing is taken as
// following across it. Every reader is bounded: a document never costs more than its limits,
// whatever its bytes say (zip bombs, deep XML, endless MIME nesting).

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

enum class DocumentKind { Unknown, PlainText, Markdown, Html, Mail, Mbox, Docx, Odt };

// By the file name's extension (case ignored): .txt .text .md .markdown .html .htm .xhtml .eml .mbox
// .mbx .docx .odt.
DocumentKind DocumentKindOf(std::string_view path);

struct DocumentLimits {
    std::size_t fileBytes = std::size_t(64) << 20;      // a larger document (but plain text) is refused
    std::size_t unpackedBytes = std::size_t(64) << 20;  // taken out of an archive, per document
    std::size_t textBytes = std::size_t(32) << 20;      // handed on, per document
    unsigned xmlDepth = 256;
    unsigned mimeDepth = 8;
    std::size_t mimeParts = 1000;
};

enum class DocumentOutcome {
    Read,         // all of it, or up to a limit on what it unpacks or hands on
    Unreadable,   // the file cannot be opened or read
    TooLarge,     // over fileBytes
    Damaged,      // not what its kind says (a broken archive, malformed XML)
    Unsupported,  // no reader for this kind
    Stopped,      // the sink asked to stop
};

// Takes a piece of text; false stops the reading.
using DocumentSink = std::function<bool(std::string_view text)>;

DocumentOutcome ReadDocument(DocumentKind kind, std::string_view bytes, const DocumentSink& sink,
                             const DocumentLimits& limits = {});
// A plain text or Markdown file is read piece by piece, whatever its size; others are read whole
// up to fileBytes.
DocumentOutcome ReadDocumentFile(const std::string& path, const DocumentSink& sink, const DocumentLimits& limits = {});

// Bytes in a named character set ("utf-8", "iso-8859-1", "windows-1250", ...; case ignored) as
// UTF-8. An unknown set, or UTF-8 that is not, is read as UTF-8 where it is valid and as
// Windows-1252 where it is not. Broken sequences are left out.
std::string CharsetToUtf8(std::string_view bytes, std::string_view charset);

// The Markdown text of one line without what is markup or code: a fenced block's lines (inFence
// follows the fences across lines) and inline code give nothing.
std::string MarkdownLineText(std::string_view line, bool& inFence);

// The bodies of an e-mail message (multipart walked, text parts decoded from quoted-printable or
// base64 into UTF-8), headers left out. mbox: every message of the file.
DocumentOutcome ReadMailMessage(std::string_view message, const DocumentSink& sink, const DocumentLimits& limits);
DocumentOutcome ReadMbox(std::string_view mbox, const DocumentSink& sink, const DocumentLimits& limits);

// The text a web page shows (HTML or XHTML, read by its byte-order mark or declared charset): no
// script, style or head; a block element ends a paragraph. A page nested deeper than xmlDepth is
// damaged.
DocumentOutcome ReadHtmlDocument(std::string_view page, const DocumentSink& sink, const DocumentLimits& limits);

// The text of an office document's main XML part, taken out of its zip archive.
DocumentOutcome ReadOfficeDocument(DocumentKind kind, std::string_view archive, const DocumentSink& sink,
                                   const DocumentLimits& limits);
