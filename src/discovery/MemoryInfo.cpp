// SPDX-License-Identifier: GPL-2.0-or-later
#include "discovery/MemoryInfo.h"

#include <algorithm>
#include <iterator>

#include <cstdio>

CMemoryInfo::CMemoryInfo() { Reset(); }

CMemoryInfo::~CMemoryInfo() {}

void CMemoryInfo::Reset()
{
    m_nMemoryType = -1;
    m_nReserved1 = -1;
    m_fRatio = -1.0f;
    m_fOffset = -1.0f;
    m_nDivider = -1;
    m_fCAS = -1.0f;
    for (int32_t& nTiming : m_nTiming) nTiming = -1;
    m_fMemoryClock = -1.0f;
    m_nReserved2 = -1;
    m_nReserved3 = -1;
    m_nChannels = -1;
    m_szECC[0] = '\0';  // unknown until a reader tells
    m_szRatio[0] = '\0';
    m_bECCEnabled = 0;
    m_nReserved4 = -1;
    m_pData.reset();
    m_fNominal = -1.0f;
    m_bFixedClock = 0;
}

void CMemoryInfo::CopyFrom(const CMemoryInfo& other)
{
    if (&other == this) return;
    m_nMemoryType = other.m_nMemoryType;
    m_nReserved1 = other.m_nReserved1;
    m_fRatio = other.m_fRatio;
    m_fOffset = other.m_fOffset;
    m_nDivider = other.m_nDivider;
    m_fCAS = other.m_fCAS;
    std::copy(std::begin(other.m_nTiming), std::end(other.m_nTiming), std::begin(m_nTiming));
    m_fMemoryClock = other.m_fMemoryClock;
    m_nReserved2 = other.m_nReserved2;
    m_nReserved3 = other.m_nReserved3;
    m_nChannels = other.m_nChannels;
    std::snprintf(m_szECC, sizeof m_szECC, "%s", other.m_szECC);
    std::snprintf(m_szRatio, sizeof m_szRatio, "%s", other.m_szRatio);
    m_bECCEnabled = other.m_bECCEnabled;
    m_nReserved4 = other.m_nReserved4;
    m_pData.reset();
    m_fNominal = other.m_fNominal;
    m_bFixedClock = other.m_bFixedClock;
}

void CMemoryInfo::SetRatio(float fRatio, const char* pszRatio)
{
    m_fRatio = fRatio;
    std::snprintf(m_szRatio, sizeof m_szRatio, "%s", pszRatio);
}

float CMemoryInfo::GetMemoryClock(float fBusClock, float fProcessorValue) const
{
    if (m_bFixedClock) return m_fMemoryClock;
    if (!(fBusClock > 0.0f)) return -1.0f;
    if (m_fRatio > 0.0f) return fBusClock * m_fRatio;
    if (m_fOffset > 0.0f) return fBusClock + m_fOffset;
    // The processor's multiplier must be known too: without it the product would be a
    // negative number posing as a clock.
    if (m_nDivider != -1 && m_nDivider > 0 && fProcessorValue > 0.0f)
        return fBusClock * fProcessorValue / float(m_nDivider);
    return -1.0f;
}

const char* CMemoryInfo::pszTypeName(int32_t nType)
{
    switch (nType) {
    case 6: return "DDR";
    case 7: return "DDR2";
    case 8: return "FB-DIMM";
    default: return nullptr;
    }
}
