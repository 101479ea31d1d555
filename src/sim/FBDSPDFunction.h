// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The SPD controllers of an Intel 5000 series FB-DIMM branch device (the functions
// 8086:25F5 and 25F6), each reaching the SPD EEPROMs of one FB-DIMM channel through
// configuration registers: the 16-bit status/data registers at 0x74 (channel 0) and 0x76
// (channel 1): bit 12 busy, bit 13 error, bit 14 write done, bit 15 read data valid, bits
// 0..7 the byte read; and the 32-bit command registers at 0x78 and 0x7C: device type in bits
// 28..31 (0xA for an EEPROM), bit 27 the clock release, slot in bits 24..26, byte address
// in bits 16..23, data in bits 8..15, bit 0 write. Writing bit 27 from 0 to 1 while the
// controller is idle starts the command on the channel's bus (device 0x50 + slot); clearing
// it while a command hangs ends that command with an error. The rest of the configuration
// space is the branch device's own.
#include <array>
#include <cstdint>
#include <memory>

#include "sim/PCIConfig.h"
#include "sim/SMBusBus.h"
#include "sim/SMBusHostCycle.h"

namespace sim {

class CFBDSPDFunction : public CPCIFunction {
public:
    static constexpr unsigned STATUS_OFFSET = 0x74;
    static constexpr unsigned COMMAND_OFFSET[2] = {0x78, 0x7C};

    // Takes the place of the branch device's function, which it keeps for everything else.
    explicit CFBDSPDFunction(std::unique_ptr<CPCIFunction> pBranch);

    // The bus of channel 0 or 1.
    void vAttach(unsigned nChannel, std::shared_ptr<CSMBusBus> pBus);

    uint32_t dwRead(unsigned nOffset, const AccessContext& context) override;
    void vWrite(unsigned nOffset, uint32_t dwValue, unsigned nByteEnables, const AccessContext& context) override;

private:
    struct Channel {
        std::shared_ptr<CSMBusBus> pBus;
        CSMBusHostCycle Cycle;
        uint32_t dwCommand = 0;
        uint16_t wStatus = 0;     // without busy
        uint16_t wEndStatus = 0;  // what the command under way ends with
    };

    void vUpdate(Channel& channel, uint64_t qwNow);
    uint16_t wStatus(Channel& channel, uint64_t qwNow);
    void vWriteCommand(Channel& channel, uint32_t dwValue, uint64_t qwNow);

    std::unique_ptr<CPCIFunction> m_pBranch;
    std::array<Channel, 2> m_Channels;
};

}  // namespace sim
