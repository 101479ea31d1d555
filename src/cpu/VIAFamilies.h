// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The VIA family object (level 2) of the C7, and the model tables of VIA processors.
#include "cpu/CPUInfos.h"

class VIA_C7_Infos : public CCPUInfos {
public:
    VIA_C7_Infos() : CCPUInfos(CPU_CODE_VIA_C7, 2) {}
    void Identify(CCPUThread& thread) override;
    void Classify(CCPUThread& thread) override;
    // The current multiplier the processor reports in its Centaur leaf 0xC0000002.
    float GetMultiplier(CCPUThread& thread) override;
    void Dump() override;
};

// The WinChip and C3 processors, which have no family object.
bool bNameVIA(CCPUThread& thread);
bool bNameVIAC7(CCPUThread& thread);
