// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The register layout of the Intel ICH host controllers, which the VIA and ATI south bridges
// took over: status 0x00, control 0x02, command 0x03, address 0x04, data 0x05/0x06, block
// data 0x07. In all of them the command, address and data registers simply keep what is
// written until a transaction ends.
#include <cstdint>

namespace sim::intel_layout {

enum : unsigned {
    REG_STATUS = 0x00,
    REG_CONTROL = 0x02,
    REG_COMMAND = 0x03,
    REG_ADDRESS = 0x04,
    REG_DATA0 = 0x05,
    REG_DATA1 = 0x06,
    REG_BLOCK_DATA = 0x07,
};

struct CTransferRegisters {
    uint8_t bCommand = 0, bAddress = 0, bData0 = 0, bData1 = 0;

    // A write to the command, address or data registers; false for any other register.
    bool bWrite(unsigned nRegister, uint8_t bValue)
    {
        uint8_t* pb = pRegister(nRegister);
        if (pb) *pb = bValue;
        return pb != nullptr;
    }
    // A read of one of them; false for any other register.
    bool bRead(unsigned nRegister, uint8_t& bValue)
    {
        const uint8_t* pb = pRegister(nRegister);
        if (pb) bValue = *pb;
        return pb != nullptr;
    }

private:
    uint8_t* pRegister(unsigned nRegister)
    {
        switch (nRegister) {
        case REG_COMMAND: return &bCommand;
        case REG_ADDRESS: return &bAddress;
        case REG_DATA0: return &bData0;
        case REG_DATA1: return &bData1;
        default: return nullptr;
        }
    }
};

}  // namespace sim::intel_layout
