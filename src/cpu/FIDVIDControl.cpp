// SPDX-License-Identifier: GPL-2.0-or-later
#include "cpu/FIDVIDControl.h"

#include "cpu/MSRRegister.h"

FIDVID_Control::FIDVID_Control(uint32_t dwStatusMSR, uint32_t dwControlMSR)
    : m_pStatusMSR(new MSR_Register(dwStatusMSR)), m_pControlMSR(new MSR_Register(dwControlMSR))
{
}

FIDVID_Control::~FIDVID_Control()
{
    delete m_pStatusMSR;
    delete m_pControlMSR;
}

float FIDVID_Control::GetCurrentMultiplier() { return m_nCurrentFID == -1 ? -1.0f : FIDToMultiplier(m_nCurrentFID); }

float FIDVID_Control::GetMinMultiplier() { return m_nMinFID == -1 ? -1.0f : FIDToMultiplier(m_nMinFID); }

float FIDVID_Control::GetMaxMultiplier() { return m_nMaxFID == -1 ? -1.0f : FIDToMultiplier(m_nMaxFID); }

float FIDVID_Control::GetMinVoltage() { return m_nMinVID == -1 ? -1.0f : VIDToVoltage(m_nMinVID); }

float FIDVID_Control::GetMaxVoltage() { return m_nMaxVID == -1 ? -1.0f : VIDToVoltage(m_nMaxVID); }
