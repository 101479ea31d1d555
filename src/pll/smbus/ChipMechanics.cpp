// SPDX-License-Identifier: GPL-2.0-or-later
// The mechanics shared by the SMBus clock chips.
#include "pll/smbus/ChipMechanics.h"

#include <cstring>

#include "kit/MachineFacts.h"
#include "platform/Clock.h"
#include "pll/ClockGenerator.h"
#include "smbus/ICCommandSet.h"

namespace {

// The bases of the shifted tables, in the order of DIVIDER_TABLE (G is a list).
const int32_t g_anTableBase[][4] = {
    {2, 3, 5, 15},  // A
    {2, 3, 5, 7},   // B
    {4, 3, 5, 7},   // D
    {2, 3, 5, 9},   // E
    {2, 3, 5, 11},  // F
    {0, 0, 0, 0},   // G
    {4, 3, 5, 15},  // K
};

const int32_t g_anTableG[16] = {2, 8, 4, 16, 5, 20, 10, 40, 3, 12, 6, 24, 15, 60, 30, 120};

const int32_t g_nTables = int32_t(sizeof(g_anTableBase) / sizeof(g_anTableBase[0]));

// One block read into pBuffer; a failure counts as 0 bytes, more than the image holds as full.
int32_t nBlockRead(CICCommandSet& commands, uint8_t* pBuffer)
{
    int32_t nCount = commands.ReadBlock(0, 256, pBuffer);
    if (nCount < 0) return 0;
    return nCount > 256 ? 256 : nCount;
}

}  // namespace

int32_t nTableDivider(int32_t nTable, int32_t nCode)
{
    if (nCode < 0 || nCode > 15 || nTable < 0 || nTable >= g_nTables) return -1;
    if (nTable == DIV_TABLE_G) return g_anTableG[nCode];
    return g_anTableBase[nTable][nCode & 3] << (nCode >> 2);
}

int32_t nFieldDivider(const uint8_t* pRegisters, const DIVIDER_FIELD& field)
{
    return nTableDivider(field.nTable, (pRegisters[field.nRegister] >> field.nShift) & 15);
}

float fDivideClock(float fValue, float fDivider)
{
    if (!(fValue > 0) || !(fDivider > 0)) return -1.0f;
    return fValue / fDivider;
}

float fMeasuredBusClock() { return kit::MachineFacts().fMeasuredBusClock(); }

void vLearnDivider(int32_t& nDivider, float fVCO)
{
    if (nDivider != -1 || !(fVCO > 0)) return;
    float fBus = fMeasuredBusClock();
    if (!(fBus > 0)) return;
    int32_t nLearned = int32_t(fVCO / fBus + 0.5f);
    if (nLearned >= 1) nDivider = nLearned;
}

int32_t nReadChipImage(CClockGenerator& chip, const CHIP_READ& read)
{
    if (!chip.m_pCommandSet) return 0;
    CICCommandSet& commands = *chip.m_pCommandSet;

    // The block lands in a copy first, so that a read that fails changes nothing.
    uint8_t abImage[256];
    if (read.bFillOnes)
        std::memset(abImage, 0xFF, sizeof(abImage));
    else
        std::memcpy(abImage, chip.m_abRegisters, sizeof(abImage));
    int32_t nCount = nBlockRead(commands, abImage);
    int32_t nMinimum = read.nMinimum > 0 ? read.nMinimum : 1;
    if (nCount < nMinimum) return 0;

    // Only the bytes just read are written back: a repair never sends bytes it did not get.
    // A count register that already holds the full length cannot be repaired: the host's
    // block limit (32 bytes) cut the block short, and writing it again would only cost time.
    int32_t nRegister = read.nCountRegister;
    if (nRegister >= 0 && nCount < read.nLength && nCount > nRegister && abImage[nRegister] != read.nLength) {
        abImage[nRegister] = uint8_t(read.nLength);
        int32_t nWritten = commands.WriteBlock(0, nRegister + 1, abImage);
        platform::Sleep(CHIP_REPAIR_MS);
        if (nWritten >= nRegister + 1) {
            uint8_t abAgain[256];
            std::memcpy(abAgain, abImage, sizeof(abAgain));
            if (read.bFillOnes) std::memset(abAgain, 0xFF, sizeof(abAgain));
            int32_t nAgain = nBlockRead(commands, abAgain);
            platform::Sleep(CHIP_SETTLE_MS);
            // A second read that fails keeps the first.
            if (nAgain >= nMinimum) {
                std::memcpy(abImage, abAgain, sizeof(abImage));
                nCount = nAgain;
            }
        }
    }
    std::memcpy(chip.m_abRegisters, abImage, sizeof(abImage));
    chip.m_nRegisterCount = nCount;
    return nCount;
}

