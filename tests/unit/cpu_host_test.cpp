// SPDX-License-Identifier: GPL-2.0-or-later
// The CPU interface on this machine's processors (CPUID needs no access device) against
// what the kernel reports in /proc/cpuinfo.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>

#include "app/InterfaceCreation.h"
#include "cpu/CPUInterface.h"
#include "cpu/CPUThread.h"
#include "kit/ORVEXSDK.h"
#include "platform/Processors.h"

namespace {

std::string strTrim(const std::string& str)
{
    const size_t nFirst = str.find_first_not_of(" \t");
    return nFirst == std::string::npos ? "" : str.substr(nFirst, str.find_last_not_of(" \t") - nFirst + 1);
}

std::vector<std::map<std::string, std::string>> ReadCpuInfo()
{
    std::vector<std::map<std::string, std::string>> entries;
    std::ifstream file("/proc/cpuinfo");
    for (std::string strLine; std::getline(file, strLine);) {
        const size_t nColon = strLine.find(':');
        if (nColon == std::string::npos) continue;
        const std::string strKey = strTrim(strLine.substr(0, nColon));
        if (strKey == "processor") entries.emplace_back();
        if (!entries.empty()) entries.back()[strKey] = strTrim(strLine.substr(nColon + 1));
    }
    return entries;
}

// The kernel writes /proc/cpuinfo from what it saw at boot, and some of it is its own: the
// "model name" may be rewritten (a hypervisor that moves a running guest to another host changes
// the brand string CPUID returns, the kernel keeps the old one), and "initial apicid" comes from
// the kernel's topology code, which prefers the x2APIC leaves to leaf 1 and is rewritten by
// hypervisors that renumber their virtual processors. Those two are not compared; what is
// checked of the APIC ids is that every thread reports its own, which fails when the pinning
// of the identification to each processor does not work.
TEST(CPUHost, IdentificationMatchesProcCpuinfo)
{
    auto entries = ReadCpuInfo();
    if (entries.empty() || !entries[0].count("vendor_id") || !entries[0].count("cpu family"))
        GTEST_SKIP() << "/proc/cpuinfo does not identify the processors";
    platform::SetProcessors(nullptr);
    const std::vector<unsigned> saved = platform::Processors().GetThreadAffinity();
    ORVEXSDK::Destroy();  // a kit without a driver: no MSRs, no physical memory
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    ASSERT_TRUE(app::CreateCPUInterface(pKit));
    CCPUInterface& cpu = *pKit->m_pCPUInterface;
    EXPECT_EQ(cpu.m_nLogical, entries.size());
    ASSERT_EQ(cpu.m_pThreadList->m_nCount, entries.size());
    std::set<uint32_t> apicIDs;
    unsigned nIndex = 0;
    for (CTListItem<CCPUThread>* p = cpu.m_pThreadList->m_pHead; p && p->m_pObject; p = p->m_pNext, ++nIndex) {
        const CCPUThread& t = *p->m_pObject;
        std::map<std::string, std::string>& f = entries[nIndex];
        SCOPED_TRACE("processor " + std::to_string(nIndex));
        auto vExpectField = [&](const char* pszKey, const std::string& strValue) {
            if (f.count(pszKey) && f[pszKey] != "unknown") {
                EXPECT_EQ(strValue, f[pszKey]) << pszKey;
            }
        };
        vExpectField("vendor_id", t.m_szVendor);
        // The kernel adds the extended family and model in.
        vExpectField("cpu family", std::to_string(t.m_nExtFamily));
        vExpectField("model", std::to_string(t.m_nExtModel));
        vExpectField("stepping", std::to_string(t.m_nStepping));
        // Leaf 1 holds 8 bits of the id: beyond 256 processors they repeat.
        if (entries.size() <= 256) {
            EXPECT_TRUE(apicIDs.insert(uint32_t(t.m_nAPICID)).second) << "APIC id " << t.m_nAPICID << " seen twice";
        }
    }
    ORVEXSDK::Destroy();
    if (!saved.empty()) platform::Processors().bSetThreadAffinity(saved);  // measuring leaves it pinned
}

// On a machine whose time-stamp counter runs at a constant rate, the kernel's "cpu MHz" is the
// counter's frequency: the counter calibrated against the performance timer must agree within
// 0.5%. The median of seven 5 ms calibrations keeps a preempted window from deciding.
TEST(CPUHost, TSCClockAgreesWithTheKernel)
{
    auto entries = ReadCpuInfo();
    if (entries.empty() || !entries[0].count("cpu MHz") ||
        entries[0]["flags"].find("constant_tsc") == std::string::npos)
        GTEST_SKIP() << "/proc/cpuinfo gives no constant-rate TSC frequency";
    const double dKernelMHz = std::stod(entries[0]["cpu MHz"]);
    platform::SetProcessors(nullptr);
    const std::vector<unsigned> saved = platform::Processors().GetThreadAffinity();
    ORVEXSDK::Destroy();
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    ASSERT_TRUE(app::CreateCPUInterface(pKit));
    CCPUThread* pThread = pKit->m_pCPUInterface->m_pThreadList->m_pHead->m_pObject;
    ASSERT_NE(pThread, nullptr);
    {
        platform::CThreadPin pin(pThread->m_nIndex);
        std::vector<double> clocks;
        for (int i = 0; i < 7; ++i) clocks.push_back(pThread->GetTSCClock());
        std::sort(clocks.begin(), clocks.end());
        EXPECT_NEAR(clocks[3], dKernelMHz, 0.005 * dKernelMHz);
    }
    ORVEXSDK::Destroy();
    if (!saved.empty()) platform::Processors().bSetThreadAffinity(saved);
}

}  // namespace
