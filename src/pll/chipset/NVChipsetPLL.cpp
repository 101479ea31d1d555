// SPDX-License-Identifier: GPL-2.0-or-later
// The pieces every nVidia chipset PLL driver shares.
#include "pll/chipset/NVChipsetPLL.h"

#include "discovery/PCIInterface.h"
#include "kit/IOSpace.h"
#include "kit/MachineFacts.h"
#include "kit/ORVEXSDK.h"
#include "platform/Clock.h"

namespace {

constexpr float GSB_AGP_MIN = 33.34f, GSB_AGP_MAX = 133.34f;
constexpr float GSB_PCIE_MIN = 50.0f, GSB_PCIE_MAX = 200.0f;
constexpr uint32_t WINDOW_A_REGISTER = 0x60, WINDOW_B_REGISTER = 0x68;
constexpr uint32_t WINDOW_BASE_MASK = 0xFFFE;
constexpr uint32_t SETTLE_MS = 50;
constexpr uint32_t UPDATE_POLLS = 100, UPDATE_POLL_MS = 10;
constexpr uint32_t FIELD_MASK = 0x3FF;

CPCIInterface* pPCIInterface() { return ORVEXSDK::Instance()->m_pPCIInterface; }

}  // namespace

CNVChipsetPLL::CNVChipsetPLL(uint32_t dwID, float fFSBMin, float fFSBMax, int32_t nGSBType) : CClockGenerator(dwID)
{
    m_bFSBAdjustable = 1;
    m_bGSBAdjustable = 1;
    m_bGSBEnabled = 1;
    m_nGSBType = nGSBType;
    m_Min.m_fFSB = fFSBMin;
    m_Max.m_fFSB = fFSBMax;
    m_Min.m_fGSB = nGSBType == GSB_AGP ? GSB_AGP_MIN : GSB_PCIE_MIN;
    m_Max.m_fGSB = nGSBType == GSB_AGP ? GSB_AGP_MAX : GSB_PCIE_MAX;
}

bool CNVChipsetPLL::bHavePCI() { return pPCIInterface() != nullptr; }

uint32_t CNVChipsetPLL::dwReadConfig(uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset)
{
    CPCIInterface* pPCI = pPCIInterface();
    return pPCI ? pPCI->ReadConfig(0, dwDevice, dwFunction, dwOffset) : 0xFFFFFFFF;
}

uint32_t CNVChipsetPLL::bWriteConfig(uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset, uint32_t dwValue)
{
    CPCIInterface* pPCI = pPCIInterface();
    return pPCI ? pPCI->WriteConfig(0, dwDevice, dwFunction, dwOffset, dwValue) : 0;
}

float CNVChipsetPLL::fMeasuredBusClock() { return kit::MachineFacts().fMeasuredBusClock(); }

bool CNVChipsetPLL::bSearch(float f, float fMin, float fMax, uint32_t nPostShift, float fReference, int32_t nStart,
                            float fCeiling, PLL_SETTING& setting)
{
    if (!(f > 0)) return false;
    f = fClampClock(f, fMin, fMax) * float(1u << (nPostShift & 7));
    const PLL_SEARCH search = {nStart, 1, 0.0f, fCeiling};
    return bSearchChipsetPLL(f, fReference, search, setting);
}

float CNVChipsetPLL::fClock(float fReference, uint32_t nN, uint32_t nM)
{
    if (nM == 0 || !(fReference > 0)) return -1.0f;
    return fReference * float(nN) / float(nM);
}

void CNVChipsetPLL::vFill(CFrequencySet& set, float fFSB, float fGSB, float fPCI) const
{
    set.m_fFSB = fFSB > 0 ? fFSB : -1.0f;
    set.m_fGSB = m_bGSBEnabled && fGSB > 0 ? fGSB : -1.0f;
    set.m_fPCI = m_bGSBEnabled && fPCI > 0 ? fPCI : -1.0f;
}

bool CNVPortWindows::bOpen(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction)
{
    if (bIsOpen()) return true;
    CPCIInterface* pPCI = pPCIInterface();
    if (!pPCI) return false;
    const uint32_t dwA = pPCI->ReadConfig(dwBus, dwDevice, dwFunction, WINDOW_A_REGISTER);
    const uint32_t dwB = pPCI->ReadConfig(dwBus, dwDevice, dwFunction, WINDOW_B_REGISTER);
    // A function that does not answer, or a window the firmware never placed, gives no
    // ports to talk to.
    if (dwA == 0xFFFFFFFF || dwB == 0xFFFFFFFF || !(dwA & WINDOW_BASE_MASK) || !(dwB & WINDOW_BASE_MASK))
        return false;
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    auto pWindow = [pKit](uint32_t dwBase) {
        CPortIOSpace* pSpace = static_cast<CPortIOSpace*>(pKit->FindIOSpace(dwBase, IOSPACE_PORT));
        if (!pSpace) {
            pSpace = new CPortIOSpace(uint16_t(dwBase), WINDOW_SIZE);
            pKit->AddIOSpace(pSpace);
        }
        return pSpace;
    };
    m_pA = pWindow(dwA & WINDOW_BASE_MASK);
    m_pB = pWindow(dwB & WINDOW_BASE_MASK);
    return true;
}

uint32_t CNVPortWindows::dwReadA(uint32_t dwOffset) { return m_pA ? m_pA->ReadDword(dwOffset) : 0xFFFFFFFF; }
uint32_t CNVPortWindows::dwReadB(uint32_t dwOffset) { return m_pB ? m_pB->ReadDword(dwOffset) : 0xFFFFFFFF; }
uint32_t CNVPortWindows::bWriteA(uint32_t dwOffset, uint32_t dwValue) { return m_pA ? m_pA->WriteDword(dwOffset, dwValue) : 0; }
uint32_t CNVPortWindows::bWriteB(uint32_t dwOffset, uint32_t dwValue) { return m_pB ? m_pB->WriteDword(dwOffset, dwValue) : 0; }

void CNVPortWindows::vReleaseControl()
{
    const uint32_t dwControl = dwReadB(CONTROL_REGISTER);
    if (dwControl != 0xFFFFFFFF && (dwControl & 1)) {
        bWriteB(CONTROL_REGISTER, dwControl & ~1u);
        platform::Sleep(SETTLE_MS);
    }
}

uint32_t CNVPortWindows::bWritePLL(uint32_t dwOffset, uint32_t dwKeep, const PLL_SETTING& setting)
{
    const uint32_t dwValue = dwReadB(dwOffset);
    return bWriteB(dwOffset, (dwValue & dwKeep) | (uint32_t(setting.nN) & FIELD_MASK) << 10 |
                                 (uint32_t(setting.nDivisor) & FIELD_MASK));
}

bool CNVPortWindows::bUpdate()
{
    bWriteA(UPDATE_REGISTER, dwReadA(UPDATE_REGISTER) | 1);
    for (uint32_t i = 0; i < UPDATE_POLLS; ++i) {
        platform::Sleep(UPDATE_POLL_MS);
        if (!(dwReadA(UPDATE_REGISTER) & 1)) return true;
    }
    return false;
}
