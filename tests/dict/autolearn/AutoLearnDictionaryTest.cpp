#include "dict/AutoLearnDictionary.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "tests/dict/autolearn/AutoLearnReference.h"
#include "tests/support/TempFolder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

class CFakeDictionaries : public IKnownWords {
public:
    std::set<std::string> words;
    std::vector<std::string> asked;
    bool HoldsExactly(const std::string& text) override
    {
        asked.push_back(text);
        return words.count(text) != 0;
    }
};

std::vector<std::string> AllSuggestions(CAutoLearnDictionary& store, const std::string& prefix)
{
    std::vector<std::string> out;
    for (std::string s = store.FirstSuggestion(prefix); !s.empty(); s = store.NextSuggestion(prefix))
        out.push_back(s);
    return out;
}

class AutoLearnTest : public ::testing::Test {
protected:
    pvtest::TempFolder folder;
    std::string path = folder.File("AutoLearn.dic");
    CAutoLearnDictionary store;
};

TEST(AutoLearnRecordTest, LayoutIsCountLittleEndianThenZeroPaddedText)
{
    const std::string bytes = RecordBytes(0x01020304, "hello");
    ASSERT_EQ(bytes.size(), 516u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x04\x03\x02\x01", 4));
    EXPECT_EQ(bytes.substr(4, 5), "hello");
    EXPECT_EQ(bytes.find_first_not_of('\0', 9), std::string::npos);

    const AutoLearnRecord negative =
        DecodeAutoLearnRecord(reinterpret_cast<const unsigned char*>(RecordBytes(-2, "x").data()));
    EXPECT_EQ(negative.count, -2);
    EXPECT_EQ(negative.text, "x");
}

TEST(AutoLearnRecordTest, TextsAreCutAtCharacterBoundaries)
{
    EXPECT_EQ(AutoLearnStoredText(std::string(600, 'a')).size(), 511u);
    EXPECT_EQ(AutoLearnStoredText(std::string("ab\0cd", 5)), "ab");

    // 509 bytes and a character of three ("€"): it would end at byte 512.
    EXPECT_EQ(AutoLearnStoredText(std::string(509, 'a') + "\xE2\x82\xAC" + "z"), std::string(509, 'a'));
    // 507 and a character of four (an emoji): it ends at 511 and stays whole.
    const std::string emoji = "\xF0\x9F\x98\x80";
    EXPECT_EQ(AutoLearnStoredText(std::string(507, 'a') + emoji + "zz"), std::string(507, 'a') + emoji);
    EXPECT_EQ(Utf8CharacterCount("\xC5\xBC\xC3\xB3\xC5\x82w"), 4u);  // "żółw"
}

TEST(AutoLearnRecordTest, TheMarkerIsARecordOldReadersNeverOffer)
{
    const std::string marker = MarkerBytes();
    const AutoLearnRecord seen = DecodeAutoLearnRecord(reinterpret_cast<const unsigned char*>(marker.data()));
    EXPECT_EQ(seen, (AutoLearnRecord{0, ""}));
    EXPECT_TRUE(IsAutoLearnMarker(reinterpret_cast<const unsigned char*>(marker.data())));
    // A record as learning writes it is never taken for one.
    EXPECT_FALSE(IsAutoLearnMarker(reinterpret_cast<const unsigned char*>(RecordBytes(0, "").data())));
}

TEST(AutoLearnWordRulesTest, FindsTheLastWordBehindTheSeparators)
{
    CAutoLearnWordRules rules;
    EXPECT_EQ(rules.Separators(), std::string("; ',.!\"?\t\r\n"));
    EXPECT_EQ(rules.ExtractWord("hello, "), "hello");
    EXPECT_EQ(rules.ExtractWord("I said hello, "), "hello");
    EXPECT_EQ(rules.ExtractWord("don't "), "t");  // the apostrophe separates
    EXPECT_EQ(rules.ExtractWord("word\t"), "word");
    EXPECT_EQ(rules.ExtractWord("word\r\n"), "word");
    EXPECT_EQ(rules.ExtractWord("\x01\x02;; word?"), "word");
    EXPECT_EQ(rules.ExtractWord("hello"), "");      // not ended yet
    EXPECT_EQ(rules.ExtractWord(" ,;. "), "");      // separators only
    EXPECT_EQ(rules.ExtractWord("\x05\x06 "), "");  // control characters only
    EXPECT_EQ(rules.ExtractWord(""), "");
    // Letters beyond ASCII start words like any other letter.
    EXPECT_EQ(rules.ExtractWord("\xC3\xA9"
                                "clair "),
              "\xC3\xA9"
              "clair");

    rules.SetSeparators("");  // ignored
    EXPECT_EQ(rules.ExtractWord("a-b "), "a-b");
    rules.SetSeparators("-");
    EXPECT_EQ(rules.Separators(), "-\t\r\n");
    EXPECT_EQ(rules.ExtractWord("a-b-"), "b");
    EXPECT_EQ(rules.ExtractWord("a b "), "");  // the blank no longer separates
    EXPECT_EQ(rules.ExtractWord("a b\n"), "a b");
}

TEST(AutoLearnWordRulesTest, SeparatorsOfAnyScriptMatchWholeCharactersOnly)
{
    CAutoLearnWordRules rules;
    // "«" (C2 AB) and "»" (C2 BB) separate; "ū" (C5 AB) shares the last byte of "«" and does not.
    rules.SetSeparators("\xC2\xAB\xC2\xBB ");
    EXPECT_TRUE(rules.EndsWithSeparator("word\xC2\xBB"));
    EXPECT_FALSE(rules.EndsWithSeparator("p\xC5\xAB"));
    EXPECT_EQ(rules.ExtractWord("\xC2\xAB"
                                "d\xC5\xAB"
                                "ma\xC2\xBB"),
              "d\xC5\xAB"
              "ma");
    EXPECT_EQ(rules.ExtractWord("\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 "),
              "\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");  // "привет"
}

TEST_F(AutoLearnTest, LearningCountsWordsWithTheDefaultSettings)
{
    ASSERT_TRUE(store.Open(path));
    EXPECT_EQ(store.RecordCount(), 0u);
    EXPECT_EQ(store.Learn("hello, "), LearnOutcome::Added);
    EXPECT_EQ(store.Learn("hello, "), LearnOutcome::Counted);
    EXPECT_EQ(store.Learn("Well hello."), LearnOutcome::Counted);
    EXPECT_EQ(store.Learn("Hello "), LearnOutcome::Added);  // case counts
    EXPECT_EQ(store.Learn("hello"), LearnOutcome::NotLearnt);
    EXPECT_EQ(store.Learn(""), LearnOutcome::NotLearnt);

    ASSERT_EQ(store.RecordCount(), 2u);
    EXPECT_EQ(store.Records()[0], (AutoLearnRecord{3, "hello"}));
    EXPECT_EQ(store.Records()[1], (AutoLearnRecord{1, "Hello"}));
    EXPECT_EQ(pvtest::ReadFile(path), MarkerBytes() + RecordBytes(3, "hello") + RecordBytes(1, "Hello"));
    // The record just counted is the current one.
    EXPECT_EQ(store.CurrentIndex(), 1u);
    EXPECT_EQ(store.CurrentText(), "Hello");
}

TEST_F(AutoLearnTest, MinimumLengthCountsCharacters)
{
    ASSERT_TRUE(store.Open(path));
    EXPECT_EQ(store.MinWordLength(), 3u);
    EXPECT_EQ(store.Learn("hi "), LearnOutcome::NotLearnt);
    EXPECT_EQ(store.Learn("hey "), LearnOutcome::Added);
    store.ApplySettings(true, 0, "; ',.!\"?");
    EXPECT_EQ(store.Separators(), std::string("; ',.!\"?\t\r\n"));
    EXPECT_EQ(store.Learn("a "), LearnOutcome::Added);
    EXPECT_EQ(store.Learn("b\r"), LearnOutcome::Added);
    store.SetMinWordLength(4);
    EXPECT_EQ(store.Learn("\xC5\xBC\xC3\xB3\xC5\x82 "), LearnOutcome::NotLearnt);  // "żół": 3 of 6 bytes
    EXPECT_EQ(store.Learn("\xC5\xBC\xC3\xB3\xC5\x82w "), LearnOutcome::Added);     // "żółw": 4
    EXPECT_EQ(store.RecordCount(), 4u);
}

TEST_F(AutoLearnTest, WordsTheDictionariesHoldAreNotLearnt)
{
    CFakeDictionaries dictionaries;
    dictionaries.words = {"the", "Paris"};
    store.SetKnownWords(&dictionaries);
    ASSERT_TRUE(store.Open(path));
    EXPECT_EQ(store.Learn("at the "), LearnOutcome::NotLearnt);
    EXPECT_EQ(store.Learn("to Paris!"), LearnOutcome::NotLearnt);
    EXPECT_EQ(store.Learn("The "), LearnOutcome::Added);  // not held in this case
    EXPECT_EQ(dictionaries.asked, (std::vector<std::string>{"the", "Paris", "The"}));
    // Too short for learning: the dictionaries are not even asked.
    EXPECT_EQ(store.Learn("to "), LearnOutcome::NotLearnt);
    EXPECT_EQ(dictionaries.asked.size(), 3u);
    ASSERT_EQ(store.RecordCount(), 1u);
    EXPECT_EQ(store.Records()[0].text, "The");
}

TEST_F(AutoLearnTest, DisabledOrClosedStoreNeitherLearnsNorOffers)
{
    EXPECT_EQ(store.Learn("hello "), LearnOutcome::NotLearnt);
    EXPECT_EQ(store.FirstSuggestion("he"), "");
    EXPECT_TRUE(store.IsEnd());
    ASSERT_TRUE(store.Open(path));
    ASSERT_EQ(store.Learn("hello "), LearnOutcome::Added);
    store.SetEnabled(false);
    EXPECT_EQ(store.Learn("hello "), LearnOutcome::NotLearnt);
    EXPECT_EQ(store.FirstSuggestion("he"), "");
    store.SetEnabled(true);
    EXPECT_EQ(store.FirstSuggestion("he"), "hello");
    EXPECT_EQ(store.Records()[0].count, 1);
    store.Close();
    EXPECT_FALSE(store.IsOpen());
    EXPECT_EQ(store.RecordCount(), 0u);
    EXPECT_EQ(store.Learn("hello "), LearnOutcome::NotLearnt);
}

TEST_F(AutoLearnTest, SuggestionsComeInFileOrderAboveTheThreshold)
{
    ASSERT_TRUE(store.Open(path));
    for (const char* typed : {"help ", "zebra ", "hello ", "Hermes ", "he ", "hello ", "hex ", "helm "})
        store.Learn(typed);
    store.SetMinWordLength(0);
    store.Learn("he ");
    // "he" was too short the first time and came last.
    EXPECT_EQ(AllSuggestions(store, "he"), (std::vector<std::string>{"help", "hello", "hex", "helm", "he"}));
    EXPECT_EQ(AllSuggestions(store, "He"), (std::vector<std::string>{"Hermes"}));
    EXPECT_EQ(AllSuggestions(store, "hello"), (std::vector<std::string>{"hello"}));
    EXPECT_EQ(AllSuggestions(store, "helloo"), (std::vector<std::string>{}));
    EXPECT_EQ(AllSuggestions(store, "").size(), 7u);

    store.SetOfferThreshold(2);
    EXPECT_EQ(AllSuggestions(store, "he"), (std::vector<std::string>{"hello"}));
    store.SetOfferThreshold(1);

    // Suggestions walk the records: the next call goes on behind the last one.
    EXPECT_EQ(store.FirstSuggestion("hel"), "help");
    EXPECT_EQ(store.CurrentIndex(), 1u);
    EXPECT_EQ(store.NextSuggestion("hel"), "hello");
    EXPECT_EQ(store.FirstSuggestion("hel"), "help");  // starts again
    EXPECT_EQ(store.NextSuggestion("hel"), "hello");
    EXPECT_EQ(store.NextSuggestion("hel"), "helm");
    EXPECT_EQ(store.NextSuggestion("hel"), "");
    EXPECT_TRUE(store.IsEnd());
    EXPECT_EQ(store.NextSuggestion("hel"), "");
}

TEST_F(AutoLearnTest, CommonPrefixesAndDuplicateTextsKeepFileOrder)
{
    // Many texts share "a" (walked in memory), few share "b" (answered by the index); the
    // duplicates come from appends, as an import makes them.
    ASSERT_TRUE(store.Open(path));
    std::vector<std::string> expectA, expectB;
    for (int i = 0; i < 300; ++i) {
        const std::string text = (i % 7 == 3 ? "b" : "a") + std::to_string(i % 150);
        store.SetCurrent(i % 11 == 0 ? 0 : 1, text);
        ASSERT_TRUE(store.Append());
        if (i % 11 != 0)
            (text[0] == 'a' ? expectA : expectB).push_back(text);
    }
    EXPECT_EQ(AllSuggestions(store, "a"), expectA);
    EXPECT_EQ(AllSuggestions(store, "b"), expectB);
    // Learning counts the first record of a duplicated text.
    store.SetMinWordLength(1);
    ASSERT_EQ(store.Learn("a1 "), LearnOutcome::Counted);
    EXPECT_EQ(store.CurrentIndex(), 1u);
    EXPECT_EQ(store.Records()[1].count, 2);
    EXPECT_EQ(store.Records()[151].count, 1);
}

TEST_F(AutoLearnTest, EditedTextsMoveBetweenPrefixes)
{
    // 200 texts behind "abcde": answered by walking the records, with the prefix longer than
    // what the walk compares first.
    ASSERT_TRUE(store.Open(path));
    store.SetCurrent(1, "other");
    ASSERT_TRUE(store.Append());
    for (int i = 0; i < 200; ++i) {
        store.SetCurrent(1, (i % 2 ? "abcdeX" : "abcdfY") + std::to_string(i));
        ASSERT_TRUE(store.Append());
    }
    EXPECT_EQ(AllSuggestions(store, "abcde").size(), 100u);
    EXPECT_EQ(AllSuggestions(store, "abcd").size(), 200u);
    EXPECT_EQ(store.FirstSuggestion("abcdfY"), "abcdfY0");

    store.MoveFirst();
    store.MoveNext();
    store.MoveNext();
    store.SetCurrent(1, "zz");  // "abcdeX1" leaves the prefix
    ASSERT_TRUE(store.UpdateCurrent());
    store.MoveFirst();
    store.SetCurrent(1, "abcdeQ");  // "other" joins it
    ASSERT_TRUE(store.UpdateCurrent());
    const std::vector<std::string> got = AllSuggestions(store, "abcde");
    ASSERT_EQ(got.size(), 100u);
    EXPECT_EQ(got[0], "abcdeQ");
    EXPECT_EQ(got[1], "abcdeX3");
    EXPECT_EQ(AllSuggestions(store, "ab").size(), 200u);
    EXPECT_EQ(AllSuggestions(store, "z"), (std::vector<std::string>{"zz"}));
}

TEST_F(AutoLearnTest, OddLengthFileLosesOnlyItsPartialRecord)
{
    const std::string good = MarkerBytes() + RecordBytes(4, "alpha") + RecordBytes(2, "beta");
    pvtest::WriteFile(path, good + std::string(100, 'x'));
    ASSERT_TRUE(store.Open(path));
    EXPECT_EQ(store.RecordCount(), 2u);
    EXPECT_EQ(pvtest::ReadFile(path), good);  // cut back to whole records

    ASSERT_EQ(store.Learn("gamma "), LearnOutcome::Added);
    store.Close();
    EXPECT_EQ(pvtest::ReadFile(path), good + RecordBytes(1, "gamma"));
    ASSERT_TRUE(store.Open(path));
    EXPECT_EQ(store.Records(), (std::vector<AutoLearnRecord>{{4, "alpha"}, {2, "beta"}, {1, "gamma"}}));
}

TEST_F(AutoLearnTest, LongTextsAreCutAndCountedAsOne)
{
    ASSERT_TRUE(store.Open(path));
    const std::string word(700, 'w');
    EXPECT_EQ(store.Learn(word + " "), LearnOutcome::Added);
    EXPECT_EQ(store.Learn(word + " "), LearnOutcome::Counted);
    ASSERT_EQ(store.RecordCount(), 1u);
    EXPECT_EQ(store.Records()[0], (AutoLearnRecord{2, std::string(511, 'w')}));
    EXPECT_EQ(pvtest::ReadFile(path), MarkerBytes() + RecordBytes(2, std::string(511, 'w')));

    const std::string wide = std::string(510, 'v') + "\xE2\x82\xAC\xE2\x82\xAC ";
    EXPECT_EQ(store.Learn(wide), LearnOutcome::Added);
    EXPECT_EQ(store.Records()[1].text, std::string(510, 'v'));
    // Texts set by the page are cut the same way when written.
    store.SetCurrent(7, std::string(520, 'p'));
    ASSERT_TRUE(store.Append());
    EXPECT_EQ(store.CurrentText().size(), 511u);
    store.Close();
    ASSERT_TRUE(store.Open(path));
    EXPECT_EQ(store.Records()[2], (AutoLearnRecord{7, std::string(511, 'p')}));
}

TEST_F(AutoLearnTest, TextFieldWithoutTerminatorIsReadToTheFieldEnd)
{
    std::string unterminated = RecordBytes(5, "");
    std::memset(&unterminated[4], 'q', kAutoLearnTextField);
    const std::string garbage(kAutoLearnRecordSize, '\xFF');
    pvtest::WriteFile(path, MarkerBytes() + RecordBytes(1, "first") + unterminated + garbage + RecordBytes(1, "last"));

    ASSERT_TRUE(store.Open(path));
    ASSERT_EQ(store.RecordCount(), 4u);
    EXPECT_EQ(store.Records()[0], (AutoLearnRecord{1, "first"}));
    EXPECT_EQ(store.Records()[1], (AutoLearnRecord{5, std::string(512, 'q')}));
    EXPECT_EQ(store.Records()[2], (AutoLearnRecord{-1, std::string(512, '\xFF')}));
    EXPECT_EQ(store.Records()[3], (AutoLearnRecord{1, "last"}));
    EXPECT_EQ(AllSuggestions(store, "qq"), (std::vector<std::string>{std::string(512, 'q')}));
    EXPECT_EQ(AllSuggestions(store, "\xFF"), (std::vector<std::string>{}));  // count -1 is below 1

    // Writing the record back stores the text as a record holds it: 511 bytes and a zero.
    store.MoveFirst();
    store.MoveNext();
    ASSERT_TRUE(store.UpdateCurrent());
    EXPECT_EQ(store.Records()[1], (AutoLearnRecord{5, std::string(511, 'q')}));
    EXPECT_EQ(store.Records()[0], (AutoLearnRecord{1, "first"}));
    store.Close();
    EXPECT_EQ(ScanAutoLearnFile(path)[1], (AutoLearnRecord{5, std::string(511, 'q')}));
}

TEST_F(AutoLearnTest, CountsStopAtTheLargestValue)
{
    pvtest::WriteFile(path, RecordBytes(INT_MAX, "often"));
    ASSERT_TRUE(store.Open(path));
    EXPECT_EQ(store.Learn("often "), LearnOutcome::Counted);
    EXPECT_EQ(store.Records()[0].count, INT_MAX);
}

TEST_F(AutoLearnTest, IterationUpdateTruncateAndReopen)
{
    ASSERT_TRUE(store.Open(path));
    for (const char* typed : {"one ", "two ", "three ", "two "})
        store.Learn(typed);

    std::vector<AutoLearnRecord> walked;
    for (store.MoveFirst(); !store.IsEnd(); store.MoveNext())
        walked.push_back({store.CurrentCount(), store.CurrentText()});
    EXPECT_EQ(walked, (std::vector<AutoLearnRecord>{{1, "one"}, {2, "two"}, {1, "three"}}));
    store.MoveNext();  // past the end stays there
    EXPECT_TRUE(store.IsEnd());
    EXPECT_FALSE(store.UpdateCurrent());

    // Edit the middle record as the page does: new text, count restarted.
    store.MoveFirst();
    store.MoveNext();
    store.SetCurrent(9, "deux");
    ASSERT_TRUE(store.UpdateCurrent());
    EXPECT_EQ(AllSuggestions(store, "tw"), (std::vector<std::string>{}));
    EXPECT_EQ(AllSuggestions(store, "de"), (std::vector<std::string>{"deux"}));
    EXPECT_EQ(store.Learn("two "), LearnOutcome::Added);
    EXPECT_EQ(store.Learn("deux "), LearnOutcome::Counted);

    const std::vector<AutoLearnRecord> expected{{1, "one"}, {10, "deux"}, {1, "three"}, {1, "two"}};
    EXPECT_EQ(store.Records(), expected);
    store.Close();
    ASSERT_TRUE(store.Open(path));
    EXPECT_EQ(store.Records(), expected);
    EXPECT_EQ(store.CurrentText(), "one");  // the first record is read on open

    ASSERT_TRUE(store.Truncate());
    EXPECT_EQ(store.RecordCount(), 0u);
    EXPECT_TRUE(store.IsEnd());
    EXPECT_EQ(pvtest::ReadFile(path), MarkerBytes());
    EXPECT_EQ(store.FirstSuggestion("o"), "");
    EXPECT_EQ(store.Learn("three "), LearnOutcome::Added);
    EXPECT_EQ(pvtest::ReadFile(path), MarkerBytes() + RecordBytes(1, "three"));

    // Truncate on a closed store creates the file anew.
    store.Close();
    ASSERT_TRUE(store.Truncate());
    EXPECT_TRUE(store.IsOpen());
    EXPECT_EQ(pvtest::ReadFile(path), MarkerBytes());
}

TEST_F(AutoLearnTest, OpenCreatesTheFileAndFailsWhereItCannot)
{
    ASSERT_TRUE(store.Open(path));
    EXPECT_TRUE(store.IsWritable());
    EXPECT_EQ(pvtest::ReadFile(path), MarkerBytes());  // a new file is UTF-8 from the start
    EXPECT_FALSE(store.Open(folder.File("missing-folder/AutoLearn.dic")));
    EXPECT_FALSE(store.IsOpen());
    EXPECT_EQ(store.Learn("hello "), LearnOutcome::NotLearnt);
    CAutoLearnDictionary nothing;
    EXPECT_FALSE(nothing.Truncate());
}

// The store opened on a file it may not write: suggestions work, learning changes nothing.
void ExpectReadOnlyStore(CAutoLearnDictionary& store, const std::string& path)
{
    EXPECT_FALSE(store.IsWritable());
    EXPECT_EQ(store.FirstSuggestion("he"), "hello");
    EXPECT_EQ(store.Learn("hello "), LearnOutcome::WriteFailed);
    EXPECT_EQ(store.Learn("world "), LearnOutcome::WriteFailed);
    EXPECT_FALSE(store.Truncate());
    EXPECT_EQ(store.Records(), (std::vector<AutoLearnRecord>{{1, "hello"}}));
    EXPECT_EQ(pvtest::ReadFile(path), RecordBytes(1, "hello"));
}

TEST_F(AutoLearnTest, HugeFileIsRefusedAndLeftAlone)
{
    pvtest::WriteFile(path, RecordBytes(1, "hello"));
    const std::uintmax_t huge = 2000001ull * kAutoLearnRecordSize + 7;  // sparse: no disk used
    std::filesystem::resize_file(path, huge);
    EXPECT_FALSE(store.Open(path));
    EXPECT_FALSE(store.IsOpen());
    EXPECT_EQ(std::filesystem::file_size(path), huge);
    EXPECT_EQ(store.Learn("hello "), LearnOutcome::NotLearnt);
    std::filesystem::resize_file(path, kAutoLearnRecordSize);
    ASSERT_TRUE(store.Open(path));
    EXPECT_EQ(store.Records(), (std::vector<AutoLearnRecord>{{1, "hello"}}));
}

TEST_F(AutoLearnTest, ReadOnlyFileStillOffersButLearnsNothing)
{
    pvtest::WriteFile(path, RecordBytes(1, "hello"));
    std::filesystem::permissions(path,
                                 std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    ASSERT_TRUE(store.Open(path));
    if (store.IsWritable())
        GTEST_SKIP() << "this account may write read-only files";
    ExpectReadOnlyStore(store, path);
}

#ifdef _WIN32
TEST_F(AutoLearnTest, FileThatAnotherProgramKeepsFromWritingStillOffers)
{
    pvtest::WriteFile(path, RecordBytes(1, "hello"));
    HANDLE other = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(store.Open(path));
    ExpectReadOnlyStore(store, path);
    store.Close();
    CloseHandle(other);
}

TEST_F(AutoLearnTest, OthersMayReadTheFileWhileItIsOpen)
{
    ASSERT_TRUE(store.Open(path));
    ASSERT_EQ(store.Learn("hello "), LearnOutcome::Added);
    HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    ASSERT_EQ(store.Learn("world "), LearnOutcome::Added);  // written while the reader is open
    char bytes[3 * kAutoLearnRecordSize] = {};
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(reader, bytes, sizeof bytes, &got, nullptr));
    CloseHandle(reader);
    EXPECT_EQ(std::string(bytes, got), MarkerBytes() + RecordBytes(1, "hello") + RecordBytes(1, "world"));
}
#endif

#ifndef _WIN32
// A full disk, imitated with the file size limit: the record that does not fit is written
// only partly, and must neither stay in the file nor reach the memory copy.
TEST_F(AutoLearnTest, FullDiskLeavesNoHalfRecord)
{
    ASSERT_TRUE(store.Open(path));
    ASSERT_EQ(store.Learn("alpha "), LearnOutcome::Added);
    ASSERT_EQ(store.Learn("beta "), LearnOutcome::Added);

    struct sigaction ignore = {}, previous = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    rlimit saved = {};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = 3 * kAutoLearnRecordSize + 300;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);

    const LearnOutcome added = store.Learn("gamma ");
    const LearnOutcome counted = store.Learn("alpha ");  // overwrites in place: fits
    const std::string suggestion = store.FirstSuggestion("ga");

    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_EQ(added, LearnOutcome::WriteFailed);
    EXPECT_EQ(counted, LearnOutcome::Counted);
    EXPECT_EQ(suggestion, "");
    const std::vector<AutoLearnRecord> expected{{2, "alpha"}, {1, "beta"}};
    EXPECT_EQ(store.Records(), expected);
    EXPECT_EQ(pvtest::ReadFile(path).size(), 3 * kAutoLearnRecordSize);
    EXPECT_EQ(ScanAutoLearnFile(path), expected);

    EXPECT_EQ(store.Learn("gamma "), LearnOutcome::Added);  // room again
    EXPECT_EQ(ScanAutoLearnFile(path).size(), 3u);
}
#endif

}  // namespace
