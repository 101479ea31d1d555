// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The structures that describe what can be plugged into the board: port connectors (type 8)
// and expansion slots (9).
#include "discovery/DMIStructure.h"

class CDMI_PortConnector : public CDMIStructure {
public:
    explicit CDMI_PortConnector(const dmi::CDMIRawStructure& structure);
    void Dump(FILE* pFile) override;

    char m_szInternal[DMI_STRING_BYTES] = {};
    char m_szExternal[DMI_STRING_BYTES] = {};
    uint32_t m_dwInternalType = 0xFFFFFFFF;
    uint32_t m_dwExternalType = 0xFFFFFFFF;
    uint32_t m_dwPortType = 0xFFFFFFFF;
};

class CDMI_ExtensionSlot : public CDMIStructure {
public:
    explicit CDMI_ExtensionSlot(const dmi::CDMIRawStructure& structure);
    void Dump(FILE* pFile) override;

    char m_szDesignation[DMI_STRING_BYTES] = {};
    uint32_t m_dwSlotType = 0xFFFFFFFF;
    int32_t m_nWidth = -1;  // bits; serial slots give lanes, not bits, and leave it unfilled
    uint32_t m_dwUsage = 0xFFFFFFFF;
};
