// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The memory buffer interface of the kit (type 18): the FB-DIMM clock buffer at SMBus address
// 0x6A, identified at start, its driver and the interface lock "Access_MemoryBuffer.Method".
#include <cstdint>

#include "smbus/ICInterface.h"

class ORVEXSDK;
class ICS_9P932_MemoryBuffer;

inline constexpr const char* MEMORY_BUFFER_INTERFACE_MUTEX = "Access_MemoryBuffer.Method";
inline constexpr uint8_t MEMORY_BUFFER_SMBUS_ADDRESS = 0x6A;

class CMemoryBufferInterface : public CICInterface {
public:
    CMemoryBufferInterface();
    ~CMemoryBufferInterface() override;

    // Succeeds when an ICS 9P932 answers at 0x6A (more than 10 bytes, register 10's low
    // nibble 1); the driver then exists.
    uint32_t Init() override;
    uint8_t* GetDump() override;
    uint32_t GetDumpSize() override;
    // Writes up to 63 bytes as the chip's image with a 200 ms settle time; no read-back.
    uint32_t bWriteDump(const uint8_t* pBytes, uint32_t dwCount) override;

    ICS_9P932_MemoryBuffer* m_pMemoryBuffer;  // owned; null until Init succeeds
};

// Creates the interface and, when its Init succeeds, adds it to the kit's interface list
// (found there by type 18); otherwise destroys it. Called after the clock generator interface.
uint32_t CreateMemoryBufferInterface(ORVEXSDK* pKit);
