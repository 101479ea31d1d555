// SPDX-License-Identifier: GPL-2.0-or-later
// The name, code name, package and multiplier of each board's processor, and of the processor
// models virtual machines present.
#include <gtest/gtest.h>

#include "CPUFamilyKit.h"
#include "cpu/CPUInfos.h"
#include "cpu/CPUThread.h"

using namespace cpufamilytest;

namespace {

struct BoardCase {
    const char* pszBoard;
    const char* pszName;
    const char* pszCodeName;
    uint32_t dwPackage;
    uint32_t nProcess;
    uint32_t dwCode;
    float fMultiplier;  // the board's clock multiplier, which its registers must agree with
};

void PrintTo(const BoardCase& c, std::ostream* pStream) { *pStream << c.pszBoard; }

class BoardProcessorTest : public ::testing::TestWithParam<BoardCase> {};

}  // namespace

TEST_P(BoardProcessorTest, NameAndMultiplier)
{
    const BoardCase& c = GetParam();
    CCollected collected(c.pszBoard);
    CCPUThread& thread = collected.m_Thread;
    EXPECT_STREQ(thread.m_szName, c.pszName);
    EXPECT_STREQ(thread.m_szCodeName, c.pszCodeName);
    EXPECT_EQ(thread.m_dwPackageType, c.dwPackage);
    EXPECT_EQ(thread.m_nProcessSize, c.nProcess);
    EXPECT_EQ(thread.m_dwCode, c.dwCode);
    EXPECT_FLOAT_EQ(thread.GetMultiplier(), c.fMultiplier);
}

INSTANTIATE_TEST_SUITE_P(
    Boards, BoardProcessorTest,
    ::testing::Values(
        BoardCase{"demo", "Intel Core 2 Duo", "Conroe", 0x1001A, 65, CPU_CODE_INTEL_CORE_2, 9.0f},
        BoardCase{"i975x-ich7", "Intel Core 2 Duo", "Conroe", 0x1001A, 65, CPU_CODE_INTEL_CORE_2, 10.0f},
        BoardCase{"nforce680i", "Intel Core 2 Duo", "Conroe", 0x1001A, 65, CPU_CODE_INTEL_CORE_2, 9.0f},
        BoardCase{"i5000x-esb2", "Intel Xeon", "Woodcrest", 0x1001B, 65, CPU_CODE_INTEL_CORE_2, 9.0f},
        BoardCase{"i865pe-ich5", "Intel Pentium 4", "Northwood", 0x10016, 130, CPU_CODE_INTEL_NETBURST, 14.0f},
        BoardCase{"pentium-m-855", "Intel Pentium M", "Dothan", 0x10017, 90, CPU_CODE_INTEL_MOBILE, 18.0f},
        BoardCase{"via-kt600-vt8237", "AMD Athlon XP", "Barton", 0x10006, 130, CPU_CODE_AMD_K7, 11.0f},
        BoardCase{"amd751-756", "AMD Athlon", "Pluto", 0x20007, 180, CPU_CODE_AMD_K7, 7.0f},
        BoardCase{"ali-m1647-m7101", "AMD Athlon", "Thunderbird", 0x10006, 180, CPU_CODE_AMD_K7, 9.0f},
        BoardCase{"k8-mcp55", "AMD Athlon 64 X2", "Windsor", 0x1000A, 90, CPU_CODE_AMD_K8, 13.0f},
        BoardCase{"ati-rs480-sb450", "AMD Athlon 64", "Venice", 0x10008, 90, CPU_CODE_AMD_K8, 11.0f},
        BoardCase{"uli-m1689-m1563", "AMD Athlon 64", "Venice", 0x10008, 90, CPU_CODE_AMD_K8, 10.0f},
        BoardCase{"via-cn700-c7", "VIA C7", "Esther", 0x10013, 90, CPU_CODE_VIA_C7, 15.0f}));

namespace {

struct ModelCase {
    const char* pszModel;
    const char* pszVendor;
    uint32_t nMaxLeaf;
    uint32_t dwSignature;  // leaf 1 EAX, repeated in 0x80000001 EAX as virtual machines do
    const char* pszBrand;
    const char* pszName;
    const char* pszCodeName;
    uint32_t dwCode;
};

void PrintTo(const ModelCase& c, std::ostream* pStream) { *pStream << c.pszModel; }

class VirtualModelTest : public ::testing::TestWithParam<ModelCase> {};

}  // namespace

TEST_P(VirtualModelTest, Name)
{
    const ModelCase& c = GetParam();
    char szLeaves[512];
    std::snprintf(szLeaves, sizeof szLeaves,
                  R"(, "0x1": ["0x%x", "0x0", "0x0", "0x0"], "0x80000000": ["0x80000008", "0x0", "0x0", "0x0"],)"
                  R"( "0x80000001": ["0x%x", "0x0", "0x0", "0x0"])",
                  c.dwSignature, c.dwSignature);
    std::string strExtra = std::string(R"(, "brand": ")") + c.pszBrand + "\"";
    CCollected collected(strBoard(strVendorLeaf(c.pszVendor, c.nMaxLeaf) + szLeaves, "", strExtra));
    EXPECT_STREQ(collected.m_Thread.m_szName, c.pszName);
    EXPECT_STREQ(collected.m_Thread.m_szCodeName, c.pszCodeName);
    EXPECT_EQ(collected.m_Thread.m_dwCode, c.dwCode);
}

