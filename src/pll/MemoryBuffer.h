// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The drivers of FB-DIMM memory clock buffers: the chip's register image, moved through the
// IC command set like a clock generator's, and the clock skews of the two memory channels.
// The one supported part is the ICS 9P932.
#include <cstdint>

class CICCommandSet;

// One row of a skew name table; the table ends with the code SKEW_CODE_END.
struct SKEW_ENTRY {
    uint32_t dwCode;
    char szName[32];
};
inline constexpr uint32_t SKEW_CODE_END = 0xFFFFFFFF;

extern const SKEW_ENTRY g_ICS9P932SkewTable[];

class CMemoryBuffer {
public:
    explicit CMemoryBuffer(uint32_t dwChipID = 0);
    CMemoryBuffer(const CMemoryBuffer&) = delete;
    CMemoryBuffer& operator=(const CMemoryBuffer&) = delete;
    virtual ~CMemoryBuffer() {}

    // Reads the chip into the image; 0 (image and count untouched) when nothing arrives.
    virtual uint32_t bReadRegisters();
    // Writes the settings to the chip; the base has none.
    virtual uint32_t bApply() { return 0; }

    // Writes the first m_nRegisterCount bytes of the image and waits the settle time (also
    // after a failure); nothing (0) when the count is 0. Non-zero when every byte went out.
    uint32_t bWriteRegisters(uint32_t dwSettleMilliseconds);

    uint8_t m_abRegisters[256] = {};
    int32_t m_nRegisterCount = 0;
    uint32_t m_dwChipID;
    CICCommandSet* m_pCommandSet = nullptr;  // not owned
    int32_t m_nAccessMethod = 0;
};

class ICS_9P932_MemoryBuffer : public CMemoryBuffer {
public:
    static constexpr uint32_t CHIP_ID = 0x01000932;

    ICS_9P932_MemoryBuffer();

    uint32_t bReadRegisters() override;
    uint32_t bApply() override;

    // By channel, 0 = A and 1 = B. The getters give the 4-bit code (-1 before the first read
    // and for any other channel); the setters store a code of 0..15 and give 1, else 0. The
    // chip is written only by bApply.
    int32_t GetCLKINSkew(int32_t nChannel) const;
    int32_t GetFBINTSkew(int32_t nChannel) const;
    uint32_t SetCLKINSkew(int32_t nChannel, int32_t nCode);
    uint32_t SetFBINTSkew(int32_t nChannel, int32_t nCode);

    const SKEW_ENTRY* m_pCLKINSkewTable;
    const SKEW_ENTRY* m_pFBINTSkewTable;
    int32_t m_nCLKINSkewA = -1;
    int32_t m_nFBINTSkewA = -1;
    int32_t m_nCLKINSkewB = -1;
    int32_t m_nFBINTSkewB = -1;
};
