// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The ICS clock chips with an M/N PLL. Each class is the shared M/N driver with its model
// record and the few lines that derive its GSB and PCI clocks.
#include "pll/smbus/MNPLLChip.h"

class ICS_94228_ClockGenerator : public CMNPLLClockGenerator {
public:
    ICS_94228_ClockGenerator();
protected:
    void vDecodeModel() override;
    void vFillOutputs(CFrequencySet& set) override;
};

class ICS_950403_ClockGenerator : public CMNPLLClockGenerator {
public:
    ICS_950403_ClockGenerator();
protected:
    void vDecodeModel() override;
    void vFillOutputs(CFrequencySet& set) override;
};

class ICS_950405_ClockGenerator : public CMNPLLClockGenerator {
public:
    ICS_950405_ClockGenerator();
protected:
    void vFillOutputs(CFrequencySet& set) override;
};

class ICS_951402_ClockGenerator : public CMNPLLClockGenerator {
public:
    ICS_951402_ClockGenerator();
protected:
    void vDecodeModel() override;
    void vFillOutputs(CFrequencySet& set) override;
};

class ICS_951416_ClockGenerator : public CMNPLLClockGenerator {
public:
    ICS_951416_ClockGenerator();
protected:
    void vDecodeModel() override;
    void vFillOutputs(CFrequencySet& set) override;
};

class ICS_951422_ClockGenerator : public CMNPLLClockGenerator {
public:
    ICS_951422_ClockGenerator();
protected:
    void vDecodeModel() override;
    void vFillOutputs(CFrequencySet& set) override;
};

class ICS_951446_ClockGenerator : public CMNPLLClockGenerator {
public:
    ICS_951446_ClockGenerator();
    uint32_t m_bATISouthBridge = 0;  // the PCI clock is then a fixed 33.34 MHz
protected:
    void vDecodeModel() override;
    void vFillOutputs(CFrequencySet& set) override;
};

class ICS_951462_ClockGenerator : public CMNPLLClockGenerator {
public:
    ICS_951462_ClockGenerator();
protected:
    void vDecodeModel() override;
    void vFillOutputs(CFrequencySet& set) override;
};

class ICS_952505_ClockGenerator : public CMNPLLClockGenerator {
public:
    ICS_952505_ClockGenerator();
    int32_t m_nPCIEDivider = -1;
    int32_t m_nAGPDivider = -1;
protected:
    void vDecodeModel() override;
    void vFillOutputs(CFrequencySet& set) override;
    int32_t nGSBSearchDivider() override;
};

// The two parts whose AGP clock may come from a small second PLL on registers 5 and 6,
// selected by the mode in bits 6..5 of register 5.
class ICS_952607_ClockGenerator : public CMNPLLClockGenerator {
public:
    ICS_952607_ClockGenerator();
    int32_t m_nMode = -1;
protected:
    ICS_952607_ClockGenerator(uint32_t dwID, const MN_CHIP_MODEL& model);
    void vDecodeModel() override;
    void vFillOutputs(CFrequencySet& set) override;
    bool bSearchGSB(float fGSB) override;
    void vEncodeGSB() override;
    bool bSecondPLLMode() const { return m_nMode == 1 || m_nMode == 2; }
    // The second PLL's reference by its 2-bit selector; -1 when the selector has none.
    virtual float fSecondReference(int32_t nSelector) const;
};

class ICS_952618_ClockGenerator : public ICS_952607_ClockGenerator {
public:
    ICS_952618_ClockGenerator();
protected:
    void vDecodeModel() override;
    void vFillOutputs(CFrequencySet& set) override;
    float fSecondReference(int32_t nSelector) const override;
};

class ICS_954119_ClockGenerator : public CMNPLLClockGenerator {
public:
    ICS_954119_ClockGenerator();
protected:
    void vDecodeModel() override;
    void vFillOutputs(CFrequencySet& set) override;
};

class ICS_954123_ClockGenerator : public CMNPLLClockGenerator {
public:
    ICS_954123_ClockGenerator();
protected:
    void vDecodeModel() override;
    void vFillOutputs(CFrequencySet& set) override;
    int32_t nGSBSearchDivider() override;
};

class ICS_954148_ClockGenerator : public CMNPLLClockGenerator {
public:
    ICS_954148_ClockGenerator();
protected:
    ICS_954148_ClockGenerator(uint32_t dwID, const MN_CHIP_MODEL& model);
    void vDecodeModel() override;
    void vFillOutputs(CFrequencySet& set) override;
};

class ICS_954519_ClockGenerator : public ICS_954148_ClockGenerator {
public:
    ICS_954519_ClockGenerator();
protected:
    void vDecodeModel() override;
    void vFillOutputs(CFrequencySet& set) override;
};

// The two parts whose PLLs run from a selectable reference without offsets, with the PCI-E
// divider worked out from the second PLL's VCO.
class ICS_9PLRS509_ClockGenerator : public CMNPLLClockGenerator {
public:
    ICS_9PLRS509_ClockGenerator();
protected:
    ICS_9PLRS509_ClockGenerator(uint32_t dwID, const MN_CHIP_MODEL& model);
    void vDecodeReference() override;
    void vDecodeModel() override;
    void vFillOutputs(CFrequencySet& set) override;
    void vEncodeFSBExtra() override;
};

class ICS_9PLRS587_ClockGenerator : public ICS_9PLRS509_ClockGenerator {
public:
    ICS_9PLRS587_ClockGenerator();
};
