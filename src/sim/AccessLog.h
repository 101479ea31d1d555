// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The record of every access the simulated board served, for tests to inspect.
#include <cstdint>
#include <mutex>
#include <vector>

namespace sim {

enum class AccessKind : uint8_t { PortRead, PortWrite, MemoryRead, MemoryWrite, MsrRead, MsrWrite };

struct AccessRecord {
    AccessKind eKind;
    uint64_t qwAddress;  // port, physical address or MSR index
    uint32_t nWidth;     // bytes (ports: 1, 2, 4; memory reads: the count; MSRs: 8)
    uint64_t qwValue;    // value read or written (memory reads of more than 8 bytes: 0)
    uint32_t nCpu;       // processor of MSR accesses, else 0
    bool bOk;            // false when the board refused the access
};

class CAccessLog {
public:
    void vAppend(const AccessRecord& record);
    void vClear();
    void vSetEnabled(bool bEnabled);
    // A copy, so that the log can go on growing while a test looks at it.
    std::vector<AccessRecord> Records() const;

private:
    mutable std::mutex m_Mutex;
    std::vector<AccessRecord> m_Records;
    bool m_bEnabled = true;
};

}  // namespace sim
