#pragma once
// A straightforward AutoLearn store that walks the file record by record on every call: a
// seek and a 516-byte read per record, no memory of its own. Tests compare the indexed store
// with it; the benchmark measures against it. Word extraction is shared (CAutoLearnWordRules).

#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "dict/AutoLearnDictionary.h"
#include "dict/AutoLearnRecord.h"
#include "dict/AutoLearnWordRules.h"

// The bytes of one record, and of the marker a UTF-8 file starts with.
inline std::string RecordBytes(std::int32_t count, const std::string& text)
{
    unsigned char bytes[kAutoLearnRecordSize];
    EncodeAutoLearnRecord(count, text, bytes);
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}
inline std::string MarkerBytes()
{
    unsigned char bytes[kAutoLearnRecordSize];
    EncodeAutoLearnMarker(bytes);
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

class CReferenceAutoLearn {
public:
    ~CReferenceAutoLearn() { Close(); }

    bool Open(const std::string& path)
    {
        Close();
        m_file = std::fopen(path.c_str(), "r+b");
        if (!m_file)
            m_file = std::fopen(path.c_str(), "w+b");
        if (!m_file)
            return false;
        std::fseek(m_file, 0, SEEK_END);
        m_count = static_cast<std::size_t>(std::ftell(m_file)) / kAutoLearnRecordSize;
        m_current = 0;
        // Files are UTF-8: a new one gets the marker, which is no record.
        if (m_count == 0) {
            unsigned char marker[kAutoLearnRecordSize];
            EncodeAutoLearnMarker(marker);
            if (std::fwrite(marker, 1, sizeof marker, m_file) != sizeof marker || std::fflush(m_file) != 0)
                return false;
        } else {
            --m_count;
        }
        return true;
    }
    void Close()
    {
        if (m_file)
            std::fclose(m_file);
        m_file = nullptr;
        m_count = m_current = 0;
    }

    CAutoLearnWordRules rules;
    unsigned minWordLength = 3;
    std::int32_t offerThreshold = 1;
    IKnownWords* knownWords = nullptr;

    std::size_t RecordCount() const { return m_count; }

    LearnOutcome Learn(const std::string& typed)
    {
        if (!m_file)
            return LearnOutcome::NotLearnt;
        const std::string word = rules.ExtractWord(typed);
        if (word.empty() || CAutoLearnWordRules::Length(word) < minWordLength)
            return LearnOutcome::NotLearnt;
        if (knownWords && knownWords->HoldsExactly(word))
            return LearnOutcome::NotLearnt;
        for (std::size_t i = 0; i < m_count; ++i) {
            AutoLearnRecord record;
            if (!Read(i, record))
                return LearnOutcome::WriteFailed;
            if (record.text == word) {
                const std::int32_t count =
                    record.count == std::numeric_limits<std::int32_t>::max() ? record.count : record.count + 1;
                m_current = i;
                return Write(i, count, word) ? LearnOutcome::Counted : LearnOutcome::WriteFailed;
            }
        }
        if (!Write(m_count, 1, word))
            return LearnOutcome::WriteFailed;
        m_current = m_count++;
        return LearnOutcome::Added;
    }

    // An imported line: the first record of the text gets the count added, else a new record.
    bool Import(std::int32_t count, const std::string& text)
    {
        for (std::size_t i = 0; i < m_count; ++i) {
            AutoLearnRecord record;
            if (!Read(i, record))
                return false;
            if (record.text == text) {
                const long long sum = static_cast<long long>(record.count) + count;
                const std::int32_t total = static_cast<std::int32_t>(
                    sum > std::numeric_limits<std::int32_t>::max()   ? std::numeric_limits<std::int32_t>::max()
                    : sum < std::numeric_limits<std::int32_t>::min() ? std::numeric_limits<std::int32_t>::min()
                                                                     : sum);
                m_current = i;
                return Write(i, total, text);
            }
        }
        return Append(count, text);
    }

    bool Append(std::int32_t count, const std::string& text)
    {
        if (!m_file || !Write(m_count, count, text))
            return false;
        m_current = m_count++;
        return true;
    }

    std::string FirstSuggestion(const std::string& prefix)
    {
        m_current = 0;
        return NextSuggestion(prefix);
    }
    std::string NextSuggestion(const std::string& prefix)
    {
        while (m_file && m_current < m_count) {
            AutoLearnRecord record;
            if (!Read(m_current, record))
                break;
            ++m_current;
            if (record.count >= offerThreshold && record.text.compare(0, prefix.size(), prefix) == 0 &&
                record.text.size() >= prefix.size())
                return record.text;
        }
        m_current = m_count;
        return std::string();
    }

    std::vector<AutoLearnRecord> ReadAll()
    {
        std::vector<AutoLearnRecord> all;
        AutoLearnRecord record;
        for (std::size_t i = 0; i < m_count && Read(i, record); ++i)
            all.push_back(record);
        return all;
    }

private:
    bool Read(std::size_t index, AutoLearnRecord& record)
    {
        unsigned char bytes[kAutoLearnRecordSize];
        if (std::fseek(m_file, static_cast<long>((index + 1) * kAutoLearnRecordSize), SEEK_SET) != 0 ||
            std::fread(bytes, 1, sizeof bytes, m_file) != sizeof bytes)
            return false;
        record = DecodeAutoLearnRecord(bytes);
        return true;
    }
    bool Write(std::size_t index, std::int32_t count, const std::string& text)
    {
        unsigned char bytes[kAutoLearnRecordSize];
        EncodeAutoLearnRecord(count, AutoLearnStoredText(text), bytes);
        return std::fseek(m_file, static_cast<long>((index + 1) * kAutoLearnRecordSize), SEEK_SET) == 0 &&
               std::fwrite(bytes, 1, sizeof bytes, m_file) == sizeof bytes && std::fflush(m_file) == 0;
    }

    std::FILE* m_file = nullptr;
    std::size_t m_count = 0;
    std::size_t m_current = 0;
};

// Every whole record of a file but the UTF-8 marker, read afresh (a remainder past the last whole
// record is ignored).
inline std::vector<AutoLearnRecord> ScanAutoLearnFile(const std::string& path)
{
    std::vector<AutoLearnRecord> all;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return all;
    unsigned char bytes[kAutoLearnRecordSize];
    for (bool first = true; std::fread(bytes, 1, sizeof bytes, file) == sizeof bytes; first = false) {
        if (!first || !IsAutoLearnMarker(bytes))
            all.push_back(DecodeAutoLearnRecord(bytes));
    }
    std::fclose(file);
    return all;
}
