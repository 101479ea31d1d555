// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The cache descriptor bytes of CPUID leaf 2, as Intel publishes them, and the reader that
// turns a processor's leaf 2 answers into cache descriptors.
#include <cstdint>

class CCPUThread;

struct CACHE_DESCRIPTOR_ENTRY {
    uint8_t bDescriptor;
    uint8_t nLevel;
    uint8_t nType;       // CACHE_TYPE_DATA, _INSTRUCTION or _UNIFIED
    uint16_t nSizeKB;
    uint8_t nWays;
    uint8_t nLineSize;   // bytes
};

// The entry of a cache descriptor byte; null for bytes that describe no cache (TLBs,
// prefetching, "no cache", trace caches counted in micro-operations, unknown bytes).
const CACHE_DESCRIPTOR_ENTRY* pFindCacheDescriptor(uint8_t bDescriptor);

// Executes leaf 2 on the processor the caller is pinned to, as many times as its first
// answer asks (within a sane bound), and appends one descriptor for each cache level and
// type the thread does not list yet. Nothing happens when the maximum leaf is below 2.
void vReadLeaf2Caches(CCPUThread& thread);
