// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The DMI interface: finds the firmware's SMBIOS structure table in physical memory and keeps
// one object per structure of a known type, each able to write its report.
#include <cstdint>
#include <cstdio>

#include "discovery/DMIStructure.h"
#include "discovery/DMITable.h"
#include "kit/Interface.h"
#include "kit/TList.h"

class CDeviceDriver;

class CDMIInterface : public CInterface {
public:
    CDMIInterface();
    ~CDMIInterface() override;
    CDMIInterface(const CDMIInterface&) = delete;
    CDMIInterface& operator=(const CDMIInterface&) = delete;

    uint32_t Init() override { return 1; }
    void Close() override {}
    void Scan() override {}

    // Finds the entry point, reads the table and walks it through the kit's driver. Non-zero
    // when a table was found and read.
    uint32_t Probe();
    uint32_t Probe(CDeviceDriver& driver);
    // Walks nLength bytes of a table that is already in memory (at most DMI_TABLE_BYTES are
    // taken); the structures found are added to the list.
    dmi::DMIWalkResult LoadTable(const uint8_t* pBytes, uint32_t nLength);
    // Writes every structure's report to the stream, in table order.
    void Dump(FILE* pFile);

    CTList<CDMIStructure>* m_pStructures;
    uint8_t* m_pTable;              // DMI_TABLE_BYTES
    dmi::DMIEntryPoint* m_pEntry;   // the entry point that was found
    uint32_t m_dwEntryAddress = 0;  // where it was found, 0 when none was
    dmi::DMIWalkResult m_Walk;

private:
    // A second probe or load replaces what the first one found.
    void vClearStructures();
};
