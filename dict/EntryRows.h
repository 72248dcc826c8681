#pragma once
// The entries a dictionary editor lists for a query, as rows of the dictionary: every entry for
// an empty query, else those whose key begins with the query text. Rows are read on demand, so a
// list of a million entries costs nothing until it is drawn.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class CDictionaryFile;

class CEntryRows {
public:
    // Called every kProgressStep rows walked with the rows found so far; false stops the walk
    // (the rows found until then stay listed).
    using Progress = std::function<bool(int found)>;
    static constexpr int kProgressStep = 4096;

    // Lists the entries of the dictionary for the query text. Keys of every length are listed.
    void Query(CDictionaryFile& dictionary, std::string_view text, const Progress& progress = {});
    int Count() const { return m_all ? m_allCount : static_cast<int>(m_rows.size()); }
    // Key and data of a listed row; false for a row that is not there (the file changed).
    bool Read(int index, std::string& key, std::string& data);
    // The dictionary row of a listed row.
    int DictionaryRow(int index) const { return m_all ? index : m_rows[static_cast<std::size_t>(index)]; }
    void Clear();

private:
    CDictionaryFile* m_dictionary = nullptr;
    bool m_all = false;
    int m_allCount = 0;
    std::vector<int> m_rows;
    // The last row read: a list asks for each column of a row in turn.
    int m_cachedIndex = -1;
    std::string m_cachedKey;
    std::string m_cachedData;
};
