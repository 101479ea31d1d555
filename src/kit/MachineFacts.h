// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The few facts about the machine that the SMBus controllers and the clock chip drivers go
// by: the bus clock the processors were measured at, the graphics card's bus, which PCI
// functions the scan found, the SMBus channel switch, and whether a controller may be driven
// beside the kernel. The drivers ask kit::MachineFacts(); the kit's assembly answers from the
// kit root's interfaces, and a test can put facts of its own in their place, so that a driver
// is tested without building a kit.
#include <cstdint>
#include <string>

class IMachineFacts {
public:
    virtual ~IMachineFacts() {}
    // The front-side bus clock the CPU interface measured, in MHz; -1 when not known.
    virtual float fMeasuredBusClock() = 0;
    // The graphics card is on PCI Express: the first display function with an AGP or a PCI
    // Express capability has the PCI Express one. False (AGP) when there is no such function.
    virtual bool bPCIExpressGraphics() = 0;
    // The PCI scan found a function with these ids.
    virtual bool bHasPCIDevice(uint16_t wVendorID, uint16_t wDeviceID) = 0;
    // Switch the SMBus multiplexer to nChannel, and back to the board's default channel.
    // False when there is no SMBus interface to do it.
    virtual bool bSelectSMBusChannel(uint8_t nChannel) = 0;
    virtual bool bRestoreSMBusChannel() = 0;
    // Whether the kit may drive the SMBus controller of that PCI function: no kernel driver
    // drives it, or the user said to go ahead. strRefusal says why not.
    virtual bool bMayDriveSMBus(uint8_t bBus, uint8_t bDevice, uint8_t bFunction, std::string& strRefusal) = 0;
};

namespace kit {

// What the kit root knows by itself: whether its access device lets an SMBus controller be
// driven. Nothing is known of the interfaces above the kit: no bus clock, AGP graphics, no
// PCI functions, no channel to switch.
class CRootFacts : public IMachineFacts {
public:
    float fMeasuredBusClock() override { return -1.0f; }
    bool bPCIExpressGraphics() override { return false; }
    bool bHasPCIDevice(uint16_t, uint16_t) override { return false; }
    bool bSelectSMBusChannel(uint8_t) override { return false; }
    bool bRestoreSMBusChannel() override { return false; }
    bool bMayDriveSMBus(uint8_t bBus, uint8_t bDevice, uint8_t bFunction, std::string& strRefusal) override;
};

// The facts in force: a replacement when one is set, else the kit's facts.
IMachineFacts& MachineFacts();
// The kit's facts, as the kit's assembly provides them; null leaves the root's own.
void SetKitFacts(IMachineFacts* pFacts);
// Puts pFacts in place of the kit's facts (a test's); null gives the kit's facts back.
// Returns the replacement that was in force.
IMachineFacts* ReplaceMachineFacts(IMachineFacts* pFacts);

}  // namespace kit
