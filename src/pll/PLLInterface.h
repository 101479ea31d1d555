// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The clock generator interface of the kit (type 17): finds the clock chip at start (a PLL
// inside an nVidia chipset by its PCI id, else whatever answers at SMBus address 0x69), owns
// the driver of the selected model and the interface lock "Access_PLL.Method". Callers hold
// the kit lock and the interface lock around SelectPLL, reads and applies.
#include <cstdint>

#include "pll/FrequencySet.h"
#include "smbus/ICInterface.h"

class CClockGenerator;
class CPCIInterface;

inline constexpr const char* PLL_INTERFACE_MUTEX = "Access_PLL.Method";
inline constexpr uint8_t PLL_SMBUS_ADDRESS = 0x69;

class CPLLInterface : public CICInterface {
public:
    CPLLInterface();
    ~CPLLInterface() override;

    // A chipset PLL when the machine has one (the driver is then selected), else the command
    // set bound to the device at 0x69 (no driver until a model is named). 0 when neither.
    uint32_t Init() override;
    uint8_t* GetDump() override;
    uint32_t GetDumpSize() override;
    // Writes the image (fewer than 256 bytes; more writes nothing), waits, and reads the chip
    // back into m_Current. 0 when the read-back or the write failed.
    uint32_t bWriteDump(const uint8_t* pBytes, uint32_t dwCount) override;

    // Destroys the present driver and makes the one of the id (null for an id in neither
    // table: no driver is then selected).
    CClockGenerator* SelectPLL(uint32_t dwPLLID);

    CClockGenerator* m_pPLL;  // owned
    CFrequencySet m_Requested;
};

// The PLL id of the nVidia chipset PLL among the scanned PCI functions (the first chipset of
// the list found), 0 when the machine has none.
uint32_t dwFindChipsetPLL(CPCIInterface& pci);
