// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The base of the kit interfaces that drive one chip through a command set: the clock
// generator and the memory buffer. It owns the command set and carries the interface lock.
#include <cstdint>

#include "kit/Interface.h"
#include "platform/NamedMutex.h"

class CICCommandSet;

class CICInterface : public CInterface {
public:
    CICInterface();
    ~CICInterface() override;
    CICInterface(const CICInterface&) = delete;
    CICInterface& operator=(const CICInterface&) = delete;

    // The derived Init creates the lock and binds the command set; the base has no chip.
    uint32_t Init() override { return 0; }
    // Releases and closes the interface lock.
    void Close() override;
    void Scan() override {}
    virtual uint8_t* GetDump() { return nullptr; }
    virtual uint32_t GetDumpSize() { return 0; }
    virtual uint32_t bWriteDump(const uint8_t* pBytes, uint32_t dwCount);

    // True only when the lock was taken (WAIT_OBJECT_0). A time-out, a failed wait or an
    // abandoned lock give false, and the caller must stay away from the chip.
    bool Lock(uint32_t dwMilliseconds);
    void Unlock();

    CICCommandSet* m_pCommandSet;  // owned
    platform::HMUTEX m_hMutex;
    uint32_t m_dwReserved;
};
