#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>

#include <unistd.h>

#include "dict/CodePage.h"
#include "dict/DictionaryFile.h"
#include "dict/ScramblingFileStrategy.h"
#include "dict/TextScrambling.h"
#include "tests/dict/DictTestSupport.h"

using namespace dicttest;

namespace {

const CCodePage& cp1252 = Windows1252CodePage();
const int kAllEntries = MATCH_START | MATCH_WORDS | MATCH_PHRASES;  // 0x29

// A new word dictionary holding the given entries, left open.
void MakeDictionary(CDictionaryFile& dictionary, const std::string& path,
                    std::initializer_list<std::pair<const char*, const char*>> entries, int type = DICTIONARY_WORDS)
{
    ASSERT_TRUE(dictionary.Open(path));
    dictionary.SetType(type);
    for (const auto& entry : entries)
        ASSERT_TRUE(dictionary.AddEntry(entry.first, entry.second));
    ASSERT_TRUE(dictionary.WriteInfo());
}

}  // namespace

// ---------------------------------------------------------------- reference files

class FixtureTest : public ::testing::TestWithParam<const char*> {};

TEST_P(FixtureTest, ReadsToTheLibrarysDumpAndPositionsLikeItsSearch)
{
    const std::string name = GetParam();
    TempFolder temp;
    const std::string copy = temp.File(name + ".lib");
    const std::string original = ReadFile(FixturePath(name + ".lib"));
    WriteFile(copy, original);

    CDictionaryFile dictionary(cp1252);
    CEntryTextCodec cp1252Codec(cp1252);
    ASSERT_TRUE(dictionary.Open(copy)) << dictionary.OpenError();
    EXPECT_EQ(DumpText(dictionary, true), ReadFile(FixturePath(name + ".expected.tsv")));
    if (name == "encrypted") {
        // The library's plain dump is Windows-1252 text; entries are given as UTF-8.
        std::string plain;
        cp1252Codec.DecodePlain(CODE_ANSI, ReadFile(FixturePath("encrypted.plain.tsv")), plain);
        EXPECT_EQ(DumpText(dictionary, false), plain);
    }

    // The library's Search for each query is where our cursor lands (queries of encrypted
    // dictionaries are scrambled, of UTF-8 ones encoded, by the dictionary itself).
    const std::string searches = ReadFile(FixturePath(name + ".search.tsv"));
    if (name == "twice-committed" || name == "edited") {
        ASSERT_TRUE(searches.empty());  // made in several commits; no search answers
    }
    std::istringstream lines(searches);
    std::string line;
    int checked = 0;
    DictionaryMatch match;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::string error;
        ASSERT_TRUE(ParseFields(line, fields, error)) << error;
        ASSERT_EQ(fields.size(), 3u) << line;
        const int search = std::stoi(fields[1]);
        const int find = std::stoi(fields[2]);
        bool ascii = true;
        for (char c : fields[0])
            ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        // Queries are UTF-8: those of the ANSI files are Windows-1252 bytes.
        std::string query = fields[0];
        if (name != "utf8" && !ascii)
            cp1252Codec.DecodePlain(CODE_ANSI, fields[0], query);
        const bool contained = dictionary.Search().ContainsKey(query, match, MATCH_START);
        // Without a match the cursor stands just before the key's place, for FindNext.
        EXPECT_EQ(dictionary.Search().Row() + (match.key.empty() ? 1 : 0), search)
            << "query '" << line.substr(0, line.find('\t')) << "'";
        // Equal keys ignoring case (the library folds ASCII letters only; its queries beyond ASCII
        // differ from every other key in more than letter case).
        if (name != "encrypted") {
            EXPECT_EQ(contained, find >= 0) << "query '" << line.substr(0, line.find('\t')) << "'";
        }
        ++checked;
    }
    EXPECT_EQ(checked > 0, !searches.empty());

    // Opening and closing without a change leaves the file as it was.
    dictionary.Close();
    EXPECT_EQ(ReadFile(copy), original);
}

INSTANTIATE_TEST_SUITE_P(Metakit, FixtureTest,
                         ::testing::Values("tiny", "medium", "shorthand", "encrypted", "utf8", "empty", "infoonly",
                                           "twice-committed", "edited", "big-data", "large"));

TEST(DictionaryFileFixtures, EmptyQueryWalksEveryEntryInStoredOrder)
{
    for (const char* name : {"medium", "shorthand", "encrypted", "big-data"}) {
        CDictionaryFile dictionary(cp1252);
        ASSERT_TRUE(dictionary.Open(FixturePath(std::string(name) + ".lib"), true));
        dictionary.SetCaptionHeader(false);
        dictionary.SetLengthLimits(0, INT_MAX);
        std::string expected, walked, key, data;
        for (int row = 0; row < dictionary.CountEntries(); ++row) {
            dictionary.ReadEntry(row, key, data);
            expected += key + '\t' + data + '\n';
        }
        DictionaryMatch match;
        for (bool found = dictionary.Search().FindFirst("", match, kAllEntries); found;
             found = dictionary.Search().FindNext(match))
            walked += match.key + '\t' + match.data + '\n';
        EXPECT_EQ(walked, expected) << name;
    }
}

