// SPDX-License-Identifier: GPL-2.0-or-later
// The named mutexes: recursion, time-outs, abandonment, sharing by name.
#include <gtest/gtest.h>

#include <future>
#include <thread>
#include <vector>

#include "platform/NamedMutex.h"

using namespace platform;

namespace {

// Runs f on a thread of its own and hands back its result.
template <class F>
auto OnOtherThread(F f)
{
    decltype(f()) result{};
    std::thread thread([&] { result = f(); });
    thread.join();
    return result;
}

uint32_t dwWaitElsewhere(HMUTEX h, uint32_t dwMilliseconds = 0)
{
    return OnOtherThread([=] {
        const uint32_t dwResult = WaitForSingleObject(h, dwMilliseconds);
        if (dwResult == WAIT_OBJECT_0 || dwResult == WAIT_ABANDONED)
            ReleaseMutex(h);
        return dwResult;
    });
}

}  // namespace

TEST(PlatformMutex, IsRecursiveForItsOwnerAndCountsReleases)
{
    HMUTEX h = CreateMutexA(false, "PlatformTest.Recursive");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(h, 100), WAIT_OBJECT_0);
    EXPECT_TRUE(ReleaseMutex(h));
    EXPECT_EQ(dwWaitElsewhere(h), WAIT_TIMEOUT) << "still held once";
    EXPECT_TRUE(ReleaseMutex(h));
    EXPECT_FALSE(ReleaseMutex(h)) << "a third release of two waits";
    EXPECT_EQ(dwWaitElsewhere(h), WAIT_OBJECT_0);
    EXPECT_TRUE(CloseHandle(h));
}

TEST(PlatformMutex, OtherThreadsTimeOutAndCannotReleaseIt)
{
    HMUTEX h = CreateMutexA(false, "PlatformTest.TimeOut");
    ASSERT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(dwWaitElsewhere(h, 0), WAIT_TIMEOUT);
    EXPECT_EQ(dwWaitElsewhere(h, 30), WAIT_TIMEOUT);
    EXPECT_FALSE(OnOtherThread([h] { return ReleaseMutex(h); }));
    EXPECT_EQ(dwWaitElsewhere(h), WAIT_TIMEOUT) << "a failed release must not free it";
    EXPECT_TRUE(ReleaseMutex(h));
    EXPECT_EQ(dwWaitElsewhere(h), WAIT_OBJECT_0);
    CloseHandle(h);
}

TEST(PlatformMutex, ReleaseWakesAnInfiniteWaiter)
{
    HMUTEX h = CreateMutexA(false, "PlatformTest.Wake");
    ASSERT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0);
    std::promise<void> starting;
    auto result = std::async(std::launch::async, [&] {
        starting.set_value();
        const uint32_t dwResult = WaitForSingleObject(h, INFINITE);
        ReleaseMutex(h);
        return dwResult;
    });
    starting.get_future().wait();
    EXPECT_TRUE(ReleaseMutex(h));
    EXPECT_EQ(result.get(), WAIT_OBJECT_0);
    CloseHandle(h);
}

TEST(PlatformMutex, OwnerThreadEndingAbandonsItOnce)
{
    HMUTEX h = CreateMutexA(false, "PlatformTest.Abandoned");
    // The owner takes it twice and ends without releasing.
    EXPECT_EQ(OnOtherThread([h] {
                  WaitForSingleObject(h, 0);
                  return WaitForSingleObject(h, 0);
              }),
              WAIT_OBJECT_0);

    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_ABANDONED);
    EXPECT_EQ(dwWaitElsewhere(h), WAIT_TIMEOUT) << "the abandoned mutex now belongs to us";
    EXPECT_TRUE(ReleaseMutex(h));
    EXPECT_FALSE(ReleaseMutex(h)) << "taken over with a count of one";
    EXPECT_EQ(dwWaitElsewhere(h), WAIT_OBJECT_0) << "abandonment is reported once";
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(ReleaseMutex(h));
    CloseHandle(h);
}

