// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The structures that describe the memory: memory controller (type 5) and modules (6) of
// older boards, physical memory array (16) and memory devices (17).
#include "discovery/DMIStructure.h"

class CDMI_MemoryController : public CDMIStructure {
public:
    explicit CDMI_MemoryController(const dmi::CDMIRawStructure& structure);
    void Dump(FILE* pFile) override;

    uint32_t m_dwCorrection = 0xFFFFFFFF;  // error correcting capability bits
    int32_t m_nMaxModuleSize = -1;         // MB
};

class CDMI_MemoryModule : public CDMIStructure {
public:
    explicit CDMI_MemoryModule(const dmi::CDMIRawStructure& structure);
    void Dump(FILE* pFile) override;

    char m_szSocket[DMI_STRING_BYTES] = {};
    int32_t m_nSize = -1;  // MB; stays -1 when no module is installed or its size is not known
    uint32_t m_bDoubleBank = 0;
};

class CDMI_PhysicalMemoryArray : public CDMIStructure {
public:
    explicit CDMI_PhysicalMemoryArray(const dmi::CDMIRawStructure& structure);
    void Dump(FILE* pFile) override;

    uint32_t m_dwLocation = 0xFFFFFFFF;
    uint32_t m_dwUse = 0xFFFFFFFF;
    int32_t m_nMaxCapacity = -1;  // MB
    int32_t m_nDevices = -1;
};

class CDMI_MemoryDevice : public CDMIStructure {
public:
    explicit CDMI_MemoryDevice(const dmi::CDMIRawStructure& structure);
    void Dump(FILE* pFile) override;

    char m_szLocator[DMI_STRING_BYTES] = {};
    char m_szBank[DMI_STRING_BYTES] = {};
    char m_szManufacturer[DMI_STRING_BYTES] = {};
    char m_szSerial[DMI_STRING_BYTES] = {};
    char m_szPart[DMI_STRING_BYTES] = {};
    uint32_t m_dwFormFactor = 0xFFFFFFFF;
    int32_t m_nTotalWidth = -1;  // bits
    int32_t m_nDataWidth = -1;   // bits
    int32_t m_nSize = -1;        // MB; 0 for an empty slot
    int32_t m_nSpeed = -1;       // MHz
    uint32_t m_dwMemoryType = 0xFFFFFFFF;
};
