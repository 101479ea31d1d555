// SPDX-License-Identifier: GPL-2.0-or-later
#include "cpu/CacheDescriptors.h"

#include <iterator>

#include "cpu/CPUThread.h"
#include "platform/Processors.h"

namespace {

constexpr uint8_t D = CACHE_TYPE_DATA;
constexpr uint8_t I = CACHE_TYPE_INSTRUCTION;
constexpr uint8_t U = CACHE_TYPE_UNIFIED;

constexpr uint32_t LEAF_CACHE_DESCRIPTORS = 2;
// Leaf 2 asks to be executed this many times at most; anything above is garbage.
constexpr uint32_t MAX_LEAF2_ROUNDS = 16;
// 0x49 is the level 3 cache of the Xeon MP of family 15, model 6, and a level 2 cache otherwise.
constexpr uint8_t DESCRIPTOR_L3_ON_XEON_MP = 0x49;

// Sorted by descriptor byte.
constexpr CACHE_DESCRIPTOR_ENTRY s_Descriptors[] = {
    {0x06, 1, I, 8, 4, 32},      {0x08, 1, I, 16, 4, 32},     {0x09, 1, I, 32, 4, 64},
    {0x0A, 1, D, 8, 2, 32},      {0x0C, 1, D, 16, 4, 32},     {0x0D, 1, D, 16, 4, 64},
    {0x0E, 1, D, 24, 6, 64},     {0x1D, 2, U, 128, 2, 64},    {0x21, 2, U, 256, 8, 64},
    {0x22, 3, U, 512, 4, 64},    {0x23, 3, U, 1024, 8, 64},   {0x24, 2, U, 1024, 16, 64},
    {0x25, 3, U, 2048, 8, 64},   {0x29, 3, U, 4096, 8, 64},   {0x2C, 1, D, 32, 8, 64},
    {0x30, 1, I, 32, 8, 64},     {0x39, 2, U, 128, 4, 64},    {0x3A, 2, U, 192, 6, 64},
    {0x3B, 2, U, 128, 2, 64},    {0x3C, 2, U, 256, 4, 64},    {0x3D, 2, U, 384, 6, 64},
    {0x3E, 2, U, 512, 4, 64},    {0x41, 2, U, 128, 4, 32},    {0x42, 2, U, 256, 4, 32},
    {0x43, 2, U, 512, 4, 32},    {0x44, 2, U, 1024, 4, 32},   {0x45, 2, U, 2048, 4, 32},
    {0x46, 3, U, 4096, 4, 64},   {0x47, 3, U, 8192, 8, 64},   {0x48, 2, U, 3072, 12, 64},
    {0x49, 2, U, 4096, 16, 64},  {0x4A, 3, U, 6144, 12, 64},  {0x4B, 3, U, 8192, 16, 64},
    {0x4C, 3, U, 12288, 12, 64}, {0x4D, 3, U, 16384, 16, 64}, {0x4E, 2, U, 6144, 24, 64},
    {0x60, 1, D, 16, 8, 64},     {0x66, 1, D, 8, 4, 64},      {0x67, 1, D, 16, 4, 64},
    {0x68, 1, D, 32, 4, 64},     {0x78, 2, U, 1024, 4, 64},   {0x79, 2, U, 128, 8, 64},
    {0x7A, 2, U, 256, 8, 64},    {0x7B, 2, U, 512, 8, 64},    {0x7C, 2, U, 1024, 8, 64},
    {0x7D, 2, U, 2048, 8, 64},   {0x7F, 2, U, 512, 2, 64},    {0x80, 2, U, 512, 8, 64},
    {0x82, 2, U, 256, 8, 32},    {0x83, 2, U, 512, 8, 32},    {0x84, 2, U, 1024, 8, 32},
    {0x85, 2, U, 2048, 8, 32},   {0x86, 2, U, 512, 4, 64},    {0x87, 2, U, 1024, 8, 64},
    {0xD0, 3, U, 512, 4, 64},    {0xD1, 3, U, 1024, 4, 64},   {0xD2, 3, U, 2048, 4, 64},
    {0xD6, 3, U, 1024, 8, 64},   {0xD7, 3, U, 2048, 8, 64},   {0xD8, 3, U, 4096, 8, 64},
    {0xDC, 3, U, 1536, 12, 64},  {0xDD, 3, U, 3072, 12, 64},  {0xDE, 3, U, 6144, 12, 64},
    {0xE2, 3, U, 2048, 16, 64},  {0xE3, 3, U, 4096, 16, 64},  {0xE4, 3, U, 8192, 16, 64},
    {0xEA, 3, U, 12288, 24, 64}, {0xEB, 3, U, 18432, 24, 64}, {0xEC, 3, U, 24576, 24, 64},
};

bool bListed(const CCPUThread& thread, int32_t nLevel, int32_t nType)
{
    return thread.m_pCacheList->Find([nLevel, nType](CCacheDescriptor* p) {
        return p->m_nLevel == nLevel && p->m_nType == nType;
    }) != nullptr;
}

void vAddDescriptor(CCPUThread& thread, uint8_t bDescriptor)
{
    const CACHE_DESCRIPTOR_ENTRY* pEntry = pFindCacheDescriptor(bDescriptor);
    if (!pEntry) return;
    int32_t nLevel = pEntry->nLevel;
    if (bDescriptor == DESCRIPTOR_L3_ON_XEON_MP && thread.m_nExtFamily == 15 && thread.m_nModel == 6) nLevel = 3;
    if (bListed(thread, nLevel, pEntry->nType)) return;
    CCacheDescriptor* pCache = new CCacheDescriptor;
    pCache->m_nLevel = nLevel;
    pCache->m_nType = pEntry->nType;
    pCache->m_nSize = pEntry->nSizeKB;
    pCache->m_nWays = pEntry->nWays;
    pCache->m_nLineSize = pEntry->nLineSize;
    pCache->m_nSets = int32_t(pEntry->nSizeKB) * 1024 / (int32_t(pEntry->nWays) * pEntry->nLineSize);
    pCache->m_nDescriptor = bDescriptor;
    thread.m_pCacheList->Append(pCache);
}

// The four descriptor bytes of one register; a register with bit 31 set holds none. The
// low byte of EAX is the round count, not a descriptor.
void vAddRegister(CCPUThread& thread, uint32_t dwRegister, bool bIsEAX)
{
    if (dwRegister & 0x80000000u) return;
    for (unsigned n = bIsEAX ? 1 : 0; n < 4; ++n) {
        const uint8_t bDescriptor = uint8_t(dwRegister >> (8 * n));
        if (bDescriptor) vAddDescriptor(thread, bDescriptor);
    }
}

}  // namespace

const CACHE_DESCRIPTOR_ENTRY* pFindCacheDescriptor(uint8_t bDescriptor)
{
    for (const CACHE_DESCRIPTOR_ENTRY& entry : s_Descriptors)
        if (entry.bDescriptor == bDescriptor) return &entry;
    return nullptr;
}

void vReadLeaf2Caches(CCPUThread& thread)
{
    if (thread.m_nMaxLeaf < LEAF_CACHE_DESCRIPTORS) return;
    platform::IProcessors& processors = platform::Processors();
    uint32_t nRounds = 1;
    for (uint32_t nRound = 0; nRound < nRounds && nRound < MAX_LEAF2_ROUNDS; ++nRound) {
        const platform::CpuidRegs regs = processors.Cpuid(LEAF_CACHE_DESCRIPTORS, 0);
        if (nRound == 0) nRounds = regs.eax & 0xFF;
        vAddRegister(thread, regs.eax, true);
        vAddRegister(thread, regs.ebx, false);
        vAddRegister(thread, regs.ecx, false);
        vAddRegister(thread, regs.edx, false);
    }
}
