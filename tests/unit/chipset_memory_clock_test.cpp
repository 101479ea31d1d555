// SPDX-License-Identifier: GPL-2.0-or-later
// The memory clock from the memory controller's ratio, offset or divider.
#include <gtest/gtest.h>

#include "discovery/MemoryInfo.h"

namespace {

TEST(ChipsetMemoryClock, RatioOffsetAndDivider)
{
    CMemoryInfo info;
    EXPECT_EQ(info.GetMemoryClock(200.0f, 10.0f), -1.0f);  // nothing known

    info.SetRatio(1.333f, "3:4");
    EXPECT_NEAR(info.GetMemoryClock(200.0f, -1.0f), 266.6f, 0.001f);
    EXPECT_STREQ(info.m_szRatio, "3:4");

    info.Reset();
    info.m_fOffset = 33.34f;
    EXPECT_NEAR(info.GetMemoryClock(200.0f, -1.0f), 233.34f, 0.001f);

    info.Reset();
    info.m_nDivider = 5;
    EXPECT_NEAR(info.GetMemoryClock(200.0f, 10.0f), 400.0f, 0.001f);
}

TEST(ChipsetMemoryClock, RatioComesBeforeOffsetAndDivider)
{
    CMemoryInfo info;
    info.SetRatio(1.25f, "4:5");
    info.m_fOffset = 33.34f;
    info.m_nDivider = 7;
    EXPECT_NEAR(info.GetMemoryClock(266.67f, 13.0f), 333.34f, 0.01f);
    info.m_fRatio = -1.0f;
    EXPECT_NEAR(info.GetMemoryClock(266.67f, 13.0f), 300.01f, 0.01f);
}

TEST(ChipsetMemoryClock, UnknownWhenTheInputsAreNot)
{
    CMemoryInfo info;
    info.SetRatio(1.5f, "2:3");
    EXPECT_EQ(info.GetMemoryClock(0.0f, -1.0f), -1.0f);
    EXPECT_EQ(info.GetMemoryClock(-1.0f, -1.0f), -1.0f);

    // "FSB - 33 MHz" is kept as a negative offset, which is not applied.
    info.Reset();
    info.m_fOffset = -33.34f;
    EXPECT_EQ(info.GetMemoryClock(200.0f, -1.0f), -1.0f);

    // A divider of the processor clock needs the processor's multiplier: without it the
    // result would be a negative "clock".
    info.Reset();
    info.m_nDivider = 5;
    EXPECT_EQ(info.GetMemoryClock(200.0f, -1.0f), -1.0f);
    info.m_nDivider = 0;
    EXPECT_EQ(info.GetMemoryClock(200.0f, 10.0f), -1.0f);
}

TEST(ChipsetMemoryClock, MeasuredClockIsReturnedAsItIs)
{
    CMemoryInfo info;
    info.SetRatio(2.0f, "1:2");
    info.m_fMemoryClock = 401.5f;
    info.m_bFixedClock = 1;
    EXPECT_EQ(info.GetMemoryClock(200.0f, -1.0f), 401.5f);
    EXPECT_EQ(info.GetMemoryClock(-1.0f, -1.0f), 401.5f);
    info.Reset();
    EXPECT_EQ(info.m_bFixedClock, 0);
    EXPECT_EQ(info.m_fMemoryClock, -1.0f);
    EXPECT_EQ(info.m_szRatio[0], '\0');
}

}  // namespace
