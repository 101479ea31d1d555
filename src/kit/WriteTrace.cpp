// SPDX-License-Identifier: GPL-2.0-or-later
#include "kit/WriteTrace.h"

#include <cinttypes>
#include <cstdio>

namespace kit {

namespace {

// SMBus transactions running on this thread.
thread_local unsigned t_nTransactionDepth = 0;

char cWidth(unsigned nWidth) { return nWidth == 1 ? 'b' : nWidth == 2 ? 'w' : 'l'; }

// The value with two digits a byte of the width.
int nValueDigits(unsigned nWidth) { return nWidth == 1 ? 2 : nWidth == 2 ? 4 : 8; }

}  // namespace

std::string strPortWriteLine(uint32_t dwPort, unsigned nWidth, uint32_t dwValue)
{
    char sz[64];
    std::snprintf(sz, sizeof sz, "write port 0x%04x.%c 0x%0*x", dwPort & 0xFFFF, cWidth(nWidth), nValueDigits(nWidth),
                  dwValue);
    return sz;
}

std::string strConfigWriteLine(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset,
                               unsigned nWidth, uint32_t dwValue)
{
    char sz[80];
    std::snprintf(sz, sizeof sz, "write pci %02x:%02x.%x 0x%02x.%c 0x%0*x", dwBus & 0xFF, dwDevice & 31,
                  dwFunction & 7, dwOffset, cWidth(nWidth), nValueDigits(nWidth), dwValue);
    return sz;
}

std::string strMemoryWriteLine(uint64_t qwAddress, uint32_t dwValue)
{
    char sz[64];
    std::snprintf(sz, sizeof sz, "write mem 0x%08" PRIx64 ".l 0x%08x", qwAddress, dwValue);
    return sz;
}

std::string strMSRWriteLine(uint32_t dwIndex, unsigned nCpu, uint64_t qwValue)
{
    char sz[80];
    std::snprintf(sz, sizeof sz, "write msr 0x%x cpu %u 0x%016" PRIx64, dwIndex, nCpu, qwValue);
    return sz;
}

std::string strSMBusController(uint32_t dwBase)
{
    char sz[16];
    std::snprintf(sz, sizeof sz, "0x%04x", dwBase & 0xFFFF);
    return sz;
}

namespace {

std::string strSMBusHead(const std::string& strController, uint8_t nAddress, uint8_t bCommand)
{
    char sz[48];
    std::snprintf(sz, sizeof sz, " 0x%02x cmd 0x%02x ", nAddress, bCommand);
    return "write smbus " + strController + sz;
}

}  // namespace

std::string strSMBusByteWriteLine(const std::string& strController, uint8_t nAddress, uint8_t bCommand, uint8_t bValue)
{
    char sz[16];
    std::snprintf(sz, sizeof sz, "byte 0x%02x", bValue);
    return strSMBusHead(strController, nAddress, bCommand) + sz;
}

std::string strSMBusWordWriteLine(const std::string& strController, uint8_t nAddress, uint8_t bCommand, uint8_t bData0,
                                  uint8_t bData1)
{
    char sz[24];
    std::snprintf(sz, sizeof sz, "word 0x%02x 0x%02x", bData0, bData1);
    return strSMBusHead(strController, nAddress, bCommand) + sz;
}

std::string strSMBusBlockWriteLine(const std::string& strController, uint8_t nAddress, uint8_t bCommand,
                                   const uint8_t* pData, int32_t nCount)
{
    char sz[24];
    std::snprintf(sz, sizeof sz, "block %d:", nCount);
    std::string strLine = strSMBusHead(strController, nAddress, bCommand) + sz;
    for (int32_t i = 0; pData && i < nCount; ++i) {
        std::snprintf(sz, sizeof sz, " %02x", pData[i]);
        strLine += sz;
    }
    return strLine;
}

bool bInTransaction() { return t_nTransactionDepth != 0; }

void vTraceWrite(const std::string& strLine, bool bOk)
{
    DebugTrace("%s%s\n", strLine.c_str(), bOk ? "" : " failed");
}

CTransactionWrites::CTransactionWrites() : m_bCounted(bTraceEnabled())
{
    if (m_bCounted) ++t_nTransactionDepth;
}

CTransactionWrites::~CTransactionWrites()
{
    if (m_bCounted) --t_nTransactionDepth;
}

}  // namespace kit
