// Random sequences of operations on the indexed store and on the record-by-record reference:
// every answer must agree, and the memory copy must equal a fresh scan of the file.

#include "dict/AutoLearnDictionary.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "tests/dict/autolearn/AutoLearnReference.h"
#include "tests/support/TempFolder.h"

namespace {

class CFakeDictionaries : public IKnownWords {
public:
    std::set<std::string> words{"hel", "abc", "Ab"};
    bool HoldsExactly(const std::string& text) override { return words.count(text) != 0; }
};

struct PropertyCase {
    unsigned seed;
    bool multiByte;                  // texts beyond ASCII, and long ones that end in a character of three bytes
    std::size_t indexedPrefixLimit;  // small: most prefixes take the walk over the records
};

class AutoLearnPropertyTest : public ::testing::TestWithParam<PropertyCase> {};

std::string RandomText(std::mt19937& rng, bool multiByte)
{
    // Few letters, so texts repeat and share prefixes; some separators and odd characters.
    // Half of them from two letters only: long shared prefixes with many texts behind them.
    static const char* const pieces[] = {
        "a",   "b", "a", "a", "b", "b",  "h",    "e",        "l",        "A",
        "B",   ";", " ", ",", ".", "\t", "\x01", "\xC3\xA9", "\xC5\x82", "\xE2\x82\xAC",
        "\x82"};
    const int count = static_cast<int>(sizeof pieces / sizeof pieces[0]) - (multiByte ? 0 : 4);
    const int alphabet = std::uniform_int_distribution<int>(0, 1)(rng) ? 2 : count;
    std::string text;
    const int length = std::uniform_int_distribution<int>(0, 9)(rng);
    for (int i = 0; i < length; ++i)
        text += pieces[std::uniform_int_distribution<int>(0, alphabet - 1)(rng)];
    if (std::uniform_int_distribution<int>(0, 40)(rng) == 0)
        text =
            std::string(505 + std::uniform_int_distribution<int>(0, 12)(rng), 'h') + (multiByte ? "\xE2\x82\xAC" : "");
    if (std::uniform_int_distribution<int>(0, 1)(rng))
        text += " ";
    return text;
}

TEST_P(AutoLearnPropertyTest, IndexedStoreMatchesTheRecordScan)
{
    const PropertyCase param = GetParam();
    std::mt19937 rng(param.seed);
    pvtest::TempFolder folder;
    const std::string path = folder.File("AutoLearn.dic");
    const std::string referencePath = folder.File("Reference.dic");

    CFakeDictionaries dictionaries;
    CAutoLearnDictionary store;
    CReferenceAutoLearn reference;
    store.SetIndexedPrefixLimit(param.indexedPrefixLimit);
    store.SetKnownWords(&dictionaries);
    reference.knownWords = &dictionaries;
    ASSERT_TRUE(store.Open(path));
    ASSERT_TRUE(reference.Open(referencePath));

    std::string prefix;
    bool cursorsAgree = true;  // both walks stand on the same record
    for (int step = 0; step < 3000; ++step) {
        const int op = std::uniform_int_distribution<int>(0, 99)(rng);
        SCOPED_TRACE("seed " + std::to_string(param.seed) + " step " + std::to_string(step) + " op " +
                     std::to_string(op));
        if (op < 45) {
            const std::string typed = RandomText(rng, param.multiByte);
            ASSERT_EQ(store.Learn(typed), reference.Learn(typed)) << "typed [" << typed << "]";
        } else if (op < 65) {
            prefix = RandomText(rng, param.multiByte).substr(0, std::uniform_int_distribution<int>(0, 6)(rng));
            ASSERT_EQ(store.FirstSuggestion(prefix), reference.FirstSuggestion(prefix)) << "[" << prefix << "]";
            cursorsAgree = true;
        } else if (op < 80) {
            if (!cursorsAgree)
                continue;
            ASSERT_EQ(store.NextSuggestion(prefix), reference.NextSuggestion(prefix)) << "[" << prefix << "]";
        } else if (op < 86) {
            // Duplicates and odd counts, as an import makes them.
            const std::int32_t count = std::uniform_int_distribution<int>(-1, 3)(rng);
            const std::string text = RandomText(rng, param.multiByte);
            store.SetCurrent(count, text);
            ASSERT_EQ(store.Append(), reference.Append(count, text));
        } else if (op < 91) {
            // Edit a random record as the page does, then re-sync the reference from the file.
            if (store.RecordCount() == 0)
                continue;
            const std::size_t at = std::uniform_int_distribution<std::size_t>(0, store.RecordCount() - 1)(rng);
            store.MoveFirst();
            for (std::size_t i = 0; i < at; ++i)
                store.MoveNext();
            store.SetCurrent(std::uniform_int_distribution<int>(0, 3)(rng), RandomText(rng, param.multiByte));
            ASSERT_TRUE(store.UpdateCurrent());
            reference.Close();
            pvtest::WriteFile(referencePath, pvtest::ReadFile(path));
            ASSERT_TRUE(reference.Open(referencePath));
            cursorsAgree = false;
        } else if (op < 94) {
            store.SetMinWordLength(std::uniform_int_distribution<unsigned>(0, 4)(rng));
            reference.minWordLength = store.MinWordLength();
            store.SetOfferThreshold(std::uniform_int_distribution<int>(0, 2)(rng));
            reference.offerThreshold = store.OfferThreshold();
        } else if (op < 97) {
            store.Close();
            ASSERT_TRUE(store.Open(path));
            cursorsAgree = false;
        } else if (op < 98) {
            if (std::uniform_int_distribution<int>(0, 9)(rng) != 0)
                continue;  // rare, so that many records pile up between
            ASSERT_TRUE(store.Truncate());
            reference.Close();
            pvtest::WriteFile(referencePath, "");
            ASSERT_TRUE(reference.Open(referencePath));
        } else {
            const std::string separators = std::uniform_int_distribution<int>(0, 1)(rng) ? "; ,." : "a\xC5\x82";
            store.SetSeparators(separators);
            reference.rules.SetSeparators(separators);
        }
        if (step % 50 == 0 || op >= 86) {
            ASSERT_EQ(store.Records(), ScanAutoLearnFile(path));
            ASSERT_EQ(store.Records(), reference.ReadAll());
        }
    }
    EXPECT_EQ(store.Records(), ScanAutoLearnFile(path));
    EXPECT_EQ(store.Records(), reference.ReadAll());
    EXPECT_GT(store.RecordCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Seeds, AutoLearnPropertyTest,
                         ::testing::Values(PropertyCase{1, false, 64}, PropertyCase{2, false, 2},
                                           PropertyCase{3, true, 64}, PropertyCase{4, true, 2},
                                           PropertyCase{5, false, 0}, PropertyCase{6, true, 8}));

}  // namespace