INSTANTIATE_TEST_SUITE_P(
    Qemu, VirtualModelTest,
    ::testing::Values(
        ModelCase{"core2duo", "GenuineIntel", 10, 0x6FB, "Intel(R) Core(TM)2 Duo CPU     T7700  @ 2.40GHz",
                  "Intel Core 2 Duo", "Merom", CPU_CODE_INTEL_CORE_2},
        ModelCase{"pentium3", "GenuineIntel", 3, 0x673, "", "Intel Pentium III", "Katmai", CPU_CODE_INTEL_P6},
        ModelCase{"kvm64", "GenuineIntel", 13, 0xF61, "Common KVM processor", "Intel Pentium 4", "Cedar Mill",
                  CPU_CODE_INTEL_NETBURST},
        // The extended leaf repeats family 6, which is the K6's number there.
        ModelCase{"athlon", "AuthenticAMD", 2, 0x623, "QEMU Virtual CPU version 2.5+", "AMD Athlon", "",
                  CPU_CODE_AMD_K6},
        ModelCase{"Opteron_G1", "AuthenticAMD", 5, 0xF61, "AMD Opteron 240 (Gen 1 Class Opteron)", "AMD Opteron",
                  "SledgeHammer", CPU_CODE_AMD_K8},
        ModelCase{"Opteron_G2", "AuthenticAMD", 5, 0xF61, "AMD Opteron 22xx (Gen 2 Class Opteron)", "AMD Opteron",
                  "SledgeHammer", CPU_CODE_AMD_K8},
        // Family 10h: family 15 with an extended family, which the K8 object would misread.
        ModelCase{"Opteron_G3", "AuthenticAMD", 5, 0x100F23, "AMD Opteron 23xx (Gen 3 Class Opteron)", "AMD Processor",
                  "", CPU_CODE_AMD},
        ModelCase{"qemu64", "AuthenticAMD", 13, 0x60FB1, "QEMU Virtual CPU version 2.5+", "AMD Athlon 64", "Lima",
                  CPU_CODE_AMD_K8}));

TEST(CPUFamilyNaming, UnknownModelKeepsTheFamilyName)
{
    CCollected c(strBoard(strAMDLeaves(0x80f00)));
    EXPECT_STREQ(c.m_Thread.m_szName, "AMD K8");
    EXPECT_STREQ(c.m_Thread.m_szCodeName, "");
    EXPECT_EQ(c.m_Thread.m_dwPackageType, 0u);
}

TEST(CPUFamilyNaming, BrandAndCoreCountChooseTheRow)
{
    struct Case {
        uint32_t dwSignature;
        const char* pszBrand;
        uint32_t nCores;  // leaf 4 sub-leaf 0 reports cores - 1 in bits 26..31
        const char* pszName;
        const char* pszCodeName;
    };
    const Case cases[] = {
        {0xF43, "Intel(R) Pentium(R) 4 CPU 3.00GHz", 2, "Intel Pentium D", "Smithfield"},
        {0xF43, "Intel(R) Pentium(R) 4 CPU 3.00GHz", 1, "Intel Pentium 4", "Prescott"},
        {0xF34, "Intel(R) Celeron(R) CPU 2.53GHz", 1, "Intel Celeron D", "Prescott-256"},
        {0x6F7, "Intel(R) Core(TM)2 Quad CPU    Q6600  @ 2.40GHz", 4, "Intel Core 2 Quad", "Kentsfield"},
        {0x6F2, "Intel(R) Core(TM)2 CPU          4300  @ 1.80GHz", 2, "Intel Core 2 Duo", "Allendale"},
        {0x6EC, "Intel(R) Core(TM) Solo CPU     T1300  @ 1.66GHz", 1, "Intel Core Solo", "Yonah"},
    };
    for (const Case& c : cases) {
        char szLeaves[512];
        std::snprintf(szLeaves, sizeof szLeaves,
                      R"(, "0x1": ["0x%x", "0x0", "0x0", "0x0"], "0x4.0": ["0x%x", "0x0", "0x0", "0x0"],)"
                      R"( "0x80000000": ["0x80000004", "0x0", "0x0", "0x0"])",
                      c.dwSignature, ((c.nCores - 1) << 26) | 0x121);
        CCollected collected(strBoard(strVendorLeaf("GenuineIntel", 5) + szLeaves, "",
                                      std::string(R"(, "brand": ")") + c.pszBrand + "\""));
        EXPECT_STREQ(collected.m_Thread.m_szName, c.pszName) << c.pszBrand;
        EXPECT_STREQ(collected.m_Thread.m_szCodeName, c.pszCodeName) << c.pszBrand;
    }
}
