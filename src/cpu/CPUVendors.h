// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The level-1 objects: one per processor vendor. Each reads what all processors of its vendor
// offer and picks the family object (level 2) that knows the rest.
#include "cpu/CPUInfos.h"

class Intel_CPU_Infos : public CCPUInfos {
public:
    Intel_CPU_Infos() : CCPUInfos(CPU_CODE_INTEL, 1) {}
    // Deterministic caches (leaf 4) and the core count, the thermal sensor flag, Enhanced
    // SpeedStep and, from family 6 on, the microcode revision.
    void Identify(CCPUThread& thread) override;
    void Classify(CCPUThread& thread) override;
    void Dump() override;
};

class AMD_CPU_Infos : public CCPUInfos {
public:
    AMD_CPU_Infos() : CCPUInfos(CPU_CODE_AMD, 1) {}
    // The core count of family 15 processors (leaf 0x80000008).
    void Identify(CCPUThread& thread) override;
    // By the family of leaf 0x80000001.
    void Classify(CCPUThread& thread) override;
    void Dump() override;
};

class VIA_CPU_Infos : public CCPUInfos {
public:
    VIA_CPU_Infos() : CCPUInfos(CPU_CODE_VIA, 1) {}
    void Classify(CCPUThread& thread) override;
    // The WinChip and C3 processors, which have no family object, by family and model.
    float GetMultiplier(CCPUThread& thread) override;
    void Dump() override;
};

class Transmeta_CPU_Infos : public CCPUInfos {
public:
    Transmeta_CPU_Infos() : CCPUInfos(CPU_CODE_TRANSMETA, 1) {}
    void Dump() override;
};
