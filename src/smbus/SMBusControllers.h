// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Every SMBus controller class the discovery can create, and the shape of the table that says
// which south bridge gets which (the rows are in SMBusDetection.cpp): per row the vendor, the
// devices with the names of their controllers, the class and what it can do, the steps that
// switch the host interface on, and where its register block lies.
#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

#include "smbus/ALiSMBus.h"
#include "smbus/AMDSMBus.h"
#include "smbus/Intel5000XSMBus.h"
#include "smbus/IntelSMBus.h"
#include "smbus/SMBusIOSpace.h"
#include "smbus/SiSSMBus.h"
#include "smbus/ViaAtiSMBus.h"
#include "smbus/nVidiaSMBus.h"

class CPCIDevice;
class CPCIInterface;

namespace smbus {

// The configuration access of the PCI function being detected.
struct CDetection {
    CPCIInterface* pPCI;
    CPCIDevice* pDevice;
    uint8_t bBaseRegister;  // where the I/O base is read; a step may choose another

    // The dword at dwOffset (at an unaligned offset, the bytes from there on).
    uint32_t dwRead(uint32_t dwOffset) const;
    void vWrite(uint32_t dwOffset, uint32_t dwValue) const;
    // Whether any of dwBits is set in the register at bOffset.
    bool bAny(uint8_t bOffset, uint32_t dwBits) const;
    // Sets and clears bits of the register at bOffset: a 32-bit read-modify-write of the
    // aligned dword that holds it.
    void vSet(uint8_t bOffset, uint32_t dwSet, uint32_t dwClear = 0) const;
    // A base register masked; a read that failed (all ones) counts as no base at all.
    uint32_t dwBase(uint8_t bOffset, uint32_t dwMask) const;
};

// The steps that switch a controller's host interface on; false means the detection fails.
using PFN_ENABLE = bool (*)(CDetection& d);
using PFN_CREATE = CSMBusIOSpace* (*)(uint16_t wBase);

// What a base register of zero means for the row.
enum class EZeroBase : uint8_t {
    Fail,  // end the detection without a controller
    Next,  // go on with the next device
};

// One device of a row, with the name its controller goes by, as the kernel names its adapters.
struct ControllerDevice {
    uint16_t wDeviceID;
    const char* pszName;
};

struct ControllerRow {
    uint16_t wVendorID;
    std::initializer_list<ControllerDevice> Devices;
    PFN_CREATE pfnCreate = nullptr;  // null: the south bridge has no controller the kit drives
    uint32_t dwFunctions = 0;        // what the controller can do (SMBUS_FUNC_...)
    PFN_ENABLE pfnEnable = nullptr;  // null: nothing to switch on
    uint8_t bBaseRegister = 0;       // configuration offset of the I/O base (a step may choose another)
    uint8_t bSecondBaseRegister = 0; // non-zero: a second controller from this register
    uint32_t dwBaseMask = 0;
    uint32_t dwBaseOffset = 0;  // added to the masked base
    EZeroBase eZeroBase = EZeroBase::Fail;
};

// The table, in the order it is searched.
std::span<const ControllerRow> ControllerRows();
// A controller of the board as the table knows it: its row and device.
struct BoardController {
    const ControllerRow* pRow;
    const ControllerDevice* pDevice;
};
// The controllers the kit would drive among the board's PCI functions, in the table's order.
// Configuration reads only: a command can check them before the kit is built.
std::vector<BoardController> BoardControllers(CPCIInterface& pci);
// The row and device of a vendor and device id; null when none has it.
const ControllerRow* pFindControllerRow(uint16_t wVendorID, uint16_t wDeviceID,
                                        const ControllerDevice** ppDevice = nullptr);

}  // namespace smbus
