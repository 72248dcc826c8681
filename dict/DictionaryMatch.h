#pragma once
// One search result and the search mode bits shared by the dictionaries and the engine.

#include <string>

// Match mode bits: where the query may occur in a key, and which keys take part.
constexpr int MATCH_START = 0x01;    // at the start of the key
constexpr int MATCH_INSIDE = 0x02;   // neither at its start nor at its end
constexpr int MATCH_END = 0x04;      // at its end
constexpr int MATCH_WORDS = 0x08;    // keys without a space (word dictionaries)
constexpr int MATCH_PHRASES = 0x20;  // keys with a space (word dictionaries)
constexpr int MATCH_ANY = -1;        // anywhere, every key

// DBTYPE of a dictionary, also the kind of the matches it yields.
constexpr int DICTIONARY_WORDS = 1;
constexpr int DICTIONARY_SHORTHAND = 2;

struct DictionaryMatch {
    std::string key;              // decoded to the ANSI code page, letter case adapted to the query
    std::string data;             // decoded, caption header in front where the dictionary has one; empty: no data
    int type = DICTIONARY_WORDS;  // DBTYPE of the dictionary; the engine adds its own kinds
    int language = 0;             // primary language id of the dictionary (0: not known)
    bool ownCapital = false;      // the entry itself begins with a capital (a name, a day, a month)

    bool HasData() const { return !data.empty(); }
    int KeyLength() const { return static_cast<int>(key.size()); }
    int DataLength() const { return static_cast<int>(data.size()); }

    // Keeps the buffers: matches are refilled many times during a search.
    void Clear(int newType = DICTIONARY_WORDS)
    {
        key.clear();
        data.clear();
        type = newType;
        language = 0;
        ownCapital = false;
    }
};

// A language's part in a ranked search: ranks are in units where 1000 is a factor of 10 in
// likelihood. As a word's rank: 0 held without a rank. As an offset: what a language's ranks move.
struct LanguageRank {
    int language;
    int rank;
};