TEST(DictionaryFileFixtures, GivesUtf8EntriesAsTheyAreWhateverTheCodePage)
{
    CDictionaryFile dictionary(cp1252);
    ASSERT_TRUE(dictionary.Open(FixturePath("utf8.lib"), true));
    EXPECT_EQ(dictionary.KeyCode(), CODE_UTF8);
    std::string key, data;
    ASSERT_TRUE(dictionary.ReadEntry(2, key, data));
    EXPECT_EQ(key, "bangveemchoun\xC3\xA9");
    EXPECT_EQ(data, "\xC3\xA9t\xC3\xA9");
    ASSERT_TRUE(dictionary.ReadEntry(3, key, data));
    EXPECT_EQ(key, "bierthix\xE4\xB8\x80");  // a character Windows-1252 lacks

    DictionaryMatch match;
    ASSERT_TRUE(dictionary.Search().FindFirst("BANGVEEMCHOUN\xC3\x89", match, kAllEntries));
    EXPECT_EQ(match.key, "BANGVEEMCHOUN\xC3\x89");
}

TEST(DictionaryFileFixtures, LooksUpKeysExactlyWhereTheStoragesSearchDoesEvenInUnsortedFiles)
{
    // Rows appended in random order (a file whose order is broken) and sorted, with long
    // shared prefixes, keys in all cases and bytes above 0x7F.
    TempFolder temp;
    std::mt19937 random(3);
    const std::string letters = "aAbB_z\xE9\xC9 ";
    auto randomText = [&](std::size_t maxLength) {
        std::string text = random() % 3 == 0 ? "Prefix-shared-by-many " : "";
        const std::size_t length = random() % (maxLength + 1);
        for (std::size_t i = 0; i < length; ++i)
            text += letters[random() % letters.size()];
        return text;
    };
    std::vector<std::string> keys;
    for (int i = 0; i < 3000; ++i) {
        std::string key = randomText(20);
        if (!key.empty())
            keys.push_back(key);
    }
    for (bool sorted : {false, true}) {
        const std::string path = temp.File(sorted ? "sorted.lib" : "unsorted.lib");
        {
            c4_Storage storage;
            storage.GetAs("DBINFO[prop:S,value:S]");
            c4_View data = storage.GetAs("DBDATA[key:S,data:S]");
            c4_StringProp key("key");
            for (const std::string& k : keys) {
                const int at = sorted ? data.Search(key[k]) : data.GetSize();
                data.InsertAt(at, key[k]);
            }
            std::vector<uint8_t> image;
            ASSERT_TRUE(storage.SaveTo(image));
            std::string bytes(image.begin(), image.end());
            ScrambleFileBytes(0, reinterpret_cast<unsigned char*>(bytes.data()), bytes.size());
            WriteFile(path, bytes);
        }
        CDictionaryFile dictionary(cp1252);
        ASSERT_TRUE(dictionary.Open(path, true));
        CScramblingFileStrategy strategy(path.c_str(), false);
        c4_Storage storage(strategy, false, 0);
        c4_View data = storage.View("DBDATA");
        c4_StringProp key("key");
        DictionaryMatch match;
        CEntryTextCodec codec(cp1252);
        std::string query;
        for (int i = 0; i < 3000; ++i) {
            const std::string stored = i % 2 ? randomText(25) : keys[random() % keys.size()].substr(0, random() % 25);
            codec.DecodePlain(CODE_ANSI, stored, query);
            const bool contained = dictionary.Search().ContainsKey(query, match, MATCH_START);
            // Placed by the key as given, as the storage places it; a key found only in small
            // letters (capitals beyond ASCII sort apart from them) where those are.
            const int asGiven = data.Search(key[stored.c_str()]);
            const bool storedAsGiven =
                asGiven < data.GetSize() &&
                AsciiCaseCodePage().CompareNoCase(data.GetString(asGiven, data.FindProperty("key")), stored) == 0;
            const int expected =
                contained && !storedAsGiven ? data.Search(key[cp1252.Lowered(stored).c_str()]) : asGiven;
            ASSERT_EQ(dictionary.Search().Row() + (match.key.empty() ? 1 : 0), expected)
                << (sorted ? "sorted" : "unsorted") << " '" << stored << "'";
        }
    }
}

// ---------------------------------------------------------------- properties

TEST(DictionaryFileInfo, MissingRowsReadAsDefaultsAndTheFileNameNamesIt)
{
    TempFolder temp;
    const std::string path = temp.File("Plain Words.lib");
    WriteFile(path, ReadFile(FixturePath("empty.lib")));

    // Another file's properties must not leak into this one.
    CDictionaryFile dictionary(cp1252);
    ASSERT_TRUE(dictionary.Open(FixturePath("shorthand.lib"), true));
    ASSERT_EQ(dictionary.Type(), DICTIONARY_SHORTHAND);
    ASSERT_TRUE(dictionary.Open(path));
    EXPECT_EQ(dictionary.Type(), DICTIONARY_WORDS);
    // Nothing in it yet: a new file, which keeps whatever is typed into it.
    EXPECT_EQ(dictionary.KeyCode(), CODE_UTF8);
    EXPECT_EQ(dictionary.DataCode(), CODE_UTF8);
    EXPECT_EQ(dictionary.EditFlags(), 1);
    EXPECT_FALSE(dictionary.IsEncrypted());
    EXPECT_TRUE(dictionary.HasCaptionHeader());
    EXPECT_EQ(dictionary.Caption(), "");
    EXPECT_EQ(dictionary.Description(), "");
    EXPECT_EQ(dictionary.DisplayName(), "Plain Words.lib");
    EXPECT_EQ(dictionary.Path(), path);

    dictionary.Close();
    EXPECT_EQ(dictionary.DisplayName(), "UNKNOWN DICTIONARY");
    EXPECT_EQ(dictionary.Path(), "");
}

