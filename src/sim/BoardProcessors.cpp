// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/BoardProcessors.h"

#include <algorithm>
#include <atomic>

namespace sim {

namespace {

constexpr uint32_t LEAF_EXTENDED = 0x80000000;
constexpr uint32_t LEAF_POWER = 6;
constexpr uint32_t LEAF_CENTAUR = 0xC0000000;
constexpr uint32_t MSR_MISC_ENABLE = 0x1A0;
constexpr uint64_t MISC_LIMIT_CPUID_MAXVAL = 1u << 22;
constexpr uint32_t LIMITED_MAX_LEAF = 2;

std::atomic<uint64_t> g_qwNextSerial{1};

// The affinity each thread has set on each board; a thread that set none may run anywhere.
thread_local std::map<uint64_t, std::vector<unsigned>> t_Affinity;

// Cycles of a clock of qwHz * qwNum / qwDen over qwNs nanoseconds, rounded down.
uint64_t qwCycles(uint64_t qwNs, uint64_t qwHz, uint64_t qwNum, uint64_t qwDen)
{
    unsigned __int128 product = (unsigned __int128)qwNs * qwHz * qwNum;
    return uint64_t(product / ((unsigned __int128)1000000000u * qwDen));
}

}  // namespace

CBoardProcessors::CBoardProcessors(const BoardConfig& config, CBoardClock& clock, std::mutex& mutex)
    : m_Clock(clock),
      m_Mutex(mutex),
      m_nMicrocode(config.nMicrocode),
      m_qwSerial(g_qwNextSerial.fetch_add(1)),
      m_qwBusHz(config.qwBusHz),
      m_qwMultiplierNum(config.qwMultiplierNum),
      m_qwMultiplierDen(config.qwMultiplierDen)
{
    for (const CpuConfig& cpuConfig : config.Cpus) {
        Cpu cpu;
        cpu.nApicId = cpuConfig.nApicId;
        cpu.Cpuid = cpuConfig.Cpuid;
        cpu.Msrs = cpuConfig.Msrs;
        uint32_t nMaxLeaf = CpuidOf(cpu, 0, 0).eax;
        cpu.bPerfCounters = nMaxLeaf >= LEAF_POWER && (CpuidOf(cpu, LEAF_POWER, 0).ecx & 1);
        m_Cpus.push_back(std::move(cpu));
    }
}

std::vector<unsigned> CBoardProcessors::GetThreadAffinity()
{
    auto it = t_Affinity.find(m_qwSerial);
    if (it != t_Affinity.end())
        return it->second;
    std::vector<unsigned> all(m_Cpus.size());
    for (unsigned i = 0; i < all.size(); ++i)
        all[i] = i;
    return all;
}

bool CBoardProcessors::bSetThreadAffinity(const std::vector<unsigned>& cpus)
{
    if (cpus.empty())
        return false;
    for (unsigned nCpu : cpus)
        if (nCpu >= m_Cpus.size())
            return false;
    std::vector<unsigned> sorted = cpus;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    t_Affinity[m_qwSerial] = std::move(sorted);
    return true;
}

unsigned CBoardProcessors::nPinnedProcessor()
{
    auto it = t_Affinity.find(m_qwSerial);
    return it != t_Affinity.end() ? it->second.front() : 0;
}

platform::CpuidRegs CBoardProcessors::CpuidOf(const Cpu& cpu, uint32_t dwLeaf, uint32_t dwSubLeaf) const
{
    auto lookUp = [&](uint32_t nLeaf) -> platform::CpuidRegs {
        auto itLeaf = cpu.Cpuid.find(nLeaf);
        if (itLeaf == cpu.Cpuid.end())
            return {0, 0, 0, 0};
        if (!itLeaf->second.bIndexed)
            return itLeaf->second.Plain;
        auto itSub = itLeaf->second.SubLeaves.find(dwSubLeaf);
        return itSub == itLeaf->second.SubLeaves.end() ? platform::CpuidRegs{0, 0, 0, 0} : itSub->second;
    };
    // With the BIOS's "limit CPUID maxval" (MSR 0x1A0 bit 22) the basic leaves end at 2.
    auto itMisc = cpu.Msrs.find(MSR_MISC_ENABLE);
    const bool bLimited = itMisc != cpu.Msrs.end() && (itMisc->second & MISC_LIMIT_CPUID_MAXVAL);
    uint32_t nMaxBasic = lookUp(0).eax;
    if (bLimited && nMaxBasic > LIMITED_MAX_LEAF) nMaxBasic = LIMITED_MAX_LEAF;
    if (dwLeaf == 0) {
        platform::CpuidRegs regs = lookUp(0);
        regs.eax = nMaxBasic;
        return regs;
    }
    // VIA processors have a third range of their own from 0xC0000000 on.
    const bool bCentaur = cpu.Cpuid.count(LEAF_CENTAUR) != 0;
    if (dwLeaf == LEAF_EXTENDED || (bCentaur && dwLeaf == LEAF_CENTAUR))
        return lookUp(dwLeaf);
    uint32_t nMaxExtended = lookUp(LEAF_EXTENDED).eax;
    // Past the last leaf of its range an Intel processor answers with its highest basic leaf.
    bool bBeyond = dwLeaf < LEAF_EXTENDED ? dwLeaf > nMaxBasic : dwLeaf > nMaxExtended;
    if (bCentaur && dwLeaf >= LEAF_CENTAUR) bBeyond = dwLeaf > lookUp(LEAF_CENTAUR).eax;
    return lookUp(bBeyond ? nMaxBasic : dwLeaf);
}

platform::CpuidRegs CBoardProcessors::Cpuid(uint32_t dwLeaf, uint32_t dwSubLeaf)
{
    unsigned nCpu = nPinnedProcessor();
    std::lock_guard<std::mutex> lock(m_Mutex);
    Cpu& cpu = m_Cpus[nCpu];
    // CPUID leaf 1 loads the microcode revision into the update signature MSR.
    if (dwLeaf == 1 && m_nMicrocode && cpu.Msrs.count(MSR_BIOS_SIGN))
        cpu.Msrs[MSR_BIOS_SIGN] = uint64_t(*m_nMicrocode) << 32;
    return CpuidOf(cpu, dwLeaf, dwSubLeaf);
}

uint64_t CBoardProcessors::qwReadTSC()
{
    unsigned nCpu = nPinnedProcessor();
    std::lock_guard<std::mutex> lock(m_Mutex);
    uint64_t qwNs = m_Clock.qwAdvance(CBoardClock::TSC_READ_NS);
    return qwCountLocked(qwNs) + m_Cpus[nCpu].qwTscOffset;
}

uint64_t CBoardProcessors::qwCountLocked(uint64_t qwNs) const
{
    qwNs = std::max(qwNs, m_qwSegmentNs);
    return m_qwSegmentCount + qwCycles(qwNs - m_qwSegmentNs, m_qwBusHz, m_qwMultiplierNum, m_qwMultiplierDen);
}

uint64_t CBoardProcessors::qwBusCyclesLocked(uint64_t qwNs) const
{
    qwNs = std::max(qwNs, m_qwSegmentNs);
    return m_qwSegmentBusCycles + qwCycles(qwNs - m_qwSegmentNs, m_qwBusHz, 1, 1);
}

void CBoardProcessors::vSetClockLocked(uint64_t qwBusHz, uint64_t qwMultiplierNum, uint64_t qwMultiplierDen,
                                       uint64_t qwNs)
{
    qwNs = std::max(qwNs, m_qwSegmentNs);
    m_qwSegmentCount = qwCountLocked(qwNs);
    m_qwSegmentBusCycles = qwBusCyclesLocked(qwNs);
    m_qwSegmentNs = qwNs;
    m_qwBusHz = qwBusHz;
    m_qwMultiplierNum = qwMultiplierNum;
    m_qwMultiplierDen = qwMultiplierDen ? qwMultiplierDen : 1;
}

uint64_t* CBoardProcessors::pCounterOffset(Cpu& cpu, uint32_t dwIndex)
{
    if (dwIndex == MSR_TSC)
        return &cpu.qwTscOffset;
    if (cpu.bPerfCounters && dwIndex == MSR_MPERF)
        return &cpu.qwMperfOffset;
    if (cpu.bPerfCounters && dwIndex == MSR_APERF)
        return &cpu.qwAperfOffset;
    return nullptr;
}

bool CBoardProcessors::bReadMsrLocked(unsigned nCpu, uint32_t dwIndex, uint64_t qwNs, uint64_t& qwValue)
{
    if (nCpu >= m_Cpus.size())
        return false;
    Cpu& cpu = m_Cpus[nCpu];
    // The counters run with the time-stamp counter: the processor never idles on the board,
    // so APERF and MPERF count at its rate too.
    if (uint64_t* pOffset = pCounterOffset(cpu, dwIndex)) {
        qwValue = qwCountLocked(qwNs) + *pOffset;
        return true;
    }
    auto it = cpu.Msrs.find(dwIndex);
    if (it == cpu.Msrs.end())
        return false;
    qwValue = it->second;
    return true;
}

bool CBoardProcessors::bWriteMsrLocked(unsigned nCpu, uint32_t dwIndex, uint64_t qwValue, uint64_t qwNs)
{
    if (nCpu >= m_Cpus.size())
        return false;
    Cpu& cpu = m_Cpus[nCpu];
    if (uint64_t* pOffset = pCounterOffset(cpu, dwIndex)) {
        *pOffset = qwValue - qwCountLocked(qwNs);  // the counter goes on from the value written
        return true;
    }
    auto it = cpu.Msrs.find(dwIndex);
    if (it == cpu.Msrs.end())
        return false;
    it->second = qwValue;
    return true;
}

}  // namespace sim
