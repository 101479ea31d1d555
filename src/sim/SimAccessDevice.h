// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The "sim" access device: answers the driver's requests from a simulated board. Preparing
// it installs the board's clock and processors in the platform layer, releasing it (or
// destroying it) puts the real ones back, and appends the board's record to the file
// PENDULON_SIM_RECORD names, if it names one (sim/RecordFile.h).
#include <memory>

#include "kit/AccessDevice.h"
#include "sim/SimBoard.h"

namespace sim {

class CSimAccessDevice : public CAccessDevice {
public:
    explicit CSimAccessDevice(std::unique_ptr<CSimBoard> pBoard);
    ~CSimAccessDevice() override;

    const char* szName() const override { return "sim"; }
    bool bPrepare(std::string& strError) override;
    void vRelease() override;
    // As the machine's kernel would have it: a controller the board file binds a kernel
    // driver to ("kernel_driver") is refused unless forced.
    bool bMayDriveSMBus(unsigned nBus, unsigned nDevice, unsigned nFunction, std::string& strReason) override;

    CSimBoard& Board() { return *m_pBoard; }

protected:
    bool bPortIn(uint16_t wPort, unsigned nWidth, uint32_t& dwValue) override;
    bool bPortOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue) override;
    bool bReadPhysical(uint64_t qwAddress, uint32_t nCount, void* pBuffer) override;
    bool bWritePhysicalDword(uint64_t qwAddress, uint32_t dwValue) override;
    bool bReadMsr(uint32_t dwIndex, uint64_t& qwValue) override;
    bool bWriteMsr(uint32_t dwIndex, uint64_t qwValue) override;

private:
    std::unique_ptr<CSimBoard> m_pBoard;
    bool m_bInstalled = false;
};

}  // namespace sim