TEST(DictionaryFileInfo, ANewFilesFirstEntriesReadBackWholeWithoutItsPropertiesWritten)
{
    TempFolder temp;
    const std::string path = temp.File("new.lib");
    const std::string key = "\xD0\xBB\xD0\xB0\xC3\xBC";  // Cyrillic and a Latin letter
    {
        CDictionaryFile dictionary(cp1252);
        ASSERT_TRUE(dictionary.Open(path));
        ASSERT_TRUE(dictionary.AddEntry(key, "d\xC3\xBC"));
        ASSERT_TRUE(dictionary.Commit());
    }
    CDictionaryFile dictionary(cp1252);
    ASSERT_TRUE(dictionary.Open(path, true));
    std::string readKey, readData;
    ASSERT_TRUE(dictionary.ReadEntry(0, readKey, readData));
    EXPECT_EQ(readKey, key);
    EXPECT_EQ(readData, "d\xC3\xBC");
}

TEST(DictionaryFileInfo, WritingTwiceKeepsOneRowPerPropertyAndReadsBack)
{
    TempFolder temp;
    const std::string path = temp.File("d.lib");
    {
        CDictionaryFile dictionary(cp1252);
        ASSERT_TRUE(dictionary.Open(path));
        ASSERT_TRUE(dictionary.WriteInfo());
        EXPECT_EQ(dictionary.CountInfoRows(), 5);  // no caption or description rows yet
        dictionary.SetType(DICTIONARY_SHORTHAND);
        dictionary.SetKeyCode(CODE_ANSI);
        dictionary.SetEditFlags(0);
        dictionary.SetCaption("Caption");
        dictionary.SetDescription(std::string("two\r\nlines\0!", 12));
        ASSERT_TRUE(dictionary.WriteInfo());
        ASSERT_TRUE(dictionary.WriteInfo());
        EXPECT_EQ(dictionary.CountInfoRows(), 7);
    }
    CDictionaryFile dictionary(cp1252);
    ASSERT_TRUE(dictionary.Open(path, true));
    EXPECT_EQ(DumpText(dictionary, true),
              "#DBINFO 7\nDBTYPE\t2\nKEYCODE\t1\nDATACODE\t2\nDBEDIT\t0\nDBEncrypt\t0\nDBCAPTION\tCaption\n"
              "DBDESCRIPTION\ttwo\\r\\nlines\\x00!\n#DBDATA 0\n");
    EXPECT_EQ(dictionary.Type(), DICTIONARY_SHORTHAND);
    EXPECT_FALSE(dictionary.HasCaptionHeader());  // shorthand dictionaries have none
    EXPECT_EQ(dictionary.Description(), std::string("two\r\nlines\0!", 12));
    EXPECT_EQ(dictionary.DisplayName(), "Caption");
}

TEST(DictionaryFileInfo, NumbersThatAreNotNumbersReadAsZero)
{
    TempFolder temp;
    const std::string path = temp.File("d.lib");
    {
        std::vector<uint8_t> image;
        c4_Storage storage;
        c4_View info = storage.GetAs("DBINFO[prop:S,value:S]");
        storage.GetAs("DBDATA[key:S,data:S]");
        c4_StringProp prop("prop"), value("value");
        info.Add(prop["DBTYPE"] + value["shorthand"]);
        info.Add(prop["KEYCODE"] + value["2x"]);
        info.Add(prop["dbedit"] + value[" 7"]);
        ASSERT_TRUE(storage.SaveTo(image));
        std::string bytes(image.begin(), image.end());
        ScrambleFileBytes(0, reinterpret_cast<unsigned char*>(bytes.data()), bytes.size());
        WriteFile(path, bytes);
    }
    CDictionaryFile dictionary(cp1252);
    ASSERT_TRUE(dictionary.Open(path, true));
    EXPECT_EQ(dictionary.Type(), 0);
    EXPECT_EQ(dictionary.KeyCode(), 2);
    EXPECT_EQ(dictionary.EditFlags(), 7);  // property names match without regard to case
}

// ---------------------------------------------------------------- searching

TEST(DictionaryFileSearch, AdaptsTheKeysLetterCaseToTheQuery)
{
    TempFolder temp;
    CDictionaryFile dictionary(cp1252);
    MakeDictionary(dictionary, temp.File("w.lib"), {{"the", ""}, {"them all", ""}, {"xyz\xC3\xA9", ""}});
    EXPECT_EQ(Keys(dictionary.Search(), "TH", kAllEntries), "THE,THEM ALL");
    EXPECT_EQ(Keys(dictionary.Search(), "Th", kAllEntries), "The,Them all");
    EXPECT_EQ(Keys(dictionary.Search(), "th", kAllEntries), "the,them all");
    EXPECT_EQ(Keys(dictionary.Search(), "tHE", kAllEntries), "the,them all");
    EXPECT_EQ(Keys(dictionary.Search(), "XY", kAllEntries), "XYZ\xC3\x89");  // small letters beyond ASCII change too
    EXPECT_EQ(Keys(dictionary.Search(), "X", kAllEntries), "Xyz\xC3\xA9");

    // Shorthand keys are returned as stored.
    CDictionaryFile shorthands(cp1252);
    MakeDictionary(shorthands, temp.File("s.lib"), {{"btw", "by the way"}}, DICTIONARY_SHORTHAND);
    EXPECT_EQ(Keys(shorthands.Search(), "BT", kAllEntries), "btw");
}

