#include "dict/EntryRows.h"

#include <climits>

#include "dict/DictionaryFile.h"

void CEntryRows::Clear()
{
    m_all = false;
    m_allCount = 0;
    m_rows.clear();
    m_cachedIndex = -1;
}

void CEntryRows::Query(CDictionaryFile& dictionary, std::string_view text, const Progress& progress)
{
    Clear();
    m_dictionary = &dictionary;
    if (!dictionary.IsOpen())
        return;
    if (text.empty()) {
        // Rows are kept sorted by key: every row, in order, is the whole list.
        m_all = true;
        m_allCount = dictionary.CountEntries();
        return;
    }
    // An editor lists long keys too, which the search leaves out by default.
    const int minimum = dictionary.MinKeyLength(), maximum = dictionary.MaxKeyLength();
    dictionary.SetLengthLimits(0, INT_MAX);
    std::string_view key;
    int walked = 0;
    for (bool found = dictionary.Search().FindFirstKey(text, key, MATCH_START | MATCH_WORDS | MATCH_PHRASES); found;
         found = dictionary.Search().FindNextKey(key)) {
        m_rows.push_back(dictionary.Search().Row());
        if (progress && ++walked % kProgressStep == 0 && !progress(static_cast<int>(m_rows.size())))
            break;
    }
    dictionary.SetLengthLimits(minimum, maximum);
}

bool CEntryRows::Read(int index, std::string& key, std::string& data)
{
    if (!m_dictionary || index < 0 || index >= Count())
        return false;
    if (index != m_cachedIndex) {
        m_cachedIndex = -1;
        if (!m_dictionary->ReadEntry(DictionaryRow(index), m_cachedKey, m_cachedData))
            return false;
        m_cachedIndex = index;
    }
    key = m_cachedKey;
    data = m_cachedData;
    return true;
}
