// SPDX-License-Identifier: GPL-2.0-or-later
#include "cpu/CPUVendors.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "cpu/AMDFamilies.h"
#include "cpu/CPUThread.h"
#include "cpu/FamilyTools.h"
#include "cpu/IntelFamilies.h"
#include "cpu/MSRRegister.h"
#include "cpu/VIAFamilies.h"

using namespace cpufamily;

namespace {

using PFN_CREATE_INFOS = CCPUInfos* (*)();

template <typename T>
CCPUInfos* pCreate()
{
    return new T;
}

// The vendor table, in the order the vendor string is compared.
struct VENDOR_ENTRY {
    const char* pszVendor;
    const char* pszName;
    PFN_CREATE_INFOS pfnCreate;  // null: no vendor object
    uint32_t dwCode;             // set when there is no object; 0: left as it is
};

constexpr VENDOR_ENTRY s_Vendors[] = {
    {"GenuineIntel", "Intel Processor", pCreate<Intel_CPU_Infos>, 0},
    {"AuthenticAMD", "AMD Processor", pCreate<AMD_CPU_Infos>, 0},
    {"CyrixInstead", "Cyrix Processor", nullptr, CPU_CODE_CYRIX},
    {"CentaurHauls", "VIA Processor", pCreate<VIA_CPU_Infos>, 0},
    {"GenuineTMx86", "Transmeta Processor", pCreate<Transmeta_CPU_Infos>, 0},
    {"UMC UMC UMC", "UMC Processor", nullptr, 0},
    {"NexGenDriven", "NexGen Processor", nullptr, 0},
    {"RiseRiseRise", "Rise Processor", nullptr, 0},
    {"SiS SiS SiS", "SiS Processor", nullptr, 0},
    {"Geode by NSC", "National Semiconductor Processor", nullptr, 0},
};

// The processors pad their 12-character vendor strings with blanks ("UMC UMC UMC ").
bool bSameVendor(const char* pszThread, const char* pszTable)
{
    size_t nLength = std::strlen(pszThread);
    while (nLength > 0 && pszThread[nLength - 1] == ' ') --nLength;
    return nLength == std::strlen(pszTable) && std::strncmp(pszThread, pszTable, nLength) == 0;
}

void vSetName(CCPUThread& thread, const char* pszName)
{
    std::snprintf(thread.m_szName, sizeof thread.m_szName, "%s", pszName);
}

// Intel.

constexpr uint32_t LEAF_FEATURES = 1;
constexpr uint32_t LEAF_DETERMINISTIC_CACHE = 4;
constexpr uint32_t LEAF_THERMAL_POWER = 6;
constexpr unsigned FEATURE_ENHANCED_SPEEDSTEP = 7;  // leaf 1 ECX
// Leaf 4 sub-leaves read at most; real processors have a handful.
constexpr uint32_t MAX_CACHE_SUBLEAVES = 32;

constexpr uint32_t MSR_MISC_ENABLE = 0x1A0;
constexpr uint32_t MISC_LIMIT_CPUID_MAXVAL = 1u << 22;
constexpr uint32_t MSR_BIOS_SIGN_ID = 0x8B;

// The level-2 object of an extended family and model. The model set is a bit mask.
struct INTEL_FAMILY_ENTRY {
    uint32_t nExtFamily;
    uint64_t qwModels;
    PFN_CREATE_INFOS pfnCreate;
};

constexpr uint64_t bit(unsigned n) { return uint64_t(1) << n; }
constexpr uint64_t ALL_MODELS = ~uint64_t(0);

constexpr INTEL_FAMILY_ENTRY s_IntelFamilies[] = {
    {5, ALL_MODELS, pCreate<Intel_P5_Infos>},
    {6, bit(1) | bit(3) | bit(5) | bit(6) | bit(7) | bit(8) | bit(10) | bit(11), pCreate<Intel_P6_Infos>},
    {6, bit(9) | bit(13), pCreate<Intel_Mobile_Infos>},
    {6, bit(14), pCreate<Intel_Core_Infos>},
    {6, bit(15) | bit(22), pCreate<Intel_Core_2_Infos>},
    {15, ALL_MODELS, pCreate<Intel_Netburst_Infos>},
};

bool bHasCache(const CCPUThread& thread, int32_t nLevel, int32_t nType)
{
    return thread.m_pCacheList->Find([nLevel, nType](CCacheDescriptor* p) {
        return p->m_nLevel == nLevel && p->m_nType == nType;
    }) != nullptr;
}

// The deterministic cache parameters: one descriptor per level and type; the core count
// from the first sub-leaf.
void vReadDeterministicCaches(CCPUThread& thread)
{
    for (uint32_t nSub = 0; nSub < MAX_CACHE_SUBLEAVES; ++nSub) {
        const platform::CpuidRegs regs = Cpuid(LEAF_DETERMINISTIC_CACHE, nSub);
        const int32_t nType = int32_t(regs.eax & 31);
        if (nType == 0) break;
        if (nSub == 0) thread.m_nCoresPerPackage = dwBits(regs.eax, 26, 31) + 1;
        const int32_t nLevel = int32_t(dwBits(regs.eax, 5, 7));
        if (bHasCache(thread, nLevel, nType)) continue;
        CCacheDescriptor* pCache = new CCacheDescriptor;
        pCache->m_nLevel = nLevel;
        pCache->m_nType = nType;
        pCache->m_nSharing = int32_t(dwBits(regs.eax, 14, 25) + 1);
        pCache->m_nLineSize = int32_t(dwBits(regs.ebx, 0, 11) + 1);
        pCache->m_nWays = int32_t(dwBits(regs.ebx, 22, 31) + 1);
        pCache->m_nSets = regs.ecx == 0xFFFFFFFF ? -1 : int32_t(regs.ecx + 1);
        const uint64_t qwPartitions = dwBits(regs.ebx, 12, 21) + 1;
        const uint64_t qwBytes = uint64_t(pCache->m_nWays) * qwPartitions * uint64_t(pCache->m_nLineSize) *
                                 (uint64_t(regs.ecx) + 1);
        pCache->m_nSize = qwBytes / 1024 <= 0x7FFFFFFF ? int32_t(qwBytes / 1024) : -1;
        thread.m_pCacheList->Append(pCache);
    }
}

// Processors whose BIOS limits CPUID to leaf 2 (for old operating systems) answer leaf 4
// only while the limit is lifted; it is put back at once.
void vReadLimitedCaches(CCPUThread& thread)
{
    const bool bNetburst = thread.m_nExtFamily == 15 && thread.m_nModel >= 4;
    const bool bCore = thread.m_nFamily == 6 && thread.m_nExtModel >= 14;
    if (!bNetburst && !bCore) return;
    MSR_Register* pMisc = thread.GetMSR(MSR_MISC_ENABLE);
    // Without the limit bit there is nothing to lift: leaf 4 is simply absent.
    if (!pMisc || !(pMisc->m_dwLow & MISC_LIMIT_CPUID_MAXVAL)) return;
    const uint32_t dwHigh = pMisc->m_dwHigh, dwLow = pMisc->m_dwLow;
    if (!pMisc->Write(dwHigh, dwLow & ~MISC_LIMIT_CPUID_MAXVAL)) return;
    vReadDeterministicCaches(thread);
    pMisc->Write(dwHigh, dwLow);
}

// The microcode update signature: cleared, loaded by CPUID leaf 1, read back.
void vReadMicrocode(CCPUThread& thread)
{
    MSR_Register signature(MSR_BIOS_SIGN_ID);
    signature.Write(0, 0);
    Cpuid(LEAF_FEATURES);
    if (MSR_Register* pSignature = thread.GetMSR(MSR_BIOS_SIGN_ID)) thread.m_dwMicrocode = pSignature->m_dwHigh;
}

// AMD.

constexpr uint32_t LEAF_EXTENDED_FEATURES = 0x80000001;
constexpr uint32_t LEAF_ADDRESS_SIZES = 0x80000008;

struct AMD_FAMILY_ENTRY {
    uint32_t nFamily;  // of leaf 0x80000001
    const char* pszName;
    const char* pszCodeName;
    PFN_CREATE_INFOS pfnCreate;  // null: no family object
    uint32_t dwCode;             // the code of the families without an object
};

constexpr AMD_FAMILY_ENTRY s_AMDFamilies[] = {
    {4, "Am486 or Am5x86", nullptr, nullptr, CPU_CODE_AMD_486},
    {5, "AMD K5", "5k86", nullptr, CPU_CODE_AMD_K5},
    {6, "AMD K6", nullptr, pCreate<AMD_K6_Infos>, 0},
    {7, "AMD K7", nullptr, pCreate<AMD_K7_Infos>, 0},
    {15, "AMD K8", nullptr, pCreate<AMD_K8_Infos>, 0},
};

// VIA: processors without a family object read their multiplier here.

constexpr uint32_t MSR_EBL_CR_POWERON = 0x2A;
constexpr uint32_t MSR_WINCHIP_FCR2 = 0x10A;  // bus ratio of the WinChip 2 and 3
constexpr uint32_t MSR_WINCHIP_PLL = 0x147;

constexpr float s_afWinChip2[4] = {2.0f, 3.0f, 4.0f, 5.0f};
// Samuel 2 / Ezra, ratio codes of MSR 0x2A bits 22..25, from stepping 8 on and before.
constexpr float s_afC3Late[16] = {5.0f, 3.0f, 4.0f, 10.0f, 5.5f, 3.5f,  4.5f, 9.5f,
                                  9.0f, 7.0f, 8.0f, 6.0f,  12.0f, 7.5f, 8.5f, 6.5f};
constexpr float s_afC3Early[16] = {5.0f, -1.0f, 4.0f, 10.0f, 5.5f, 3.5f,  4.5f,  11.0f,
                                   9.0f, 7.0f,  8.0f, 6.0f,  12.0f, 7.5f, 13.0f, 6.5f};
// Ezra-T and Nehemiah: bits 22..25 plus 16 times bit 27.
constexpr float s_afC3Wide[32] = {5.0f,  3.0f,  4.0f,  10.0f, 5.5f,  3.5f,  4.5f,  9.5f,
                                  9.0f,  7.0f,  8.0f,  6.0f,  12.0f, 7.5f,  8.5f,  6.5f,
                                  -1.0f, 11.0f, 12.0f, -1.0f, 13.5f, 11.5f, 12.5f, 10.5f,
                                  13.0f, 15.0f, 16.0f, 14.0f, -1.0f, 15.5f, -1.0f, 14.5f};

float fWinChip2(CCPUThread& thread, const float*)
{
    uint32_t dwCode = 0;
    return bReadMSRBits(thread, MSR_WINCHIP_FCR2, 0, 1, dwCode) ? s_afWinChip2[dwCode] : -1.0f;
}

float fWinChip3(CCPUThread& thread, const float*)
{
    uint32_t dwPLL = 0, dwDivider = 0;
    if (!bReadMSRBits(thread, MSR_WINCHIP_PLL, 23, 26, dwPLL) || !bReadMSRBits(thread, MSR_WINCHIP_FCR2, 0, 1, dwDivider))
        return -1.0f;
    return float(dwPLL + 2) / float(dwDivider + 2);
}

float fC3Ratio(CCPUThread& thread, const float* pfTable)
{
    uint32_t dwCode = 0;
    return bReadMSRBits(thread, MSR_EBL_CR_POWERON, 22, 25, dwCode) ? fLookUp(pfTable, 16, dwCode) : -1.0f;
}

float fC3WideRatio(CCPUThread& thread, const float* pfTable)
{
    uint32_t dwCode = 0, dwHigh = 0;
    if (!bReadMSRBits(thread, MSR_EBL_CR_POWERON, 22, 25, dwCode) ||
        !bReadMSRBits(thread, MSR_EBL_CR_POWERON, 27, 27, dwHigh))
        return -1.0f;
    return fLookUp(pfTable, 32, dwCode + 16 * dwHigh);
}

struct VIA_MULTIPLIER_ENTRY {
    uint32_t nFamily;
    uint32_t nModelFirst, nModelLast;
    uint32_t nSteppingFirst, nSteppingLast;
    float (*pfnRead)(CCPUThread&, const float*);
    const float* pfTable;
};

constexpr VIA_MULTIPLIER_ENTRY s_VIAMultipliers[] = {
    {5, 8, 8, 0, 0xFF, fWinChip2, nullptr},
    {5, 9, 9, 0, 0xFF, fWinChip3, nullptr},
    {6, 6, 7, 8, 0xFF, fC3Ratio, s_afC3Late},
    {6, 6, 7, 0, 7, fC3Ratio, s_afC3Early},
    {6, 8, 9, 0, 0xFF, fC3WideRatio, s_afC3Wide},
};

constexpr uint32_t VIA_C7_FAMILY = 6;
constexpr uint32_t VIA_C7_MODEL = 10;

}  // namespace