TEST(DictionaryFileSearch, LengthLimitsAndWordPhraseBitsSkipRowsWithoutEndingTheWalk)
{
    TempFolder temp;
    CDictionaryFile dictionary(cp1252);
    const std::string longKey = "ab" + std::string(600, 'x');
    MakeDictionary(dictionary, temp.File("w.lib"),
                   {{"a", ""}, {"ab", ""}, {"ab cd", ""}, {longKey.c_str(), ""}, {"abz", ""}, {"b", ""}});
    EXPECT_EQ(Keys(dictionary.Search(), "a", kAllEntries), "a,ab,ab cd,abz");
    EXPECT_EQ(Keys(dictionary.Search(), "a", MATCH_START | MATCH_WORDS), "a,ab,abz");
    EXPECT_EQ(Keys(dictionary.Search(), "a", MATCH_START | MATCH_PHRASES), "ab cd");
    EXPECT_EQ(Keys(dictionary.Search(), "a", MATCH_START), "");
    dictionary.SetLengthLimits(2, 3);
    EXPECT_EQ(Keys(dictionary.Search(), "a", kAllEntries), "ab,abz");
    dictionary.SetLengthLimits(1, 1000);
    EXPECT_EQ(Keys(dictionary.Search(), "ab", MATCH_START | MATCH_WORDS), "ab," + longKey + ",abz");

    // A shorthand dictionary skips nothing.
    CDictionaryFile shorthands(cp1252);
    MakeDictionary(shorthands, temp.File("s.lib"), {{longKey.c_str(), "long"}, {"ab cd", "phrase"}},
                   DICTIONARY_SHORTHAND);
    EXPECT_EQ(Keys(shorthands.Search(), "ab", MATCH_START | MATCH_WORDS), "ab cd," + longKey);
}

TEST(DictionaryFileSearch, WalkEndsAtTheFirstRowWithoutTheQueryOrOutsideTheMode)
{
    TempFolder temp;
    CDictionaryFile dictionary(cp1252);
    MakeDictionary(dictionary, temp.File("w.lib"), {{"car", ""}, {"card", ""}, {"cart", ""}, {"scar", ""}});
    EXPECT_EQ(Keys(dictionary.Search(), "car", kAllEntries), "car,card,cart");
    EXPECT_EQ(Keys(dictionary.Search(), "car", MATCH_ANY), "car,card,cart,scar");
    // Rows at the query's place start with it: an end or inside mode rejects the first one.
    EXPECT_EQ(Keys(dictionary.Search(), "car", MATCH_END | MATCH_WORDS), "car");
    EXPECT_EQ(Keys(dictionary.Search(), "car", MATCH_INSIDE | MATCH_WORDS), "");
    EXPECT_EQ(Keys(dictionary.Search(), "car", MATCH_WORDS), "");
    EXPECT_EQ(Keys(dictionary.Search(), "cat", kAllEntries), "");
    EXPECT_EQ(Keys(dictionary.Search(), "zz", kAllEntries), "");
}

TEST(DictionaryFileSearch, StepsBackwardsAndForwardsFromTheCursor)
{
    TempFolder temp;
    CDictionaryFile dictionary(cp1252);
    MakeDictionary(dictionary, temp.File("w.lib"), {{"a", ""}, {"b1", ""}, {"b2", ""}, {"b3", ""}, {"c", ""}});
    DictionaryMatch match;
    ASSERT_TRUE(dictionary.Search().FindFirst("b", match, kAllEntries));
    EXPECT_EQ(match.key, "b1");
    ASSERT_TRUE(dictionary.Search().FindNext(match));
    ASSERT_TRUE(dictionary.Search().FindNext(match));
    EXPECT_EQ(match.key, "b3");
    EXPECT_FALSE(dictionary.Search().FindNext(match));  // "c"
    EXPECT_EQ(match.key, "");
    EXPECT_EQ(dictionary.Search().Row(), 4);
    ASSERT_TRUE(dictionary.Search().FindPrevious(match));
    EXPECT_EQ(match.key, "b3");
    ASSERT_TRUE(dictionary.Search().FindPrevious(match));
    ASSERT_TRUE(dictionary.Search().FindPrevious(match));
    EXPECT_EQ(match.key, "b1");
    EXPECT_FALSE(dictionary.Search().FindPrevious(match));  // "a"

    // With an empty query the walk runs off both ends and can come back.
    ASSERT_TRUE(dictionary.Search().FindFirst("", match, kAllEntries));
    EXPECT_EQ(match.key, "a");
    EXPECT_FALSE(dictionary.Search().FindPrevious(match));
    EXPECT_EQ(dictionary.Search().Row(), -1);
    ASSERT_TRUE(dictionary.Search().FindNext(match));
    EXPECT_EQ(match.key, "a");

    CDictionaryFile closed(cp1252);
    EXPECT_FALSE(closed.Search().FindFirst("a", match, kAllEntries));
    EXPECT_FALSE(closed.Search().FindNext(match));
}

