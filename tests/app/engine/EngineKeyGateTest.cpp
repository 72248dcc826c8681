// The engine's key gate on its own: prompt keys by role, presses taken and held back with their
// releases, the events that wait behind an output and the markers that end the wait.
#include <gtest/gtest.h>

#include "app/engine/EngineKeyGate.h"

namespace {

constexpr unsigned kShift = 0x10;
constexpr unsigned kTab = 0x09;
constexpr unsigned kDown = 0x28;

KeyReport Press(unsigned vk)
{
    return KeyReport{0, vk, false};
}

KeyReport Release(unsigned vk)
{
    return KeyReport{0, vk, true};
}

}  // namespace

TEST(EngineKeyGate, APromptKeyGivenTwoRolesKeepsTheStrongerAndEscapeHides)
{
    SelectionKeys keys;
    keys.vkSelectIndex[3] = kDown;  // also the next-row key
    keys.vkSelect[0] = kTab;
    keys.vkSelectIndex[0] = kTab;  // also a complete key: its row wins
    CEngineKeyGate gate;
    gate.AssignPromptKeys(keys);

    EXPECT_EQ(gate.PromptKeyOf(kDown).action, CEngineKeyGate::PromptKey::MOVE);
    EXPECT_EQ(gate.PromptKeyOf(kDown).code, kSelectNext);
    EXPECT_EQ(gate.PromptKeyOf(kTab).action, CEngineKeyGate::PromptKey::CHOOSE);
    EXPECT_EQ(gate.PromptKeyOf(kTab).code, 0);
    EXPECT_EQ(gate.PromptKeyOf(CEngineKeyGate::kEscapeKey).action, CEngineKeyGate::PromptKey::HIDE);
    EXPECT_FALSE(gate.IsPromptKey('A'));
    EXPECT_FALSE(gate.IsPromptKey(0x1234));  // beyond the table
    EXPECT_TRUE(gate.Rules(false, false).promptKeys[kTab]);
}

TEST(EngineKeyGate, AReleaseGoesTheWayItsPressWentOnce)
{
    CEngineKeyGate gate;
    EXPECT_TRUE(gate.TakePress(kTab, true));
    EXPECT_TRUE(gate.TakePress(kTab, true));  // a repeat is still one press
    EXPECT_TRUE(gate.IsTaken(kTab));
    EXPECT_TRUE(gate.TakeRelease(kTab));
    EXPECT_FALSE(gate.TakeRelease(kTab));

    gate.TakePress('A', true);
    gate.TakePress('A', false);  // a later press that passed ends the taken one
    EXPECT_FALSE(gate.TakeRelease('A'));
}

TEST(EngineKeyGate, HeldBackKeysWaitInOrderWhileModifiersAndEarlierPressesGoUp)
{
    CEngineKeyGate gate;
    gate.TakePress(kTab, true);
    EXPECT_TRUE(gate.PassesWhileHoldingBack(Press(kShift)));
    EXPECT_TRUE(gate.PassesWhileHoldingBack(Release('B')));    // its press reached the target
    EXPECT_FALSE(gate.PassesWhileHoldingBack(Release(kTab)));  // the prompt's release acts in turn
    EXPECT_FALSE(gate.PassesWhileHoldingBack(Press('A')));

    gate.HoldBack(Press('A'));
    gate.HoldBack(Press('A'));  // a repeat
    gate.DeferFocusChange(CEngineKeyGate::DeferredEvent::SaveText, 7);
    EXPECT_TRUE(gate.IsHeldBack('A'));
    EXPECT_FALSE(gate.PassesWhileHoldingBack(Release('A')));
    const std::vector<unsigned> pressed{kTab, 'A'};
    EXPECT_EQ(gate.Rules(true, false).pressesTaken, pressed);

    gate.HoldBack(Release('A'));
    EXPECT_FALSE(gate.IsHeldBack('A'));
    const auto events = gate.TakeDeferred();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[2].kind, CEngineKeyGate::DeferredEvent::SaveText);
    EXPECT_EQ(events[2].window, 7u);
    EXPECT_TRUE(events[3].key.released);
    EXPECT_TRUE(gate.TakeDeferred().empty());
}

TEST(EngineKeyGate, OnlyThePressOfTheMarkerSentLastEndsTheWait)
{
    CEngineKeyGate gate;
    const unsigned first = gate.NextOwnInputMarker();
    EXPECT_TRUE(KeyGateRules::IsOwnInputMarkerKey(first));
    const unsigned second = gate.NextOwnInputMarker();
    EXPECT_NE(first, second);
    EXPECT_TRUE(gate.AwaitingOwnInput());
    EXPECT_FALSE(gate.MarkerEndsWait(Press(first)));  // came after the wait gave up on it
    EXPECT_FALSE(gate.MarkerEndsWait(Release(second)));
    EXPECT_TRUE(gate.MarkerEndsWait(Press(second)));
    EXPECT_FALSE(gate.AwaitingOwnInput());
    EXPECT_FALSE(gate.MarkerEndsWait(Press(second)));  // nothing awaited any more
    EXPECT_FALSE(gate.EndOwnInputWait());

    gate.NextOwnInputMarker();
    EXPECT_TRUE(gate.EndOwnInputWait());  // the timer gave up
    EXPECT_FALSE(gate.AwaitingOwnInput());
}
