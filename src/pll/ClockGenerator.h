// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The base of every clock chip driver: the chip's register image and how it is moved through
// the IC command set, the clocks last read, the limits, and the gradual walk of the FSB and
// GSB to new values. The base itself is the "Not specified" model: it reads and writes the
// raw image and decodes no clock.
#include <cstdint>
#include <functional>
#include <string>

#include "pll/FrequencySet.h"

class CICCommandSet;

// How the image is moved: one block from command 0, or one word per register with the
// register index (method 2: index OR 0x80) as command.
enum : int32_t {
    ACCESS_BLOCK = 0,
    ACCESS_WORD = 1,
    ACCESS_WORD_HIGH = 2,
};

// What the second bus clock is.
enum : int32_t {
    GSB_NONE = -1,
    GSB_AGP = 0,
    GSB_PCIE = 1,
};

// Called after each step of an FSB walk with (step, total steps). A callable, so that the
// window that shows the walk can be reached from it; empty for none.
using PLL_PROGRESS = std::function<void(int32_t nStep, int32_t nTotal)>;

// How many writes the gradual walk from fFrom to fTo in steps of fStep makes: the steps on
// the way, then the target itself (an unchanged clock is written once); 0 for a walk that is
// refused.
int32_t nWalkWrites(float fFrom, float fTo, float fStep);

class CClockGenerator {
public:
    explicit CClockGenerator(uint32_t dwPLLID = 0);
    CClockGenerator(const CClockGenerator&) = delete;
    CClockGenerator& operator=(const CClockGenerator&) = delete;

    virtual uint32_t bSetFSB(float) { return 0; }
    virtual uint32_t bSetGSB(float) { return 0; }
    virtual uint32_t bReserved1(uint32_t) { return 0; }
    virtual uint32_t bReserved2(uint32_t) { return 0; }
    // Writes the image to the chip and waits the settle time (also after a failure).
    virtual uint32_t bWriteRegisters(uint32_t dwSettleMilliseconds);
    virtual ~CClockGenerator() {}
    // Fills the set with the clocks its m_fFSB (and m_fGSB) would really give; writes nothing.
    virtual uint32_t bPreviewClocks(CFrequencySet&) { return 0; }
    // Reads the chip into the image and decodes it into the set. The base only reads.
    virtual uint32_t bReadClocks(CFrequencySet& set);
    // Walks the FSB, then the GSB, to the target in steps; 1, or 0 (nothing written) when a
    // clock to walk from or to is not finite or lies farther away than any chip could span.
    virtual uint32_t bApplyClocks(const CFrequencySet& target, PLL_PROGRESS pfnProgress);
    // What the next read writes to the hardware beyond what reading needs (a byte-count
    // repair is part of reading), for the question asked before it: "" for nearly every chip.
    virtual std::string strWritesOnRead() const { return {}; }

    uint8_t m_abRegisters[256] = {};
    int32_t m_nRegisterCount = 0;
    uint32_t m_dwPLLID;
    CICCommandSet* m_pCommandSet = nullptr;  // not owned; null for chipset PLLs
    int32_t m_nAccessMethod = ACCESS_BLOCK;
    CFrequencySet m_Current;
    CFrequencySet m_Min;
    CFrequencySet m_Max;
    uint32_t m_bGSBEnabled = 1;
    uint32_t m_bFSBAdjustable = 0;
    uint32_t m_bGSBAdjustable = 0;
    float m_fFSBStep = 5.0f;
    float m_fGSBStep = 5.0f;
    int32_t m_nGSBType = GSB_NONE;
    const FREQUENCY_PRESET* m_pPresets = nullptr;
    int32_t m_nPresetCount = -1;
};
