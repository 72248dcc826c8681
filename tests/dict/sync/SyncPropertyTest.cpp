// Two and three PCs, each with its own copy of the shared folder that a delivery model fills
// (late, cut, a later piece first, twice), run seeded random schedules of edits, deletions,
// learning words and pairs, forgetting, restarts and compactions (some leaving out pairs the PC's
// usage store let go of). Afterwards, with everything delivered, every PC
// must hold the same state, the reference model's, and what each PC was told of changes must
// add up to it. PV_SYNC_SCHEDULES sets the count of schedules, PV_SYNC_SEED runs one seed.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "dict/SyncStore.h"
#include "tests/dict/sync/SyncTestFolders.h"

namespace {

using Lines = std::map<std::string, std::string>;  // item -> value, as the program would hold them

const char* const kWords[] = {"alpha", "beta", "d\xC3\xA9j\xC3\xA0", "gamma", "eps"};
const char* const kKeys[] = {"k0", "k1", "\xD0\xBA\xD0\xBB", "k3", "k4"};
const char* const kDictionaries[] = {"User.lib", "Shorthands.lib"};

std::string WordItem(std::string_view word)
{
    return "W|" + std::string(word);
}

std::string PairItem(std::string_view first, std::string_view second)
{
    return "P|" + std::string(first) + "|" + std::string(second);
}

Lines StateLines(const CSyncState& state)
{
    Lines lines;
    state.ForEachEntry([&](std::string_view dictionary, std::string_view key, const std::string& data) {
        lines["E|" + std::string(dictionary) + "|" + std::string(key)] = data;
    });
    state.ForEachSetting([&](std::string_view section, std::string_view key, const std::string& value) {
        lines["S|" + std::string(section) + "|" + std::string(key)] = value;
    });
    state.ForEachLearntWord(
        [&](std::string_view word, std::uint64_t count) { lines[WordItem(word)] = std::to_string(count); });
    state.ForEachLearntPair([&](std::string_view first, std::string_view second, std::uint64_t count) {
        lines[PairItem(first, second)] = std::to_string(count);
    });
    return lines;
}

void ApplyChanges(const std::vector<SyncChange>& changes, Lines& lines)
{
    for (const SyncChange& change : changes) {
        std::string item;
        switch (change.kind) {
            case SyncKind::Entry:
                item = "E|" + change.first + "|" + change.second;
                break;
            case SyncKind::Setting:
                item = "S|" + change.first + "|" + change.second;
                break;
            case SyncKind::LearntWord:
                item = WordItem(change.first);
                break;
            default:
                item = PairItem(change.first, change.second);
                break;
        }
        if (change.present)
            lines[item] = change.kind == SyncKind::Entry || change.kind == SyncKind::Setting
                              ? change.value
                              : std::to_string(change.count);
        else
            lines.erase(item);
    }
}

std::string Describe(const Lines& lines)
{
    std::string text;
    for (const auto& [item, value] : lines)
        text += "  " + item + "=" + value + "\n";
    return text;
}

// What the merge must come to, worked out from the changes themselves: per item the change with
// the latest stamp; per word the learning done on each PC after it had seen the word's latest
// forgetting.
class CReference {
public:
    void Set(const std::string& item, const SyncStamp& stamp, std::optional<std::string> value)
    {
        auto& latest = m_registers[item];
        if (latest.first < stamp)
            latest = {stamp, std::move(value)};
    }
    void Learn(std::size_t pc, std::string first, std::string second, const SyncStamp& epoch, std::uint64_t times)
    {
        m_learnt.push_back(Learnt{pc, std::move(first), std::move(second), epoch, times});
    }
    // A PC's compaction left out a pair: what it counted of it so far is gone.
    void DropPair(std::size_t pc, const std::string& first, const std::string& second)
    {
        m_learnt.erase(std::remove_if(m_learnt.begin(), m_learnt.end(),
                                      [&](const Learnt& learnt) {
                                          return learnt.pc == pc && learnt.first == first && learnt.second == second;
                                      }),
                       m_learnt.end());
    }
    // Whether a pair was learnt after the latest forgetting of both its words.
    bool LearntSinceForgetting(const std::string& first, const std::string& second) const
    {
        const SyncStamp latest = std::max(ForgottenOf(first), ForgottenOf(second));
        return std::any_of(m_learnt.begin(), m_learnt.end(), [&](const Learnt& learnt) {
            return learnt.first == first && learnt.second == second && learnt.epoch == latest;
        });
    }
    void Forget(const std::string& word, const SyncStamp& stamp)
    {
        m_forgotten[word] = std::max(m_forgotten[word], stamp);
    }

