// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The common course of an SMBus clock chip driver: a read decodes the block into working
// values and fills the set from them; a preview works out new working values and fills the set
// without writing; a set works them out, puts them into the image and writes the image. Each
// chip supplies the decoding, the search and the encoding, and its limits record.
#include <cstdint>

#include "pll/ClockGenerator.h"
#include "pll/ClockLimits.h"
#include "pll/smbus/ChipMechanics.h"

class CSMBusChipGenerator : public CClockGenerator {
public:
    CSMBusChipGenerator(uint32_t dwID, const CHIP_READ& read, const CLOCK_LIMITS& limits);

    uint32_t bSetFSB(float fFSB) override;
    uint32_t bSetGSB(float fGSB) override;
    uint32_t bPreviewClocks(CFrequencySet& set) override;
    uint32_t bReadClocks(CFrequencySet& set) override;

protected:
    // The image just read into the working values.
    virtual void vDecode() = 0;
    // The set from the working values: FSB always, GSB and PCI when the GSB is not ignored.
    virtual void vFill(CFrequencySet& set) = 0;
    // New working values for a wanted clock (clamped to the limits); false when the chip
    // cannot give it, and then nothing changed.
    virtual bool bSearchFSB(float fFSB) = 0;
    virtual bool bSearchGSB(float) { return false; }
    // The working values into the image, with the programming-enable bits they need.
    virtual void vEncodeFSB() = 0;
    virtual void vEncodeGSB() {}

    CHIP_READ m_Read;
};
