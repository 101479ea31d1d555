// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The SMBus interface: finds the machine's SMBus host controller among the PCI functions the
// scan listed and creates the matching controller object, adds the FB-DIMM SPD controllers
// of the Intel 5000-series chipsets, recognises the board whose SMBus is split in two by a
// multiplexer on a GPIO pin of the ICH7, and turns answering addresses into SMBus devices.
#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "smbus/SMBusFailure.h"

#include "kit/Interface.h"
#include "platform/NamedMutex.h"

class CPortIOSpace;
class CPCIDevice;
class CPCIInterface;
class CSMBusDevice;

// Subsystem id of the board with the GPIO-driven SMBus multiplexer (ASUS 1043:8179).
constexpr uint32_t SMBUS_MUX_BOARD_ID = 0x10438179;

class CSMBusInterface : public CInterface {
public:
    CSMBusInterface();
    ~CSMBusInterface() override;

    // 0 without a PCI interface; otherwise creates the mutexes, detects the controllers and
    // the FB-DIMM controllers and returns 1 even when none was found.
    uint32_t Init() override;
    // Closes "SMB_SW1" and "SMB_MUX".
    void Close() override;
    // Registers every answering address of every controller and channel.
    void Scan() override;

    // 1 when a controller was created (or the table says the south bridge has none to drive),
    // 0 when no device matched or a step failed.
    uint32_t DetectControllers();
    void DetectFBDControllers();
    // Board id, channel count and default channel; run once after the interface is
    // registered. Returns 1.
    uint32_t DetectMultiplexer();
    // The board id (subsystem vendor << 16 + subsystem id) of the ICH7 LPC bridge that carries
    // the multiplexer's GPIO block, 0xFFFFFFFF without such a bridge; the channels it gives.
    // Configuration reads only: a command can check a channel before the kit is built.
    static uint32_t dwBoardIdOf(CPCIInterface& pci);
    static uint32_t nChannelsOf(CPCIInterface& pci);
    // The multiplexer channel now selected: 0 or 1.
    uint32_t ReadChannelState();
    // Selects the channel, clamped to the channels the board has; returns 1.
    uint32_t SetChannel(uint8_t nChannel);
    uint32_t SetDefaultChannel();

    // The first channel on which a controller answers at that address, as a device of the
    // kit's device list; null when nothing answers.
    CSMBusDevice* FindSMBusDevice(uint8_t nAddress);
    CSMBusDevice* ProbeDevice(uint8_t nChannel, uint8_t nAddress);
    CSMBusDevice* FindKnownDevice(uint8_t nChannel, uint8_t nAddress);
    // Why the last probe of that address found no device: no answer, unless a controller
    // told of something else (a time-out, a collision, a busy host); None when it answered.
    ESMBusFailure eProbeFailure(uint8_t nAddress) const;
    // In words for a message: "no device answers at 0x69", "the probe of 0x69 failed: the
    // controller timed out".
    std::string strProbeFailure(uint8_t nAddress) const;

    platform::HMUTEX m_hSwitchMutex;
    CPortIOSpace* m_pGPIOSpace;  // owned by the kit's I/O space list
    uint32_t m_dwBoardId;
    platform::HMUTEX m_hMuxMutex;
    uint8_t m_nDefaultChannel;
    uint8_t m_nChannelCount;
    // Why detection left a controller alone (the kernel drives it); empty otherwise.
    std::string m_strRefusal;

private:
    std::array<std::atomic<ESMBusFailure>, 128> m_ProbeFailures{};
};

// Why the kit has no SMBus controller to drive ("" when nothing refused one): a kernel
// driver that owns the controller, named with its module.
std::string strSMBusRefusal();

// Why nothing was found at the address: the kernel's refusal, else the probe's failure.
std::string strSMBusNotFound(uint8_t nAddress);
