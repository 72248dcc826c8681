#include "bench/app/KeyPattern.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace keypattern;

namespace {

std::vector<double> Repeated(double us, int count)
{
    return std::vector<double>(count, us);
}

PartyDelays Party(Role role, const char* name, double pressUs, double releaseUs)
{
    PartyDelays party;
    party.role = role;
    party.name = name;
    party.pressUs = Repeated(pressUs, 100);
    party.releaseUs = Repeated(releaseUs, 100);
    return party;
}

OrderDelays Order(const std::vector<PartyDelays>& parties)
{
    OrderDelays order;
    order.order = "ranked";
    order.parties = parties;
    return order;
}

}  // namespace

TEST(KeyPatternSchedule, TypesEachWordThenASpaceAndWrapsAround)
{
    const std::vector<std::string> words = {"ab", "cde"};
    std::string typed;
    for (const ScheduledKey& key : MakeSchedule(words, 1, 11, 7))
        typed += key.key;
    EXPECT_EQ(typed, "cde ab cde ");
    EXPECT_TRUE(MakeSchedule({}, 0, 10, 7).empty());
}

TEST(KeyPatternSchedule, ReleaseGapsSpreadOverTheRangeAndFollowTheSeed)
{
    const std::vector<std::string> words = {"typing"};
    const std::vector<ScheduledKey> first = MakeSchedule(words, 0, 600, 42);
    const std::vector<ScheduledKey> again = MakeSchedule(words, 0, 600, 42);
    const std::vector<ScheduledKey> other = MakeSchedule(words, 0, 600, 43);
    ASSERT_EQ(first.size(), 600u);
    int below1ms = 0, above4ms = 0, differing = 0;
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_GE(first[i].releaseAfterUs, 0);
        EXPECT_LE(first[i].releaseAfterUs, kMaxReleaseAfterUs);
        EXPECT_EQ(first[i].releaseAfterUs, again[i].releaseAfterUs);
        below1ms += first[i].releaseAfterUs < 1000;
        above4ms += first[i].releaseAfterUs > 4000;
        differing += first[i].releaseAfterUs != other[i].releaseAfterUs;
    }
    // A uniform fifth of 600 is 120 each; a gap stuck in one spot or scaled wrongly misses these.
    EXPECT_GT(below1ms, 80);
    EXPECT_GT(above4ms, 80);
    EXPECT_GT(differing, 590);
}

TEST(KeyPatternFigures, NearestRankPercentilesAndLateOnlyBeyond5ms)
{
    std::vector<double> us;
    for (int i = 100; i >= 1; --i)
        us.push_back(i * 100.0);  // 100 us ... 10 ms, unsorted
    const DelaySummary s = Summarize(us);
    EXPECT_EQ(s.count, 100);
    EXPECT_EQ(s.medianUs, 5100);
    EXPECT_EQ(s.p95Us, 9500);
    EXPECT_EQ(s.p99Us, 9900);
    EXPECT_EQ(s.maxUs, 10000);
    EXPECT_EQ(s.late, 50);  // 5.0 ms itself is in time
    EXPECT_EQ(Summarize({}).count, 0);
}

TEST(KeyPatternGoals, TodayAgainstTheReceiverAndTheOlderProgram)
{
    const PartyDelays receiver = Party(Role::Receiver, "receiver", 400, 300);
    const PartyDelays before = Party(Role::Before, "before", 500, 300);
    // Presses 1.15x the receiver and below the older program; releases 1.3x the receiver and
    // worse than the older program.
    const OrderDelays order = Order({Party(Role::Today, "today", 460, 390), before, receiver});
    const PartyDelays& today = order.parties[0];
    EXPECT_TRUE(MissedGoals(today, KeyKind::Presses, order).empty());
    const std::vector<std::string> missed = MissedGoals(today, KeyKind::Releases, order);
    EXPECT_EQ(missed, (std::vector<std::string>{"median 1.30x receiver", "median 1.30x before", "p95 1.30x before"}));
    EXPECT_TRUE(MissedGoals(order.parties[1], KeyKind::Releases, order).empty()) << "the older program has no goals";
}

TEST(KeyPatternGoals, LateAndLostKeysAndASlowTail)
{
    PartyDelays today = Party(Role::Today, "today", 400, 300);
    today.pressUs[0] = 6000;  // one late press in the tail, p95 still in line
    today.lostReleases = 1;
    for (int i = 0; i < 10; ++i)
        today.releaseUs[i] = 700;  // a tail above 1.5x the receiver's at p95
    const OrderDelays order = Order({today, Party(Role::Receiver, "receiver", 400, 300)});
    EXPECT_EQ(MissedGoals(order.parties[0], KeyKind::Presses, order), (std::vector<std::string>{"1 late"}));
    EXPECT_EQ(MissedGoals(order.parties[0], KeyKind::Releases, order),
              (std::vector<std::string>{"p95 2.33x receiver", "1 late"}));
}

TEST(KeyPatternTable, OneRowPerPartyAndKindWithTheVerdict)
{
    const OrderDelays order =
        Order({Party(Role::Today, "today", 400, 300), Party(Role::Receiver, "receiver", 400, 300)});
    const std::string table = FormatTable({order});
    EXPECT_NE(table.find("ranked   today     presses    100    0   0.400   0.400   0.400   0.400      0/100   1.00"),
              std::string::npos)
        << table;
    EXPECT_NE(table.find("1.00  1.00      -     -  met"), std::string::npos) << table;
    EXPECT_NE(
        table.find("         receiver  presses    100    0   0.400   0.400   0.400   0.400      0/100      -     -"
                   "      -     -\n                   releases"),
        std::string::npos)
        << "the receiver's rows carry no ratios to itself and no goals\n"
        << table;
    EXPECT_EQ(table.find("MISSED"), std::string::npos) << table;
}
