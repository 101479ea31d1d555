// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/SMBusTargets.h"

#include <algorithm>

namespace sim {

namespace {

constexpr size_t MAX_STREAM = 255;

}  // namespace

bool CSMBusTarget::bQuick(bool) { return true; }

bool CSMBusTarget::bReadWordData(uint8_t bCommand, uint8_t& bData0, uint8_t& bData1)
{
    return bReadByteData(bCommand, bData0) && bReadByteData(uint8_t(bCommand + 1), bData1);
}

bool CSMBusTarget::bWriteWordData(uint8_t bCommand, uint8_t bData0, uint8_t bData1)
{
    return bWriteByteData(bCommand, bData0) && bWriteByteData(uint8_t(bCommand + 1), bData1);
}

bool CSMBusTarget::bBlockRead(uint8_t bCommand, uint8_t& nCount, std::vector<uint8_t>& data)
{
    if (!bReadByteData(bCommand, nCount))
        return false;
    data.clear();
    for (size_t i = 1; i <= MAX_STREAM; ++i) {
        uint8_t b = 0xFF;
        if (!bReadByteData(uint8_t(bCommand + i), b))
            break;
        data.push_back(b);
    }
    return true;
}

bool CSMBusTarget::bBlockWrite(uint8_t bCommand, const uint8_t* pData, uint8_t nCount)
{
    for (uint8_t i = 0; i < nCount; ++i)
        if (!bWriteByteData(uint8_t(bCommand + i), pData[i]))
            return false;
    return true;
}

CRegisterFile::CRegisterFile(const std::vector<uint8_t>& initial, uint8_t nBlockCount) : m_nBlockCount(nBlockCount)
{
    std::copy_n(initial.begin(), std::min(initial.size(), m_Registers.size()), m_Registers.begin());
}

bool CRegisterFile::bReadByteData(uint8_t bCommand, uint8_t& bValue)
{
    bValue = m_Registers[bCommand];
    return true;
}

bool CRegisterFile::bWriteByteData(uint8_t bCommand, uint8_t bValue)
{
    if (!m_ReadOnly[bCommand])
        m_Registers[bCommand] = bValue;
    return true;
}

bool CRegisterFile::bBlockRead(uint8_t bCommand, uint8_t& nCount, std::vector<uint8_t>& data)
{
    nCount = m_nBlockCount;
    data.clear();
    for (size_t i = 0; i < MAX_STREAM; ++i)
        data.push_back(m_Registers[uint8_t(bCommand + i)]);
    return true;
}

bool CRegisterFile::bBlockWrite(uint8_t bCommand, const uint8_t* pData, uint8_t nCount)
{
    for (uint8_t i = 0; i < nCount; ++i)
        bWriteByteData(uint8_t(bCommand + i), pData[i]);
    return true;
}

CSPDEeprom::CSPDEeprom(const std::array<uint8_t, 256>& contents, bool bWritable)
    : m_Contents(contents), m_bWritable(bWritable)
{
}

bool CSPDEeprom::bReadByteData(uint8_t bCommand, uint8_t& bValue)
{
    bValue = m_Contents[bCommand];
    return true;
}

bool CSPDEeprom::bWriteByteData(uint8_t bCommand, uint8_t bValue)
{
    if (!m_bWritable)
        return false;
    m_Contents[bCommand] = bValue;
    return true;
}

namespace {

// One DRAM chip density of a DDR2 module built from x8 chips, eight to a rank.
struct DDR2Geometry {
    unsigned nRankMiB;
    uint8_t nRowBits, nColumnBits, nBanks;
    uint8_t bRankDensity;  // byte 31
};

constexpr DDR2Geometry DDR2_GEOMETRIES[] = {
    {256, 13, 10, 4, 0x40},
    {512, 14, 10, 4, 0x80},
    {1024, 14, 10, 8, 0x01},
    {2048, 15, 10, 8, 0x02},
};

// One speed grade: data rate, cycle time at the highest CAS latency and at the two below it
// (SPD encoding: ns in the high nibble, tenths in the low one; 0x3D = 3.75 ns), the CAS
// latencies supported (byte 18) and tRP = tRCD in quarter ns.
struct DDR2Grade {
    unsigned nMTs;
    uint8_t bCycle, bCycleMinus1, bCycleMinus2;
    uint8_t bCasLatencies;
    uint8_t bTrp;
};

constexpr DDR2Grade DDR2_GRADES[] = {
    {400, 0x50, 0x50, 0x00, 0x18, 0x3C},
    {533, 0x3D, 0x50, 0x00, 0x18, 0x3C},
    {667, 0x30, 0x3D, 0x50, 0x38, 0x3C},
    {800, 0x25, 0x30, 0x3D, 0x70, 0x32},
};

}  // namespace

bool bMakeDDR2SPD(unsigned nMiB, unsigned nMTs, unsigned nRanks, const std::string& strPartNumber,
                  std::array<uint8_t, 256>& contents)
{
    if (nRanks < 1 || nRanks > 2 || nMiB % nRanks)
        return false;
    const DDR2Geometry* pGeometry = nullptr;
    for (const DDR2Geometry& geometry : DDR2_GEOMETRIES)
        if (geometry.nRankMiB == nMiB / nRanks)
            pGeometry = &geometry;
    const DDR2Grade* pGrade = nullptr;
    for (const DDR2Grade& grade : DDR2_GRADES)
        if (grade.nMTs == nMTs)
            pGrade = &grade;
    if (!pGeometry || !pGrade)
        return false;

    contents.fill(0x00);
    uint8_t* b = contents.data();
    b[0] = 0x80;  // bytes written by the module maker
    b[1] = 0x08;  // 256 bytes in the EEPROM
    b[2] = 0x08;  // DDR2 SDRAM
    b[3] = pGeometry->nRowBits;
    b[4] = pGeometry->nColumnBits;
    b[5] = uint8_t(0x60 | (nRanks - 1));  // 30 mm module height, ranks - 1
    b[6] = 64;                            // data width
    b[8] = 0x05;                          // SSTL 1.8 V
    b[9] = pGrade->bCycle;
    b[10] = 0x40;  // access time from clock 0.40 ns
    b[11] = 0x00;  // no ECC
    b[12] = 0x82;  // 7.8 us refresh, self refresh
    b[13] = 0x08;  // x8 chips
    b[16] = 0x0C;  // burst lengths 4 and 8
    b[17] = pGeometry->nBanks;
    b[18] = pGrade->bCasLatencies;
    b[20] = 0x02;  // unbuffered DIMM
    b[22] = 0x03;  // weak driver, 50 ohm ODT
    b[23] = pGrade->bCycleMinus1;
    b[24] = 0x45;
    b[25] = pGrade->bCycleMinus2;
    b[26] = pGrade->bCycleMinus2 ? 0x50 : 0x00;
    b[27] = pGrade->bTrp;  // tRP
    b[28] = 0x1E;          // tRRD 7.5 ns
    b[29] = pGrade->bTrp;  // tRCD
    b[30] = 0x2D;          // tRAS 45 ns
    b[31] = pGeometry->bRankDensity;
    b[32] = 0x17;  // address and command setup, hold; data setup, hold
    b[33] = 0x25;
    b[34] = 0x05;
    b[35] = 0x12;
    b[36] = 0x3C;  // tWR 15 ns
    b[37] = 0x1E;  // tWTR 7.5 ns
    b[38] = 0x1E;  // tRTP 7.5 ns
    b[41] = 0x39;                                        // tRC 57 ns
    b[42] = pGeometry->nRankMiB >= 1024 ? 0x7F : 0x69;  // tRFC 127.5 / 105 ns
    b[43] = 0x80;                                        // tCK max 8 ns
    b[44] = 0x14;                                        // tDQSQ 0.20 ns
    b[45] = 0x1E;                                        // tQHS 0.30 ns
    b[62] = 0x12;                                        // SPD revision 1.2
    unsigned nSum = 0;
    for (unsigned i = 0; i < 63; ++i)
        nSum += b[i];
    b[63] = uint8_t(nSum);
    b[64] = 0xCE;  // JEDEC manufacturer code (bank 1)
    b[72] = 0x01;  // manufacturing location
    for (unsigned i = 0; i < 18; ++i)
        b[73 + i] = i < strPartNumber.size() ? uint8_t(strPartNumber[i]) : uint8_t(' ');
    b[93] = 0x07;  // year
    b[94] = 0x12;  // week
    b[95] = 0x13;  // serial number
    b[96] = 0x57;
    b[97] = 0x9B;
    b[98] = 0xDF;
    // The customer area was never written.
    std::fill(contents.begin() + 128, contents.end(), uint8_t(0xFF));
    return true;
}

}  // namespace sim
