#include "dict/AutoLearnList.h"

#include <algorithm>
#include <memory>
#include <unordered_map>

#include "base/BufferedFileOut.h"
#include "base/FileIo.h"
#include "dict/AutoLearnFile.h"
#include "dict/AutoLearnTextExchange.h"
#include "dict/CodePage.h"

namespace {

// Writes bytes beside the file, then moves them over it; a failed or cancelled fill leaves the
// file as it was and nothing beside it. The fault says why it failed (None: cancelled).
template <class Fill>
bool ReplaceFileWith(const std::string& path, Fill fill, pvbase::FileFault& fault)
{
    const std::string temporary = path + ".part";
    fault = pvbase::FileFault::None;
    bool ok = false;
    {
        pvbase::CBufferedFileOut out(temporary);
        if (!out.IsOpen()) {
            fault = pvbase::LastFileFault();
            return false;
        }
        pvbase::SetLastFileFault(pvbase::FileFault::None);
        ok = fill(out) && out.Drain(true);
        if (!ok)
            fault = pvbase::LastFileFault();
    }
    if (ok && pvbase::ReplaceFileAtomically(temporary, path))
        return true;
    if (ok)
        fault = pvbase::LastFileFault();
    pvbase::RemoveFileIfExists(temporary);
    return false;
}

}  // namespace

void CAutoLearnList::Assign(std::vector<AutoLearnRecord> oldestFirst)
{
    m_records = std::move(oldestFirst);
    m_removedTexts.clear();
}

void CAutoLearnList::InsertTop(std::string text)
{
    m_records.push_back(AutoLearnRecord{1, std::move(text)});
}

void CAutoLearnList::SetText(int row, std::string text)
{
    AutoLearnRecord& record = m_records[Index(row)];
    if (!record.text.empty())
        m_removedTexts.push_back(record.text);
    record.text = std::move(text);
    record.count = 1;
}

void CAutoLearnList::Remove(std::vector<int> rows)
{
    std::vector<bool> doomed(m_records.size(), false);
    for (int row : rows) {
        if (row >= 0 && row < Count() && !doomed[Index(row)]) {
            doomed[Index(row)] = true;
            m_removedTexts.push_back(m_records[Index(row)].text);
        }
    }
    std::size_t index = 0;
    m_records.erase(
        std::remove_if(m_records.begin(), m_records.end(), [&](const AutoLearnRecord&) { return doomed[index++]; }),
        m_records.end());
}

std::vector<std::string> CAutoLearnList::TakeRemovedTexts()
{
    std::vector<std::string> removed;
    removed.swap(m_removedTexts);
    // A text added again since (or kept in another row) is still learnt.
    std::sort(removed.begin(), removed.end());
    removed.erase(std::unique(removed.begin(), removed.end()), removed.end());
    for (const AutoLearnRecord& record : m_records) {
        const auto found = std::lower_bound(removed.begin(), removed.end(), record.text);
        if (found != removed.end() && *found == record.text)
            removed.erase(found);
    }
    return removed;
}

std::unordered_map<std::string, std::size_t> CAutoLearnList::ListedTexts() const
{
    std::unordered_map<std::string, std::size_t> listed;
    for (std::size_t i = 0; i < m_records.size(); ++i)
        listed.emplace(m_records[i].text, i);
    return listed;
}

bool CAutoLearnList::AddCount(std::unordered_map<std::string, std::size_t>& listed, AutoLearnRecord record)
{
    const auto [at, isNew] = listed.emplace(record.text, m_records.size());
    if (isNew) {
        m_records.push_back(std::move(record));
        return true;
    }
    // A word learnt already: its count grows instead of a second record that nobody sees.
    std::int32_t& count = m_records[at->second].count;
    const std::int64_t sum = static_cast<std::int64_t>(count) + record.count;
    count = static_cast<std::int32_t>(std::clamp<std::int64_t>(sum, INT32_MIN, INT32_MAX));
    return false;
}

int CAutoLearnList::AddRecords(const std::vector<AutoLearnRecord>& records)
{
    std::unordered_map<std::string, std::size_t> listed = ListedTexts();
    int added = 0;
    for (const AutoLearnRecord& record : records) {
        if (!record.text.empty() && AddCount(listed, record))
            ++added;
    }
    return added;
}

int CAutoLearnList::ImportText(const std::string& path, const Progress& progress)
{
    CAutoLearnTextReader in(SystemCodePage());
    if (!in.Open(path))
        return -1;
    std::unordered_map<std::string, std::size_t> listed = ListedTexts();
    int imported = 0;
    std::string line;
    while (in.ReadLine(line) && !line.empty()) {
        AutoLearnRecord record = ParseAutoLearnLine(line);
        record.text = AutoLearnStoredText(record.text);
        AddCount(listed, std::move(record));
        ++imported;
        if (progress && imported % 10 == 0 && !progress(imported))
            break;
    }
    return imported;
}

int CAutoLearnList::ExportText(const std::string& path, const Progress& progress, pvbase::FileFault* fault) const
{
    int written = 0;
    pvbase::FileFault failure = pvbase::FileFault::None;
    const bool ok = ReplaceFileWith(
        path,
        [&](pvbase::CBufferedFileOut& out) {
            out.Buffer() = kAutoLearnTextMark;
            for (const AutoLearnRecord& record : m_records) {
                out.Buffer() += record.text;
                out.Buffer() += '\t';
                out.Buffer() += std::to_string(record.count);
                out.Buffer() += "\r\n";
                if (!out.Drain(false))
                    return false;
                ++written;
                if (progress && written % 10 == 0 && !progress(written))
                    return false;
            }
            return true;
        },
        failure);
    if (fault)
        *fault = failure;
    return ok ? written : -1;
}

bool CAutoLearnList::WriteStoreFile(const std::string& path) const
{
    return WriteAutoLearnStoreFile(path, m_records);
}
