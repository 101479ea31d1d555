// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Boards for the processor tests (a board file, or a small board with the vendor a test
// needs) with the ACPI and CPU interfaces built on them, and a wrapper around the board's
// processors that records every affinity the program sets.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>

#include "KitOnDevice.h"
#include "app/InterfaceCreation.h"
#include "cpu/CPUInterface.h"
#include "cpu/CPUThread.h"
#include "platform/Processors.h"
#include "sim/SimAccessDevice.h"

namespace cputest {

using json = nlohmann::json;

inline json BoardFile(const std::string& strName)
{
    std::ifstream file(std::string(PENDULON_BOARDS_DIR) + "/" + strName + ".json");
    std::stringstream text;
    text << file.rdbuf();
    return json::parse(text.str());
}

inline json Leaf(uint32_t eax, uint32_t ebx, uint32_t ecx, uint32_t edx)
{
    json leaf = json::array();
    for (uint32_t dw : {eax, ebx, ecx, edx}) leaf.push_back(std::to_string(dw));
    return leaf;
}

// 200 MHz x 10, a PM timer, ACPI tables, running APIC timers; leaf 1: family 6, model 8,
// stepping 3 with the APIC, MMX, SSE2 and, for several logical processors a package, HTT.
inline json SmallBoard(const char* pszVendor, unsigned nCpus, unsigned nLogicalPerPackage = 1)
{
    uint32_t adw[3] = {};  // EBX, EDX, ECX
    std::memcpy(adw, pszVendor, 12);
    const uint32_t dwEDX = (1u << 9) | (1u << 23) | (1u << 26) | (nLogicalPerPackage > 1 ? 1u << 28 : 0);
    return {{"clock", {{"bus_mhz", 200.0}, {"multiplier", 10}}},
            {"cpus",
             {{"count", nCpus},
              {"cpuid", {{"0x0", Leaf(1, adw[0], adw[2], adw[1])}, {"0x1", Leaf(0x683, nLogicalPerPackage << 16, 0, dwEDX)}}}}},
            {"memory", json::array({{{"base", "0x0"}, {"size", "0xa0000"}}})},
            {"pm_timer", {{"port", "0x808"}}},
            {"apic", {{"timer_running", true}}},
            {"acpi", json::object()}};
}

class CCPUKit {
public:
    explicit CCPUKit(const json& board)
    {
        std::string strError;
        auto pBoard = sim::CSimBoard::FromJson(board.dump(), strError);
        EXPECT_NE(pBoard, nullptr) << strError;
        if (!pBoard) return;
        auto pDevice = std::make_unique<sim::CSimAccessDevice>(std::move(pBoard));
        m_pSim = pDevice.get();
        m_pKit = std::make_unique<CKitOnDevice>(std::move(pDevice));
    }
    bool bReady() const { return m_pKit && m_pKit->bOk(); }
    ORVEXSDK& Kit() { return *ORVEXSDK::Instance(); }
    sim::CSimBoard& Board() { return m_pSim->Board(); }
    // The ACPI interface (for the PM timer), then the CPU interface.
    CCPUInterface* pBuild()
    {
        app::CreateACPIInterface(&Kit());
        return app::CreateCPUInterface(&Kit()) ? Kit().m_pCPUInterface : nullptr;
    }

private:
    sim::CSimAccessDevice* m_pSim = nullptr;
    std::unique_ptr<CKitOnDevice> m_pKit;
};

class CRecordingProcessors : public platform::IProcessors {
public:
    CRecordingProcessors() : m_Inner(platform::Processors()) { platform::SetProcessors(this); }
    ~CRecordingProcessors() override { platform::SetProcessors(&m_Inner); }
    unsigned nCount() override { return m_Inner.nCount(); }
    std::vector<unsigned> GetThreadAffinity() override { return m_Inner.GetThreadAffinity(); }
    bool bSetThreadAffinity(const std::vector<unsigned>& cpus) override
    {
        m_Calls.push_back(cpus);
        return !m_bRefuse && m_Inner.bSetThreadAffinity(cpus);
    }
    unsigned nPinnedProcessor() override { return m_Inner.nPinnedProcessor(); }
    platform::CpuidRegs Cpuid(uint32_t dwLeaf, uint32_t dwSub) override { return m_Inner.Cpuid(dwLeaf, dwSub); }
    uint64_t qwReadTSC() override { return m_Inner.qwReadTSC(); }

    std::vector<std::vector<unsigned>> m_Calls;
    bool m_bRefuse = false;  // every pinning fails

private:
    platform::IProcessors& m_Inner;
};

inline CCPUThread* pThreadAt(CCPUInterface& cpu, unsigned nIndex)
{
    CTListItem<CCPUThread>* p = cpu.m_pThreadList->m_pHead;
    for (; p && nIndex; --nIndex) p = p->m_pNext;
    return p ? p->m_pObject : nullptr;
}

// Within a thousandth.
inline void vExpectNear(float fActual, double dExpected) { EXPECT_NEAR(double(fActual), dExpected, dExpected * 0.001); }

}  // namespace cputest
