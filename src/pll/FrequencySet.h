// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One set of clocks as it travels between the clock chip drivers and the user: what a chip
// runs at, what the user asks for, what a preview would give. -1 (any value <= 0) means the
// clock is not known.
#include <cstdint>

class CFrequencySet {
public:
    CFrequencySet() = default;
    CFrequencySet(const CFrequencySet&) = default;
    CFrequencySet& operator=(const CFrequencySet&) = default;
    virtual ~CFrequencySet() {}
    // Sets the five clocks to -1; the preset stays.
    virtual void Clear();
    // True when the set holds an FSB, else a memory clock, else a preset.
    virtual bool bIsValid() const;
    void Copy(const CFrequencySet& other);

    int32_t m_nPreset = -1;
    float m_fReserved = -1.0f;
    float m_fFSB = -1.0f;
    float m_fMEM = -1.0f;
    float m_fGSB = -1.0f;  // AGP or PCI-E, as the generator's m_nGSBType says
    float m_fPCI = -1.0f;
};

// One row of a preset chip's table.
struct FREQUENCY_PRESET {
    int32_t nIndex;
    uint32_t dwCode;   // the chip's frequency-select bit pattern
    float fFSB;
    float fMEM;        // -1 in every row
    float f66MHz;      // the 66 MHz-class clock; the GSB is this × 3.0 × 0.5
    float fPCI;
};
