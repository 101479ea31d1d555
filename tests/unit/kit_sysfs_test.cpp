#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
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

TEST_F(KitSysfs, MissingTreeIsNotAvailable)
{
    kit::CSysfsPCIConfig config(m_strRoot + "/nothing");
    EXPECT_FALSE(config.bAvailable());
    EXPECT_EQ(config.dwRead(0, 0x1F, 3, 0, 4), 0xFFFFFFFFu);
}

}  // namespace
