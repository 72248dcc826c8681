#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "dict/CodePage.h"
#include "dict/DictionaryEnableStore.h"
#include "dict/DictionarySet.h"
#include "tests/dict/DictTestSupport.h"
#include "tests/dict/FakeDoubleByteCodePage.h"

using namespace dicttest;

namespace {

const CCodePage& cp1252 = Windows1252CodePage();
const int kAllEntries = MATCH_START | MATCH_WORDS | MATCH_PHRASES;

// Flags kept in memory the way the settings keep them: a path without a record is enabled.
class CFakeEnableStore : public IDictionaryEnableStore {
public:
    bool IsDictionaryEnabled(const std::string& path) const override
    {
        ++lookups;
        auto it = flags.find(path);
        return it == flags.end() || it->second;
    }
    bool SetDictionaryEnabled(const std::string& path, bool enabled) override
    {
        flags[path] = enabled;
        return true;
    }
    std::map<std::string, bool> flags;
    mutable int lookups = 0;
};

void Make(const std::string& path, std::initializer_list<std::pair<const char*, const char*>> entries,
          int type = DICTIONARY_WORDS, const char* caption = nullptr)
{
    CDictionaryFile dictionary(cp1252);
    ASSERT_TRUE(dictionary.Open(path));
    dictionary.SetType(type);
    if (caption)
        dictionary.SetCaption(caption);
    for (const auto& entry : entries)
        ASSERT_TRUE(dictionary.AddEntry(entry.first, entry.second));
    ASSERT_TRUE(dictionary.WriteInfo());
}

// "key=data" of every match, data without its caption header line.
std::string Matches(CDictionarySet& set, const std::string& query, int mode, bool shorthand = true)
{
    DictionaryMatch match;
    std::string text;
    for (bool found = set.FindFirst(query, match, mode, shorthand); found; found = set.FindNext(match)) {
        if (!text.empty())
            text += ',';
        text += match.key + "=" + match.data;
    }
    return text;
}

}  // namespace

TEST(DictionarySet, MergesInOneOrderAndTheLaterDictionaryComesFirstOnEqualKeys)
{
    TempFolder temp;
    Make(temp.File("1.lib"), {{"cat", "one"}, {"cow", ""}, {"Dog", "one"}}, DICTIONARY_WORDS, "A");
    Make(temp.File("2.lib"), {{"CAT", "two"}, {"crow", ""}}, DICTIONARY_WORDS, "B");
    Make(temp.File("3.lib"), {{"cab", "three"}, {"cat", "three"}}, DICTIONARY_SHORTHAND, "C");

    CDictionarySet set(nullptr, cp1252);
    ASSERT_TRUE(set.LoadFolder(temp.File("*.lib"), false));
    ASSERT_EQ(set.Count(), 3);
    EXPECT_EQ(Matches(set, "c", kAllEntries),
              "cab=three,cat=three,CAT=----B----\r\ntwo,cat=----A----\r\none,cow=,crow=");
    EXPECT_EQ(Matches(set, "c", kAllEntries, false), "CAT=----B----\r\ntwo,cat=----A----\r\none,cow=,crow=");
    EXPECT_EQ(Matches(set, "Ca", kAllEntries), "cab=three,cat=three,CAT=----B----\r\ntwo,Cat=----A----\r\none");
    EXPECT_EQ(Matches(set, "d", kAllEntries), "Dog=----A----\r\none");
    EXPECT_EQ(Matches(set, "x", kAllEntries), "");

    // The shorthand dictionary is left out from the very first search on.
    CDictionarySet fresh(nullptr, cp1252);
    ASSERT_TRUE(fresh.LoadFolder(temp.File("*.lib"), true));
    EXPECT_EQ(Matches(fresh, "cab", kAllEntries, false), "");

    set.CloseAll();
    EXPECT_EQ(set.Count(), 0);
    DictionaryMatch match;
    EXPECT_FALSE(set.FindFirst("c", match, kAllEntries, true));
    EXPECT_FALSE(set.FindNext(match));
}

