// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The clock chips whose FSB comes from an M/N PLL in two registers (the ICS parts and the
// Winbond ones): one driver, steered by a model record that says where the block, the PLL
// fields, the CPU divider, the programming-enable bit and the second PLL sit, what the search
// may use and what the limits are. A model adds only what is its own: how its GSB and PCI
// clocks are derived.
#include <cstdint>

#include "pll/ClockLimits.h"
#include "pll/smbus/SMBusChip.h"

// A bit the driver sets in the image with every new FSB (the chip takes the new PLL values
// when it sees it).
struct STROBE_BIT {
    int16_t nRegister = -1;  // -1: the chip has none
    uint8_t bMask = 0;
};

struct MN_CHIP_MODEL {
    CHIP_READ Read;
    MN_PLL CPUPLL;             // the PLL the FSB comes from
    DIVIDER_FIELD CPUDivider;  // DIV_MEASURED: learned; DIV_OWN: decoded by the model
    ENABLE_BIT Enable;         // set before the first write when it was read clear
    STROBE_BIT Strobe = {};
    bool bSecondPLL = false;   // the GSB comes from a second PLL that bSetGSB programs
    MN_PLL SecondPLL = {};     // used only with bSecondPLL
    CLOCK_LIMITS Limits;
    bool bOutputsAlways = false;  // GSB and PCI are filled even when the GSB is ignored
};

class CMNPLLClockGenerator : public CSMBusChipGenerator {
public:
    CMNPLLClockGenerator(uint32_t dwID, const MN_CHIP_MODEL& model);

    // Working values: overwritten by every read, preview and set.
    int32_t m_nCPUM = -1;
    int32_t m_nCPUN = -1;
    float m_fCPUVCO = -1.0f;
    float m_fCPUReference = 14.31818f;
    int32_t m_nGSBM = -1;
    int32_t m_nGSBN = -1;
    float m_fGSBVCO = -1.0f;
    float m_fGSBReference = 14.31818f;
    int32_t m_nCPUDivider = -1;  // a learned divider stays for the life of the driver
    int32_t m_nGSBDivider = -1;
    int32_t m_nPCIDivider = -1;
    uint32_t m_bPLLEnabled = 0;  // the programming-enable bit as read

protected:
    // The image after a read: the reference clocks the model takes from it (before the PLLs
    // are decoded), then the model's own dividers and selectors (after).
    virtual void vDecodeReference() {}
    virtual void vDecodeModel() {}
    // GSB and PCI from the working values and the image's selectors.
    virtual void vFillOutputs(CFrequencySet&) {}
    // The output divider the GSB search aims through.
    virtual int32_t nGSBSearchDivider() { return m_nGSBDivider; }
    // The second PLL; a model whose GSB comes from elsewhere overrides these.
    bool bSearchGSB(float fGSB) override;
    void vEncodeGSB() override;
    // Called after the CPU PLL went into the image.
    virtual void vEncodeFSBExtra() {}

    void vDecode() override;
    void vFill(CFrequencySet& set) override;
    bool bSearchFSB(float fFSB) override;
    void vEncodeFSB() override;

    const MN_CHIP_MODEL& m_Model;
};