    Lines Expected() const
    {
        Lines lines;
        for (const auto& [item, latest] : m_registers)
            if (latest.second)
                lines[item] = *latest.second;
        std::map<std::string, std::uint64_t> counts;
        for (const Learnt& learnt : m_learnt) {
            const SyncStamp latest = learnt.second.empty()
                                         ? ForgottenOf(learnt.first)
                                         : std::max(ForgottenOf(learnt.first), ForgottenOf(learnt.second));
            if (learnt.epoch == latest) {
                const std::string item =
                    learnt.second.empty() ? WordItem(learnt.first) : PairItem(learnt.first, learnt.second);
                counts[item] += learnt.times;
            }
        }
        for (const auto& [item, count] : counts)
            lines[item] = std::to_string(count);
        return lines;
    }

private:
    struct Learnt {
        std::size_t pc;
        std::string first, second;
        SyncStamp epoch;  // the latest forgetting the learning PC had seen
        std::uint64_t times;
    };
    SyncStamp ForgottenOf(const std::string& word) const
    {
        const auto found = m_forgotten.find(word);
        return found == m_forgotten.end() ? SyncStamp() : found->second;
    }

    std::map<std::string, std::pair<SyncStamp, std::optional<std::string>>> m_registers;
    std::vector<Learnt> m_learnt;
    std::map<std::string, SyncStamp> m_forgotten;
};

struct SimulatedPc {
    SyncPcId id;
    synctest::CMemoryFolder view;  // this PC's copy of the shared folder
    std::int64_t skew = 0;         // its wall clock against the true time
    std::unique_ptr<CSyncStore> store;
    Lines told;  // the state at start-up, its own changes and the changes reported since
};

class CSchedule {
public:
    CSchedule(unsigned seed, int pcs) : m_random(seed), m_pcs(static_cast<std::size_t>(pcs))
    {
        for (std::size_t i = 0; i < m_pcs.size(); ++i) {
            SimulatedPc& pc = m_pcs[i];
            pc.id.bytes[0] = static_cast<std::uint8_t>(i + 1);
            pc.id.bytes[15] = static_cast<std::uint8_t>(seed);
            pc.skew = Pick(-3000, 3000);
            Start(i);
        }
    }

    // Empty when every check held; else what failed and the schedule that led there.
    std::string Run(int steps)
    {
        for (int step = 0; step < steps && m_failure.empty(); ++step)
            Step();
        for (int round = 0; round < 2 && m_failure.empty(); ++round)
            DeliverEverything();
        if (m_failure.empty())
            CheckAgreement();
        return m_failure.empty() ? std::string() : m_failure + "\nschedule:\n" + m_trace.str();
    }

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }
    template <typename T, std::size_t N>
    const char* PickOf(const T (&items)[N])
    {
        return items[Pick(0, static_cast<int>(N) - 1)];
    }
    std::size_t PickPc() { return static_cast<std::size_t>(Pick(0, static_cast<int>(m_pcs.size()) - 1)); }
    CSyncStore& Store(std::size_t pc) { return *m_pcs[pc].store; }
    const CSyncState& State(std::size_t pc) { return m_pcs[pc].store->State(); }
    SyncStamp LastStamp(std::size_t pc) { return SyncStamp{Store(pc).LastChange(), m_pcs[pc].id}; }

    void Fail(const std::string& what)
    {
        if (m_failure.empty())
            m_failure = what;
    }

    void Start(std::size_t index)
    {
        SimulatedPc& pc = m_pcs[index];
        SyncOptions options;
        options.compactAt = 600;  // small: compactions happen on their own too
        options.wall = [this, index] {
            return m_now + static_cast<std::uint64_t>(m_pcs[index].skew);
        };
        pc.store = std::make_unique<CSyncStore>(pc.view, pc.id, options);
        if (!pc.store->Open())
            Fail("pc" + std::to_string(index) + " could not open its log");
        pc.told = StateLines(pc.store->State());
    }

