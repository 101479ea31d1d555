// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The "linux" access device: the real machine through the kernel's interfaces. Ports through
// ioperm/iopl and the in/out instructions, else /dev/port; physical memory through /dev/mem;
// MSRs through /dev/cpu/N/msr of the processor the calling thread is pinned to; PCI
// configuration through sysfs when ports cannot be used.
#include <map>
#include <memory>
#include <string>

#include "kit/AccessDevice.h"
#include "kit/SysfsPCIConfig.h"

namespace kit {

class CLinuxAccessDevice : public CAccessDevice {
public:
    // strSysfsRoot: the directory of the PCI functions (tests give a tree of their own).
    explicit CLinuxAccessDevice(std::string strSysfsRoot = "/sys/bus/pci/devices");
    ~CLinuxAccessDevice() override;

    const char* szName() const override { return "linux"; }
    bool bPrepare(std::string& strError) override;
    // Refused while a kernel driver is bound to the function (its "driver" link exists),
    // unless forced; the reason names the module to unload.
    bool bMayDriveSMBus(unsigned nBus, unsigned nDevice, unsigned nFunction, std::string& strReason) override;
    void vRelease() override;
    void vEndSession() override;

    // How ports are reached once prepared.
    enum class PortAccess { None, Instructions, DevPort };
    PortAccess ePortAccess() const { return m_ePorts; }

protected:
    bool bPortIn(uint16_t wPort, unsigned nWidth, uint32_t& dwValue) override;
    bool bPortOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue) override;
    bool bReadPhysical(uint64_t qwAddress, uint32_t nCount, void* pBuffer) override;
    bool bWritePhysicalDword(uint64_t qwAddress, uint32_t dwValue) override;
    bool bReadMsr(uint32_t dwIndex, uint64_t& qwValue) override;
    bool bWriteMsr(uint32_t dwIndex, uint64_t qwValue) override;

private:
    int nMsrFile(unsigned nCpu);
    // Reads through a mapping of /dev/mem: device registers in aligned dwords (bRegisters), or
    // memory as bytes.
    bool bMapRead(int nFd, bool bRegisters, uint64_t qwAddress, uint32_t nCount, void* pBuffer);

    PortAccess m_ePorts = PortAccess::None;
    int m_nDevPort = -1;
    int m_nDevMem = -1;        // uncached (O_SYNC): device registers, and writes
    int m_nDevMemCached = -1;  // write-back: firmware tables in reserved memory
    std::map<unsigned, int> m_MsrFiles;
    std::unique_ptr<CSysfsPCIConfig> m_pSysfs;
    std::string m_strSysfsRoot;
};

}  // namespace kit
