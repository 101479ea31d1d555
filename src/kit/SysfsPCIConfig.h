#pragma once
// PCI configuration space through the kernel's sysfs files (<root>/0000:BB:DD.F/config), for
// machines where the program may not touch ports 0xCF8/0xCFC itself. The Linux access device
// serves the mechanism #1 port sequence from it: a dword written to 0xCF8 is latched, and
// accesses to 0xCFC-0xCFF reach the function and offset the latch names.
#include <cstdint>
#include <map>
#include <set>
#include <string>

namespace kit {

class CSysfsPCIConfig {
public:
    explicit CSysfsPCIConfig(std::string strRoot = "/sys/bus/pci/devices");
    ~CSysfsPCIConfig();
    CSysfsPCIConfig(const CSysfsPCIConfig&) = delete;
    CSysfsPCIConfig& operator=(const CSysfsPCIConfig&) = delete;

    // True when the directory exists and lists at least one function of domain 0.
    bool bAvailable() const;

    // The ports of mechanism #1 (nWidth 1, 2 or 4). False for other ports.
    bool bPortIn(uint16_t wPort, unsigned nWidth, uint32_t& dwValue);
    bool bPortOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue);
    static bool bIsConfigPort(uint16_t wPort) { return wPort >= 0xCF8 && wPort <= 0xCFF; }

    // Direct access; an absent function reads all ones and ignores writes.
    uint32_t dwRead(unsigned nBus, unsigned nDevice, unsigned nFunction, unsigned nOffset, unsigned nWidth);
    bool bWrite(unsigned nBus, unsigned nDevice, unsigned nFunction, unsigned nOffset, unsigned nWidth, uint32_t dwValue);

    void vCloseAll();

private:
    int nOpen(unsigned nBus, unsigned nDevice, unsigned nFunction);
    // Lists the functions of domain 0 once, so that probing the many absent ones costs no
    // system call.
    void vListFunctions();

    std::string m_strRoot;
    bool m_bListed = false;
    std::set<uint32_t> m_Present;  // bus/device/function keys found in the directory
    uint32_t m_dwAddressLatch = 0;
    std::map<uint32_t, int> m_Files;  // bus/device/function → descriptor, -1 when absent
};

}  // namespace kit
