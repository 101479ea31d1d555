// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// How an initial APIC id splits into package, core and SMT (hyper-threading) numbers, given
// how many logical processors and cores a package holds.
#include <cstdint>

struct CAPICIDParts {
    uint32_t m_nPackageID;
    uint32_t m_nCoreID;
    uint32_t m_nSMTID;
};

// The smallest w with 2^w >= nCount (0 for a count of 0 or 1).
uint32_t nBitsFor(uint32_t nCount);

// The package id is what lies above the bits of the logical processors of one package; of
// those bits, the ones above the logical processors of one core give the core id, the rest
// the SMT id. Counts of 0 are taken as 1, so that firmware that reports none still yields
// one package per APIC id.
CAPICIDParts DecomposeAPICID(uint32_t nAPICID, uint32_t nLogicalPerPackage, uint32_t nCoresPerPackage);
