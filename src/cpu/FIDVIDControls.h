// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The frequency/voltage identifier readers of each processor family: where the status
// register lies, how its fields are laid out and how FIDs and VIDs become multipliers and
// volts. All conversions are made in single precision.
#include <cstdint>

#include "cpu/FIDVIDControl.h"

// AMD K7 (PowerNow!): FIDs through a table, VIDs in two linear ranges.
class K7_FIDVID_Control : public FIDVID_Control {
public:
    K7_FIDVID_Control();
    float FIDToMultiplier(int32_t nFID) override;
    float VIDToVoltage(int32_t nVID) override;
    uint32_t ReadStatus() override;
};

// AMD K8 (Cool'n'Quiet): the status is decoded only once no FID/VID change is pending.
class K8_FIDVID_Control : public FIDVID_Control {
public:
    // Status reads WaitIdle makes before it gives up: a change that stays pending longer is
    // taken as a failure rather than waited for without end.
    static constexpr uint32_t WAIT_IDLE_READS = 10000;

    K8_FIDVID_Control();
    // 4.0 + 0.5 x FID for FIDs 0 to 42; -1 otherwise. Also the rule for the start FID that
    // processors without a control report elsewhere.
    static float fFIDToMultiplier(int32_t nFID);
    float FIDToMultiplier(int32_t nFID) override { return fFIDToMultiplier(nFID); }
    float VIDToVoltage(int32_t nVID) override;
    uint32_t ReadStatus() override;
    // Reads the status until its change-pending bit (31) is clear; 0 when a read fails or
    // the change is still pending after WAIT_IDLE_READS reads.
    uint32_t WaitIdle() override;
};

// Intel Enhanced SpeedStep: the status register 0x198 holds the current FID and VID in its
// low half and the highest in its high half; the FID is the multiplier itself.
class SpeedStep_FIDVID_Control : public FIDVID_Control {
public:
    float FIDToMultiplier(int32_t nFID) override;
    uint32_t ReadStatus() override;

protected:
    // The lowest FID and VID the family allows (-1 when the register does not tell).
    SpeedStep_FIDVID_Control(int32_t nMinFID, int32_t nMinVID);

    int32_t m_nFamilyMinFID;
    int32_t m_nFamilyMinVID;
};

class Netburst_FIDVID_Control : public SpeedStep_FIDVID_Control {
public:
    Netburst_FIDVID_Control() : SpeedStep_FIDVID_Control(14, 26) {}
    float VIDToVoltage(int32_t nVID) override;
};

class Mobile_FIDVID_Control : public SpeedStep_FIDVID_Control {
public:
    Mobile_FIDVID_Control() : SpeedStep_FIDVID_Control(6, -1) {}
    float VIDToVoltage(int32_t nVID) override;
};

class Core_FIDVID_Control : public SpeedStep_FIDVID_Control {
public:
    Core_FIDVID_Control() : SpeedStep_FIDVID_Control(6, -1) {}
    float VIDToVoltage(int32_t nVID) override;
};
