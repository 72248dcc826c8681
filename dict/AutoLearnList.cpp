#include "dict/AutoLearnList.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <unordered_map>

#include "base/FileIo.h"
#include "dict/AutoLearnDictionary.h"

namespace {

// What an import keeps of one line: a stored text holds 511 bytes and a count a few digits.
constexpr std::size_t kMaxLine = 4096;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

// The next line without its end, cut at kMaxLine (the rest of a longer line is skipped, but its
// last tab and count are kept); false at the end of the file.
bool ReadBoundedLine(std::FILE* file, std::string& line)
{
    line.clear();
    std::string tail;  // a cut line's last bytes, for its count
    int c;
    bool any = false;
    while ((c = std::fgetc(file)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        if (line.size() < kMaxLine)
            line += static_cast<char>(c);
        else if (c == '\t')
            tail = "\t";
        else if (!tail.empty() && tail.size() < 32)
            tail += static_cast<char>(c);
    }
    line += tail;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return any;
}

// Writes bytes beside the file, then moves them over it.
template <class Fill>
bool ReplaceFileWith(const std::string& path, Fill fill)
{
    const std::string temporary = path + ".part";
    bool ok = false;
    {
        FilePointer out(std::fopen(temporary.c_str(), "wb"));
        ok = out && fill(out.get()) && std::fflush(out.get()) == 0;
    }
    if (ok && pvbase::ReplaceFileAtomically(temporary, path))
        return true;
    pvbase::RemoveFileIfExists(temporary);
    return false;
}

}  // namespace

void CAutoLearnList::Assign(std::vector<AutoLearnRecord> oldestFirst)
{
    m_records = std::move(oldestFirst);
}

void CAutoLearnList::InsertTop(std::string text)
{
    m_records.push_back(AutoLearnRecord{1, std::move(text)});
}

void CAutoLearnList::SetText(int row, std::string text)
{
    AutoLearnRecord& record = m_records[Index(row)];
    record.text = std::move(text);
    record.count = 1;
}

void CAutoLearnList::Remove(std::vector<int> rows)
{
    std::vector<bool> doomed(m_records.size(), false);
    for (int row : rows) {
        if (row >= 0 && row < Count())
            doomed[Index(row)] = true;
    }
    std::size_t index = 0;
    m_records.erase(
        std::remove_if(m_records.begin(), m_records.end(), [&](const AutoLearnRecord&) { return doomed[index++]; }),
        m_records.end());
}

int CAutoLearnList::ImportText(const std::string& path, const Progress& progress)
{
    FilePointer in(std::fopen(path.c_str(), "rb"));
    if (!in)
        return 0;
    std::unordered_map<std::string, std::size_t> listed;
    for (std::size_t i = 0; i < m_records.size(); ++i)
        listed.emplace(m_records[i].text, i);
    int imported = 0;
    std::string line;
    while (ReadBoundedLine(in.get(), line) && !line.empty()) {
        AutoLearnRecord record = CAutoLearnDictionary::ParseImportLine(line);
        record.text = AutoLearnStoredText(record.text, m_leadBytes);
        const auto [at, isNew] = listed.emplace(record.text, m_records.size());
        if (isNew) {
            m_records.push_back(std::move(record));
        } else {
            // A word learnt already: its count grows instead of a second record that nobody sees.
            std::int32_t& count = m_records[at->second].count;
            const std::int64_t sum = static_cast<std::int64_t>(count) + record.count;
            count = static_cast<std::int32_t>(std::clamp<std::int64_t>(sum, INT32_MIN, INT32_MAX));
        }
        ++imported;
        if (progress && imported % 10 == 0 && !progress(imported))
            break;
    }
    return imported;
}

int CAutoLearnList::ExportText(const std::string& path, const Progress& progress) const
{
    int written = 0;
    const bool ok = ReplaceFileWith(path, [&](std::FILE* out) {
        for (const AutoLearnRecord& record : m_records) {
            if (std::fprintf(out, "%s\t%d\r\n", record.text.c_str(), static_cast<int>(record.count)) < 0)
                return false;
            ++written;
            if (progress && written % 10 == 0)
                progress(written);
        }
        return true;
    });
    return ok ? written : 0;
}

bool CAutoLearnList::WriteStoreFile(const std::string& path) const
{
    FilePointer out(std::fopen(path.c_str(), "wb"));
    if (!out)
        return false;
    unsigned char bytes[kAutoLearnRecordSize];
    for (const AutoLearnRecord& record : m_records) {
        if (record.text.empty())
            continue;
        EncodeAutoLearnRecord(record.count, AutoLearnStoredText(record.text, m_leadBytes), bytes);
        if (std::fwrite(bytes, 1, sizeof bytes, out.get()) != sizeof bytes)
            return false;
    }
    return std::fflush(out.get()) == 0;
}
