#include "dict/AutoLearnTextExchange.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "dict/AutoLearnDictionary.h"
#include "dict/AutoLearnWordRules.h"
#include "dict/Utf8File.h"

namespace {

// The decimal number at the start of the text, as the C library reads it, held to 32 bits.
std::int32_t LeadingNumber(const std::string& text)
{
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<std::int32_t>(value);
}

class CTextFile {
public:
    CTextFile(const std::string& path, const char* mode) : m_file(OpenUtf8File(path, mode)) {}
    ~CTextFile()
    {
        if (m_file)
            std::fclose(m_file);
    }
    CTextFile(const CTextFile&) = delete;
    CTextFile& operator=(const CTextFile&) = delete;
    std::FILE* get() const { return m_file; }

    // The next line without its line end; false at the end of the file.
    bool ReadLine(std::string& line)
    {
        line.clear();
        int c;
        bool any = false;
        while ((c = std::fgetc(m_file)) != EOF) {
            any = true;
            if (c == '\n')
                break;
            line += static_cast<char>(c);
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return any;
    }

private:
    std::FILE* m_file;
};

}  // namespace

AutoLearnRecord ParseAutoLearnLine(std::string_view line)
{
    const std::size_t tab = line.rfind('\t');
    if (tab == std::string_view::npos || tab == 0)
        return AutoLearnRecord{1, std::string(line)};
    const std::string number(line.substr(tab + 1));
    return AutoLearnRecord{number.empty() ? 1 : LeadingNumber(number), std::string(line.substr(0, tab))};
}

int ExportAutoLearnText(const CAutoLearnDictionary& store, const std::string& path,
                        const AutoLearnTextProgress& progress)
{
    CTextFile out(path, "wb");
    if (!out.get())
        return 0;
    int written = 0;
    for (const AutoLearnRecord& record : store.Records()) {
        if (std::fprintf(out.get(), "%s\t%d\r\n", record.text.c_str(), static_cast<int>(record.count)) < 0)
            break;
        ++written;
        if (progress && written % 10 == 0)
            progress(written);
    }
    return std::fflush(out.get()) == 0 ? written : 0;
}

int ImportAutoLearnText(CAutoLearnDictionary& store, const std::string& path, const AutoLearnTextProgress& progress)
{
    if (!store.IsOpen())
        return 0;
    CTextFile in(path, "rb");
    if (!in.get())
        return 0;
    int imported = 0;
    std::string line;
    while (in.ReadLine(line) && !line.empty()) {
        AutoLearnRecord record = ParseAutoLearnLine(line);
        record.text = AutoLearnStoredText(record.text, store.WordRules().LeadBytes());
        if (!store.CountIn(record))
            break;
        ++imported;
        if (progress && imported % 10 == 0 && !progress(imported))
            break;
    }
    return imported;
}