TEST(DictionaryFileSearch, CaptionHeaderOnlyForWordDictionaryEntriesWithData)
{
    TempFolder temp;
    CDictionaryFile words(cp1252);
    MakeDictionary(words, temp.File("Names.lib"), {{"alpha", "first\r\nletter"}, {"alpine", ""}});
    DictionaryMatch match;
    ASSERT_TRUE(words.Search().FindFirst("alp", match, kAllEntries));
    EXPECT_EQ(match.data, "----Names.lib----\r\nfirst\r\nletter");
    EXPECT_EQ(match.DataLength(), static_cast<int>(match.data.size()));
    EXPECT_EQ(match.type, DICTIONARY_WORDS);
    ASSERT_TRUE(words.Search().FindNext(match));
    EXPECT_FALSE(match.HasData());

    words.SetCaption("Greek");
    ASSERT_TRUE(words.Search().FindFirst("alpha", match, kAllEntries));
    EXPECT_EQ(match.data, "----Greek----\r\nfirst\r\nletter");
    words.SetCaptionHeader(false);
    ASSERT_TRUE(words.Search().FindFirst("alpha", match, kAllEntries));
    EXPECT_EQ(match.data, "first\r\nletter");

    CDictionaryFile shorthands(cp1252);
    MakeDictionary(shorthands, temp.File("s.lib"), {{"brb", "be right back"}}, DICTIONARY_SHORTHAND);
    shorthands.SetCaptionHeader(true);
    ASSERT_TRUE(shorthands.Search().FindFirst("brb", match, kAllEntries));
    EXPECT_EQ(match.data, "be right back");
    EXPECT_EQ(match.type, DICTIONARY_SHORTHAND);
}

TEST(DictionaryFileSearch, ContainsKeyIgnoresCaseLimitsAndBitsAndPositionsTheWalk)
{
    TempFolder temp;
    CDictionaryFile dictionary(cp1252);
    MakeDictionary(dictionary, temp.File("w.lib"), {{"apple", ""}, {"apple pie", ""}, {"apricot", ""}, {"x", ""}});
    dictionary.SetLengthLimits(6, 6);
    DictionaryMatch match;
    EXPECT_TRUE(dictionary.Search().ContainsKey("APPLE", match, MATCH_START));
    EXPECT_EQ(match.key, "APPLE");
    EXPECT_TRUE(dictionary.Search().ContainsKey("apple pie", match, MATCH_START));
    EXPECT_FALSE(dictionary.Search().ContainsKey("appl", match, MATCH_START));
    EXPECT_EQ(match.key, "apple");  // the match found stays in the output
    EXPECT_FALSE(dictionary.Search().ContainsKey("b", match, MATCH_START));

    // A failed look-up leaves an empty query: the walk goes on from the key's place.
    dictionary.SetLengthLimits(1, 500);
    EXPECT_FALSE(dictionary.Search().ContainsKey("apq", match, kAllEntries));  // lands on "apricot"
    EXPECT_EQ(match.key, "");
    ASSERT_TRUE(dictionary.Search().FindNext(match));
    EXPECT_EQ(match.key, "apricot");
    ASSERT_TRUE(dictionary.Search().FindNext(match));
    EXPECT_EQ(match.key, "x");
    EXPECT_FALSE(dictionary.Search().FindNext(match));
    // With a match handed out, the walk goes on after it.
    EXPECT_FALSE(dictionary.Search().ContainsKey("appl", match, kAllEntries));
    EXPECT_EQ(match.key, "apple");
    ASSERT_TRUE(dictionary.Search().FindNext(match));
    EXPECT_EQ(match.key, "apple pie");
    // Past the last row there is nothing to walk.
    EXPECT_FALSE(dictionary.Search().ContainsKey("zz", match, kAllEntries));
    EXPECT_FALSE(dictionary.Search().FindNext(match));
}

// ---------------------------------------------------------------- editing

TEST(DictionaryFileEdit, AddRemoveReplaceKeepTheSortedOrderAndAreWritten)
{
    TempFolder temp;
    const std::string path = temp.File("w.lib");
    {
        CDictionaryFile dictionary(cp1252);
        MakeDictionary(dictionary, path, {{"pear", "1"}, {"apple", "2"}, {"Apple", "3"}, {"fig", "4"}});
        EXPECT_FALSE(dictionary.AddEntry("", "data"));
        EXPECT_EQ(dictionary.CountEntries(), 4);
        EXPECT_TRUE(dictionary.RemoveEntry("APPLE"));  // the newest of the equal keys
        EXPECT_FALSE(dictionary.RemoveEntry("plum"));
        EXPECT_TRUE(dictionary.ReplaceEntry("fig", "fig", "new data"));
        EXPECT_FALSE(dictionary.ReplaceEntry("plum", "plum", "x"));
        EXPECT_FALSE(dictionary.ReplaceEntry("pear", "", "x"));
        EXPECT_TRUE(dictionary.AddEntry("banana", ""));  // not committed by itself
    }
    CDictionaryFile dictionary(cp1252);
    ASSERT_TRUE(dictionary.Open(path, true));
    std::string dump = DumpText(dictionary, false);
    EXPECT_EQ(dump.substr(dump.find("#DBDATA")), "#DBDATA 4\napple\t2\nbanana\t\nfig\tnew data\npear\t1\n");
}

