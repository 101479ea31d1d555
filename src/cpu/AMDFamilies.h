// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The AMD family objects (level 2): K6, K7 (Athlon, Duron, Athlon XP) and K8 (Athlon 64,
// Opteron, Sempron, Turion and their successors that report the same extended family).
#include <cstdint>

#include "cpu/CPUInfos.h"

class AMD_K6_Infos : public CCPUInfos {
public:
    AMD_K6_Infos() : CCPUInfos(CPU_CODE_AMD_K6, 2) {}
    // The K6's counters are calibrated against the performance timer, not the PM timer.
    void Identify(CCPUThread& thread) override;
    void Classify(CCPUThread& thread) override;
    float GetMultiplier(CCPUThread& thread) override;
    void Dump() override;
};

class AMD_K7_Infos : public CCPUInfos {
public:
    AMD_K7_Infos() : CCPUInfos(CPU_CODE_AMD_K7, 2) {}
    void Identify(CCPUThread& thread) override;
    void Classify(CCPUThread& thread) override;
    float GetMultiplier(CCPUThread& thread) override;
    void Dump() override;
};

class AMD_K8_Infos : public CCPUInfos {
public:
    AMD_K8_Infos() : CCPUInfos(CPU_CODE_AMD_K8, 2) {}
    void Identify(CCPUThread& thread) override;
    void Classify(CCPUThread& thread) override;
    float GetMultiplier(CCPUThread& thread) override;
    void Dump() override;
};

// Transfers per bus clock of a HyperTransport link whose frequency code (bits 8..11 of the
// link's frequency register) is given: the link is double-pumped and runs at a multiple of
// the 200 MHz reference clock. -1 for codes without a frequency.
int32_t nHyperTransportTransfers(uint32_t nFrequencyCode);

bool bNameAMDK6(CCPUThread& thread);
bool bNameAMDK7(CCPUThread& thread);
bool bNameAMDK8(CCPUThread& thread);
