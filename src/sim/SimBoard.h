// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The simulated machine: PCI functions behind ports 0xCF8/0xCFC and the enhanced
// configuration window, physical memory, the PM timer, per-processor CPUID tables, MSRs and
// time-stamp counters, all running on a clock of the board's own. It is written as the
// hardware behaves, from the register descriptions, and records every access it serves.
#include <cstdint>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

#include "platform/Clock.h"
#include "platform/Processors.h"
#include "sim/AccessLog.h"

namespace sim {

class CBoardState;  // the board's devices; see SimBoard.cpp
class CSMBusBus;    // sim/SMBusBus.h

class CSimBoard {
public:
    ~CSimBoard();

    // NAME (looked up in the boards directory) or the path of a board file (contains a '/'
    // or ends in ".json"). Null with strError set when it cannot be found or parsed.
    static std::unique_ptr<CSimBoard> Load(const std::string& strNameOrFile, std::string& strError);
    static std::unique_ptr<CSimBoard> FromJson(const std::string& strText, std::string& strError);

    const std::string& strName() const;
    const std::string& strDescription() const;

    // The board's clock: it moves only when the program waits or touches the hardware.
    platform::IClock& Clock();
    // With real-time waits a wait on the board also takes its time on the wall clock, so that
    // a person can watch an FSB walk step by step; the board's clock moves as before.
    void vSetRealTimeWaits(bool bRealTime);
    // The board's processors (count, pinning of the calling thread, CPUID, TSC).
    platform::IProcessors& Processors();
    CAccessLog& Log();

    // The hardware, as the access device reaches it. Each access is logged.
    bool bPortIn(uint16_t wPort, unsigned nWidth, uint32_t& dwValue);
    bool bPortOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue);
    bool bReadPhysical(uint64_t qwAddress, uint32_t nCount, void* pBuffer);
    bool bWritePhysicalDword(uint64_t qwAddress, uint32_t dwValue);
    bool bReadMsr(unsigned nCpu, uint32_t dwIndex, uint64_t& qwValue);
    bool bWriteMsr(unsigned nCpu, uint32_t dwIndex, uint64_t qwValue);

    // For tests: the board as it is, without going through the buses and without logging.
    bool bHasFunction(unsigned nBus, unsigned nDevice, unsigned nFunction) const;
    uint32_t dwPeekConfig(unsigned nBus, unsigned nDevice, unsigned nFunction, unsigned nOffset) const;
    uint64_t qwEnhancedConfigBase() const;  // 0 when the board has none
    uint16_t wPMTimerPort() const;          // 0 when the board has none
    // The driver the board's kernel has bound to that function ("" for none).
    std::string strKernelDriver(unsigned nBus, unsigned nDevice, unsigned nFunction) const;
    // The bus of the board's SMBus controller nIndex (in the order of the "smbus" section),
    // null when there is none. Change its devices only while holding AccessMutex().
    CSMBusBus* pSMBus(size_t nIndex) const;
    std::mutex& AccessMutex();

private:
    CSimBoard();
    // Decodes a board file and builds the board; strLabel names it in errors (empty: by its
    // name field), strDefaultName is its name when the file gives none.
    static std::unique_ptr<CSimBoard> Make(const std::string& strText, const std::string& strLabel,
                                           const std::string& strDefaultName, std::string& strError);
    std::unique_ptr<CBoardState> m_pState;
};

}  // namespace sim