TEST(DictionarySet, MergedSequenceIsSortedAndCompleteOverRandomDictionaries)
{
    TempFolder temp;
    std::mt19937 random(7);
    // ASCII only: there the storage's order and the code page's comparison agree.
    const char letters[] = "abAB_c[z";
    std::vector<std::string> all;
    for (int d = 0; d < 3; ++d) {
        CDictionaryFile dictionary(cp1252);
        ASSERT_TRUE(dictionary.Open(temp.File("d" + std::to_string(d) + ".lib")));
        for (int i = 0; i < 300; ++i) {
            std::string key;
            const int length = 1 + static_cast<int>(random() % 4);
            for (int k = 0; k < length; ++k)
                key += letters[random() % 8];
            ASSERT_TRUE(dictionary.AddEntry(key, ""));
            all.push_back(key);
        }
        ASSERT_TRUE(dictionary.WriteInfo());
    }
    CDictionarySet set(nullptr, cp1252);
    ASSERT_TRUE(set.LoadFolder(temp.File("*.lib"), true));
    DictionaryMatch match;
    std::vector<std::string> merged;
    for (bool found = set.FindFirst("", match, kAllEntries, true); found; found = set.FindNext(match))
        merged.push_back(match.key);
    EXPECT_TRUE(std::is_sorted(merged.begin(), merged.end(), [](const std::string& a, const std::string& b) {
        return cp1252.CompareNoCase(a, b) < 0;
    }));
    std::sort(merged.begin(), merged.end());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(merged, all);
}

TEST(DictionarySet, LoadsEnabledFilesOnlyUnlessAllAreAsked)
{
    TempFolder temp;
    Make(temp.File("a.lib"), {{"apple", ""}});
    Make(temp.File("b.lib"), {{"apricot", ""}});
    Make(temp.File("c.lib.dic"), {{"april", ""}});

    CFakeEnableStore store;
    CDictionarySet set(&store, cp1252);
    EXPECT_TRUE(set.IsEnabled(temp.File("a.lib")));
    EXPECT_TRUE(set.IsEnabled(""));
    EXPECT_TRUE(set.SetEnabled(temp.File("a.lib"), false));
    EXPECT_FALSE(set.IsEnabled(temp.File("a.lib")));

    ASSERT_TRUE(set.LoadFolder(temp.File("*.lib"), false));
    ASSERT_EQ(set.Count(), 1);
    EXPECT_EQ(set.PathAt(0), temp.File("b.lib"));
    EXPECT_EQ(Matches(set, "ap", kAllEntries), "apricot=");

    ASSERT_TRUE(set.LoadFolder(temp.File("*.lib"), true));
    EXPECT_EQ(set.Count(), 2);
    EXPECT_EQ(Matches(set, "ap", kAllEntries), "apple=,apricot=");

    store.SetDictionaryEnabled(temp.File("b.lib"), false);
    EXPECT_FALSE(set.LoadFolder(temp.File("*.lib"), false));
    EXPECT_EQ(set.Count(), 0);
    EXPECT_FALSE(set.LoadFolder("", true));
    EXPECT_FALSE(set.LoadFolder(temp.File("none") + "/*.lib", true));

    // Without a store every file is enabled.
    CDictionarySet plain(nullptr, cp1252);
    EXPECT_TRUE(plain.IsEnabled(temp.File("a.lib")));
    EXPECT_FALSE(plain.SetEnabled(temp.File("a.lib"), false));
}

TEST(DictionarySet, DamagedFileStaysInTheSetAndYieldsNothing)
{
    TempFolder temp;
    Make(temp.File("a.lib"), {{"one", ""}});
    WriteFile(temp.File("b.lib"), std::string(100, 'x'));
    Make(temp.File("c.lib"), {{"only", ""}});

    CDictionarySet set(nullptr, cp1252);
    ASSERT_TRUE(set.LoadFolder(temp.File("*.lib"), true));
    ASSERT_EQ(set.Count(), 3);
    EXPECT_FALSE(set.Dictionary(1).IsOpen());
    EXPECT_EQ(set.Dictionary(1).DisplayName(), "b.lib");
    EXPECT_EQ(Matches(set, "o", kAllEntries), "one=,only=");
    set.CloseAll();
    EXPECT_EQ(ReadFile(temp.File("b.lib")), std::string(100, 'x'));

    WriteFile(temp.File("a.lib"), "bad");
    WriteFile(temp.File("c.lib"), "bad");
    EXPECT_FALSE(set.LoadFolder(temp.File("*.lib"), true));
    EXPECT_EQ(set.Count(), 3);
    EXPECT_EQ(Matches(set, "o", kAllEntries), "");
}

