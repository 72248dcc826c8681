// E-mail bodies: the parts a reader sees as text, never the headers (addresses, subjects of other
// people, routing). Quoted lines of earlier messages ("> ...") are left out too.
#include <string>
#include <string_view>
#include <vector>

#include "base/HexDigit.h"
#include "dict/DocumentText.h"
#include "dict/Utf8Case.h"

namespace {

std::string_view Trim(std::string_view text)
{
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos)
        return {};
    const std::size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(start, end - start + 1);
}

// The next line without its end; text moves past it.
std::string_view TakeLine(std::string_view& text)
{
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

struct MailHeaders {
    std::string type = "text/plain";
    std::string charset;
    std::string boundary;
    std::string encoding;
    bool attachment = false;
};

// "value; name=value; name=\"value\"": the value before the parameters, and one parameter.
std::string HeaderValue(std::string_view field)
{
    return utf8case::Lowered(Trim(field.substr(0, field.find(';'))));
}

std::string HeaderParameter(std::string_view field, std::string_view wanted)
{
    constexpr std::size_t npos = std::string_view::npos;
    for (std::size_t at = field.find(';'); at != npos;) {
        const std::size_t equals = field.find('=', at + 1);
        if (equals == npos)
            return {};
        const std::string name = utf8case::Lowered(Trim(field.substr(at + 1, equals - at - 1)));
        std::size_t start = equals + 1;
        while (start < field.size() && (field[start] == ' ' || field[start] == '\t'))
            ++start;
        std::string_view value;
        if (start < field.size() && field[start] == '"') {
            const std::size_t close = field.find('"', start + 1);
            value = field.substr(start + 1, close == npos ? npos : close - start - 1);
            at = close == npos ? npos : field.find(';', close);
        } else {
            at = field.find(';', start);
            value = Trim(field.substr(start, at == npos ? npos : at - start));
        }
        if (name == wanted)
            return std::string(value);
    }
    return {};
}

// Reads the header block (unfolding continued lines); text is left at the body.
MailHeaders ReadHeaders(std::string_view& text)
{
    MailHeaders headers;
    std::string field;
    auto take = [&headers](const std::string& line) {
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            return;
        const std::string name = utf8case::Lowered(Trim(std::string_view(line).substr(0, colon)));
        const std::string_view value = std::string_view(line).substr(colon + 1);
        if (name == "content-type") {
            headers.type = HeaderValue(value);
            headers.charset = HeaderParameter(value, "charset");
            headers.boundary = HeaderParameter(value, "boundary");
        } else if (name == "content-transfer-encoding") {
            headers.encoding = HeaderValue(value);
        } else if (name == "content-disposition") {
            headers.attachment = HeaderValue(value) == "attachment";
        }
    };
    while (!text.empty()) {
        const std::string_view line = TakeLine(text);
        if (line.empty())
            break;
        if ((line.front() == ' ' || line.front() == '\t') && !field.empty()) {
            field.append(line);
            continue;
        }
        take(field);
        field.assign(line);
    }
    take(field);
    return headers;
}

int Base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    return c == '+' ? 62 : c == '/' ? 63 : -1;
}

std::string DecodeBase64(std::string_view text)
{
    std::string out;
    out.reserve(text.size() / 4 * 3);
    unsigned bits = 0;
    int held = 0;
    for (const char c : text) {
        if (c == '=')
            break;
        const int value = Base64Value(c);
        if (value < 0)
            continue;
        bits = (bits << 6) | static_cast<unsigned>(value);
        held += 6;
        if (held >= 8) {
            held -= 8;
            out += static_cast<char>((bits >> held) & 0xFF);
        }
    }
    return out;
}

std::string DecodeQuotedPrintable(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '=') {
            out += text[i];
            continue;
        }
        // A soft line break joins the lines; "=XX" is a byte.
        std::size_t next = i + 1;
        while (next < text.size() && (text[next] == ' ' || text[next] == '\t'))
            ++next;
        if (next < text.size() && (text[next] == '\r' || text[next] == '\n')) {
            i = next + (text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n' ? 1 : 0);
            continue;
        }
        const int high = i + 1 < text.size() ? pvbase::HexDigitValue(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? pvbase::HexDigitValue(text[i + 2]) : -1;
        if (high >= 0 && low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += '=';
        }
    }
    return out;
}

