// Ranks in dictionary files: stored so that readers knowing nothing of them still read the file,
// and the ranked merged search against a brute-force order.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "dict/CodePage.h"
#include "dict/DictionarySet.h"
#include "dict/RankIndex.h"
#include "dict/ScramblingFileStrategy.h"
#include "storage/Storage.h"
#include "tests/dict/DictTestSupport.h"

using namespace dicttest;

namespace {

const int kAllEntries = MATCH_START | MATCH_WORDS | MATCH_PHRASES;

struct RankedEntry {
    const char* key;
    int rank;
};

void MakeRanked(const std::string& path, std::initializer_list<RankedEntry> entries, int type = DICTIONARY_WORDS)
{
    CDictionaryFile dictionary(Windows1252CodePage());
    ASSERT_TRUE(dictionary.Open(path));
    dictionary.SetType(type);
    for (const RankedEntry& entry : entries)
        ASSERT_TRUE(dictionary.AddStoredEntry(entry.key, "", entry.rank));
    ASSERT_TRUE(dictionary.WriteInfo());
}

std::vector<std::string> Ranked(CDictionarySet& set, const std::string& query, std::vector<int>* ranks = nullptr)
{
    std::vector<std::string> keys;
    DictionaryMatch match;
    int rank = 0;
    for (bool found = set.FindFirstRanked(query, match, kAllEntries, true, rank); found;
         found = set.FindNextRanked(match, rank)) {
        keys.push_back(match.key);
        if (ranks)
            ranks->push_back(rank);
    }
    return keys;
}

}  // namespace

// Ranges over part blocks, whole blocks and whole groups, walked in part (one batch) and to the
// end (several), copied and summed up lazily, in place (where a negative rank counts as none) and
// summed up at once.
TEST(RankIndex, WalksEveryRangeInRankOrderLikeASort)
{
    std::mt19937 random(7);
    std::vector<std::uint16_t> ranks(5000);
    for (auto& rank : ranks)
        rank = static_cast<std::uint16_t>(random() % 5 == 0 ? 0 : random() % 400);
    std::vector<unsigned char> packed;
    for (std::size_t row = 0; row < ranks.size(); ++row) {
        const bool negative = row % 97 == 0;
        packed.push_back(negative ? 0x10 : static_cast<unsigned char>(ranks[row] & 0xFF));
        packed.push_back(negative ? 0xFF : static_cast<unsigned char>(ranks[row] >> 8));
    }
    CRankIndex copied, inPlace;
    copied.Build(ranks);
    inPlace.Attach(packed.data(), ranks.size());
    inPlace.SumUpAll();
    for (int trial = 0; trial < 400; ++trial) {
        int first = static_cast<int>(random() % ranks.size());
        int last = static_cast<int>(random() % (ranks.size() + 1));
        if (first > last)
            std::swap(first, last);
        CRankIndex& index = trial % 2 ? inPlace : copied;
        std::vector<std::pair<int, int>> expected;  // (-rank, row)
        for (int row = first; row < last; ++row)
            if (index.RankOf(row) != 0)
                expected.emplace_back(-index.RankOf(row), row);
        std::sort(expected.begin(), expected.end());
        if (trial % 4 < 2 && expected.size() > 5)
            expected.resize(5);
        CRankIndex::Walk walk;
        walk.Start(index, first, last);
        std::vector<std::pair<int, int>> walked;
        for (int row = 0, rank = 0; walked.size() < expected.size() && walk.Next(row, rank);)
            walked.emplace_back(-rank, row);
        ASSERT_EQ(walked, expected) << first << ".." << last << (trial % 2 ? " in place" : " copied");
        int row = 0, rank = 0;
        if (trial % 4 >= 2) {
            ASSERT_FALSE(walk.Next(row, rank)) << first << ".." << last;
        }
    }
    // A long range walked again gives its kept first rows, until the ranks change.
    for (int again = 0; again < 2; ++again) {
        CRankIndex::Walk walk;
        walk.Start(copied, 100, 4900);
        int row = 0, rank = 0;
        ASSERT_TRUE(walk.Next(row, rank));
        EXPECT_EQ(rank, *std::max_element(ranks.begin() + 100, ranks.begin() + 4900));
        if (again == 0) {
            ranks[4800] = 999;
            copied.Build(ranks);
        } else {
            EXPECT_EQ(row, 4800);
        }
    }
    EXPECT_EQ(inPlace.RankOf(97), 0);
    EXPECT_EQ(inPlace.RankOf(98), ranks[98]);
}