TEST(DictionaryFileEdit, SearchesAfterEditsSeeTheNewRows)
{
    TempFolder temp;
    CDictionaryFile dictionary(cp1252);
    MakeDictionary(dictionary, temp.File("w.lib"), {{"alpha", ""}, {"delta", ""}, {"omega", ""}});
    EXPECT_EQ(Keys(dictionary.Search(), "d", kAllEntries), "delta");
    for (const char* key : {"beta", "gamma", "dawn", "epsilon", "zeta", "chi", "psi", "rho", "tau", "nu"})
        ASSERT_TRUE(dictionary.AddEntry(key, ""));
    EXPECT_EQ(Keys(dictionary.Search(), "d", kAllEntries), "dawn,delta");
    EXPECT_EQ(Keys(dictionary.Search(), "z", kAllEntries), "zeta");
    ASSERT_TRUE(dictionary.RemoveEntry("dawn"));
    EXPECT_EQ(Keys(dictionary.Search(), "d", kAllEntries), "delta");
    ASSERT_TRUE(dictionary.ReplaceEntry("delta", "Delta", "changed"));
    dictionary.SetCaptionHeader(false);
    DictionaryMatch match;
    ASSERT_TRUE(dictionary.Search().FindFirst("de", match, kAllEntries));
    EXPECT_EQ(match.key, "Delta");
    EXPECT_EQ(match.data, "changed");
}

TEST(DictionaryFileEdit, ShortQueriesFindTheFirstKeyWithTheirPrefixAcrossEdits)
{
    // Look-ups of one, two and more bytes are remembered per prefix: edits must not leave
    // them pointing at old rows.
    TempFolder temp;
    CDictionaryFile dictionary(cp1252);
    ASSERT_TRUE(dictionary.Open(temp.File("p.lib")));
    std::mt19937 random(7);
    std::vector<std::string> keys;
    auto randomKey = [&] {
        std::string key;
        const std::size_t length = 1 + random() % 5;
        for (std::size_t i = 0; i < length; ++i)
            key += "abcAB"[random() % 5];
        return key;
    };
    auto lowered = [](std::string text) {
        cp1252.Lower(text);
        return text;
    };
    auto check = [&](const char* stage) {
        std::vector<std::string> sorted;
        for (const std::string& key : keys)
            sorted.push_back(lowered(key));
        std::sort(sorted.begin(), sorted.end());
        DictionaryMatch match;
        for (const char* query : {"a", "b", "c", "aa", "ab", "ba", "cc", "aab", "abc", "bca", "ccca"}) {
            auto first = std::lower_bound(sorted.begin(), sorted.end(), std::string(query));
            const bool expected = first != sorted.end() && first->compare(0, std::strlen(query), query) == 0;
            ASSERT_EQ(dictionary.Search().FindFirst(query, match, kAllEntries), expected)
                << stage << " '" << query << "'";
            if (expected) {
                EXPECT_EQ(lowered(match.key), *first) << stage << " '" << query << "'";
            }
        }
    };
    for (int i = 0; i < 300; ++i) {
        keys.push_back(randomKey());
        ASSERT_TRUE(dictionary.AddEntry(keys.back(), ""));
    }
    check("filled");
    for (int round = 0; round < 4; ++round) {
        for (int i = 0; i < 40; ++i) {
            keys.push_back(randomKey());
            ASSERT_TRUE(dictionary.AddEntry(keys.back(), ""));
        }
        for (int i = 0; i < 40; ++i) {
            const std::size_t victim = random() % keys.size();
            ASSERT_TRUE(dictionary.RemoveEntry(keys[victim]));
            // The first row with an equal key (case ignored) goes: any of the equal ones.
            keys.erase(std::find_if(keys.begin(), keys.end(),
                                    [&](const std::string& k) { return lowered(k) == lowered(keys[victim]); }));
        }
        // In place, so only in another letter case: the order stays.
        std::string& changed = keys[random() % keys.size()];
        std::string upper = changed;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        ASSERT_TRUE(dictionary.ReplaceEntry(changed, upper, "data"));
        check("edited");
    }
}

