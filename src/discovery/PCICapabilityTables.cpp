// SPDX-License-Identifier: GPL-2.0-or-later
#include "discovery/PCICapabilityTables.h"

#include <iterator>

#include "discovery/PCICapabilities.h"

namespace discovery {

namespace {

struct CodeName {
    int32_t nCode;
    const char* pszName;
};

struct CodeValue {
    uint32_t dwCode;
    int32_t nValue;
};

// Interface types 0 and 1 come from the top three bits of the command word, the others from
// its top five bits.
const CodeName s_HTTypes[] = {
    {0x00, "Slave/Primary"},
    {0x01, "Host/Secondary"},
    {0x08, "Switch"},
    {0x10, "Interrupt discovery and configuration"},
    {0x11, "Revision ID"},
    {0x12, "Clumping"},
    {0x13, "Extended configuration space"},
    {0x14, "Address mapping"},
    {0x15, "MSI mapping"},
    {0x16, "Direct route"},
    {0x17, "VCSet"},
    {0x18, "Retry mode"},
    {0x19, "X86 encoding"},
};

const CodeValue s_HTWidths[] = {
    {0, 8}, {1, 16}, {3, 32}, {4, 2}, {5, 4}, {7, 0},  // 7: not connected
};

const CodeValue s_HTFrequencies[] = {
    {0, 200},   {1, 300},   {2, 400},   {3, 500},   {4, 600},   {5, 800},   {6, 1000}, {7, 1200},
    {8, 1400},  {9, 1600},  {10, 1800}, {11, 2000}, {12, 2200}, {13, 2400}, {14, 2600}, {15, 0},
};

const CodeName s_PCIExpressTypes[] = {
    {PCIE_TYPE_ENDPOINT, "PCI-E Endpoint Device"},
    {PCIE_TYPE_LEGACY_ENDPOINT, "Legacy PCI-E Endpoint Device"},
    {PCIE_TYPE_ROOT_PORT, "Root Port of PCI-E Root Complex"},
    {PCIE_TYPE_UPSTREAM_PORT, "Upstream Port of PCI-E Switch"},
    {PCIE_TYPE_DOWNSTREAM_PORT, "Downstream Port of PCI-E Switch"},
    {PCIE_TYPE_PCI_BRIDGE, "PCI-E to PCI/PCI-X bridge"},
    {PCIE_TYPE_RC_INTEGRATED_ENDPOINT, "Root Complex Integrated Endpoint Device"},
};

template <size_t N>
const char* pszFind(const CodeName (&table)[N], int32_t nCode)
{
    for (const CodeName& entry : table)
        if (entry.nCode == nCode) return entry.pszName;
    return nullptr;
}

template <size_t N>
int32_t nFind(const CodeValue (&table)[N], uint32_t dwCode, int32_t nDefault)
{
    for (const CodeValue& entry : table)
        if (entry.dwCode == dwCode) return entry.nValue;
    return nDefault;
}

}  // namespace

const char* pszHTInterfaceType(int32_t nType) { return pszFind(s_HTTypes, nType); }

int32_t nHTLinkWidth(uint32_t dwCode) { return nFind(s_HTWidths, dwCode & 7, -1); }

int32_t nHTLinkFrequency(uint32_t dwCode) { return nFind(s_HTFrequencies, dwCode & 15, -1); }

const char* pszPCIExpressType(int32_t nType)
{
    const char* pszName = pszFind(s_PCIExpressTypes, nType);
    return pszName ? pszName : "Unknown";
}

}  // namespace discovery
