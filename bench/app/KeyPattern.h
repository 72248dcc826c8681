// A typist's key pattern for the key-delay benchmark, and the table of its side-by-side run:
// what is typed (a press every 60 ms, its release a few milliseconds after the press arrived) and
// how the parties' delays compare with the goals. Portable: no timing happens here.
#pragma once
#include <string>
#include <vector>

namespace keypattern {

const int kPressEveryMs = 60;
const double kMaxReleaseAfterUs = 5000;  // the release follows the press's arrival by 0 ... this
const double kLateUs = 5000;             // a key message that arrives later than this is late

struct ScheduledKey {
    char key = ' ';             // 'a' ... 'z', or ' ' after each word
    double releaseAfterUs = 0;  // from the press's arrival in the edit to the release's injection
};

// `keys` keys: the letters of the words from `firstWord` on, each word followed by a space,
// wrapping around the list; release gaps uniform in [0, kMaxReleaseAfterUs], drawn from `seed`.
// Empty when there are no words.
std::vector<ScheduledKey> MakeSchedule(const std::vector<std::string>& words, size_t firstWord, int keys,
                                       unsigned seed);

struct DelaySummary {
    int count = 0;
    double medianUs = 0, p95Us = 0, p99Us = 0, maxUs = 0;
    int late = 0;  // later than kLateUs
};
DelaySummary Summarize(const std::vector<double>& us);

enum class Role { Today, Before, Receiver };
enum class KeyKind { Presses, Releases };

// One party's keys in one suggestion order.
struct PartyDelays {
    Role role = Role::Today;
    std::string name;
    std::vector<double> pressUs, releaseUs;
    int lostPresses = 0, lostReleases = 0;  // never reached the edit: late too
    int words = 0, promptUp = 0;            // words typed, and those with a prompt up before their space

    const std::vector<double>& Delays(KeyKind kind) const { return kind == KeyKind::Presses ? pressUs : releaseUs; }
    int Lost(KeyKind kind) const { return kind == KeyKind::Presses ? lostPresses : lostReleases; }
};

struct OrderDelays {
    std::string order;  // "ranked", "classic"
    std::vector<PartyDelays> parties;

    const PartyDelays* Find(Role role) const;
};

// The goals today's program misses with `kind` against the receiver and the older program of its
// order, a short phrase each; empty when it meets them all (or `party` is not today's program).
std::vector<std::string> MissedGoals(const PartyDelays& party, KeyKind kind, const OrderDelays& order);

// The table of every party of every order: figures in ms, late keys, ratios and goals.
std::string FormatTable(const std::vector<OrderDelays>& orders);

}  // namespace keypattern
