// SPDX-License-Identifier: GPL-2.0-or-later
#include "cpu/AMDFamilies.h"

#include <iterator>

#include "cpu/CPUThread.h"
#include "cpu/FIDVIDControls.h"
#include "cpu/FamilyTools.h"
#include "kit/IOSpace.h"
#include "kit/PCIConfig.h"

using cpufamily::bReadMSRBits;
using cpufamily::Cpuid;
using cpufamily::fLookUp;

namespace {

constexpr uint32_t LEAF_POWER_MANAGEMENT = 0x80000007;
constexpr unsigned POWER_FID_CONTROL = 1;
constexpr unsigned POWER_VID_CONTROL = 2;
constexpr unsigned POWER_INVARIANT_TSC = 8;

constexpr uint32_t MSR_K6_PSOR = 0xC0000087;
constexpr uint32_t MSR_HWCR = 0xC0010015;

constexpr uint32_t K8_FAMILY = 15;

constexpr int32_t K6_TRANSFERS = 1;
constexpr int32_t K7_TRANSFERS = 2;

// K6-2 and later: bus divisor field of the processor state observability register.
constexpr float s_afK6Multipliers[16] = {4.5f,  5.0f,  4.0f,  5.5f,  2.5f,  3.0f,  6.0f,  3.5f,
                                         -1.0f, -1.0f, -1.0f, -1.0f, -1.0f, -1.0f, -1.0f, -1.0f};

// K7 without a PowerNow! control: the hardware configuration register's multiplier code,
// whose meaning bit 19 switches.
constexpr float s_afK7Multipliers[16] = {11.0f, 11.5f, 12.0f, 12.5f, 5.0f, 5.5f, 6.0f, 6.5f,
                                         7.0f,  7.5f,  8.0f,  8.5f,  9.0f, 9.5f, 10.0f, 10.5f};
constexpr float s_afK7HighMultipliers[16] = {25.0f, 19.0f, 26.0f, 20.0f, 13.0f, 13.5f, 14.0f, 21.0f,
                                             15.0f, 22.0f, 16.0f, 16.5f, 17.0f, 18.0f, 23.0f, 24.5f};

// The K8's own host bridge carries its HyperTransport links.
constexpr uint32_t K8_BRIDGE_DEVICE = 0x18;
constexpr uint32_t K8_BRIDGE_ID = 0x11001022;
constexpr uint32_t PCI_CAPABILITY_POINTER = 0x34;
constexpr uint32_t CAPABILITY_HYPERTRANSPORT = 0x08;
constexpr uint32_t HT_TYPE_HOST = 1;     // bits 29..31 of the capability's first dword
constexpr uint32_t HT_HOST_FREQUENCY = 0x08;
constexpr unsigned MAX_CAPABILITIES = 48;

// Link frequencies in MHz by frequency code.
constexpr int32_t s_anLinkMHz[] = {200, 300, 400, 500, 600, 800, 1000, 1200, 1400, 1600};
constexpr int32_t HT_REFERENCE_MHZ = 200;

// Creates the family's PowerNow!/Cool'n'Quiet reader when the processor announces FID or VID
// control; the two flags are stored before the first status read.
template <typename TControl>
void vCreatePowerNowControl(CCPUInfos& infos, const CCPUThread& thread)
{
    if (thread.m_nMaxExtLeaf < LEAF_POWER_MANAGEMENT) return;
    const uint32_t dwFeatures = Cpuid(LEAF_POWER_MANAGEMENT).edx;
    const uint32_t bFID = (dwFeatures >> POWER_FID_CONTROL) & 1, bVID = (dwFeatures >> POWER_VID_CONTROL) & 1;
    if (!bFID && !bVID) return;
    delete infos.m_pControl;
    infos.m_pControl = new TControl;
    infos.m_pControl->m_bFIDControl = bFID;
    infos.m_pControl->m_bVIDControl = bVID;
    infos.m_pControl->ReadStatus();
}

// Reads the K8 host bridge's configuration; before the PCI interface exists the ports are
// reached through a space of our own.
class CBridgeConfig {
public:
    uint32_t dwRead(uint32_t dwOffset)
    {
        CPCIIOSpace* pSpace = kit::FindPCIConfigSpace();
        if (!pSpace) pSpace = &m_Own;
        return pSpace->ReadConfig(0, K8_BRIDGE_DEVICE, 0, dwOffset);
    }

private:
    CPCIIOSpace m_Own;
};

// The frequency code of the first host link of the K8 host bridge; false without one.
bool bFindLinkFrequency(uint32_t& nCode)
{
    CBridgeConfig config;
    // The K8's host bridge always has its capability list; its status bit is not relied on.
    if (config.dwRead(0) != K8_BRIDGE_ID) return false;
    uint32_t dwPointer = config.dwRead(PCI_CAPABILITY_POINTER) & 0xFC;
    for (unsigned n = 0; n < MAX_CAPABILITIES && dwPointer >= 0x40; ++n) {
        const uint32_t dwHeader = config.dwRead(dwPointer);
        if (dwHeader == 0xFFFFFFFF) return false;
        if ((dwHeader & 0xFF) == CAPABILITY_HYPERTRANSPORT && (dwHeader >> 29) == HT_TYPE_HOST) {
            nCode = (config.dwRead(dwPointer + HT_HOST_FREQUENCY) >> 8) & 0xF;
            return true;
        }
        dwPointer = (dwHeader >> 8) & 0xFC;
    }
    return false;
}

}  // namespace