TEST(DictionarySet, LengthLimitsReachEveryDictionary)
{
    TempFolder temp;
    Make(temp.File("a.lib"), {{"ab", ""}, {"abcdef", ""}});
    Make(temp.File("b.lib"), {{"abc", ""}, {"abcdefgh", "x"}}, DICTIONARY_SHORTHAND);

    CDictionarySet set(nullptr, cp1252);
    set.SetLengthLimits(3, 5);  // before loading: copied into each file that loads
    ASSERT_TRUE(set.LoadFolder(temp.File("*.lib"), true));
    EXPECT_EQ(set.Dictionary(0).MinKeyLength(), 3);
    EXPECT_EQ(Matches(set, "ab", kAllEntries), "abc=,abcdefgh=x");
    set.SetLengthLimits(1, 500);
    EXPECT_EQ(Matches(set, "ab", kAllEntries), "ab=,abc=,abcdef=,abcdefgh=x");
}

TEST(DictionarySet, EditsDuringAMergedWalkLeaveItOnValidRows)
{
    // The merge keeps each dictionary's pending row, not a copy of it: an edit that moves
    // the rows in memory must not leave it reading freed text.
    TempFolder temp;
    const std::string first = temp.File("1.lib"), second = temp.File("2.lib");
    Make(first, {{"apple", ""}, {"apricot", ""}, {"avocado", ""}});
    Make(second, {{"almond", ""}, {"anise", ""}, {"azuki", ""}});
    CDictionarySet set(nullptr, cp1252);
    ASSERT_TRUE(set.LoadFiles({first, second}));
    DictionaryMatch match;
    ASSERT_TRUE(set.FindFirst("a", match, kAllEntries));
    EXPECT_EQ(match.key, "almond");
    for (int i = 0; i < 2000; ++i)
        ASSERT_TRUE(set.Dictionary(1).AddEntry("b" + std::to_string(i), "grown"));
    std::string rest;
    for (int n = 0; n < 10 && set.FindNext(match); ++n)
        rest += match.key + ",";
    EXPECT_EQ(rest, "anise,apple,apricot,avocado,azuki,");

    // Closing a dictionary mid-walk ends its part of the walk.
    ASSERT_TRUE(set.FindFirst("a", match, kAllEntries));
    set.Dictionary(1).Close();
    rest.clear();
    while (set.FindNext(match))
        rest += match.key + ",";
    EXPECT_EQ(rest, "apple,apricot,avocado,");
}

TEST(DictionarySet, CommitsDuringAMergedWalkLeaveItOnValidRows)
{
    // A commit serves the rows from a fresh image: the walk reads them from there.
    TempFolder temp;
    const std::string first = temp.File("1.lib"), second = temp.File("2.lib");
    Make(first, {{"apple", "a"}, {"apricot", ""}, {"avocado", "c"}});
    Make(second, {{"almond", "d"}, {"anise", ""}, {"azuki", "f"}});
    CDictionarySet set(nullptr, cp1252);
    ASSERT_TRUE(set.LoadFiles({first, second}));
    DictionaryMatch match;
    ASSERT_TRUE(set.FindFirst("a", match, kAllEntries));
    EXPECT_EQ(match.key, "almond");
    ASSERT_TRUE(set.Dictionary(1).AddEntry("zebra", "grown"));
    ASSERT_TRUE(set.Dictionary(1).Commit());
    ASSERT_TRUE(set.Dictionary(0).WriteInfo());
    std::string rest;
    while (set.FindNext(match))
        rest += match.key + "=" + match.data + ",";
    EXPECT_EQ(rest, "anise=,apple=----1.lib----\r\na,apricot=,avocado=----1.lib----\r\nc,azuki=----2.lib----\r\nf,");
    EXPECT_EQ(Matches(set, "z", kAllEntries), "zebra=----2.lib----\r\ngrown");
}