bool bEnableState(const uint8_t* pRegisters, const ENABLE_BIT& bit)
{
    if (bit.nStateRegister < 0) return true;
    bool bSet = (pRegisters[bit.nStateRegister] & bit.bStateMask) != 0;
    return bit.bActiveLow ? !bSet : bSet;
}

void vEnable(uint8_t* pRegisters, const ENABLE_BIT& bit)
{
    if (bit.nSetRegister < 0) return;
    if (bit.bActiveLow)
        pRegisters[bit.nSetRegister] &= uint8_t(~bit.bSetMask);
    else
        pRegisters[bit.nSetRegister] |= bit.bSetMask;
}

void vDecodeMN(const uint8_t* pRegisters, const MN_FIELDS& fields, int32_t& nM, int32_t& nN)
{
    uint8_t bM = pRegisters[fields.nMRegister];
    uint8_t bN = pRegisters[fields.nNRegister];
    switch (fields.eLayout) {
    case MN_M6_N10:
        nM = bM & 0x3F;
        nN = bN + 256 * ((bM >> 7) & 1) + 512 * ((bM >> 6) & 1);
        break;
    case MN_M7_N9:
        nM = bM & 0x7F;
        nN = bN + 256 * ((bM >> 7) & 1);
        break;
    case MN_M7_NLOW:
        nM = bM & 0x7F;
        nN = 2 * bN + (bM >> 7);
        break;
    case MN_M6_NLOW:
        nM = bM & 0x3F;
        nN = 4 * bN + (bM >> 6);
        break;
    }
    if (fields.nNBit10Register >= 0) nN += 1024 * ((pRegisters[fields.nNBit10Register] >> 6) & 1);
}

bool bFitsMN(const MN_FIELDS& fields, int32_t nM, int32_t nN)
{
    bool bM6 = fields.eLayout == MN_M6_N10 || fields.eLayout == MN_M6_NLOW;
    int32_t nMaxN = fields.eLayout == MN_M7_N9 || fields.eLayout == MN_M7_NLOW ? 511 : 1023;
    if (fields.nNBit10Register >= 0) nMaxN = 2 * nMaxN + 1;
    return nM >= 0 && nM <= (bM6 ? 63 : 127) && nN >= 0 && nN <= nMaxN;
}

bool bEncodeMN(uint8_t* pRegisters, const MN_FIELDS& fields, int32_t nM, int32_t nN)
{
    if (!bFitsMN(fields, nM, nN)) return false;
    uint8_t& bM = pRegisters[fields.nMRegister];
    uint8_t& bN = pRegisters[fields.nNRegister];
    switch (fields.eLayout) {
    case MN_M6_N10:
        bN = uint8_t(nN & 0xFF);
        bM = uint8_t((nM & 0x3F) + 0x80 * ((nN >> 8) & 1) + 0x40 * ((nN >> 9) & 1));
        break;
    case MN_M7_N9:
        bN = uint8_t(nN & 0xFF);
        bM = uint8_t((nM & 0x7F) + 0x80 * ((nN >> 8) & 1));
        break;
    case MN_M7_NLOW:
        bN = uint8_t(nN >> 1);
        bM = uint8_t((nM & 0x7F) + 0x80 * (nN & 1));
        break;
    case MN_M6_NLOW:
        bN = uint8_t((nN >> 2) & 0xFF);
        bM = uint8_t((nM & 0x3F) + 0x40 * (nN & 3));
        break;
    }
    if (fields.nNBit10Register >= 0) {
        uint8_t& bHigh = pRegisters[fields.nNBit10Register];
        bHigh = uint8_t((bHigh & ~0x40) | (((nN >> 10) & 1) << 6));
    }
    return true;
}

float fPLLOutput(float fReference, const MN_PLL& pll, int32_t nM, int32_t nN)
{
    return fDivideClock(fReference * (float(nN) + pll.Search.fOffset), float(nM + pll.nMOffset));
}

bool bFindMN(float fVCO, float fReference, const MN_PLL& pll, int32_t& nM, int32_t& nN)
{
    PLL_SETTING setting{};
    if (!(fVCO > 0) || !bSearchPLL(fVCO, fReference, pll.Search, setting)) return false;
    if (setting.nN < 0) return false;
    nM = setting.nDivisor - pll.nMOffset;
    nN = setting.nN;
    return true;
}