class CMailReader {
public:
    CMailReader(const DocumentSink& sink, const DocumentLimits& limits) : m_sink(sink), m_limits(limits) {}

    // False when the sink stopped the reading.
    bool Message(std::string_view text, unsigned depth)
    {
        const MailHeaders headers = ReadHeaders(text);
        return Entity(headers, text, depth);
    }

private:
    bool Entity(const MailHeaders& headers, std::string_view body, unsigned depth)
    {
        if (depth > m_limits.mimeDepth || ++m_parts > m_limits.mimeParts || headers.attachment)
            return true;
        if (headers.type.compare(0, 10, "multipart/") == 0)
            return Multipart(headers, body, depth);
        if (headers.type == "message/rfc822")
            return Message(body, depth + 1);
        if (headers.type != "text/plain")
            return true;
        std::string decoded = headers.encoding == "base64"             ? DecodeBase64(body)
                              : headers.encoding == "quoted-printable" ? DecodeQuotedPrintable(body)
                                                                       : std::string(body);
        if (decoded.size() > m_unpackedLeft)
            decoded.resize(m_unpackedLeft);
        m_unpackedLeft -= decoded.size();
        return Text(CharsetToUtf8(decoded, headers.charset));
    }

    bool Multipart(const MailHeaders& headers, std::string_view body, unsigned depth)
    {
        if (headers.boundary.empty())
            return true;
        const std::string delimiter = "--" + headers.boundary;
        std::vector<std::string_view> parts;
        const char* partStart = nullptr;
        while (!body.empty()) {
            const char* lineStart = body.data();
            const std::string_view line = TakeLine(body);
            if (line.compare(0, delimiter.size(), delimiter) != 0)
                continue;
            if (partStart && parts.size() < m_limits.mimeParts)
                parts.emplace_back(partStart, static_cast<std::size_t>(lineStart - partStart));
            if (line.compare(delimiter.size(), 2, "--") == 0)
                break;
            partStart = body.data();
        }
        // Of alternatives, the plain one alone: the same words would otherwise count twice.
        const bool alternative = headers.type == "multipart/alternative";
        for (std::string_view part : parts) {
            const MailHeaders inner = ReadHeaders(part);
            if (alternative && inner.type != "text/plain")
                continue;
            if (!Entity(inner, part, depth + 1))
                return false;
            if (alternative)
                break;
        }
        return true;
    }

    bool Text(std::string_view text)
    {
        std::string out;
        while (!text.empty()) {
            const std::string_view line = TakeLine(text);
            if (line.empty() || line.front() != '>')
                out.append(line).append("\n");
        }
        return m_sink(out);
    }

    const DocumentSink& m_sink;
    const DocumentLimits& m_limits;
    std::size_t m_parts = 0;
    std::size_t m_unpackedLeft = m_limits.unpackedBytes;
};

}  // namespace

DocumentOutcome ReadMailMessage(std::string_view message, const DocumentSink& sink, const DocumentLimits& limits)
{
    CMailReader reader(sink, limits);
    return reader.Message(message, 0) ? DocumentOutcome::Read : DocumentOutcome::Stopped;
}

DocumentOutcome ReadMbox(std::string_view mbox, const DocumentSink& sink, const DocumentLimits& limits)
{
    // Messages begin at "From " lines; a body line that began so was written as ">From ".
    std::string message;
    bool started = false;
    auto finish = [&]() {
        if (!started)
            return true;
        CMailReader reader(sink, limits);
        return reader.Message(message, 0);
    };
    bool blankBefore = true;
    while (!mbox.empty()) {
        const std::string_view line = TakeLine(mbox);
        if (blankBefore && line.compare(0, 5, "From ") == 0) {
            if (!finish())
                return DocumentOutcome::Stopped;
            message.clear();
            started = true;
        } else if (started) {
            const std::size_t quotes = line.find_first_not_of('>');
            const bool escaped =
                quotes != std::string_view::npos && quotes > 0 && line.compare(quotes, 5, "From ") == 0;
            message.append(escaped ? line.substr(1) : line).append("\n");
        }
        blankBefore = line.empty();
    }
    return finish() ? DocumentOutcome::Read : DocumentOutcome::Stopped;
}
