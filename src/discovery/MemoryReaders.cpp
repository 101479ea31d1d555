// SPDX-License-Identifier: GPL-2.0-or-later
#include "discovery/MemoryReaders.h"

#include "discovery/ChipsetBridges.h"

namespace chipset {

namespace {

struct MemoryReaderEntry {
    uint16_t wVendorID;
    uint16_t wDeviceID;
    PFN_MEMORY_READER pReader;
};

const MemoryReaderEntry s_Readers[] = {
    {0x10DE, 0x03A1, vReadNForce6xxMemory},
    {0x10DE, 0x03A2, vReadNForce6xxMemory},
    {0x10DE, 0x03A3, vReadNForce6xxMemory},
    {0x10DE, 0x0070, vReadNForce4IntelMemory},
    {0x10DE, 0x0071, vReadNForce4IntelMemory},
    {0x8086, 0x2570, vReadI865Memory},
    {0x8086, 0x2578, vReadI865Memory},
    {0x8086, 0x2770, vReadI945Memory},
    {0x8086, 0x2774, vReadI945Memory},
    {0x8086, 0x277C, vReadI945Memory},
    {0x8086, 0x27A0, vReadI945Memory},
    {0x8086, 0x2970, vReadI965Memory},
    {0x8086, 0x2980, vReadI965Memory},
    {0x8086, 0x2990, vReadI965Memory},
    {0x8086, 0x29A0, vReadI965Memory},
    {0x8086, 0x25C0, vReadI5000Memory},
    {0x8086, 0x25D0, vReadI5000Memory},
    {0x8086, 0x25D4, vReadI5000Memory},
    {0x8086, 0x25D8, vReadI5000Memory},
    {0x1022, 0x1102, vReadK8Memory},
};

}  // namespace

PFN_MEMORY_READER pFindMemoryReader(uint16_t wVendorID, uint16_t wDeviceID)
{
    for (const MemoryReaderEntry& entry : s_Readers)
        if (entry.wVendorID == wVendorID && entry.wDeviceID == wDeviceID) return entry.pReader;
    return nullptr;
}

}  // namespace chipset
