// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A kit on a simulated board for the processor family tests: boards from files or from a
// text, MSR values set through the driver as the tests go, the board's MSR record, and the
// kit's trace captured while a dump runs.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "KitOnDevice.h"
#include "cpu/CPUThread.h"
#include "kit/ORVEXSDK.h"
#include "sim/SimAccessDevice.h"

namespace cpufamilytest {

// A one-processor board with the given CPUID leaves and MSRs (JSON object bodies).
inline std::string strBoard(const std::string& strCpuid, const std::string& strMsrs = "",
                            const std::string& strExtra = "")
{
    return R"({"name": "cpu-family-test", "clock": {"bus_mhz": 200, "multiplier": 10}, "cpus": {"count": 1, )"
           R"("cpuid": {)" + strCpuid + R"(}, "msrs": {)" + strMsrs + "}" + strExtra + "}}";
}

// Leaf 0 of an Intel, AMD or other processor with the given highest basic leaf.
inline std::string strVendorLeaf(const char* pszVendor, uint32_t nMaxLeaf)
{
    uint32_t adw[3] = {};
    std::memcpy(adw, pszVendor, 12);
    char sz[160];
    // The vendor string is EBX, EDX, ECX; the file gives EAX, EBX, ECX, EDX.
    std::snprintf(sz, sizeof sz, R"("0x0": ["0x%x", "0x%08x", "0x%08x", "0x%08x"])", nMaxLeaf, adw[0], adw[2], adw[1]);
    return sz;
}

class CFamilyKit {
public:
    // strBoard is a board name, or a board text when it starts with '{'.
    explicit CFamilyKit(const std::string& strBoard)
    {
        std::string strError;
        auto pBoard = strBoard.front() == '{' ? sim::CSimBoard::FromJson(strBoard, strError)
                                              : sim::CSimBoard::Load(strBoard, strError);
        if (!pBoard) {
            ADD_FAILURE() << "cannot load board: " << strError;
            return;
        }
        auto pDevice = std::make_unique<sim::CSimAccessDevice>(std::move(pBoard));
        m_pSim = pDevice.get();
        m_pKit = std::make_unique<CKitOnDevice>(std::move(pDevice));
        EXPECT_TRUE(m_pKit->bOk());
    }

    bool bReady() const { return m_pSim != nullptr && m_pKit->bOk(); }
    sim::CSimBoard& Board() { return m_pSim->Board(); }

    // Sets an MSR of the processor the test thread runs on (the board knows it already).
    void vSetMSR(uint32_t dwIndex, uint64_t qwValue)
    {
        ASSERT_TRUE(m_pKit->Driver().bWriteMSR(dwIndex, uint32_t(qwValue >> 32), uint32_t(qwValue)))
            << std::hex << "MSR 0x" << dwIndex << " is not on the board";
    }
    uint64_t qwMSR(uint32_t dwIndex)
    {
        uint32_t dwHigh = 0, dwLow = 0;
        EXPECT_TRUE(m_pKit->Driver().bReadMSR(dwIndex, dwHigh, dwLow));
        return (uint64_t(dwHigh) << 32) | dwLow;
    }

    // The MSR accesses of one kind to one register, in order.
    std::vector<sim::AccessRecord> MSRAccesses(sim::AccessKind eKind, uint32_t dwIndex)
    {
        std::vector<sim::AccessRecord> records;
        for (const sim::AccessRecord& r : Board().Log().Records())
            if (r.eKind == eKind && r.qwAddress == dwIndex) records.push_back(r);
        return records;
    }

private:
    sim::CSimAccessDevice* m_pSim = nullptr;
    std::unique_ptr<CKitOnDevice> m_pKit;
};

// A board with its processor 0 collected, as the CPU interface collects it.
class CCollected {
public:
    explicit CCollected(const std::string& strBoard) : m_Kit(strBoard)
    {
        if (m_Kit.bReady()) m_Thread.Collect();
    }
    CFamilyKit m_Kit;
    CCPUThread m_Thread{0, 0};
};

// An AMD processor whose extended leaf 0x80000001 repeats the signature, with extended
// leaves up to 0x80000008 and the further leaves given (JSON members, each with a leading comma).
inline std::string strAMDLeaves(uint32_t dwSignature, const std::string& strMore = "")
{
    char sz[256];
    std::snprintf(sz, sizeof sz,
                  R"(, "0x1": ["0x%x", "0x0", "0x0", "0x0"], "0x80000000": ["0x80000008", "0x0", "0x0", "0x0"],)"
                  R"( "0x80000001": ["0x%x", "0x0", "0x0", "0x0"])",
                  dwSignature, dwSignature);
    return strVendorLeaf("AuthenticAMD", 1) + sz + strMore;
}

// Collects what the kit's trace function is given while the object lives.
class CTraceCapture {
public:
    CTraceCapture() : m_pSaved(ORVEXSDK::Instance()->m_pTrace)
    {
        s_strText.clear();
        ORVEXSDK::Instance()->m_pTrace = &nCapture;
    }
    ~CTraceCapture() { ORVEXSDK::Instance()->m_pTrace = m_pSaved; }
    const std::string& strText() const { return s_strText; }

private:
    static int nCapture(const char* pszFormat, ...)
    {
        char sz[512];
        va_list args;
        va_start(args, pszFormat);
        const int n = std::vsnprintf(sz, sizeof sz, pszFormat, args);
        va_end(args);
        s_strText += sz;
        return n;
    }

    PFN_TRACE m_pSaved;
    static inline std::string s_strText;
};

}  // namespace cpufamilytest