TEST(DictionaryFileEdit, EncryptedAndUtf16ValuesKeepTheirZeroBytes)
{
    TempFolder temp;
    const std::string encryptedPath = temp.File("e.lib");
    const std::string utf16Path = temp.File("u.lib");
    const std::string withKeyByte =
        "form\x0C"
        "feed";
    {
        CDictionaryFile encrypted(cp1252);
        ASSERT_TRUE(encrypted.Open(encryptedPath));
        encrypted.SetEncrypted(true);
        ASSERT_TRUE(
            encrypted.AddEntry("key\x0C"
                               "one",
                               withKeyByte));
        ASSERT_TRUE(encrypted.AddEntry("Hello", "world"));
        ASSERT_TRUE(encrypted.WriteInfo());

        CDictionaryFile utf16(cp1252);
        ASSERT_TRUE(utf16.Open(utf16Path));
        utf16.SetKeyCode(CODE_UTF16);
        utf16.SetDataCode(CODE_UTF16);
        ASSERT_TRUE(utf16.AddEntry("caf\xC3\xA9", "cr\xC3\xA8me \xD0\xB6"));
        ASSERT_TRUE(utf16.WriteInfo());
    }
    CDictionaryFile encrypted(cp1252);
    ASSERT_TRUE(encrypted.Open(encryptedPath, true));
    std::string_view storedKey, storedData;
    std::string expectedKey =
        "key\x0C"
        "one";
    ScrambleText(expectedKey.data(), expectedKey.size());
    bool keptWhole = false;
    for (int row = 0; row < encrypted.CountEntries(); ++row) {
        ASSERT_TRUE(encrypted.ReadStoredEntry(row, storedKey, storedData));
        keptWhole = keptWhole || storedKey == expectedKey;
    }
    EXPECT_TRUE(keptWhole);
    DictionaryMatch match;
    encrypted.SetCaptionHeader(false);
    ASSERT_TRUE(encrypted.Search().FindFirst("key", match, kAllEntries));
    EXPECT_EQ(match.key,
              "key\x0C"
              "one");
    EXPECT_EQ(match.data, withKeyByte);
    ASSERT_TRUE(encrypted.Search().FindFirst("Hel", match, kAllEntries));
    EXPECT_EQ(match.data, "world");
    EXPECT_TRUE(encrypted.Search().ContainsKey("Hello", match, MATCH_START));

    CDictionaryFile utf16(cp1252);
    ASSERT_TRUE(utf16.Open(utf16Path, true));
    ASSERT_TRUE(utf16.ReadStoredEntry(0, storedKey, storedData));
    EXPECT_EQ(storedKey, std::string_view("c\0a\0f\0\xE9\0", 8));
    std::string key, data;
    ASSERT_TRUE(utf16.ReadEntry(0, key, data));
    EXPECT_EQ(key, "caf\xC3\xA9");
    EXPECT_EQ(data, "cr\xC3\xA8me \xD0\xB6");
}

// ---------------------------------------------------------------- damaged and missing files

TEST(DictionaryFileOpen, DamagedFilesAreRefusedAndLeftAsTheyWere)
{
    TempFolder temp;
    const std::string good = ReadFile(FixturePath("medium.lib"));
    const std::vector<std::pair<std::string, std::string>> damaged = {
        {"junk", std::string(300, '\x5A')},
        {"cut", good.substr(0, good.size() / 2)},
        {"tail-cut", good.substr(0, good.size() - 3)},
        {"plain", ReadFile(FixturePath("medium.mk"))},  // unscrambled: not a dictionary file
        {"short", std::string("JL\x1A", 3)},
    };
    for (const auto& [name, bytes] : damaged) {
        const std::string path = temp.File(name + ".lib");
        WriteFile(path, bytes);
        CDictionaryFile dictionary(cp1252);
        EXPECT_FALSE(dictionary.Open(path)) << name;
        EXPECT_FALSE(dictionary.OpenError().empty()) << name;
        EXPECT_FALSE(dictionary.AddEntry("a", "b")) << name;
        EXPECT_FALSE(dictionary.WriteInfo()) << name;
        DictionaryMatch match;
        EXPECT_FALSE(dictionary.Search().FindFirst("", match, kAllEntries)) << name;
        EXPECT_EQ(dictionary.DisplayName(), name + ".lib");
        dictionary.Close();
        EXPECT_EQ(ReadFile(path), bytes) << name;
    }
}

TEST(DictionaryFileOpen, MutatedFilesNeverCrashAndRefusedOnesAreNotWritten)
{
    TempFolder temp;
    const std::string good = ReadFile(FixturePath("shorthand.lib"));
    std::mt19937 random(9);
    int refused = 0;
    for (int round = 0; round < 300; ++round) {
        std::string bytes = good;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int f = 0; f < flips; ++f)
            bytes[random() % bytes.size()] ^= static_cast<char>(1 + random() % 255);
        if (round % 10 == 0)
            bytes.resize(random() % bytes.size());
        const std::string path = temp.File("m" + std::to_string(round) + ".lib");
        WriteFile(path, bytes);
        CDictionaryFile dictionary(cp1252);
        if (!dictionary.Open(path)) {
            ++refused;
            dictionary.Close();
            ASSERT_EQ(ReadFile(path), bytes) << "round " << round;
            continue;
        }
        // Whatever it holds, reading it through every path must be safe.
        DictionaryMatch match;
        int walked = 0;
        for (bool found = dictionary.Search().FindFirst("", match, MATCH_ANY); found && walked < 100000;
             found = dictionary.Search().FindNext(match))
            ++walked;
        dictionary.Search().FindFirst("s", match, kAllEntries);
        dictionary.Search().ContainsKey("brb", match, MATCH_START);
        std::string key, data;
        for (int row = 0; row < dictionary.CountEntries(); ++row)
            dictionary.ReadEntry(row, key, data);
        EXPECT_LT(walked, 100000);
    }
    EXPECT_GT(refused, 0);
}

TEST(DictionaryFileOpen, MissingFilesAreCreatedUnlessReadOnly)
{
    TempFolder temp;
    const std::string path = temp.File("new.lib");
    CDictionaryFile dictionary(cp1252);
    EXPECT_FALSE(dictionary.Open(path, true));
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(dictionary.Open(""));

    ASSERT_TRUE(dictionary.Open(path));
    EXPECT_TRUE(dictionary.IsOpen());
    dictionary.Close();
    dictionary.Close();  // twice is harmless
    ASSERT_TRUE(fs::exists(path));
    ASSERT_TRUE(dictionary.Open(path, true));
    EXPECT_EQ(dictionary.CountEntries(), 0);
    EXPECT_FALSE(dictionary.AddEntry("a", ""));  // read-only
}