    void Step()
    {
        m_now += static_cast<std::uint64_t>(Pick(0, 40));
        const std::size_t pc = PickPc();
        const int what = Pick(0, 99);
        if (what < 2) {
            m_pcs[pc].skew -= Pick(0, 10000);  // its clock is set back
            m_trace << "pc" << pc << " clock back to skew " << m_pcs[pc].skew << "\n";
        } else if (what < 20) {
            EditEntry(pc, false);
        } else if (what < 28) {
            EditEntry(pc, true);
        } else if (what < 32) {
            EditSetting(pc);
        } else if (what < 48) {
            Learn(pc);
        } else if (what < 55) {
            LearnPair(pc);
        } else if (what < 59) {
            Forget(pc);
        } else if (what < 80) {
            Deliver(pc, Pick(0, 5));
        } else if (what < 92) {
            Refresh(pc);
        } else if (what < 96) {
            Restart(pc);
        } else if (what < 98) {
            Compact(pc);
        } else {
            DropPair(pc);
        }
    }

    void EditEntry(std::size_t pc, bool remove)
    {
        const std::string dictionary = PickOf(kDictionaries), key = PickOf(kKeys);
        const std::string item = "E|" + dictionary + "|" + key;
        const std::string data = "v" + std::to_string(Pick(0, 999));
        m_trace << "pc" << pc << (remove ? " deletes " : " sets ") << item << (remove ? "" : "=" + data) << "\n";
        if (!(remove ? Store(pc).DeleteEntry(dictionary, key) : Store(pc).SetEntry(dictionary, key, data)))
            return Fail("the entry was not written");
        m_reference.Set(item, LastStamp(pc), remove ? std::nullopt : std::optional<std::string>(data));
        const std::string* now = State(pc).Entry(dictionary, key);
        // What a PC did last wins on that PC, whatever its wall clock says.
        if (remove ? now != nullptr : (!now || *now != data))
            return Fail("pc" + std::to_string(pc) + "'s own edit of " + item + " lost to an older one");
        if (remove)
            m_pcs[pc].told.erase(item);
        else
            m_pcs[pc].told[item] = data;
    }

    void EditSetting(std::size_t pc)
    {
        const bool remove = Pick(0, 3) == 0;
        const std::string key = PickOf(kKeys), value = std::to_string(Pick(0, 9));
        const std::string item = "S|Main|" + key;
        m_trace << "pc" << pc << (remove ? " deletes " : " sets ") << item << (remove ? "" : "=" + value) << "\n";
        if (!(remove ? Store(pc).DeleteSetting("Main", key) : Store(pc).SetSetting("Main", key, value)))
            return Fail("the setting was not written");
        m_reference.Set(item, LastStamp(pc), remove ? std::nullopt : std::optional<std::string>(value));
        if (remove)
            m_pcs[pc].told.erase(item);
        else
            m_pcs[pc].told[item] = value;
    }

    void Learn(std::size_t pc)
    {
        const std::string word = PickOf(kWords);
        const auto times = static_cast<std::uint64_t>(Pick(1, 3));
        m_trace << "pc" << pc << " learns " << word << " x" << times << "\n";
        const SyncStamp epoch = State(pc).Forgotten(word);
        if (!Store(pc).Learn(word, times))
            return Fail("the learning was not written");
        m_reference.Learn(pc, word, std::string(), epoch, times);
        m_pcs[pc].told[WordItem(word)] = std::to_string(State(pc).LearntCount(word));
    }

    // A word as one PC's usage store may hold it: small, capitalised or in capitals.
    std::string SomeForm(std::string word)
    {
        const int form = Pick(0, 2);
        for (std::size_t i = 0; i < word.size() && form != 0; ++i) {
            if (word[i] >= 'a' && word[i] <= 'z')
                word[i] = static_cast<char>(word[i] - 'a' + 'A');
            if (form == 1)
                break;
        }
        return word;
    }