TEST(DictionarySet, DictionariesLeftOutOfASearchKeepTheirOwnWalk)
{
    TempFolder temp;
    Make(temp.File("1.lib"), {{"cab", ""}, {"cat", ""}, {"cow", ""}}, DICTIONARY_SHORTHAND);
    Make(temp.File("2.lib"), {{"dog", ""}, {"dove", ""}});
    CDictionarySet set(nullptr, cp1252);
    ASSERT_TRUE(set.LoadFiles({temp.File("1.lib"), temp.File("2.lib")}));
    DictionaryMatch match;
    ASSERT_TRUE(set.FindFirst("c", match, kAllEntries, true));
    EXPECT_EQ(match.key, "cab");
    // A search without shorthands does not change the shorthand dictionary's query.
    ASSERT_TRUE(set.FindFirst("D", match, kAllEntries, false));
    EXPECT_EQ(match.key, "Dog");
    ASSERT_TRUE(set.Dictionary(0).Search().FindNext(match));
    EXPECT_EQ(match.key, "cat");
    ASSERT_TRUE(set.FindNext(match));
    EXPECT_EQ(match.key, "Dove");
}

namespace {

struct DictionaryKind {
    int type;
    int keyCode;
    int dataCode;
    bool encrypted;
};

// Dictionaries of the given kinds with random keys built from pieces (keys repeat within and
// across dictionaries); returns their paths.
std::vector<std::string> MakeRandomDictionaries(const TempFolder& temp, const CCodePage& codePage,
                                                const std::vector<DictionaryKind>& kinds,
                                                const std::vector<std::string>& pieces, unsigned seed)
{
    std::mt19937 random(seed);
    auto text = [&](int maxPieces) {
        std::string result;
        const int count = 1 + static_cast<int>(random() % maxPieces);
        for (int i = 0; i < count; ++i)
            result += pieces[random() % pieces.size()];
        return result;
    };
    std::vector<std::string> shared;
    for (int i = 0; i < 30; ++i)
        shared.push_back(text(4));
    std::vector<std::string> paths;
    for (std::size_t d = 0; d < kinds.size(); ++d) {
        paths.push_back(temp.File("r" + std::to_string(seed) + "-" + std::to_string(d) + ".lib"));
        CDictionaryFile dictionary(codePage);
        EXPECT_TRUE(dictionary.Open(paths.back()));
        dictionary.SetType(kinds[d].type);
        dictionary.SetKeyCode(kinds[d].keyCode);
        dictionary.SetDataCode(kinds[d].dataCode);
        dictionary.SetEncrypted(kinds[d].encrypted);
        dictionary.SetCaption("D" + std::to_string(d));
        for (int i = 0; i < 120; ++i) {
            const std::string key = random() % 3 == 0 ? shared[random() % shared.size()] : text(5);
            EXPECT_TRUE(dictionary.AddEntry(key, random() % 2 ? text(3) : std::string()));
        }
        EXPECT_TRUE(dictionary.WriteInfo());
    }
    return paths;
}

std::string Describe(const DictionaryMatch& match)
{
    return match.key + "|" + match.data + "|" + std::to_string(match.type) + "\n";
}

// What a merged search hands out, from each dictionary searched alone (every step on the general
// path) merged by the comparison of UTF-8 text, the later dictionary first on equal keys.
std::string MergeOfSingleSearches(const std::vector<std::string>& paths, const CCodePage& codePage,
                                  const std::string& query, int mode, bool shorthand, int minimum, int maximum)
{
    std::vector<std::vector<DictionaryMatch>> lists(paths.size());
    for (std::size_t d = 0; d < paths.size(); ++d) {
        CDictionaryFile dictionary(codePage);
        EXPECT_TRUE(dictionary.Open(paths[d], true));
        dictionary.SetLengthLimits(minimum, maximum);
        if (!shorthand && dictionary.Type() == DICTIONARY_SHORTHAND)
            continue;
        DictionaryMatch match;
        for (bool found = dictionary.Search().FindFirst(query, match, mode); found;
             found = dictionary.Search().FindNext(match))
            lists[d].push_back(match);
    }
    std::vector<std::size_t> next(paths.size(), 0);
    std::string merged;
    for (;;) {
        int best = -1;
        for (std::size_t d = 0; d < lists.size(); ++d) {
            if (next[d] == lists[d].size())
                continue;
            if (best < 0 || Utf8CodePage().CompareNoCase(lists[d][next[d]].key, lists[best][next[best]].key) <= 0)
                best = static_cast<int>(d);
        }
        if (best < 0)
            return merged;
        merged += Describe(lists[best][next[best]++]);
    }
}

void ExpectMergedAsAlone(const std::vector<std::string>& paths, const CCodePage& codePage,
                         const std::vector<std::string>& queries)
{
    CDictionarySet set(nullptr, codePage);
    ASSERT_TRUE(set.LoadFiles(paths, true));
    const int modes[] = {kAllEntries,
                         MATCH_START | MATCH_WORDS,
                         MATCH_START | MATCH_PHRASES,
                         MATCH_START,
                         MATCH_ANY,
                         MATCH_INSIDE,
                         MATCH_END,
                         MATCH_INSIDE | MATCH_WORDS | MATCH_PHRASES};
    int nonEmpty = 0;
    for (const auto& limits : {std::pair<int, int>{1, 500}, std::pair<int, int>{3, 6}}) {
        set.SetLengthLimits(limits.first, limits.second);
        for (const std::string& query : queries) {
            for (int mode : modes) {
                for (bool shorthand : {true, false}) {
                    std::string merged;
                    DictionaryMatch match;
                    for (bool found = set.FindFirst(query, match, mode, shorthand); found; found = set.FindNext(match))
                        merged += Describe(match);
                    const std::string expected =
                        MergeOfSingleSearches(paths, codePage, query, mode, shorthand, limits.first, limits.second);
                    ASSERT_EQ(merged, expected) << "query \"" << query << "\" mode " << mode << " shorthand "
                                                << shorthand << " limits " << limits.first << "-" << limits.second;
                    nonEmpty += merged.empty() ? 0 : 1;
                }
            }
        }
    }
    EXPECT_GT(nonEmpty, 100);  // the searches found something to compare
}

}  // namespace

