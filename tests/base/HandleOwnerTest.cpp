#include <gtest/gtest.h>

#include <vector>

#include "base/UniqueHandle.h"

namespace {

// Handles are numbers here; every release is recorded.
std::vector<int> g_released;

struct CountingTraits {
    using Handle = int;
    static Handle Empty() { return 0; }
    static void Close(Handle h) { g_released.push_back(h); }
};
using Owner = pvbase::UniqueHandle<CountingTraits>;

class HandleOwnerTest : public ::testing::Test {
protected:
    void SetUp() override { g_released.clear(); }
};

TEST_F(HandleOwnerTest, EachHandleIsReleasedOnceWhateverPathItTakes)
{
    {
        Owner first(1);
        Owner second(2);
        second = std::move(first);  // 2 goes, 1 moves
        EXPECT_EQ((std::vector<int>{2}), g_released);
        EXPECT_FALSE(first);
        Owner third(std::move(second));
        third.Reset(3);  // 1 goes
        third.Reset(3);  // the same handle again: nothing to release
        EXPECT_EQ(3, third.Release());
    }
    EXPECT_EQ((std::vector<int>{2, 1}), g_released);
}

TEST_F(HandleOwnerTest, ReceiveReleasesWhatWasHeldAndTakesTheNewHandle)
{
    Owner owner(4);
    *owner.Receive() = 5;
    EXPECT_EQ((std::vector<int>{4}), g_released);
    EXPECT_EQ(5, owner.Get());
}

}  // namespace
