// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The structures that describe the machine as a whole: BIOS (type 0), system (1), base board
// (2), system enclosure (3) and processor (4).
#include "discovery/DMIStructure.h"

class CDMI_Bios : public CDMIStructure {
public:
    explicit CDMI_Bios(const dmi::CDMIRawStructure& structure);
    void Dump(FILE* pFile) override;

    char m_szVendor[DMI_STRING_BYTES] = {};
    char m_szVersion[DMI_STRING_BYTES] = {};
    char m_szDate[DMI_STRING_BYTES] = {};
};

class CDMI_System : public CDMIStructure {
public:
    explicit CDMI_System(const dmi::CDMIRawStructure& structure);
    void Dump(FILE* pFile) override;

    char m_szManufacturer[DMI_STRING_BYTES] = {};
    char m_szProduct[DMI_STRING_BYTES] = {};
    char m_szVersion[DMI_STRING_BYTES] = {};
    char m_szSerial[DMI_STRING_BYTES] = {};
    uint8_t m_abUUID[16];
    bool m_bUUID = false;  // the structure is long enough to carry one
};

class CDMI_Baseboard : public CDMIStructure {
public:
    explicit CDMI_Baseboard(const dmi::CDMIRawStructure& structure);
    void Dump(FILE* pFile) override;

    char m_szManufacturer[DMI_STRING_BYTES] = {};
    char m_szModel[DMI_STRING_BYTES] = {};
    char m_szRevision[DMI_STRING_BYTES] = {};
    char m_szSerial[DMI_STRING_BYTES] = {};
};

class CDMI_SystemEnclosure : public CDMIStructure {
public:
    explicit CDMI_SystemEnclosure(const dmi::CDMIRawStructure& structure);
    void Dump(FILE* pFile) override;

    char m_szManufacturer[DMI_STRING_BYTES] = {};
    uint32_t m_dwChassisType = 0xFFFFFFFF;  // without the lock bit
    char m_szSerial[DMI_STRING_BYTES] = {};
};

class CDMI_Processor : public CDMIStructure {
public:
    explicit CDMI_Processor(const dmi::CDMIRawStructure& structure);
    void Dump(FILE* pFile) override;

    char m_szSocket[DMI_STRING_BYTES] = {};
    char m_szManufacturer[DMI_STRING_BYTES] = {};
    char m_szModel[DMI_STRING_BYTES] = {};
    float m_fClock = -1;     // current speed, MHz
    float m_fFSB = -1;       // external clock, MHz
    float m_fMaxClock = -1;  // maximum speed, MHz
};
