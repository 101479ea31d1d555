// SPDX-License-Identifier: GPL-2.0-or-later
// The real processors: the online count and the affinity of the calling thread from the
// system, CPUID and RDTSC executed directly (x86 only; elsewhere they read as zero).
#include "platform/Processors.h"

#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <x86intrin.h>
#define PENDULON_X86 1
#endif

namespace platform {

namespace {

// A CPU set of the size the kernel asks for; frees itself.
class CCpuSet {
public:
    explicit CCpuSet(unsigned nCpus) : m_nCpus(std::max(nCpus, 1u))
    {
        m_pSet = CPU_ALLOC(m_nCpus);
        if (m_pSet != nullptr)
            CPU_ZERO_S(nBytes(), m_pSet);
    }
    ~CCpuSet()
    {
        if (m_pSet != nullptr)
            CPU_FREE(m_pSet);
    }
    CCpuSet(const CCpuSet&) = delete;
    CCpuSet& operator=(const CCpuSet&) = delete;

    cpu_set_t* pSet() { return m_pSet; }
    size_t nBytes() const { return CPU_ALLOC_SIZE(m_nCpus); }
    unsigned nCpus() const { return m_nCpus; }

private:
    unsigned m_nCpus;
    cpu_set_t* m_pSet;
};

class CRealProcessors final : public IProcessors {
public:
    unsigned nCount() override
    {
        const long nOnline = sysconf(_SC_NPROCESSORS_ONLN);
        return nOnline > 0 ? static_cast<unsigned>(nOnline) : 1;
    }

    std::vector<unsigned> GetThreadAffinity() override
    {
        std::vector<unsigned> cpus;
        // The kernel refuses a set smaller than its own (EINVAL); grow until it fits.
        for (unsigned nSize = 1024; nSize <= (1u << 20); nSize *= 2) {
            CCpuSet set(nSize);
            if (set.pSet() == nullptr)
                break;
            if (sched_getaffinity(0, set.nBytes(), set.pSet()) != 0) {
                if (errno == EINVAL)
                    continue;
                break;
            }
            for (unsigned nCpu = 0; nCpu < set.nCpus(); nCpu++) {
                if (CPU_ISSET_S(nCpu, set.nBytes(), set.pSet()))
                    cpus.push_back(nCpu);
            }
            break;
        }
        return cpus;
    }

    bool bSetThreadAffinity(const std::vector<unsigned>& cpus) override
    {
        if (cpus.empty())
            return false;
        CCpuSet set(*std::max_element(cpus.begin(), cpus.end()) + 1);
        if (set.pSet() == nullptr)
            return false;
        for (unsigned nCpu : cpus)
            CPU_SET_S(nCpu, set.nBytes(), set.pSet());
        return sched_setaffinity(0, set.nBytes(), set.pSet()) == 0;
    }

    unsigned nPinnedProcessor() override
    {
        const std::vector<unsigned> cpus = GetThreadAffinity();
        return cpus.empty() ? 0 : cpus.front();
    }

    CpuidRegs Cpuid(uint32_t dwLeaf, uint32_t dwSubLeaf) override
    {
        CpuidRegs regs{0, 0, 0, 0};
#ifdef PENDULON_X86
        __cpuid_count(dwLeaf, dwSubLeaf, regs.eax, regs.ebx, regs.ecx, regs.edx);
#else
        (void)dwLeaf;
        (void)dwSubLeaf;
#endif
        return regs;
    }

    uint64_t qwReadTSC() override
    {
#ifdef PENDULON_X86
        return __rdtsc();
#else
        return 0;
#endif
    }
};

std::atomic<IProcessors*> g_pProcessors{nullptr};

}  // namespace

IProcessors& RealProcessors()
{
    // Never destroyed: other threads may still ask while the program exits.
    static CRealProcessors* pProcessors = new CRealProcessors;
    return *pProcessors;
}

IProcessors& Processors()
{
    IProcessors* pProcessors = g_pProcessors.load(std::memory_order_acquire);
    return pProcessors != nullptr ? *pProcessors : RealProcessors();
}

void SetProcessors(IProcessors* pProcessors)
{
    g_pProcessors.store(pProcessors, std::memory_order_release);
}

CThreadPin::CThreadPin(unsigned nCpu)
    : m_Saved(Processors().GetThreadAffinity()), m_bPinned(Processors().bPinThread(nCpu))
{
}

CThreadPin::~CThreadPin()
{
    if (m_bPinned && !m_Saved.empty())
        Processors().bSetThreadAffinity(m_Saved);
}

}  // namespace platform