    // Pairs are written in any form and counted as one; the reference counts them in small letters.
    void LearnPair(std::size_t pc)
    {
        const std::string first = PickOf(kWords), second = PickOf(kWords);
        const std::string firstForm = SomeForm(first), secondForm = SomeForm(second);
        m_trace << "pc" << pc << " learns the pair " << firstForm << " " << secondForm << "\n";
        const SyncStamp epoch = State(pc).PairForgotten(firstForm, secondForm);
        if (!Store(pc).LearnPair(firstForm, secondForm))
            return Fail("the pair was not written");
        m_reference.Learn(pc, first, second, epoch, 1);
        m_pcs[pc].told[PairItem(first, second)] = std::to_string(State(pc).PairCount(first, second));
    }

    void Forget(std::size_t pc)
    {
        const std::string word = PickOf(kWords);
        m_trace << "pc" << pc << " forgets " << word << "\n";
        if (!Store(pc).Forget(word))
            return Fail("the forgetting was not written");
        m_reference.Forget(word, LastStamp(pc));
        if (State(pc).LearntCount(word) != 0)
            return Fail("a word forgotten on pc" + std::to_string(pc) + " still counts there");
        for (const char* other : kWords)
            if (State(pc).PairCount(word, other) != 0 || State(pc).PairCount(other, word) != 0)
                return Fail("a pair of " + word + " still counts on pc" + std::to_string(pc) + " after its forgetting");
        // The program drops the word and every pair it is part of.
        Lines& told = m_pcs[pc].told;
        told.erase(WordItem(word));
        for (const char* other : kWords) {
            told.erase(PairItem(word, other));
            told.erase(PairItem(other, word));
        }
    }

