// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The board's logical processors: their number, the affinity of each calling thread, the
// CPUID answers of each processor, its MSRs and its time-stamp counter, which runs at bus
// clock times multiplier of board time.
#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "platform/Processors.h"
#include "sim/BoardClock.h"
#include "sim/BoardConfig.h"

namespace sim {

class CBoardProcessors : public platform::IProcessors {
public:
    static constexpr uint32_t MSR_TSC = 0x10;
    static constexpr uint32_t MSR_BIOS_SIGN = 0x8B;
    static constexpr uint32_t MSR_MPERF = 0xE7;
    static constexpr uint32_t MSR_APERF = 0xE8;

    // mutex is the board's: the processors' state is guarded by the one board lock.
    CBoardProcessors(const BoardConfig& config, CBoardClock& clock, std::mutex& mutex);

    unsigned nCount() override { return unsigned(m_Cpus.size()); }
    std::vector<unsigned> GetThreadAffinity() override;
    bool bSetThreadAffinity(const std::vector<unsigned>& cpus) override;
    unsigned nPinnedProcessor() override;
    platform::CpuidRegs Cpuid(uint32_t dwLeaf, uint32_t dwSubLeaf) override;
    uint64_t qwReadTSC() override;

    // For the board's devices, called with the board lock held; qwNs is the time of the
    // access. MSRs that the processor does not have fail, as the #GP of a real one.
    bool bReadMsrLocked(unsigned nCpu, uint32_t dwIndex, uint64_t qwNs, uint64_t& qwValue);
    bool bWriteMsrLocked(unsigned nCpu, uint32_t dwIndex, uint64_t qwValue, uint64_t qwNs);
    uint32_t nApicId(unsigned nCpu) const { return nCpu < m_Cpus.size() ? m_Cpus[nCpu].nApicId : 0; }
    // Bus clock cycles since the board started (the local APIC timer counts them).
    uint64_t qwBusCyclesLocked(uint64_t qwNs) const;
    uint64_t qwBusHzLocked() const { return m_qwBusHz; }
    // A new bus clock or multiplier from qwNs on; the counters go on from where they are.
    void vSetClockLocked(uint64_t qwBusHz, uint64_t qwMultiplierNum, uint64_t qwMultiplierDen, uint64_t qwNs);

private:
    struct Cpu {
        uint32_t nApicId = 0;
        CpuidTable Cpuid;
        std::map<uint32_t, uint64_t> Msrs;
        bool bPerfCounters = false;  // APERF and MPERF, announced by CPUID leaf 6 ECX bit 0
        // What each counter adds to the time-stamp count (set by writing the counter).
        uint64_t qwTscOffset = 0, qwMperfOffset = 0, qwAperfOffset = 0;
    };

    platform::CpuidRegs CpuidOf(const Cpu& cpu, uint32_t dwLeaf, uint32_t dwSubLeaf) const;
    // The time-stamp count before any processor's offset.
    uint64_t qwCountLocked(uint64_t qwNs) const;
    uint64_t* pCounterOffset(Cpu& cpu, uint32_t dwIndex);

    CBoardClock& m_Clock;
    std::mutex& m_Mutex;
    std::vector<Cpu> m_Cpus;
    std::optional<uint32_t> m_nMicrocode;
    const uint64_t m_qwSerial;  // tells this board's thread affinities from another's

    // The clocks run in segments of constant rate: at m_qwSegmentNs the counters stood at
    // m_qwSegmentCount and m_qwSegmentBusCycles.
    uint64_t m_qwBusHz;
    uint64_t m_qwMultiplierNum, m_qwMultiplierDen;
    uint64_t m_qwSegmentNs = 0, m_qwSegmentCount = 0, m_qwSegmentBusCycles = 0;
};

}  // namespace sim
