// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The memory readers: one per chipset family, each filling a CMemoryInfo from the memory
// controller's registers (and, where the family needs it, refining the bridge's model and
// stepping names). The identification finds the reader by vendor and device id.
#include <cstdint>

class CNorthBridge;
class CMemoryInfo;

using PFN_MEMORY_READER = void (*)(CNorthBridge& bridge, CMemoryInfo& info);

namespace chipset {

// Null when the bridge's family has no reader.
PFN_MEMORY_READER pFindMemoryReader(uint16_t wVendorID, uint16_t wDeviceID);

// nForce 680i SLI, 650i Ultra and 650i SLI SPPs (0x03A1 to 0x03A3).
void vReadNForce6xxMemory(CNorthBridge& bridge, CMemoryInfo& info);
// nForce4 SLI Intel Edition (0x0070, 0x0071).
void vReadNForce4IntelMemory(CNorthBridge& bridge, CMemoryInfo& info);
// i865/i875 (0x2570, 0x2578), through device 6 (made visible beforehand).
void vReadI865Memory(CNorthBridge& bridge, CMemoryInfo& info);
// i945/i955/i975 (0x2770, 0x2774, 0x277C, 0x27A0).
void vReadI945Memory(CNorthBridge& bridge, CMemoryInfo& info);
// i946/i965 (0x2970, 0x2980, 0x2990, 0x29A0).
void vReadI965Memory(CNorthBridge& bridge, CMemoryInfo& info);
// Intel 5000 series FB-DIMM memory controller hubs (0x25C0, 0x25D0, 0x25D4, 0x25D8).
void vReadI5000Memory(CNorthBridge& bridge, CMemoryInfo& info);

// What the K8 readers need to know of processor 0.
struct K8Processor {
    float fMultiplier = -1.0f;  // GetCoreMultiplier(0)
    unsigned nModel = 0;        // extended model x 16 + model
    unsigned nRevision = 0;     // the K8 family's revision number
    float fBusClock = -1.0f;    // MHz
};
// False when the CPU interface has no processor 0.
bool bFindK8Processor(K8Processor& processor);
// The DRAM controller function of the K8 (0x1102): chooses the reader by processor 0's
// model and does nothing without a processor.
void vReadK8Memory(CNorthBridge& bridge, CMemoryInfo& info);
void vReadK8RevFMemory(CNorthBridge& bridge, CMemoryInfo& info, const K8Processor& processor);
void vReadK8OldMemory(CNorthBridge& bridge, CMemoryInfo& info, const K8Processor& processor);

}  // namespace chipset
