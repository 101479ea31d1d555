// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Frequency and voltage identifiers of processors that change multiplier and voltage at run
// time (PowerNow!, Cool'n'Quiet, Enhanced SpeedStep): read from the status MSR, translated
// into multipliers and volts. Nothing here writes the control MSR.
#include <cstdint>

class MSR_Register;
class CCPUThread;

class FIDVID_Control {
public:
    // The status and control registers are read through the thread's processor.
    FIDVID_Control(uint32_t dwStatusMSR, uint32_t dwControlMSR);
    virtual ~FIDVID_Control();
    FIDVID_Control(const FIDVID_Control&) = delete;
    FIDVID_Control& operator=(const FIDVID_Control&) = delete;

    virtual float FIDToMultiplier(int32_t) { return -1.0f; }
    virtual float VIDToVoltage(int32_t) { return -1.0f; }
    // Non-zero on success; a failed read leaves the fields as they were.
    virtual uint32_t ReadStatus() { return 0; }
    virtual uint32_t WaitIdle() { return 0; }

    float GetCurrentMultiplier();
    float GetMinMultiplier();
    float GetMaxMultiplier();
    float GetMinVoltage();
    float GetMaxVoltage();

    int32_t m_nCurrentFID = -1;
    int32_t m_nMinFID = -1;
    int32_t m_nMaxFID = -1;
    int32_t m_nStartFID = -1;
    int32_t m_nCurrentVID = -1;
    int32_t m_nMinVID = -1;
    int32_t m_nMaxVID = -1;
    int32_t m_nStartVID = -1;
    uint32_t m_bFIDControl = 0;
    uint32_t m_bVIDControl = 0;
    MSR_Register* m_pStatusMSR;   // owned
    MSR_Register* m_pControlMSR;  // owned, never written
    uint32_t m_dwReserved = 0;
};