    // A sync client brings the writer's log to the reader's copy of the folder, maybe in part.
    void Deliver(std::size_t writer, int mode)
    {
        std::size_t reader = PickPc();
        if (reader == writer)
            reader = (writer + 1) % m_pcs.size();
        const std::string name = Store(writer).OwnLogName();
        const std::string& source = m_pcs[writer].view.files[name];
        synctest::CMemoryFolder& target = m_pcs[reader].view;
        const bool present = target.files.count(name) != 0;
        std::string bytes = present ? target.files[name] : std::string();
        const auto size = static_cast<int>(source.size());
        int from = Pick(0, size), to = Pick(0, size);
        if (from > to)
            std::swap(from, to);
        static const char* const kModes[] = {"whole", "cut", "cut over the old", "a later piece", "again", "late"};
        m_trace << "pc" << writer << "'s log to pc" << reader << ": " << kModes[mode] << " " << from << ".." << to
                << " of " << size << "\n";
        switch (mode) {
            case 0:
                return target.Put(name, source);
            case 1:
                return target.Put(name, source.substr(0, static_cast<std::size_t>(to)));
            case 2:
            case 3:
                if (mode == 2)
                    from = 0;
                if (bytes.size() < static_cast<std::size_t>(to))
                    bytes.resize(static_cast<std::size_t>(to), '\0');
                bytes.replace(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from),
                              source.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from)));
                return target.Put(name, bytes);
            case 4:
                if (present)
                    target.Put(name, bytes);
                return;
            default:
                return;
        }
    }

    void Refresh(std::size_t pc)
    {
        m_trace << "pc" << pc << " refreshes\n";
        ApplyChanges(Store(pc).Refresh(), m_pcs[pc].told);
        const Lines state = StateLines(State(pc));
        if (state != m_pcs[pc].told)
            Fail("pc" + std::to_string(pc) + " was told\n" + Describe(m_pcs[pc].told) + "but holds\n" +
                 Describe(state));
        for (const SyncProblem& problem : Store(pc).TakeProblems())
            Fail("pc" + std::to_string(pc) + " told of " + problem.file + ": " + problem.reason);
    }

    // The state rebuilt from the files is the state the PC held, once its copies of the other
    // logs are whole: a copy a sync client is still writing may hold less than was read before.
    void Restart(std::size_t pc)
    {
        Refresh(pc);
        m_trace << "pc" << pc << " restarts\n";
        const Lines before = StateLines(State(pc));
        m_pcs[pc].store.reset();
        Start(pc);
        const Lines after = StateLines(State(pc));
        if (after != before && CopiesAreCurrent(pc))
            Fail("pc" + std::to_string(pc) + " held\n" + Describe(before) + "and after a restart\n" + Describe(after));
    }

    bool CopiesAreCurrent(std::size_t pc)
    {
        for (std::size_t writer = 0; writer < m_pcs.size(); ++writer) {
            const std::string name = SyncLogName(m_pcs[writer].id);
            if (writer != pc && m_pcs[pc].view.files[name] != m_pcs[writer].view.files[name])
                return false;
        }
        return true;
    }

    void Compact(std::size_t pc)
    {
        m_trace << "pc" << pc << " compacts\n";
        const Lines before = StateLines(State(pc));
        if (!Store(pc).Compact())
            return Fail("the compaction failed");
        if (StateLines(State(pc)) != before)
            Fail("pc" + std::to_string(pc) + "'s state changed by its compaction");
    }

    // The PC's usage store let go of a pair it counted: its compaction leaves the pair out.
    void DropPair(std::size_t pc)
    {
        const std::string first = PickOf(kWords), second = PickOf(kWords);
        m_trace << "pc" << pc << " compacts without the pair " << first << " " << second << "\n";
        const auto keep = [&](std::string_view a, std::string_view b) {
            return a != first || b != second;
        };
        if (!Store(pc).Compact(keep))
            return Fail("the compaction failed");
        m_reference.DropPair(pc, first, second);
        if (State(pc).CountOf(m_pcs[pc].id, first, second) != 0)
            return Fail("pc" + std::to_string(pc) + " still counts the pair it left out");
        if (const std::uint64_t count = State(pc).PairCount(first, second))
            m_pcs[pc].told[PairItem(first, second)] = std::to_string(count);
        else
            m_pcs[pc].told.erase(PairItem(first, second));
    }

    void DeliverEverything()
    {
        m_trace << "everything delivered\n";
        for (std::size_t writer = 0; writer < m_pcs.size(); ++writer) {
            const std::string name = Store(writer).OwnLogName();
            for (std::size_t reader = 0; reader < m_pcs.size(); ++reader)
                if (reader != writer)
                    m_pcs[reader].view.Put(name, m_pcs[writer].view.files[name]);
        }
        for (std::size_t pc = 0; pc < m_pcs.size(); ++pc)
            Refresh(pc);
    }

    void CheckAgreement()
    {
        const Lines expected = m_reference.Expected();
        for (std::size_t pc = 0; pc < m_pcs.size() && m_failure.empty(); ++pc) {
            const Lines state = StateLines(State(pc));
            State(pc).ForEachLearntPair([&](std::string_view first, std::string_view second, std::uint64_t) {
                if (!m_reference.LearntSinceForgetting(std::string(first), std::string(second)))
                    Fail("pc" + std::to_string(pc) + " holds the pair " + std::string(first) + " " +
                         std::string(second) + ", which no PC counted since its words were last forgotten");
            });
            if (state != expected)
                Fail("pc" + std::to_string(pc) + " holds\n" + Describe(state) + "but the reference\n" +
                     Describe(expected));
        }
        // And a PC started afresh from the folder comes to the same.
        if (m_failure.empty())
            Restart(0);
    }

    std::mt19937 m_random;
    std::vector<SimulatedPc> m_pcs;
    std::uint64_t m_now = 1700000000000;
    CReference m_reference;
    std::ostringstream m_trace;
    std::string m_failure;
};

int ScheduleCount()
{
    const char* text = std::getenv("PV_SYNC_SCHEDULES");
    return text ? std::max(1, std::atoi(text)) : 1000;
}

void RunSchedules(int pcs)
{
    const char* only = std::getenv("PV_SYNC_SEED");
    const unsigned first = only ? static_cast<unsigned>(std::strtoul(only, nullptr, 10)) : 1;
    const int count = only ? 1 : ScheduleCount();
    for (unsigned seed = first; seed < first + static_cast<unsigned>(count); ++seed) {
        const std::string failure = CSchedule(seed, pcs).Run(120);
        ASSERT_TRUE(failure.empty()) << "seed " << seed << " (PV_SYNC_SEED=" << seed << " runs it alone), " << pcs
                                     << " PCs: " << failure;
    }
}

TEST(SyncProperty, TwoPcsAgreeWithTheReferenceWhateverTheDelivery)
{
    RunSchedules(2);
}

TEST(SyncProperty, ThreePcsAgreeWithTheReferenceWhateverTheDelivery)
{
    RunSchedules(3);
}

}  // namespace