// The merged search takes shortcuts (a shared prepared query, inline steps for plain keys on a
// single-byte code page); every kind of dictionary must come out as its own search gives it.
TEST(DictionarySet, MergedSearchHandsOutWhatEachDictionaryAloneFinds)
{
    TempFolder temp;
    const std::vector<DictionaryKind> kinds = {
        {DICTIONARY_WORDS, CODE_ANSI, CODE_ANSI, false},      {DICTIONARY_SHORTHAND, CODE_ANSI, CODE_ANSI, false},
        {DICTIONARY_WORDS, CODE_ANSI, CODE_UTF8, true},       {DICTIONARY_WORDS, CODE_UTF8, CODE_UTF8, false},
        {DICTIONARY_SHORTHAND, CODE_UTF16, CODE_UTF16, true}, {DICTIONARY_WORDS, CODE_ANSI, CODE_ANSI, false}};
    const std::vector<std::string> pieces = {"th", "Th", "TH", "e", "a", "B", " ", "É", "é", "_", "z", "ab"};
    const std::vector<std::string> paths = MakeRandomDictionaries(temp, cp1252, kinds, pieces, 3);
    ExpectMergedAsAlone(paths, cp1252, {"", "t", "th", "Th", "TH", "tH", "a", "ab", "AB", "É", "ét", " ", "e "});
}

TEST(DictionarySet, MergedSearchOfCharactersOfSeveralBytesHandsOutWhatEachDictionaryAloneFinds)
{
    TempFolder temp;
    const std::vector<DictionaryKind> kinds = {{DICTIONARY_WORDS, CODE_UTF8, CODE_UTF8, false},
                                               {DICTIONARY_WORDS, CODE_UTF8, CODE_UTF8, true},
                                               {DICTIONARY_SHORTHAND, CODE_UTF16, CODE_UTF8, false}};
    const std::vector<std::string> pieces = {"a", "A", "th", "TH", "日", "本", "Ж", "ж", "😀", " ", "b"};
    const std::vector<std::string> paths = MakeRandomDictionaries(temp, Utf8CodePage(), kinds, pieces, 4);
    ExpectMergedAsAlone(paths, Utf8CodePage(), {"", "a", "A", "th", "Th", "TH", "日", "日本", "ж", "Ж", "😀", "b"});
}
