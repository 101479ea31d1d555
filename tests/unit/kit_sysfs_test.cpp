// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "kit/SysfsPCIConfig.h"

namespace {

// A directory shaped like /sys/bus/pci/devices with one function, 00:1f.3.
class KitSysfs : public ::testing::Test {
protected:
    void SetUp() override
    {
        char szTemplate[] = "/tmp/pendulon-sysfs-XXXXXX";
        ASSERT_NE(mkdtemp(szTemplate), nullptr);
        m_strRoot = szTemplate;
        const std::string strFunction = m_strRoot + "/0000:00:1f.3";
        ASSERT_EQ(mkdir(strFunction.c_str(), 0700), 0);
        std::vector<uint8_t> config(256);
        for (size_t i = 0; i < config.size(); ++i) config[i] = static_cast<uint8_t>(i);
        std::ofstream(strFunction + "/config", std::ios::binary).write(reinterpret_cast<char*>(config.data()), 256);
    }
    void TearDown() override { std::system(("rm -rf " + m_strRoot).c_str()); }
    std::string m_strRoot;
};

TEST_F(KitSysfs, PortSequenceOfMechanismOneReachesTheConfigFile)
{
    kit::CSysfsPCIConfig config(m_strRoot);
    EXPECT_TRUE(config.bAvailable());
    uint32_t dw = 0;
    ASSERT_TRUE(config.bPortOut(0xCF8, 4, 0x8000FB40));
    ASSERT_TRUE(config.bPortIn(0xCF8, 4, dw));
    EXPECT_EQ(dw, 0x8000FB40u);  // the latch reads back
    ASSERT_TRUE(config.bPortIn(0xCFC, 4, dw));
    EXPECT_EQ(dw, 0x43424140u);
    ASSERT_TRUE(config.bPortIn(0xCFE, 1, dw));
    EXPECT_EQ(dw, 0x42u);
    ASSERT_TRUE(config.bPortOut(0xCFD, 1, 0xEE));
    ASSERT_TRUE(config.bPortIn(0xCFC, 4, dw));
    EXPECT_EQ(dw, 0x4342EE40u);  // only the one byte changed

    ASSERT_TRUE(config.bPortOut(0xCF8, 4, 0x0000FB40));  // enable bit clear
    ASSERT_TRUE(config.bPortIn(0xCFC, 4, dw));
    EXPECT_EQ(dw, 0xFFFFFFFFu);
    ASSERT_TRUE(config.bPortOut(0xCF8, 4, 0x80000000));  // 00:00.0 does not exist
    ASSERT_TRUE(config.bPortIn(0xCFC, 2, dw));
    EXPECT_EQ(dw, 0xFFFFu);
    EXPECT_TRUE(config.bPortOut(0xCFC, 4, 0x12345678));  // goes nowhere, as on the bus
    EXPECT_FALSE(config.bPortIn(0x80, 1, dw));             // not a configuration port
}

// Reads a configuration dword as the mechanism #1 sequence does: the address port kept, the
// function and offset latched, the data port read, the address port put back.
uint32_t dwCycle(kit::CSysfsPCIConfig& config, uint32_t dwAddress)
{
    uint32_t dwKept = 0, dwValue = 0;
    EXPECT_TRUE(config.bPortIn(0xCF8, 4, dwKept));
    EXPECT_TRUE(config.bPortOut(0xCF8, 4, dwAddress));
    EXPECT_TRUE(config.bPortIn(0xCFC, 4, dwValue));
    EXPECT_TRUE(config.bPortOut(0xCF8, 4, dwKept));
    return dwValue;
}

// The header comes in one read when a header read begins (offset 4 right after offset 0):
// bytes changed in the file after it are not seen by the dword reads that follow in order, and
// are seen by everything else.
TEST_F(KitSysfs, AHeaderReadIsOneReadServedOnceAndInOrder)
{
    const std::string strOther = m_strRoot + "/0000:00:1f.0";
    ASSERT_EQ(mkdir(strOther.c_str(), 0700), 0);
    std::ofstream(strOther + "/config", std::ios::binary).write(std::string(256, '\x11').data(), 256);
    auto vChangeFile = [&](uint8_t bValue) {
        std::fstream file(m_strRoot + "/0000:00:1f.3/config", std::ios::binary | std::ios::in | std::ios::out);
        file.seekp(8);
        file.write(std::string(0x38, char(bValue)).data(), 0x38);  // offsets 8 to 0x3F
    };
    kit::CSysfsPCIConfig config(m_strRoot);
    vChangeFile(0x00);

    // The scan's sequence: offset 0, offset 4, then on upwards.
    EXPECT_EQ(dwCycle(config, 0x8000FB00), 0x03020100u);
    EXPECT_EQ(dwCycle(config, 0x8000FB04), 0x07060504u);
    vChangeFile(0xEE);
    EXPECT_EQ(dwCycle(config, 0x8000FB08), 0u);  // as read with offset 4
    EXPECT_EQ(config.dwRead(0, 0x1F, 3, 0x0C, 4), 0u);
    EXPECT_EQ(config.dwRead(0, 0x1F, 3, 0x3C, 4), 0u);  // rising order may skip
    EXPECT_EQ(config.dwRead(0, 0x1F, 3, 0x3C, 4), 0xEEEEEEEEu) << "a register read twice is read twice";
    EXPECT_EQ(config.dwRead(0, 0x1F, 3, 0x40, 4), 0x43424140u);

    // Whatever comes between makes the next dword come from the function again.
    struct Between {
        const char* pszName;
        std::function<void()> fn;
    } betweens[] = {
        {"a read of a lower offset", [&] { config.dwRead(0, 0x1F, 3, 4, 4); }},
        {"a byte read", [&] { config.dwRead(0, 0x1F, 3, 0x0A, 1); }},
        {"a read of another function", [&] { EXPECT_EQ(config.dwRead(0, 0x1F, 0, 0x08, 4), 0x11111111u); }},
        {"a write", [&] { EXPECT_TRUE(config.bWrite(0, 0x1F, 0, 0x40, 4, 0x22222222)); }},
        {"the end of the session", [&] { config.vEndSession(); }},
    };
    for (const Between& between : betweens) {
        vChangeFile(0x00);
        EXPECT_EQ(config.dwRead(0, 0x1F, 3, 0, 4), 0x03020100u);
        EXPECT_EQ(config.dwRead(0, 0x1F, 3, 4, 4), 0x07060504u);
        vChangeFile(0xEE);
        between.fn();
        EXPECT_EQ(config.dwRead(0, 0x1F, 3, 0x10, 4), 0xEEEEEEEEu) << between.pszName;
    }
    // Offset 0 alone, or followed by another offset than 4, reads no header.
    vChangeFile(0x00);
    EXPECT_EQ(config.dwRead(0, 0x1F, 3, 0, 4), 0x03020100u);
    EXPECT_EQ(config.dwRead(0, 0x1F, 3, 8, 4), 0u);
    vChangeFile(0xEE);
    EXPECT_EQ(config.dwRead(0, 0x1F, 3, 0x0C, 4), 0xEEEEEEEEu);
}

TEST_F(KitSysfs, MissingTreeIsNotAvailable)
{
    kit::CSysfsPCIConfig config(m_strRoot + "/nothing");
    EXPECT_FALSE(config.bAvailable());
    EXPECT_EQ(config.dwRead(0, 0x1F, 3, 0, 4), 0xFFFFFFFFu);
}

}  // namespace
