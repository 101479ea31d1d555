// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The objects a logical processor carries to describe itself: level 1 names the vendor, level
// 2 the family (level 3, the model, has no class yet). Each reads what its kind of processor
// offers (CPUID leaves, MSRs), names the processor and knows how to read its multiplier.
#include <cstdint>

class CCPUThread;
class FIDVID_Control;

// Vendor/family codes: the top byte names the vendor, the low bits the family.
enum : uint32_t {
    CPU_CODE_VENDOR_MASK = 0xFF000000,
    CPU_CODE_INTEL = 0x1000000,
    CPU_CODE_INTEL_P5 = 0x1000400,
    CPU_CODE_INTEL_P6 = 0x1000800,
    CPU_CODE_INTEL_NETBURST = 0x1001000,
    CPU_CODE_INTEL_MOBILE = 0x1002000,
    CPU_CODE_INTEL_CORE = 0x1004000,
    CPU_CODE_INTEL_CORE_2 = 0x1008000,
    CPU_CODE_AMD = 0x2000000,
    CPU_CODE_AMD_486 = 0x2000200,
    CPU_CODE_AMD_K5 = 0x2000400,
    CPU_CODE_AMD_K6 = 0x2000800,
    CPU_CODE_AMD_K7 = 0x2001000,
    CPU_CODE_AMD_K8 = 0x2002000,
    CPU_CODE_CYRIX = 0x4000000,
    CPU_CODE_VIA = 0x8000000,
    CPU_CODE_VIA_C7 = 0x8001000,
    CPU_CODE_TRANSMETA = 0x10000000,
};

class CCPUInfos {
public:
    CCPUInfos(uint32_t dwCode, uint32_t nLevel) : m_pControl(nullptr), m_dwCode(dwCode), m_nLevel(nLevel) {}
    CCPUInfos(const CCPUInfos&) = delete;
    CCPUInfos& operator=(const CCPUInfos&) = delete;

    virtual void Measure(CCPUThread&) {}
    virtual void Identify(CCPUThread&) {}
    virtual void Classify(CCPUThread&) {}
    // The current multiplier; -1.0 when this object cannot tell.
    virtual float GetMultiplier(CCPUThread&) { return -1.0f; }
    virtual ~CCPUInfos();
    // Family details through the kit's trace function.
    virtual void Dump() {}

    FIDVID_Control* m_pControl;  // owned; the families with frequency/voltage scaling keep theirs here
    uint32_t m_dwCode;
    uint32_t m_nLevel;
};

// Compares the thread's vendor string with the vendor table: sets its name, and creates and
// attaches the level-1 object of the vendor where there is one (Cyrix only sets the code).
void vAttachVendorInfos(CCPUThread& thread);
