// Objects handed between the threads with a posted message: received exactly once, and freed when
// the post cannot go through.
#include <gtest/gtest.h>

#include <thread>

#include "app/ThreadPost.h"

namespace {

constexpr UINT kHandOver = WM_APP + 77;

struct Counted {
    explicit Counted(int& alive, int value) : alive(alive), value(value) { ++alive; }
    ~Counted() { --alive; }
    int& alive;
    int value;
};

HWND MessageOnlyWindow()
{
    return ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

}  // namespace

TEST(ThreadPost, AnObjectPostedFromAnotherThreadIsReceivedOnceAndFreedWithItsReceiver)
{
    int alive = 0;
    HWND window = MessageOnlyWindow();
    ASSERT_NE(window, nullptr);
    bool posted = false;
    std::thread([&] {
        posted = threadpost::PostOwned(window, kHandOver, 7, std::make_unique<Counted>(alive, 42));
    }).join();
    ASSERT_TRUE(posted);
    EXPECT_EQ(alive, 1);  // on its way: nobody frees it meanwhile

    int received = 0;
    MSG msg;
    while (::PeekMessageW(&msg, window, kHandOver, kHandOver, PM_REMOVE)) {
        std::unique_ptr<Counted> object = threadpost::TakePosted<Counted>(msg.lParam);
        ASSERT_TRUE(object);
        EXPECT_EQ(object->value, 42);
        EXPECT_EQ(msg.wParam, 7u);
        ++received;
    }
    EXPECT_EQ(received, 1);
    EXPECT_EQ(alive, 0);
    ::DestroyWindow(window);
}

TEST(ThreadPost, AnObjectForAWindowThatIsGoneIsFreedByTheSender)
{
    int alive = 0;
    HWND window = MessageOnlyWindow();
    ASSERT_NE(window, nullptr);
    ::DestroyWindow(window);
    EXPECT_FALSE(threadpost::PostOwned(window, kHandOver, 0, std::make_unique<Counted>(alive, 1)));
    EXPECT_EQ(alive, 0);
    EXPECT_FALSE(threadpost::PostOwned(nullptr, kHandOver, 0, std::make_unique<Counted>(alive, 2)));
    EXPECT_EQ(alive, 0);
}
