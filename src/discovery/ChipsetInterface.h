// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The chipset interface: names the north bridge(s) and the south bridge, reads the memory
// controller's settings into a CMemoryInfo and derives the memory clock from the bus clock.
// On the way it makes visible what firmware hid and the rest of the kit needs (the SMBus
// function of Intel and SiS south bridges, device 6 of the i865/i875), and hides it again
// when closed.
#include <cstdint>

#include "discovery/ChipsetBridges.h"
#include "discovery/MemoryInfo.h"
#include "kit/Interface.h"
#include "kit/TList.h"

class CChipsetInterface : public CInterface {
public:
    CChipsetInterface();
    ~CChipsetInterface() override;
    CChipsetInterface(const CChipsetInterface&) = delete;
    CChipsetInterface& operator=(const CChipsetInterface&) = delete;

    // The probing happens in Probe.
    uint32_t Init() override { return 1; }
    // Hides again what Probe made visible.
    void Close() override;

    // 0 when there is no PCI interface, else 1.
    uint32_t Probe();
    // Identifies every north bridge and reads the memory controller again, then recomputes
    // the memory clock.
    void Refresh();
    // The memory clock for a bus clock and a processor value (the multiplier, for memory
    // controllers inside the processor); -1 when unknown.
    float GetMemoryClock(float fBusClock, float fProcessorValue) const;

    CTList<CNorthBridge>* m_pNorthBridges;
    CNorthBridge* m_pNorthBridge;  // the one at 0:0.0, an element of the list
    CSouthBridge* m_pSouthBridge;  // owned; null when none was found
    CMemoryInfo* m_pMemoryInfo;    // owned

private:
    void IdentifySouthBridge();
    void IdentifyNorthBridge(CNorthBridge& bridge);
    // The bus clock and processor value the CPU interface supplies; -1 without one.
    void CurrentClocks(float& fBusClock, float& fProcessorValue) const;
};
