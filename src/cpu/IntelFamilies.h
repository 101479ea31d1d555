// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Intel family objects (level 2): what each family adds to the identification, how its
// processors tell their current multiplier, and the names of their models.
#include "cpu/CPUInfos.h"

class Intel_P5_Infos : public CCPUInfos {
public:
    Intel_P5_Infos() : CCPUInfos(CPU_CODE_INTEL_P5, 2) {}
    void Identify(CCPUThread& thread) override;
    void Classify(CCPUThread& thread) override;
    void Dump() override;
};

class Intel_P6_Infos : public CCPUInfos {
public:
    Intel_P6_Infos() : CCPUInfos(CPU_CODE_INTEL_P6, 2) {}
    void Identify(CCPUThread& thread) override;
    void Classify(CCPUThread& thread) override;
    // The ratio code of MSR 0x2A through the ratio table of the model.
    float GetMultiplier(CCPUThread& thread) override;
    void Dump() override;
};

class Intel_Netburst_Infos : public CCPUInfos {
public:
    Intel_Netburst_Infos() : CCPUInfos(CPU_CODE_INTEL_NETBURST, 2) {}
    void Identify(CCPUThread& thread) override;
    void Classify(CCPUThread& thread) override;
    float GetMultiplier(CCPUThread& thread) override;
    void Dump() override;
};

class Intel_Mobile_Infos : public CCPUInfos {
public:
    Intel_Mobile_Infos() : CCPUInfos(CPU_CODE_INTEL_MOBILE, 2) {}
    void Identify(CCPUThread& thread) override;
    void Classify(CCPUThread& thread) override;
    float GetMultiplier(CCPUThread& thread) override;
    void Dump() override;
};

class Intel_Core_Infos : public CCPUInfos {
public:
    Intel_Core_Infos() : CCPUInfos(CPU_CODE_INTEL_CORE, 2) {}
    void Identify(CCPUThread& thread) override;
    void Classify(CCPUThread& thread) override;
    float GetMultiplier(CCPUThread& thread) override;
    void Dump() override;
};

class Intel_Core_2_Infos : public CCPUInfos {
public:
    Intel_Core_2_Infos() : CCPUInfos(CPU_CODE_INTEL_CORE_2, 2) {}
    // Also gives the thread its APERF counter (MSR 0xE8) when the processor has one.
    void Identify(CCPUThread& thread) override;
    void Classify(CCPUThread& thread) override;
    float GetMultiplier(CCPUThread& thread) override;
    void Dump() override;
};

// The model tables of the Intel families; each names the thread from its table and returns
// false when no row matches.
bool bNameIntelP5(CCPUThread& thread);
bool bNameIntelP6(CCPUThread& thread);
bool bNameIntelNetburst(CCPUThread& thread);
bool bNameIntelMobile(CCPUThread& thread);
bool bNameIntelCore(CCPUThread& thread);
bool bNameIntelCore2(CCPUThread& thread);
