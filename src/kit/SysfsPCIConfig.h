// SPDX-License-Identifier: GPL-2.0-or-later
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
    //
    // A header read (a dword read of offset 4 right after the one of offset 0 of the same
    // function, as the scan makes it) reads the rest of the 64-byte header at once, and the
    // dword reads of that function that follow in rising order are served from it: two system
    // calls a function instead of sixteen. Each dword is served once; a register read again, a
    // read of another function or of any other size, any write and the end of the session
    // (vEndSession) go to the function again, so a register that is polled is read each time.
    uint32_t dwRead(unsigned nBus, unsigned nDevice, unsigned nFunction, unsigned nOffset, unsigned nWidth);
    bool bWrite(unsigned nBus, unsigned nDevice, unsigned nFunction, unsigned nOffset, unsigned nWidth, uint32_t dwValue);

    // The driver device was closed: nothing read in the session is served any more.
    void vEndSession() { vForgetHeader(); }
    void vCloseAll();

private:
    int nOpen(unsigned nBus, unsigned nDevice, unsigned nFunction);
    // Lists the functions of domain 0 once, so that probing the many absent ones costs no
    // system call.
    void vListFunctions();

    void vForgetHeader() { m_dwHeaderKey = m_dwProbedKey = NO_FUNCTION; }

    static constexpr uint32_t NO_FUNCTION = 0xFFFFFFFF;
    static constexpr unsigned HEADER_BYTES = 64;

    std::string m_strRoot;
    bool m_bListed = false;
    std::set<uint32_t> m_Present;  // bus/device/function keys found in the directory
    uint32_t m_dwAddressLatch = 0;
    std::map<uint32_t, int> m_Files;  // bus/device/function → descriptor, -1 when it cannot be opened
    uint32_t m_dwProbedKey = NO_FUNCTION;  // the function whose offset 0 the last access read
    uint32_t m_dwHeaderKey = NO_FUNCTION;  // the function whose header m_abHeader holds
    unsigned m_nHeaderNext = HEADER_BYTES;  // the first offset of it not served yet
    uint8_t m_abHeader[HEADER_BYTES] = {};
};

}  // namespace kit