TEST(RankedDictionary, RankedFirstThenUnrankedInKeyOrderAcrossDictionaries)
{
    TempFolder folder;
    MakeRanked(folder.File("a.lib"), {{"then", 300}, {"the", 900}, {"thaw", 0}, {"there", 500}, {"other", 800}});
    MakeRanked(folder.File("b.lib"), {{"thus", 400}, {"thesis", 0}, {"Thad", 0}});
    CDictionarySet set(nullptr, Windows1252CodePage());
    ASSERT_TRUE(set.LoadFiles({folder.File("a.lib"), folder.File("b.lib")}));
    std::vector<int> ranks;
    EXPECT_EQ(Ranked(set, "th", &ranks),
              (std::vector<std::string>{"the", "there", "thus", "then", "Thad", "thaw", "thesis"}));
    EXPECT_EQ(ranks, (std::vector<int>{900, 500, 400, 300, 0, 0, 0}));
    // Letter case follows the query as in the key-order search.
    EXPECT_EQ(Ranked(set, "Th")[0], "The");
    // The classic search is unchanged: key order.
    DictionaryMatch match;
    std::vector<std::string> classic;
    for (bool found = set.FindFirst("th", match, kAllEntries); found; found = set.FindNext(match))
        classic.push_back(match.key);
    EXPECT_EQ(classic, (std::vector<std::string>{"Thad", "thaw", "the", "then", "there", "thesis", "thus"}));
    EXPECT_EQ(set.RankOf("there"), 500);
    EXPECT_EQ(set.RankOf("Thad"), 0);
    EXPECT_EQ(set.RankOf("thad"), -1);
}