void vAttachVendorInfos(CCPUThread& thread)
{
    for (const VENDOR_ENTRY& vendor : s_Vendors) {
        if (!bSameVendor(thread.m_szVendor, vendor.pszVendor)) continue;
        vSetName(thread, vendor.pszName);
        if (vendor.dwCode) thread.m_dwCode = vendor.dwCode;
        if (vendor.pfnCreate) thread.Attach(vendor.pfnCreate(), 1);
        return;
    }
    std::snprintf(thread.m_szName, sizeof thread.m_szName, "%s Processor", thread.m_szVendor);
}

// Intel.

void Intel_CPU_Infos::Identify(CCPUThread& thread)
{
    if (thread.m_nMaxLeaf >= LEAF_FEATURES)
        thread.m_bEnhancedSpeedStep = (Cpuid(LEAF_FEATURES).ecx >> FEATURE_ENHANCED_SPEEDSTEP) & 1;
    if (thread.m_nMaxLeaf >= LEAF_DETERMINISTIC_CACHE)
        vReadDeterministicCaches(thread);
    else
        vReadLimitedCaches(thread);
    if (thread.m_nMaxLeaf >= LEAF_THERMAL_POWER) thread.m_bThermalSensor = Cpuid(LEAF_THERMAL_POWER).eax & 1;
    if (thread.m_nFamily >= 6) vReadMicrocode(thread);
}