TEST(DictionaryFileOpen, DamagedAndUnwritableFilesSayWhy)
{
    TempFolder temp;
    const std::string good = ReadFile(FixturePath("medium.lib"));
    const std::string cut = temp.File("cut.lib");
    WriteFile(cut, good.substr(0, good.size() / 2));
    CDictionaryFile dictionary(cp1252);
    EXPECT_FALSE(dictionary.Open(cut));
    EXPECT_EQ(dictionary.OpenFault(), pvbase::FileFault::Damaged);
    EXPECT_FALSE(dictionary.Open(temp.File("no-such-folder/x.lib")));
    EXPECT_EQ(dictionary.OpenFault(), pvbase::FileFault::Missing);

    // A file that may only be read is opened read-only and offered; never written.
    const std::string locked = temp.File("locked.lib");
    WriteFile(locked, good);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    if (FILE* probe = std::fopen(locked.c_str(), "r+")) {
        std::fclose(probe);
        GTEST_SKIP() << "this user writes through read-only bits (root)";
    }
    ASSERT_TRUE(dictionary.Open(locked)) << dictionary.OpenError();
    EXPECT_TRUE(dictionary.IsReadOnly());
    DictionaryMatch match;
    EXPECT_TRUE(dictionary.Search().FindFirst("", match, kAllEntries));
    EXPECT_FALSE(dictionary.WriteInfo());
    EXPECT_EQ(dictionary.CommitFault(), pvbase::FileFault::ReadOnly);
    dictionary.Close();
    EXPECT_EQ(ReadFile(locked), good);
}

TEST(DictionaryFileEdit, AFailedCommitKeepsTheEntriesForTheNextOne)
{
    TempFolder temp;
    const std::string folder = temp.File("sub");
    fs::create_directories(folder);
    const std::string path = folder + "/words.lib";
    CDictionaryFile dictionary(cp1252);
    MakeDictionary(dictionary, path, {{"alpha", "1"}});
    ASSERT_TRUE(dictionary.AddEntry("beta", "2"));
    // The folder goes away under the open dictionary: nothing can be written there.
    fs::remove_all(folder);
    EXPECT_FALSE(dictionary.Commit());
    EXPECT_NE(dictionary.CommitFault(), pvbase::FileFault::None);
    EXPECT_EQ(dictionary.CountEntries(), 2);

    fs::create_directories(folder);
    ASSERT_TRUE(dictionary.Commit());
    EXPECT_EQ(dictionary.CommitFault(), pvbase::FileFault::None);
    dictionary.Close();
    ASSERT_TRUE(dictionary.Open(path, true));
    DictionaryMatch match;
    EXPECT_TRUE(dictionary.Search().ContainsKey("beta", match));
    EXPECT_EQ(dictionary.CountEntries(), 2);
}

// ---------------------------------------------------------------- file scrambling

TEST(ScramblingFileStrategy, ScramblesByAbsoluteOffsetAndTransformsOnlyWhatWasRead)
{
    TempFolder temp;
    const std::string path = temp.File("s.bin");
    unsigned char bytes[300];
    for (int i = 0; i < 300; ++i)
        bytes[i] = static_cast<unsigned char>(i * 7 + 3);
    unsigned char copy[300];
    std::memcpy(copy, bytes, sizeof bytes);
    {
        CScramblingFileStrategy strategy(path.c_str(), true);
        ASSERT_TRUE(strategy.IsValid());
        ASSERT_TRUE(strategy.BeginRewrite());  // the storage writes whole new files
        ASSERT_TRUE(strategy.DataWrite(250, bytes, 300));
        EXPECT_EQ(0, std::memcmp(bytes, copy, sizeof bytes));  // the caller's bytes stay
        EXPECT_TRUE(strategy.DataWrite(0, bytes, 0));
        strategy.DataCommit(550);

        unsigned char back[300] = {};
        ASSERT_EQ(strategy.DataRead(250, back, 300), 300);
        EXPECT_EQ(0, std::memcmp(back, bytes, sizeof back));
        EXPECT_EQ(strategy.DataRead(250, back, 0), 0);
        ASSERT_TRUE(strategy.EndRewrite(true));
    }
    const std::string disk = ReadFile(path);
    ASSERT_EQ(disk.size(), 550u);
    EXPECT_EQ(static_cast<unsigned char>(disk[256]), bytes[6] ^ 0xC5);  // like offset 0
    EXPECT_EQ(static_cast<unsigned char>(disk[250]), bytes[0] ^ 250 ^ 0xC5);

    // A read at the end returns fewer bytes; the rest of the buffer is untouched.
    CScramblingFileStrategy strategy(path.c_str(), false);
    unsigned char tail[100];
    std::memset(tail, 0xEE, sizeof tail);
    ASSERT_EQ(strategy.DataRead(540, tail, 100), 10);
    EXPECT_EQ(0, std::memcmp(tail, bytes + 290, 10));
    for (int i = 10; i < 100; ++i)
        EXPECT_EQ(tail[i], 0xEE);
}