// Prefixes whose rows run from a few to over a thousand (the end of a range found near its start
// or by the binary search; first pages kept for long ranges), each searched twice, against a sort.
TEST(RankedDictionary, PagesOfShortAndLongRangesMatchASort)
{
    TempFolder folder;
    std::mt19937 random(11);
    std::vector<std::pair<std::string, int>> entries;
    for (int i = 0; i < 3000; ++i) {
        // Most keys start "ba", "bab" or "babe": ranges of every length below them.
        const char* heads[] = {"ba", "bab", "babe", "c"};
        std::string key = heads[random() % 4];
        for (int n = 0; n < 4; ++n)
            key += static_cast<char>('a' + random() % (n == 0 ? 26 : 3));
        entries.emplace_back(key, random() % 4 == 0 ? 0 : static_cast<int>(random() % 300));
    }
    std::sort(entries.begin(), entries.end());
    entries.erase(
        std::unique(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
        entries.end());
    {
        CDictionaryFile dictionary(Windows1252CodePage());
        ASSERT_TRUE(dictionary.Open(folder.File("r.lib")));
        for (const auto& [key, rank] : entries)
            ASSERT_TRUE(dictionary.AddStoredEntry(key, "", rank));
        ASSERT_TRUE(dictionary.WriteInfo());
    }
    CDictionarySet set(nullptr, Windows1252CodePage());
    ASSERT_TRUE(set.LoadFiles({folder.File("r.lib")}));
    for (const std::string query :
         {"b", "ba", "bab", "babe", "babea", "babeaa", "babeaab", "bac", "baz", "bq", "c", "ca"}) {
        std::vector<std::tuple<int, std::string>> sorted;  // (-rank, key): unranked keys last
        for (const auto& [key, rank] : entries)
            if (key.compare(0, query.size(), query) == 0)
                sorted.emplace_back(-rank, key);
        std::sort(sorted.begin(), sorted.end());
        std::vector<std::string> expected;
        for (const auto& [rank, key] : sorted)
            expected.push_back(key);
        EXPECT_EQ(Ranked(set, query), expected) << query;
        EXPECT_EQ(Ranked(set, query), expected) << query << " again";
    }
}

TEST(RankedDictionary, ShorthandsAndWordFiltersKeepTheirRules)
{
    TempFolder folder;
    MakeRanked(folder.File("w.lib"), {{"sig", 50}, {"sight", 700}, {"sign in", 900}});
    MakeRanked(folder.File("s.lib"), {{"sg", 0}, {"sig", 0}}, DICTIONARY_SHORTHAND);
    CDictionarySet set(nullptr, Windows1252CodePage());
    ASSERT_TRUE(set.LoadFiles({folder.File("w.lib"), folder.File("s.lib")}));
    EXPECT_EQ(Ranked(set, "si"), (std::vector<std::string>{"sign in", "sight", "sig", "sig"}));
    DictionaryMatch match;
    int rank = 0;
    ASSERT_TRUE(set.FindFirstRanked("si", match, MATCH_START | MATCH_WORDS, false, rank));
    EXPECT_EQ(match.key, "sight");
    ASSERT_TRUE(set.FindNextRanked(match, rank));
    EXPECT_EQ(match.key, "sig");
    EXPECT_FALSE(set.FindNextRanked(match, rank));
}

// The rank is an extra column: a reader that asks for the old layout reads the same entries,
// and a writer that knows nothing of ranks leaves a valid file whose entries have none.
TEST(RankedDictionary, FilesStayReadableAndEditableWithoutRanks)
{
    TempFolder folder;
    const std::string path = folder.File("ranked.lib");
    MakeRanked(path, {{"beta", 20}, {"alpha", 10}, {"gamma", 0}});
    {
        CScramblingFileStrategy strategy(path.c_str(), true);
        c4_Storage storage(strategy, false, 1);
        ASSERT_TRUE(storage.IsValid());
        EXPECT_EQ(storage.Description(), "DBINFO[prop:S,value:S],DBDATA[key:S,data:S,rank:I]");
        c4_View data = storage.GetAs("DBDATA[key:S,data:S]");
        ASSERT_EQ(data.GetSize(), 3);
        EXPECT_EQ(data.GetString(0, 0), "alpha");
        const c4_StringProp key("key"), text("data");
        data.InsertAt(data.Search(key["delta"]), key["delta"] + text["d"]);
        ASSERT_TRUE(storage.Commit());
    }
    CDictionaryFile dictionary(Windows1252CodePage());
    ASSERT_TRUE(dictionary.Open(path, true));
    EXPECT_FALSE(dictionary.HasRankColumn());
    EXPECT_EQ(dictionary.CountEntries(), 4);
    EXPECT_EQ(dictionary.Rank(0), 0);
    CDictionarySet set(nullptr, Windows1252CodePage());
    ASSERT_TRUE(set.LoadFiles({path}));
    EXPECT_EQ(Ranked(set, "a").size(), 1u);
    EXPECT_EQ(Ranked(set, "")[0], "alpha");  // no ranks: key order
}

TEST(RankedDictionary, EditsKeepRanksAndNewEntriesFollow)
{
    TempFolder folder;
    const std::string path = folder.File("edit.lib");
    MakeRanked(path, {{"cab", 5}, {"cat", 30}});
    {
        CDictionaryFile dictionary(Windows1252CodePage());
        ASSERT_TRUE(dictionary.Open(path));
        ASSERT_TRUE(dictionary.AddEntry("cab driver", ""));
        ASSERT_TRUE(dictionary.AddEntry("ca", ""));
        ASSERT_TRUE(dictionary.Commit());
    }
    CDictionarySet set(nullptr, Windows1252CodePage());
    ASSERT_TRUE(set.LoadFiles({path}));
    EXPECT_EQ(Ranked(set, "ca"), (std::vector<std::string>{"cat", "cab", "ca", "cab driver"}));
    // A file without ranks gets no rank column from being opened and written.
    const std::string plain = folder.File("plain.lib");
    {
        CDictionaryFile dictionary(Windows1252CodePage());
        ASSERT_TRUE(dictionary.Open(plain));
        ASSERT_TRUE(dictionary.AddEntry("x", ""));
        ASSERT_TRUE(dictionary.WriteInfo());
        EXPECT_FALSE(dictionary.HasRankColumn());
    }
}

// Languages: a language's ranks move as a whole, the merge stays in order of the moved ranks, and
// matches tell their language and whether the entry itself is capitalised.
TEST(RankedDictionary, LanguageOffsetsMoveWholeDictionariesAndMatchesTellTheirLanguage)
{
    TempFolder folder;
    MakeRanked(folder.File("en.lib"), {{"be", 0}, {"because", 7000}, {"been", 7200}, {"before", 6900}});
    MakeRanked(folder.File("de.lib"), {{"bei", 7300}, {"bereits", 6500}, {"Berlin", 5000}, {"die", 8000}});
    CDictionarySet set(nullptr, Windows1252CodePage());
    ASSERT_TRUE(set.LoadFiles({folder.File("en.lib"), folder.File("de.lib")}));
    set.SetLanguage(0, 0x09);
    set.SetLanguage(1, 0x07);
    EXPECT_EQ(set.Languages(), (std::vector<int>{0x09, 0x07}));
    EXPECT_EQ(Ranked(set, "be"),
              (std::vector<std::string>{"bei", "been", "because", "before", "bereits", "Berlin", "be"}));
    set.SetLanguageOffsets({{0x07, -1000}});
    std::vector<int> ranks;
    EXPECT_EQ(Ranked(set, "be", &ranks),
              (std::vector<std::string>{"been", "because", "before", "bei", "bereits", "Berlin", "be"}));
    EXPECT_EQ(ranks, (std::vector<int>{7200, 7000, 6900, 6300, 5500, 4000, 0}));
    DictionaryMatch match;
    int rank = 0;
    ASSERT_TRUE(set.FindFirstRanked("berl", match, kAllEntries, true, rank));
    EXPECT_EQ(match.language, 0x07);
    EXPECT_TRUE(match.ownCapital);
    ASSERT_TRUE(set.FindFirstRanked("bee", match, kAllEntries, true, rank));
    EXPECT_EQ(match.language, 0x09);
    EXPECT_FALSE(match.ownCapital);
    // Which languages hold a word, and how common it is in each; letter case ignored.
    const std::vector<LanguageRank> held = set.LanguagesHolding("BERLIN");
    ASSERT_EQ(held.size(), 1u);
    EXPECT_EQ(held[0].language, 0x07);
    EXPECT_EQ(held[0].rank, 5000);
    EXPECT_EQ(set.LanguagesHolding("be").at(0).rank, 0);
    EXPECT_TRUE(set.LanguagesHolding("xyz").empty());
}
