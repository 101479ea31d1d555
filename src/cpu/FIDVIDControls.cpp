// SPDX-License-Identifier: GPL-2.0-or-later
#include "cpu/FIDVIDControls.h"

#include <iterator>

#include "cpu/MSRRegister.h"

namespace {

constexpr uint32_t MSR_AMD_FIDVID_CONTROL = 0xC0010041;
constexpr uint32_t MSR_AMD_FIDVID_STATUS = 0xC0010042;
constexpr uint32_t MSR_PERF_STATUS = 0x198;
constexpr uint32_t MSR_PERF_CONTROL = 0x199;

constexpr unsigned K8_CHANGE_PENDING = 31;

// The millivolt factor as single precision has it.
constexpr float VOLTS_PER_MILLIVOLT = 0.001f;

// K7 FID codes 0 to 31.
constexpr float s_afK7Multipliers[] = {
    11.0f, 11.5f, 12.0f, 12.5f, 5.0f,  5.5f,  6.0f,  6.5f,  7.0f,  7.5f,  8.0f,  8.5f,  9.0f,  9.5f,  10.0f, 10.5f,
    3.0f,  19.0f, 4.0f,  20.0f, 13.0f, 13.5f, 14.0f, 21.0f, 15.0f, 22.0f, 16.0f, 16.5f, 17.0f, 18.0f, 23.0f, 24.0f,
};

int32_t nField(const MSR_Register& msr, unsigned nFirst, unsigned nLast)
{
    return int32_t(msr.qwBits(nFirst, nLast));
}

}  // namespace

K7_FIDVID_Control::K7_FIDVID_Control() : FIDVID_Control(MSR_AMD_FIDVID_STATUS, MSR_AMD_FIDVID_CONTROL) {}

float K7_FIDVID_Control::FIDToMultiplier(int32_t nFID)
{
    if (nFID < 0 || size_t(nFID) >= std::size(s_afK7Multipliers)) return -1.0f;
    return s_afK7Multipliers[nFID];
}

float K7_FIDVID_Control::VIDToVoltage(int32_t nVID)
{
    if (nVID >= 0 && nVID <= 14) return 2.000f - 0.050f * float(nVID);
    if (nVID >= 16 && nVID <= 30) return 1.275f - 0.025f * float(nVID - 16);
    return -1.0f;
}

uint32_t K7_FIDVID_Control::ReadStatus()
{
    if (!m_pStatusMSR->Read()) return 0;
    const MSR_Register& status = *m_pStatusMSR;
    m_nCurrentFID = nField(status, 0, 4);
    m_nStartFID = nField(status, 8, 12);
    m_nMaxFID = nField(status, 16, 20);
    m_nCurrentVID = nField(status, 32, 36);
    m_nStartVID = nField(status, 40, 44);
    m_nMaxVID = nField(status, 48, 52);
    return 1;
}

K8_FIDVID_Control::K8_FIDVID_Control() : FIDVID_Control(MSR_AMD_FIDVID_STATUS, MSR_AMD_FIDVID_CONTROL) {}

float K8_FIDVID_Control::fFIDToMultiplier(int32_t nFID)
{
    if (nFID < 0 || nFID > 42) return -1.0f;
    return 4.0f + 0.5f * float(nFID);
}

float K8_FIDVID_Control::VIDToVoltage(int32_t nVID)
{
    if (nVID < 0 || nVID > 30) return -1.0f;
    return 1.550f - 0.025f * float(nVID);
}

uint32_t K8_FIDVID_Control::WaitIdle()
{
    for (uint32_t n = 0; n < WAIT_IDLE_READS; ++n) {
        if (!m_pStatusMSR->Read()) return 0;
        if (!m_pStatusMSR->qwBits(K8_CHANGE_PENDING, K8_CHANGE_PENDING)) return 1;
    }
    return 0;
}

uint32_t K8_FIDVID_Control::ReadStatus()
{
    // WaitIdle leaves the last status it read in the register: the one without a pending change.
    if (!WaitIdle()) return 0;
    const MSR_Register& status = *m_pStatusMSR;
    m_nCurrentFID = nField(status, 0, 5);
    m_nStartFID = nField(status, 8, 13);
    m_nMaxFID = nField(status, 16, 21);
    m_nCurrentVID = nField(status, 32, 36);
    m_nStartVID = nField(status, 40, 44);
    m_nMaxVID = nField(status, 48, 52);
    m_nMinVID = nField(status, 56, 60);
    return 1;
}

SpeedStep_FIDVID_Control::SpeedStep_FIDVID_Control(int32_t nMinFID, int32_t nMinVID)
    : FIDVID_Control(MSR_PERF_STATUS, MSR_PERF_CONTROL), m_nFamilyMinFID(nMinFID), m_nFamilyMinVID(nMinVID)
{
}

float SpeedStep_FIDVID_Control::FIDToMultiplier(int32_t nFID) { return nFID < 0 ? -1.0f : float(nFID); }

uint32_t SpeedStep_FIDVID_Control::ReadStatus()
{
    if (!m_pStatusMSR->Read()) return 0;
    const MSR_Register& status = *m_pStatusMSR;
    m_nCurrentFID = nField(status, 8, 15);
    m_nMaxFID = nField(status, 40, 47);
    m_nMinFID = m_nFamilyMinFID;
    m_nCurrentVID = nField(status, 0, 7);
    m_nMaxVID = nField(status, 32, 39);
    if (m_nFamilyMinVID != -1) m_nMinVID = m_nFamilyMinVID;
    return 1;
}

float Netburst_FIDVID_Control::VIDToVoltage(int32_t nVID)
{
    if (nVID < 0) return -1.0f;
    return float(nVID * 16 + 700) * VOLTS_PER_MILLIVOLT;
}

float Mobile_FIDVID_Control::VIDToVoltage(int32_t nVID)
{
    if (nVID < 0) return -1.0f;
    return float(nVID * 16 + 700) * VOLTS_PER_MILLIVOLT;
}

float Core_FIDVID_Control::VIDToVoltage(int32_t nVID)
{
    if (nVID < 0) return -1.0f;
    return (float(nVID) * 12.5f + 712.5f) * VOLTS_PER_MILLIVOLT;
}
