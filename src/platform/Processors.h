// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The logical processors: how many are online, pinning the calling thread to one of them,
// and the two instructions the kit executes directly (CPUID and RDTSC). On a real machine
// these are the system calls and instructions; a simulated board installs its own tables.
#include <cstdint>
#include <vector>

namespace platform {

struct CpuidRegs {
    uint32_t eax, ebx, ecx, edx;
};

class IProcessors {
public:
    virtual ~IProcessors() = default;
    // Number of online logical processors.
    virtual unsigned nCount() = 0;
    // The processors the calling thread may run on (ascending).
    virtual std::vector<unsigned> GetThreadAffinity() = 0;
    // Restricts the calling thread to the given processors; false when that is refused.
    virtual bool bSetThreadAffinity(const std::vector<unsigned>& cpus) = 0;
    // The processor the calling thread is pinned to: the only one of its affinity, else the
    // lowest it may run on.
    virtual unsigned nPinnedProcessor() = 0;
    // CPUID on the processor the calling thread is pinned to.
    virtual CpuidRegs Cpuid(uint32_t dwLeaf, uint32_t dwSubLeaf) = 0;
    // The time-stamp counter of the processor the calling thread is pinned to.
    virtual uint64_t qwReadTSC() = 0;

    bool bPinThread(unsigned nCpu) { return bSetThreadAffinity({nCpu}); }
};

IProcessors& Processors();
// Installs processors; null puts the real ones back. The caller keeps ownership.
void SetProcessors(IProcessors* pProcessors);
IProcessors& RealProcessors();

// Pins the calling thread for the life of the object and restores the affinity it had.
class CThreadPin {
public:
    explicit CThreadPin(unsigned nCpu);
    ~CThreadPin();
    bool bPinned() const { return m_bPinned; }
    CThreadPin(const CThreadPin&) = delete;
    CThreadPin& operator=(const CThreadPin&) = delete;

private:
    std::vector<unsigned> m_Saved;
    bool m_bPinned;
};

}  // namespace platform
