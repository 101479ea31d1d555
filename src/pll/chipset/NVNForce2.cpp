// SPDX-License-Identifier: GPL-2.0-or-later
// The nForce2 PLL driver.
#include "pll/chipset/NVNForce2.h"

#include "platform/Clock.h"

namespace {

constexpr uint32_t ID_NFORCE2 = 0x10000020;
constexpr uint32_t HOST = 0, AGP_FUNCTION = 3;
constexpr uint32_t REVISION = 0x08, FSB_CONTROL = 0xA0, FSB_PLL = 0xA4, FSB_ENABLE = 0xA8;
constexpr uint32_t AGP_PLL_C0 = 0x78, AGP_PLL = 0x6C, SANITY_C0 = 0x7C, SANITY = 0x70;
constexpr uint32_t REVISION_C0 = 0xC0;
constexpr uint32_t FSB_WRITES = 64;
constexpr uint32_t KEEP = 0xFFFF0000;
constexpr int32_t FSB_START = 50, AGP_START = 15;
constexpr float CEILING = 250.0f;
constexpr uint32_t ENABLE_MS = 50, SETTLE_MS = 100;

uint32_t dwPLLValue(uint32_t dwValue, const PLL_SETTING& setting)
{
    return (dwValue & KEEP) | (uint32_t(setting.nN) & 0xFF) << 8 | (uint32_t(setting.nDivisor) & 0xFF);
}

}  // namespace

NV_NForce2_ClockGenerator::NV_NForce2_ClockGenerator() : CNVChipsetPLL(ID_NFORCE2, 66.67f, 400.0f, GSB_AGP) {}

uint32_t NV_NForce2_ClockGenerator::dwAGPRegister() const
{
    return (dwReadConfig(HOST, 0, REVISION) & 0xFF) >= REVISION_C0 ? AGP_PLL_C0 : AGP_PLL;
}

bool NV_NForce2_ClockGenerator::bTakeOver()
{
    const float fBus = fMeasuredBusClock();
    if (!(fBus > 0)) return false;
    const uint32_t dwAGP = dwAGPRegister();
    const uint32_t dwSanity = dwReadConfig(HOST, AGP_FUNCTION, dwAGP == AGP_PLL_C0 ? SANITY_C0 : SANITY);
    if (dwSanity == 0xFFFFFFFF || (dwSanity & 0xF) != ((dwSanity >> 4) & 0xF)) return false;
    if (!bSetFSB(fBus)) return false;
    const uint32_t dwEnable = dwReadConfig(HOST, 0, FSB_ENABLE);
    if (!(dwEnable & 1)) {
        bWriteConfig(HOST, 0, FSB_ENABLE, dwEnable | 1);
        platform::Sleep(ENABLE_MS);
        const uint32_t dwCheck = dwReadConfig(HOST, 0, FSB_ENABLE);
        if (dwCheck == 0xFFFFFFFF || !(dwCheck & 1)) return false;
    }
    if (m_bGSBEnabled) {
        const uint32_t v = dwReadConfig(HOST, AGP_FUNCTION, dwAGP);
        m_AGP.nDivisor = int32_t(v & 0xFF);
        m_AGP.nN = int32_t((v >> 8) & 0xFF);
        m_fAGPMultiplier = (v & (1u << 20)) ? 2.0f : 1.0f;
    }
    return true;
}

std::string NV_NForce2_ClockGenerator::strWritesOnRead() const
{
    if (m_bTakenOver) return {};
    return "take the nForce2 FSB PLL over: program it to the bus clock the processors measure (host bridge 00:00.0 "
           "registers 0xa0 and 0xa4, and the enable bit 0 of 0xa8 when it is clear)";
}

uint32_t NV_NForce2_ClockGenerator::bReadClocks(CFrequencySet& set)
{
    if (!m_bTakenOver) {
        if (!bTakeOver()) return 0;
        m_bTakenOver = true;
    }
    vDecode(m_FSB, m_AGP, set);
    return 1;
}

void NV_NForce2_ClockGenerator::vDecode(const PLL_SETTING& fsb, const PLL_SETTING& agp, CFrequencySet& set) const
{
    const float fFSB = fClock(NV_FSB_REFERENCE_NFORCE2, uint32_t(fsb.nN), uint32_t(fsb.nDivisor));
    const float fAGP =
        fClock(NV_AGP_BASE_NFORCE2 * 0.125f * m_fAGPMultiplier, uint32_t(agp.nN), uint32_t(agp.nDivisor));
    vFill(set, fFSB, fAGP, fAGP > 0 ? fAGP * 0.5f : -1.0f);
}

uint32_t NV_NForce2_ClockGenerator::bSetFSB(float fFSB)
{
    PLL_SETTING setting;
    if (!bSearch(fFSB, m_Min.m_fFSB, m_Max.m_fFSB, 0, NV_FSB_REFERENCE_NFORCE2, FSB_START, CEILING, setting))
        return 0;
    m_FSB = setting;
    uint32_t bResult = bWriteConfig(HOST, 0, FSB_CONTROL, 0);
    for (uint32_t i = 0; i < FSB_WRITES; ++i)
        bResult &= bWriteConfig(HOST, 0, FSB_PLL, dwPLLValue(dwReadConfig(HOST, 0, FSB_PLL), setting)) ? 1 : 0;
    bResult &= bWriteConfig(HOST, 0, FSB_CONTROL, 0) ? 1 : 0;
    platform::Sleep(SETTLE_MS);
    return bResult;
}

uint32_t NV_NForce2_ClockGenerator::bSetGSB(float fGSB)
{
    PLL_SETTING setting;
    if (!bSearch(fGSB, m_Min.m_fGSB, m_Max.m_fGSB, 0, NV_AGP_BASE_NFORCE2 * 0.125f * m_fAGPMultiplier, AGP_START,
                 CEILING, setting))
        return 0;
    m_AGP = setting;
    const uint32_t dwAGP = dwAGPRegister();
    const uint32_t bResult = bWriteConfig(HOST, AGP_FUNCTION, dwAGP, dwPLLValue(dwReadConfig(HOST, AGP_FUNCTION, dwAGP), setting));
    platform::Sleep(SETTLE_MS);
    return bResult;
}

// The preview works on settings of its own: the working values are what the PLL holds, and a
// later read, dump or walk must start from them, not from a clock that was only looked at.
uint32_t NV_NForce2_ClockGenerator::bPreviewClocks(CFrequencySet& set)
{
    PLL_SETTING fsb = m_FSB, agp = m_AGP, setting;
    if (set.m_fFSB > 0 &&
        bSearch(set.m_fFSB, m_Min.m_fFSB, m_Max.m_fFSB, 0, NV_FSB_REFERENCE_NFORCE2, FSB_START, CEILING, setting))
        fsb = setting;
    if (m_bGSBEnabled && set.m_fGSB > 0 &&
        bSearch(set.m_fGSB, m_Min.m_fGSB, m_Max.m_fGSB, 0, NV_AGP_BASE_NFORCE2 * 0.125f * m_fAGPMultiplier, AGP_START,
                CEILING, setting))
        agp = setting;
    vDecode(fsb, agp, set);
    return 1;
}