void Intel_CPU_Infos::Classify(CCPUThread& thread)
{
    for (const INTEL_FAMILY_ENTRY& family : s_IntelFamilies) {
        if (thread.m_nExtFamily != family.nExtFamily) continue;
        if (thread.m_nExtModel >= 64 || !(family.qwModels & bit(thread.m_nExtModel))) continue;
        thread.Attach(family.pfnCreate(), 2);
        return;
    }
}

void Intel_CPU_Infos::Dump() { vDumpFamily("Intel", m_pControl); }

// AMD.

void AMD_CPU_Infos::Identify(CCPUThread& thread)
{
    if (thread.m_nFamily == 15 && thread.m_nMaxExtLeaf >= LEAF_ADDRESS_SIZES)
        thread.m_nCoresPerPackage = dwBits(Cpuid(LEAF_ADDRESS_SIZES).ecx, 0, 7) + 1;
}

void AMD_CPU_Infos::Classify(CCPUThread& thread)
{
    // The K5 of model 0 has no extended leaves: its standard family tells the same.
    const bool bExtended = thread.m_nMaxExtLeaf >= LEAF_EXTENDED_FEATURES;
    const uint32_t dwSignature = bExtended ? Cpuid(LEAF_EXTENDED_FEATURES).eax : 0;
    const uint32_t nFamily = bExtended ? dwBits(dwSignature, 8, 11) : thread.m_nFamily;
    // Family 15 with an extended family is a later generation (family 10h and up) whose
    // P-state registers the K8 object would misread: it gets no family object.
    if (nFamily == 15 && dwBits(dwSignature, 20, 27) != 0) return;
    for (const AMD_FAMILY_ENTRY& family : s_AMDFamilies) {
        if (family.nFamily != nFamily) continue;
        vSetName(thread, family.pszName);
        if (family.pszCodeName)
            std::snprintf(thread.m_szCodeName, sizeof thread.m_szCodeName, "%s", family.pszCodeName);
        if (family.pfnCreate)
            thread.Attach(family.pfnCreate(), 2);
        else
            thread.m_dwCode = family.dwCode;
        return;
    }
}

void AMD_CPU_Infos::Dump() { vDumpFamily("AMD", m_pControl); }

// VIA.

void VIA_CPU_Infos::Classify(CCPUThread& thread)
{
    if (thread.m_nFamily == VIA_C7_FAMILY && thread.m_nModel == VIA_C7_MODEL) {
        vSetName(thread, "VIA C7");
        thread.Attach(new VIA_C7_Infos, 2);
        return;
    }
    bNameVIA(thread);
}

float VIA_CPU_Infos::GetMultiplier(CCPUThread& thread)
{
    for (const VIA_MULTIPLIER_ENTRY& entry : s_VIAMultipliers) {
        if (thread.m_nFamily == entry.nFamily && thread.m_nModel >= entry.nModelFirst &&
            thread.m_nModel <= entry.nModelLast && thread.m_nStepping >= entry.nSteppingFirst &&
            thread.m_nStepping <= entry.nSteppingLast)
            return entry.pfnRead(thread, entry.pfTable);
    }
    return -1.0f;
}

void VIA_CPU_Infos::Dump() { vDumpFamily("VIA", m_pControl); }

// Transmeta.

void Transmeta_CPU_Infos::Dump() { vDumpFamily("Transmeta", m_pControl); }
