// SPDX-License-Identifier: GPL-2.0-or-later
// The clock in force and the time services derived from it; the real processors.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Clock.h"
#include "platform/Processors.h"

using namespace platform;

namespace {

class CFakeClock : public IClock {
public:
    uint64_t qwNanoseconds() override { return m_qwNow; }
    void vSleepMicroseconds(uint64_t qwMicroseconds) override
    {
        m_qwSlept += qwMicroseconds;
        m_qwNow += qwMicroseconds * 1000;
    }
    uint64_t m_qwNow = 0;
    uint64_t m_qwSlept = 0;
};

// Puts the real clock back even when a check fails.
struct CInstalledClock {
    explicit CInstalledClock(IClock* pClock) { SetClock(pClock); }
    ~CInstalledClock() { SetClock(nullptr); }
};

}  // namespace

TEST(PlatformClock, TimeServicesFollowTheInstalledClock)
{
    CFakeClock fake;
    {
        CInstalledClock installed(&fake);
        EXPECT_EQ(&Clock(), &fake);
        // 2^32 ms + 1234.5678 ms: timeGetTime wraps, the performance counter does not.
        fake.m_qwNow = ((1ull << 32) + 1234) * 1000000ull + 567800;
        EXPECT_EQ(timeGetTime(), 1234u);
        EXPECT_EQ(QueryPerformanceCounter(), fake.m_qwNow);
        EXPECT_EQ(QueryPerformanceFrequency(), 1000000000u);
        Sleep(7);
        EXPECT_EQ(fake.m_qwSlept, 7000u);
        Sleep(0xFFFFFFFF);  // no overflow in the conversion to microseconds
        EXPECT_EQ(fake.m_qwSlept, 7000u + 0xFFFFFFFFull * 1000);
    }
    EXPECT_EQ(&Clock(), &RealClock());
}

TEST(PlatformClock, RealClockSleepsAtLeastTheTimeAsked)
{
    IClock& clock = RealClock();
    const uint64_t qwStart = clock.qwNanoseconds();
    clock.vSleepMicroseconds(3000);
    const uint64_t qwEnd = clock.qwNanoseconds();
    EXPECT_GE(qwEnd - qwStart, 3000000u);
    EXPECT_GE(clock.qwNanoseconds(), qwEnd);
}

TEST(PlatformProcessors, ThreadPinRestoresTheAffinity)
{
    IProcessors& cpus = Processors();
    EXPECT_GE(cpus.nCount(), 1u);
    const std::vector<unsigned> original = cpus.GetThreadAffinity();
    ASSERT_FALSE(original.empty());
    ASSERT_TRUE(std::is_sorted(original.begin(), original.end()));
    EXPECT_EQ(cpus.nPinnedProcessor(), original.front());

    const unsigned nTarget = original.back();
    {
        CThreadPin pin(nTarget);
        ASSERT_TRUE(pin.bPinned());
        EXPECT_EQ(cpus.GetThreadAffinity(), std::vector<unsigned>{nTarget});
        EXPECT_EQ(cpus.nPinnedProcessor(), nTarget);
    }
    EXPECT_EQ(cpus.GetThreadAffinity(), original);
    EXPECT_FALSE(cpus.bSetThreadAffinity({}));
}

#if defined(__i386__) || defined(__x86_64__)
TEST(PlatformProcessors, CpuidAndTscReachTheProcessor)
{
    IProcessors& cpus = Processors();
    const CpuidRegs leaf0 = cpus.Cpuid(0, 0);
    EXPECT_GE(leaf0.eax, 1u) << "the highest standard leaf";
    EXPECT_NE(leaf0.ebx | leaf0.ecx | leaf0.edx, 0u) << "the vendor string";
    CThreadPin pin(cpus.nPinnedProcessor());  // both reads from one processor
    const uint64_t qwFirst = cpus.qwReadTSC();
    EXPECT_GT(cpus.qwReadTSC(), qwFirst);
}
#endif
