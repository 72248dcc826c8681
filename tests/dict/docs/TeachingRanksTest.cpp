// Ranks of taught words asked in batches of the dictionaries' thread, then used without it.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "dict/TeachingRanks.h"

namespace {

const std::map<std::string, int, std::less<>> kDictionary{{"the", 900}, {"paris", 300}, {"cat", 500}, {"saw", 200}};

int DictionaryRank(std::string_view word)
{
    const auto found = kDictionary.find(word);
    return found == kDictionary.end() ? -1 : found->second;
}

}  // namespace

// Every word is asked once, in batches no larger than asked for; a capital the dictionary lacks
// is asked again in small letters, so the answers then settle words as the dictionary would.
TEST(TeachingRanks, BatchesAskEachWordOnceAndSettleAsTheDictionaryWould)
{
    CTaughtWords taught;
    taught.Add("The cat saw Paris. The Xanthoporix cat saw the Xanthoporix Quorble.\n");
    taught.EndDocument();

    CCachedRanks ranks;
    std::multiset<std::string> asked;
    std::size_t largestBatch = 0;
    ResolveTaughtRanks(
        taught, ranks,
        [&](const std::vector<std::string>& words) {
            largestBatch = std::max(largestBatch, words.size());
            std::vector<int> answers;
            for (const std::string& word : words) {
                asked.insert(word);
                answers.push_back(DictionaryRank(word));
            }
            return answers;
        },
        2);
    EXPECT_LE(largestBatch, 2u);
    for (const std::string& word : asked)
        EXPECT_EQ(asked.count(word), 1u) << word;
    EXPECT_EQ(asked.count("the"), 1u);  // "The" unknown as written, so asked small too
    EXPECT_EQ(asked.count("quorble"), 1u);
    EXPECT_TRUE(ranks.TakeMissing().empty());

    const CTaughtWords::RankOf cached = ranks.Lookup();
    const CTaughtWords::RankOf direct = [](std::string_view word) {
        return DictionaryRank(word);
    };
    const auto texts = [](const std::vector<AutoLearnRecord>& records) {
        std::vector<std::string> out;
        for (const AutoLearnRecord& record : records)
            out.push_back(record.text + "=" + std::to_string(record.count));
        return out;
    };
    EXPECT_EQ(texts(taught.UnknownWords(cached, 1, 1, 100)), texts(taught.UnknownWords(direct, 1, 1, 100)));
    EXPECT_EQ(texts(taught.UnknownWords(cached, 1, 2, 100)), std::vector<std::string>{"Xanthoporix=2"});
    EXPECT_TRUE(ranks.TakeMissing().empty());  // nothing new was asked of the cache
}

// A word never told answers -1 and is noted once; a told rank below -1 is taken as "none".
TEST(TeachingRanks, UntoldWordsAreNotedOnceAndAnswerNone)
{
    CCachedRanks ranks;
    const CTaughtWords::RankOf lookup = ranks.Lookup();
    EXPECT_EQ(lookup("zebra"), -1);
    EXPECT_EQ(lookup("zebra"), -1);
    EXPECT_FALSE(ranks.Knows("zebra"));
    EXPECT_EQ(ranks.TakeMissing(), std::vector<std::string>{"zebra"});
    ranks.Tell({"zebra", "yak"}, {70, -5});
    EXPECT_EQ(lookup("zebra"), 70);
    EXPECT_EQ(lookup("yak"), -1);
    EXPECT_TRUE(ranks.Knows("yak"));
    EXPECT_TRUE(ranks.TakeMissing().empty());
}
