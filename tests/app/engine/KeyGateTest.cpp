// The key gate's side of the engine. A key the published rules let pass must be one the engine
// would have let pass itself, and handing it over afterwards must leave the engine where answering
// it would have. A key the gate swallowed because the engine did not take it up in time must come
// out in the target as if the engine had answered it: once, in order.
#include <algorithm>
#include <random>

#include "EngineFakes.h"

using namespace enginetest;

namespace {

struct Stroke {
    unsigned vk;
    unsigned chars;
};

// Prompt keys, marks, Backspace and a modifier; letters come from the words typed.
const Stroke kKeys[] = {{' ', ' '},  {0xBE, '.'}, {VK_BACK_, '\b'}, {VK_TAB_, '\t'},    {VK_RETURN_, '\r'},
                        {VK_F1_, 0}, {VK_F2_, 0}, {VK_DOWN_, 0},    {VK_ESCAPE_, 0x1B}, {0x10, 0}};
const char* const kWords[] = {"hello", "help", "helmet", "world", "word", "work", "worry", "low", "lower"};

Stroke LetterStroke(char c)
{
    return Stroke{static_cast<unsigned>(c - 'a' + 'A'), static_cast<unsigned char>(c)};
}

// The first letters of a word, often completed (Tab, F1) and followed by a blank or a mark.
std::vector<Stroke> PlanWord(std::mt19937& random)
{
    std::vector<Stroke> plan;
    const std::string word = kWords[random() % std::size(kWords)];
    for (char c : word.substr(0, 1 + random() % 4))
        plan.push_back(LetterStroke(c));
    if (random() % 3)
        plan.push_back(random() % 2 ? Stroke{VK_TAB_, '\t'} : Stroke{VK_F1_, 0});
    if (random() % 2)
        plan.push_back(random() % 2 ? Stroke{' ', ' '} : Stroke{0xBE, '.'});
    return plan;
}

void Fill(EngineRig& rig, bool ranked)
{
    for (const char* word : kWords)
        rig.dictionaries.Add(word);
    EngineSettings settings;
    settings.bRankByUse = ranked ? 1 : 0;
    rig.ApplySettings(settings);
}

// A typist's keys at random: words begun and often completed, marks, prompt keys, presses and
// releases overlapping.
class Typist {
public:
    explicit Typist(unsigned seed) : m_random(seed) {}
    std::mt19937& Random() { return m_random; }

    KeyReport Next()
    {
        if (!m_down.empty() && m_random() % 2) {
            const std::size_t which = m_random() % m_down.size();
            const Stroke stroke = m_down[which];
            m_down.erase(m_down.begin() + static_cast<long>(which));
            return KeyReport{stroke.chars, stroke.vk, true};
        }
        if (m_plan.empty() && m_random() % 2)
            m_plan = PlanWord(m_random);
        Stroke stroke = kKeys[m_random() % std::size(kKeys)];
        if (!m_plan.empty()) {
            stroke = m_plan.front();
            m_plan.erase(m_plan.begin());
        }
        m_down.push_back(stroke);
        return KeyReport{stroke.chars, stroke.vk, false};
    }

private:
    std::mt19937 m_random;
    std::vector<Stroke> m_down;  // pressed, not yet released
    std::vector<Stroke> m_plan;  // a word's first letters, a complete key, a mark
};

// The engine's answer reaches the target: a press that passed types there.
int Deliver(EngineRig& rig, const KeyReport& key, int answer)
{
    if (answer && !key.released)
        rig.output.Press(key.vk, key.Text());
    return answer;
}

int CountCompletions(const EngineRig& rig)
{
    return static_cast<int>(std::count_if(rig.output.log.begin(), rig.output.log.end(),
                                          [](const std::string& line) { return line.rfind("type ", 0) == 0; }));
}

// Two engines get the same keys: `asked` answers every key itself; `gated` only those `gate` does
// not answer for it.
template <typename Gate>
void TypeTwice(unsigned seed, bool ranked, Gate gate)
{
    EngineRig asked;
    EngineRig gated;
    Fill(asked, ranked);
    Fill(gated, ranked);
    Typist typist(seed);
    for (int step = 0; step < 600; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        const KeyReport key = typist.Next();
        const int expected = Deliver(asked, key, asked.Hook(key.units, KeyInfo(key.vk, key.released)));
        gate(gated, key, expected, typist.Random());
        if (::testing::Test::HasFatalFailure())
            return;
        // Messages are not always run between keys: keys come while a completion is queued.
        if (typist.Random()() % 3) {
            asked.Pump();
            gated.Pump();
            ASSERT_EQ(gated.output.typed, asked.output.typed);
            ASSERT_EQ(gated.engine->TypedText(), asked.engine->TypedText());
            ASSERT_EQ(gated.view.RowTexts(), asked.view.RowTexts());
        }
    }
    EXPECT_GT(CountCompletions(asked), 0);
}

}  // namespace

TEST(KeyGateTest, KeysTheRulesLetPassAreKeysTheEngineLetsPassWithTheSameEffect)
{
    int passedByRules = 0;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        TypeTwice(seed, seed % 2 == 0, [&](EngineRig& gated, const KeyReport& key, int expected, std::mt19937&) {
            if (gated.engine->GateRules().OnlyPasses(key)) {
                ++passedByRules;
                ASSERT_EQ(expected, 1) << "the rules let a key pass that the engine takes";
                gated.engine->OnPassedKey(key);
                Deliver(gated, key, 1);
            } else {
                ASSERT_EQ(Deliver(gated, key, gated.Hook(key.units, KeyInfo(key.vk, key.released))), expected);
            }
        });
        if (::testing::Test::HasFatalFailure())
            return;
    }
    // Most keys were answered without the engine.
    EXPECT_GT(passedByRules, 40 * 200);
}

TEST(KeyGateTest, KeysSwallowedForALateEngineComeOutOnceAndInOrder)
{
    int swallowed = 0;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        TypeTwice(seed, seed % 2 == 0, [&](EngineRig& gated, const KeyReport& key, int, std::mt19937& random) {
            const KeyGateRules rules = gated.engine->GateRules();
            if (rules.OnlyPasses(key)) {
                gated.engine->OnPassedKey(key);
                Deliver(gated, key, 1);
            } else if (!KeyGateRules::IsModifierKey(key.vk) && random() % 3 == 0) {
                ++swallowed;
                gated.engine->OnSwallowedKey(key);
            } else {
                Deliver(gated, key, gated.Hook(key.units, KeyInfo(key.vk, key.released)));
            }
        });
        if (::testing::Test::HasFatalFailure())
            return;
    }
    EXPECT_GT(swallowed, 40 * 20);
}
