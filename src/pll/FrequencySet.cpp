// SPDX-License-Identifier: GPL-2.0-or-later
// One set of clocks.
#include "pll/FrequencySet.h"

void CFrequencySet::Clear()
{
    m_fReserved = -1.0f;
    m_fFSB = -1.0f;
    m_fMEM = -1.0f;
    m_fGSB = -1.0f;
    m_fPCI = -1.0f;
}

bool CFrequencySet::bIsValid() const
{
    if (m_fFSB > 0) return true;
    if (m_fMEM > 0) return true;
    return m_nPreset != -1;
}

void CFrequencySet::Copy(const CFrequencySet& other)
{
    m_nPreset = other.m_nPreset;
    m_fReserved = other.m_fReserved;
    m_fFSB = other.m_fFSB;
    m_fMEM = other.m_fMEM;
    m_fGSB = other.m_fGSB;
    m_fPCI = other.m_fPCI;
}