TEST(PlatformMutex, BlockedWaiterReceivesAbandonedMutex)
{
    HMUTEX h = CreateMutexA(false, "PlatformTest.AbandonedWhileWaiting");
    std::promise<void> owned, waiting;
    std::thread owner([&] {
        WaitForSingleObject(h, 0);
        owned.set_value();
        waiting.get_future().wait();
    });  // ends holding it
    owned.get_future().wait();
    auto waiter = std::async(std::launch::async, [&] {
        waiting.set_value();
        const uint32_t dwResult = WaitForSingleObject(h, 60000);
        ReleaseMutex(h);
        return dwResult;
    });
    owner.join();
    EXPECT_EQ(waiter.get(), WAIT_ABANDONED);
    CloseHandle(h);
}

TEST(PlatformMutex, HandlesOfOneNameShareOneMutex)
{
    HMUTEX h1 = CreateMutexA(false, "PlatformTest.Shared");
    HMUTEX h2 = CreateMutexA(false, "PlatformTest.Shared");
    HMUTEX hOther = CreateMutexA(false, "PlatformTest.SharedNot");
    ASSERT_EQ(WaitForSingleObject(h1, 0), WAIT_OBJECT_0);
    EXPECT_EQ(dwWaitElsewhere(h2), WAIT_TIMEOUT);
    EXPECT_EQ(dwWaitElsewhere(hOther), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(h2, 0), WAIT_OBJECT_0) << "recursion through the other handle";
    EXPECT_TRUE(ReleaseMutex(h2));

    // Closing a handle neither releases the mutex nor ends it while another handle is open.
    EXPECT_TRUE(CloseHandle(h1));
    EXPECT_EQ(dwWaitElsewhere(h2), WAIT_TIMEOUT);
    EXPECT_TRUE(ReleaseMutex(h2));
    EXPECT_FALSE(ReleaseMutex(h2));
    EXPECT_EQ(dwWaitElsewhere(h2), WAIT_OBJECT_0);
    CloseHandle(h2);
    CloseHandle(hOther);
}

TEST(PlatformMutex, UnnamedMutexesAreDistinct)
{
    HMUTEX hA = CreateMutexA(false, nullptr);
    HMUTEX hB = CreateMutexA(false, nullptr);
    HMUTEX hC = CreateMutexA(false, "");
    ASSERT_EQ(WaitForSingleObject(hA, 0), WAIT_OBJECT_0);
    EXPECT_EQ(dwWaitElsewhere(hB), WAIT_OBJECT_0);
    EXPECT_EQ(dwWaitElsewhere(hC), WAIT_OBJECT_0);
    ReleaseMutex(hA);
    for (HMUTEX h : {hA, hB, hC})
        CloseHandle(h);
}

TEST(PlatformMutex, InitialOwnershipOnlyForANewMutex)
{
    HMUTEX h = CreateMutexA(true, "PlatformTest.Initial");
    EXPECT_EQ(dwWaitElsewhere(h), WAIT_TIMEOUT);
    // Opening it again elsewhere with the flag does not take it from us.
    EXPECT_EQ(OnOtherThread([] {
                  HMUTEX hAgain = CreateMutexA(true, "PlatformTest.Initial");
                  const bool bReleased = ReleaseMutex(hAgain);
                  const uint32_t dwWait = WaitForSingleObject(hAgain, 0);
                  CloseHandle(hAgain);
                  return !bReleased && dwWait == WAIT_TIMEOUT;
              }),
              true);
    EXPECT_TRUE(ReleaseMutex(h));
    EXPECT_FALSE(ReleaseMutex(h));
    CloseHandle(h);
}

TEST(PlatformMutex, NullAndClosedHandlesFail)
{
    EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
    EXPECT_FALSE(ReleaseMutex(nullptr));
    EXPECT_FALSE(CloseHandle(nullptr));
    HMUTEX h = CreateMutexA(false, "PlatformTest.Closed");
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_FAILED);
}

TEST(PlatformMutex, ExcludesOtherThreadsUnderContention)
{
    constexpr int kThreads = 4, kRounds = 2000;
    long nCounter = 0;  // guarded by the mutex only
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; i++) {
        threads.emplace_back([&] {
            HMUTEX h = CreateMutexA(false, "PlatformTest.Contention");
            for (int n = 0; n < kRounds; n++) {
                if (WaitForSingleObject(h, INFINITE) != WAIT_OBJECT_0)
                    continue;
                nCounter++;
                ReleaseMutex(h);
            }
            CloseHandle(h);
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(nCounter, long{kThreads} * kRounds);
}
