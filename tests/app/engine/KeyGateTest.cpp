// The rules the engine publishes for the thread that answers the hook: a key they let pass must be
// one the engine would have let pass itself, and handing it over afterwards must leave the engine
// where answering it would have.
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

struct Counts {
    int passedByRules = 0;
    int completions = 0;
};

// One engine answers every key itself; the other only those its published rules leave to it.
void TypeAtRandom(unsigned seed, bool ranked, Counts& counts)
{
    EngineRig asked;
    EngineRig gated;
    Fill(asked, ranked);
    Fill(gated, ranked);
    std::mt19937 random(seed);
    std::vector<Stroke> down;  // pressed, not yet released
    std::vector<Stroke> plan;  // what a typist goes on with: a word's first letters, a complete key, a mark
    for (int step = 0; step < 600; ++step) {
        KeyReport key;
        if (!down.empty() && random() % 2) {
            const std::size_t which = random() % down.size();
            key = KeyReport{down[which].chars, down[which].vk, true};
            down.erase(down.begin() + static_cast<long>(which));
        } else {
            if (plan.empty() && random() % 2)
                plan = PlanWord(random);
            Stroke stroke = kKeys[random() % std::size(kKeys)];
            if (!plan.empty()) {
                stroke = plan.front();
                plan.erase(plan.begin());
            }
            key = KeyReport{stroke.chars, stroke.vk, false};
            down.push_back(stroke);
        }
        const unsigned keyInfo = KeyInfo(key.vk, key.released);
        const int expected = asked.Hook(key.chars, keyInfo);
        if (gated.engine->GateRules().OnlyPasses(key)) {
            ++counts.passedByRules;
            ASSERT_EQ(expected, 1) << "step " << step << ": the rules let a key pass that the engine takes";
            gated.engine->OnPassedKey(key);
        } else {
            ASSERT_EQ(gated.Hook(key.chars, keyInfo), expected) << "step " << step;
        }
        // Messages are not always run between keys: keys come while a completion is queued.
        if (random() % 3) {
            asked.Pump();
            gated.Pump();
        }
        ASSERT_EQ(gated.engine->TypedText(), asked.engine->TypedText()) << "step " << step;
        ASSERT_EQ(gated.output.log, asked.output.log) << "step " << step;
        ASSERT_EQ(gated.view.visible, asked.view.visible) << "step " << step;
        ASSERT_EQ(gated.view.RowTexts(), asked.view.RowTexts()) << "step " << step;
    }
    counts.completions +=
        static_cast<int>(std::count_if(asked.output.log.begin(), asked.output.log.end(),
                                       [](const std::string& line) { return line.rfind("type ", 0) == 0; }));
}

}  // namespace

TEST(KeyGateTest, KeysTheRulesLetPassAreKeysTheEngineLetsPassWithTheSameEffect)
{
    Counts counts;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        TypeAtRandom(seed, seed % 2 == 0, counts);
        if (::testing::Test::HasFatalFailure())
            return;
    }
    // Most keys were answered without the engine, and completions were typed meanwhile.
    EXPECT_GT(counts.passedByRules, 40 * 200);
    EXPECT_GT(counts.completions, 40);
}