int32_t nHyperTransportTransfers(uint32_t nFrequencyCode)
{
    if (nFrequencyCode >= std::size(s_anLinkMHz)) return -1;
    return 2 * s_anLinkMHz[nFrequencyCode] / HT_REFERENCE_MHZ;
}

// K6, K6-2, K6-III.

void AMD_K6_Infos::Identify(CCPUThread& thread)
{
    thread.m_nBusTransfers = K6_TRANSFERS;
    thread.m_dwFlags &= ~uint32_t(CPU_FLAG_PM_TIMER);
}

void AMD_K6_Infos::Classify(CCPUThread& thread) { bNameAMDK6(thread); }

float AMD_K6_Infos::GetMultiplier(CCPUThread& thread)
{
    // Only the K6-2 from stepping 8 of model 8 on reports its multiplier.
    if (thread.m_nModel < 8 || (thread.m_nModel == 8 && thread.m_nStepping < 8)) return -1.0f;
    uint32_t dwCode = 0;
    if (!bReadMSRBits(thread, MSR_K6_PSOR, 0, 3, dwCode)) return -1.0f;
    return fLookUp(s_afK6Multipliers, std::size(s_afK6Multipliers), dwCode);
}

void AMD_K6_Infos::Dump() { cpufamily::vDumpFamily("AMD K6", m_pControl); }

// Athlon, Duron, Athlon XP/MP, Sempron of socket A.

void AMD_K7_Infos::Identify(CCPUThread& thread)
{
    thread.m_nBusTransfers = K7_TRANSFERS;
    vCreatePowerNowControl<K7_FIDVID_Control>(*this, thread);
}

void AMD_K7_Infos::Classify(CCPUThread& thread) { bNameAMDK7(thread); }

float AMD_K7_Infos::GetMultiplier(CCPUThread& thread)
{
    if (m_pControl) return m_pControl->ReadStatus() ? m_pControl->GetCurrentMultiplier() : -1.0f;
    uint32_t dwCode = 0, dwHigh = 0;
    if (!bReadMSRBits(thread, MSR_HWCR, 24, 27, dwCode) || !bReadMSRBits(thread, MSR_HWCR, 19, 19, dwHigh))
        return -1.0f;
    return dwHigh ? s_afK7HighMultipliers[dwCode] : s_afK7Multipliers[dwCode];
}

void AMD_K7_Infos::Dump() { cpufamily::vDumpFamily("AMD K7", m_pControl); }

// Athlon 64, Opteron, Sempron, Turion.

void AMD_K8_Infos::Identify(CCPUThread& thread)
{
    if (thread.m_nMaxExtLeaf >= LEAF_POWER_MANAGEMENT && ((Cpuid(LEAF_POWER_MANAGEMENT).edx >> POWER_INVARIANT_TSC) & 1))
        thread.m_dwFlags |= CPU_FLAG_CONSTANT_TSC;
    vCreatePowerNowControl<K8_FIDVID_Control>(*this, thread);
    uint32_t nCode = 0;
    if (bFindLinkFrequency(nCode)) thread.m_nBusTransfers = nHyperTransportTransfers(nCode);
}

void AMD_K8_Infos::Classify(CCPUThread& thread) { bNameAMDK8(thread); }

float AMD_K8_Infos::GetMultiplier(CCPUThread& thread)
{
    // A status that cannot be read, or whose change stays pending, tells no current FID:
    // the one read before would be stale.
    if (m_pControl) return m_pControl->ReadStatus() ? m_pControl->GetCurrentMultiplier() : -1.0f;
    // Only family 15 keeps its start FID in the configuration register; the later families
    // that report family 15 in their extended leaf use those bits otherwise.
    if (thread.m_nExtFamily != K8_FAMILY) return -1.0f;
    uint32_t dwFID = 0;
    if (!bReadMSRBits(thread, MSR_HWCR, 24, 29, dwFID)) return -1.0f;
    return K8_FIDVID_Control::fFIDToMultiplier(int32_t(dwFID));
}

void AMD_K8_Infos::Dump() { cpufamily::vDumpFamily("AMD K8", m_pControl); }
