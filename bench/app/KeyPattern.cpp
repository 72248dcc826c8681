#include "bench/app/KeyPattern.h"

#include <cstdio>
#include <random>

#include "bench/hook/Percentile.h"

namespace keypattern {

namespace {

const double kPressGoal = 1.2, kP95Goal = 1.5;  // times the receiver

std::string Format(const char* format, double a, double b = 0)
{
    char text[64];
    snprintf(text, sizeof text, format, a, b);
    return text;
}

// `p` of a against b; 0 where either has no keys.
double Ratio(const std::vector<double>& a, const std::vector<double>& b, double p)
{
    const double denominator = bench::Percentile(b, p);
    return a.empty() || denominator <= 0 ? 0 : bench::Percentile(a, p) / denominator;
}

std::string RatioCells(const PartyDelays* party, const PartyDelays* base, KeyKind kind)
{
    const char* none = "     -     -";
    if (!party || !base || party == base)
        return none;
    const double median = Ratio(party->Delays(kind), base->Delays(kind), 0.5);
    const double p95 = Ratio(party->Delays(kind), base->Delays(kind), 0.95);
    if (median <= 0 || p95 <= 0)
        return none;
    return Format("%6.2f %5.2f", median, p95);
}

int LateWithLost(const PartyDelays& party, KeyKind kind)
{
    return Summarize(party.Delays(kind)).late + party.Lost(kind);
}

std::string Row(const char* order, const char* party, const PartyDelays& delays, KeyKind kind, const OrderDelays& all)
{
    const DelaySummary s = Summarize(delays.Delays(kind));
    const int keys = s.count + delays.Lost(kind);
    char late[32], cells[160];
    snprintf(late, sizeof late, "%d/%d", s.late + delays.Lost(kind), keys);
    snprintf(cells, sizeof cells, "%-8s %-9s %-8s %5d %4d %7.3f %7.3f %7.3f %7.3f %10s", order, party,
             kind == KeyKind::Presses ? "presses" : "releases", s.count, delays.Lost(kind), s.medianUs / 1000,
             s.p95Us / 1000, s.p99Us / 1000, s.maxUs / 1000, late);
    std::string row = cells;
    row += " " + RatioCells(&delays, all.Find(Role::Receiver), kind);
    row += " " + RatioCells(&delays, all.Find(Role::Before), kind);
    if (delays.role == Role::Today) {
        std::string goals;
        for (const std::string& miss : MissedGoals(delays, kind, all))
            goals += (goals.empty() ? "MISSED: " : ", ") + miss;
        row += "  " + (goals.empty() ? std::string("met") : goals);
    }
    return row + "\n";
}

}  // namespace

std::vector<ScheduledKey> MakeSchedule(const std::vector<std::string>& words, size_t firstWord, int keys, unsigned seed)
{
    std::vector<ScheduledKey> schedule;
    if (words.empty())
        return schedule;
    // The gap is scaled from the generator's raw output, which every standard library gives
    // alike, so that a seed means the same pattern wherever the bench is built.
    std::mt19937 random(seed);
    const auto nextGap = [&random] {
        return random() / (double)std::mt19937::max() * kMaxReleaseAfterUs;
    };
    for (size_t w = firstWord; (int)schedule.size() < keys; ++w) {
        std::string word = words[w % words.size()] + ' ';
        for (size_t i = 0; i < word.size() && (int)schedule.size() < keys; ++i)
            schedule.push_back({word[i], nextGap()});
    }
    return schedule;
}

DelaySummary Summarize(const std::vector<double>& us)
{
    DelaySummary s;
    s.count = (int)us.size();
    if (us.empty())
        return s;
    s.medianUs = bench::Percentile(us, 0.5);
    s.p95Us = bench::Percentile(us, 0.95);
    s.p99Us = bench::Percentile(us, 0.99);
    s.maxUs = bench::Percentile(us, 1.0);
    for (double delay : us)
        s.late += delay > kLateUs ? 1 : 0;
    return s;
}

const PartyDelays* OrderDelays::Find(Role role) const
{
    for (const PartyDelays& party : parties)
        if (party.role == role)
            return &party;
    return nullptr;
}

std::vector<std::string> MissedGoals(const PartyDelays& party, KeyKind kind, const OrderDelays& order)
{
    std::vector<std::string> missed;
    if (party.role != Role::Today)
        return missed;
    const std::vector<double>& mine = party.Delays(kind);
    if (const PartyDelays* receiver = order.Find(Role::Receiver)) {
        const double median = Ratio(mine, receiver->Delays(kind), 0.5);
        const double p95 = Ratio(mine, receiver->Delays(kind), 0.95);
        if (median <= 0 || p95 <= 0)
            missed.push_back("no receiver figures");
        if (median > kPressGoal)
            missed.push_back(Format("median %.2fx receiver", median));
        if (p95 > kP95Goal)
            missed.push_back(Format("p95 %.2fx receiver", p95));
    }
    if (const int late = LateWithLost(party, kind))
        missed.push_back(std::to_string(late) + " late");
    if (const PartyDelays* before = order.Find(Role::Before)) {
        const double median = Ratio(mine, before->Delays(kind), 0.5);
        const double p95 = Ratio(mine, before->Delays(kind), 0.95);
        if (median > 1)
            missed.push_back(Format("median %.2fx before", median));
        if (p95 > 1)
            missed.push_back(Format("p95 %.2fx before", p95));
        if (LateWithLost(party, kind) > LateWithLost(*before, kind))
            missed.push_back("more late than before");
    }
    return missed;
}

std::string FormatTable(const std::vector<OrderDelays>& orders)
{
    const char* columns = "%-8s %-9s %-8s %5s %4s %7s %7s %7s %7s %10s %12s %12s";
    char header[2][256];
    snprintf(header[0], sizeof header[0], columns, "order", "party", "keys", "n", "lost", "median", "p95", "p99", "max",
             ">5 ms", "/receiver", "/before");
    snprintf(header[1], sizeof header[1], columns, "", "", "", "", "", "ms", "ms", "ms", "ms", "of all", "med   p95",
             "med   p95");
    std::string table = std::string(header[0]) + "  goals (today)\n" + header[1] + "\n";
    for (const OrderDelays& order : orders) {
        const char* orderName = order.order.c_str();
        for (const PartyDelays& party : order.parties) {
            table += Row(orderName, party.name.c_str(), party, KeyKind::Presses, order);
            table += Row("", "", party, KeyKind::Releases, order);
            orderName = "";
        }
    }
    return table;
}

}  // namespace keypattern
