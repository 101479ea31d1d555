// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The board's SMBus host controllers as a board file describes them ("smbus" section, see
// boards/README.md): each controller with its own bus, channels, multiplexer select line and
// devices.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sim/SMBusTargets.h"

namespace sim {

struct SMBusDeviceConfig {
    unsigned nChannel = 0;
    uint8_t nAddress = 0;
    enum class Kind : uint8_t { SPD, Registers, Clock } eKind = Kind::Registers;
    std::string strModel;              // clock: the chip model (sim/ClockChip.h)
    std::array<uint8_t, 256> Bytes{};  // SPD contents or initial registers
    bool bWritable = false;            // SPD: write protection off
    uint8_t nBlockCount = 32;          // registers: the count a block read reports
    SMBusFault eFault = SMBusFault::None;
};

struct SMBusControllerConfig {
    std::string strType;  // a host kind of SMBusHostKinds()
    uint16_t wBase = 0;   // first I/O port of the register block
    // The PCI function the controller is (its command register's I/O enable and the base
    // register at nBarOffset decide whether the ports answer); absent for a controller
    // without one.
    bool bHasFunction = false;
    uint8_t nBus = 0, nDevice = 0, nFunction = 0;
    uint8_t nBarOffset = 0x20;
    std::map<std::string, uint64_t> Options;  // kind-specific numbers ("options" in the file)
    unsigned nChannels = 1;
    // The multiplexer's select line: bit nMuxBit of the byte at I/O port wMuxPort (as the
    // board's port handlers answer it) names the channel. 0: no multiplexer.
    uint16_t wMuxPort = 0;
    uint8_t nMuxBit = 0;
    std::vector<SMBusDeviceConfig> Devices;
};

}  // namespace sim
