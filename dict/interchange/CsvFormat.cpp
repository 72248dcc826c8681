// Two-column CSV as spreadsheets write it: abbreviation, text; "," or ";" between the fields;
// quoted fields with quotes and line breaks inside. Parsed by libcsv.

#include <csv.h>

#include <string>

#include "dict/interchange/InterchangeText.h"
#include "dict/interchange/ShorthandInterchange.h"

namespace interchange {

namespace {

bool IsOneOf(std::string field, std::initializer_list<const char*> names)
{
    for (char& c : field)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    for (const char* name : names)
        if (field == name)
            return true;
    return false;
}

// A first row that names its columns instead of holding a shorthand.
bool IsHeaderRow(const std::string& first, const std::string& second)
{
    return IsOneOf(first, {"abbreviation", "abbr", "shorthand", "keyword", "trigger", "shortcut", "key"}) &&
           IsOneOf(second, {"text", "replacement", "replace", "snippet", "expansion", "phrase", "data", "value"});
}

// The separator of the first line: the one of "," and ";" found more often outside quotes.
char SeparatorOf(std::string_view text)
{
    int commas = 0, semicolons = 0;
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\n' || c == '\r'))
            break;
        else if (!quoted)
            commas += c == ',', semicolons += c == ';';
    }
    return semicolons > commas ? ';' : ',';
}

class CCsvReader {
public:
    explicit CCsvReader(std::string_view text)
    {
        if (text.substr(0, 3) == "\xEF\xBB\xBF")
            text.remove_prefix(3);
        if (csv_init(&m_parser, 0) != 0) {
            m_reading.problem = "Out of memory.";
            return;
        }
        csv_set_delim(&m_parser, static_cast<unsigned char>(SeparatorOf(text)));
        // Fed a line at a time, so that each row knows the line it starts on.
        std::size_t start = 0;
        while (start < text.size() && m_reading.problem.empty()) {
            std::size_t end = text.find('\n', start);
            end = end == std::string_view::npos ? text.size() : end + 1;
            ++m_line;
            if (m_parser.pstate == 0)  // no row begun yet: one may start on this line
                m_rowLine = m_line;
            if (csv_parse(&m_parser, text.data() + start, end - start, &CCsvReader::OnField, &CCsvReader::OnRow,
                          this) != end - start)
                m_reading.problem = std::string("Not CSV: ") + csv_strerror(csv_error(&m_parser)) + ".";
            start = end;
        }
        if (m_reading.problem.empty())
            csv_fini(&m_parser, &CCsvReader::OnField, &CCsvReader::OnRow, this);
        csv_free(&m_parser);
    }
    ShorthandReading Take() { return std::move(m_reading); }

private:
    static void OnField(void* field, std::size_t size, void* self)
    {
        auto& reader = *static_cast<CCsvReader*>(self);
        if (reader.m_fields.size() < 2)
            reader.m_fields.emplace_back(field ? static_cast<const char*>(field) : "", field ? size : 0);
        ++reader.m_fieldCount;
    }
    static void OnRow(int, void* self) { static_cast<CCsvReader*>(self)->TakeRow(); }

    void TakeRow()
    {
        const bool first = m_rows++ == 0;
        std::vector<std::string> fields;
        fields.swap(m_fields);
        const int line = m_rowLine;
        m_rowLine = m_line + 1;
        m_fieldCount = 0;
        if (fields.size() == 1 && fields[0].empty())
            return;  // a blank row
        if (fields.size() < 2) {
            Skip(m_reading, line, fields.empty() ? "" : fields[0], "the row has no second column with the text");
            return;
        }
        if (first && IsHeaderRow(fields[0], fields[1]))
            return;
        if (fields[0].empty()) {
            Skip(m_reading, line, "(row)", "its abbreviation is empty");
            return;
        }
        if (fields[1].empty()) {
            Skip(m_reading, line, fields[0], "its text is empty");
            return;
        }
        ShorthandEntry entry;
        entry.abbreviation = std::move(fields[0]);
        entry.text = CrLfBreaks(fields[1]);
        m_reading.entries.push_back(std::move(entry));
    }

    csv_parser m_parser{};
    ShorthandReading m_reading;
    std::vector<std::string> m_fields;
    int m_fieldCount = 0;
    int m_rows = 0;
    int m_line = 0;
    int m_rowLine = 1;
};

void AppendQuoted(std::string& out, std::string_view field)
{
    out += '"';
    for (char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

}  // namespace

ShorthandReading ReadCsv(std::string_view text)
{
    return CCsvReader(text).Take();
}

ShorthandWriting WriteCsv(const std::vector<ShorthandEntry>& entries)
{
    ShorthandWriting writing;
    writing.text = "\xEF\xBB\xBF";  // spreadsheets take the file for UTF-8 only with it
    // A first shorthand that looks like column names would be taken for them when read back.
    if (!entries.empty() && IsHeaderRow(entries.front().abbreviation, LfBreaks(entries.front().text)))
        writing.text += "abbreviation,text\r\n";
    int place = 0;
    for (const ShorthandEntry& entry : entries) {
        ++place;
        if (entry.abbreviation.empty() || entry.text.empty()) {
            writing.notHeld.push_back({place, entry.abbreviation, "an empty abbreviation or text is no row"});
            continue;
        }
        if (entry.propagateCase || !entry.wordBoundary)
            writing.notHeld.push_back(
                {place, entry.abbreviation, "CSV keeps no options: the case or word option is left out"});
        ++writing.written;
        AppendQuoted(writing.text, entry.abbreviation);
        writing.text += ',';
        AppendQuoted(writing.text, LfBreaks(entry.text));
        writing.text += "\r\n";
    }
    return writing;
}

}  // namespace interchange
