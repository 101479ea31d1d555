// SPDX-License-Identifier: GPL-2.0-or-later
#include "cpu/FamilyTools.h"

#include <cstdio>
#include <cstring>

#include "cpu/CPUThread.h"
#include "cpu/FIDVIDControl.h"
#include "cpu/MSRRegister.h"
#include "kit/ORVEXSDK.h"

namespace cpufamily {

bool bReadMSRBits(CCPUThread& thread, uint32_t dwIndex, unsigned nFirst, unsigned nLast, uint32_t& dwValue)
{
    MSR_Register* pMSR = thread.GetMSR(dwIndex);
    if (!pMSR) return false;
    dwValue = uint32_t(pMSR->qwBits(nFirst, nLast));
    return true;
}

float fLookUp(const float* pfTable, size_t nCount, uint32_t nCode)
{
    return nCode < nCount ? pfTable[nCode] : -1.0f;
}

int32_t nL2SizeKB(const CCPUThread& thread)
{
    const CCacheDescriptor* pCache = thread.m_pCacheList->Find([](CCacheDescriptor* p) {
        return p->m_nLevel == 2 && (p->m_nType == CACHE_TYPE_UNIFIED || p->m_nType == CACHE_TYPE_DATA);
    });
    return pCache && pCache->m_nSize > 0 ? pCache->m_nSize : -1;
}

namespace {

bool bMatches(const CCPUThread& thread, const CPU_NAME_ROW& row)
{
    if (row.nExtFamily && thread.m_nExtFamily != row.nExtFamily) return false;
    if (thread.m_nExtModel < row.nModelFirst || thread.m_nExtModel > row.nModelLast) return false;
    if (thread.m_nStepping < row.nSteppingFirst || thread.m_nStepping > row.nSteppingLast) return false;
    if (row.pszBrand && !std::strstr(thread.m_szBrand, row.pszBrand)) return false;
    if (row.nCores && thread.m_nCoresPerPackage != row.nCores) return false;
    if (row.nBrandID && thread.m_nBrandID != row.nBrandID) return false;
    if (row.nMaxL2KB) {
        const int32_t nL2 = nL2SizeKB(thread);
        if (nL2 < 0 || nL2 > row.nMaxL2KB) return false;
    }
    return true;
}

}  // namespace

const CPU_NAME_ROW* pFindNameRow(const CCPUThread& thread, const CPU_NAME_ROW* pRows, size_t nRows)
{
    for (size_t n = 0; n < nRows; ++n)
        if (bMatches(thread, pRows[n])) return &pRows[n];
    return nullptr;
}

bool bApplyNameTable(CCPUThread& thread, const CPU_NAME_ROW* pRows, size_t nRows)
{
    const CPU_NAME_ROW* pRow = pFindNameRow(thread, pRows, nRows);
    if (!pRow) return false;
    std::snprintf(thread.m_szName, sizeof thread.m_szName, "%s", pRow->pszName);
    std::snprintf(thread.m_szCodeName, sizeof thread.m_szCodeName, "%s", pRow->pszCodeName ? pRow->pszCodeName : "");
    thread.m_dwPackageType = pRow->dwPackage;
    thread.m_nProcessSize = pRow->nProcess;
    if (pRow->nProcess)
        std::snprintf(thread.m_szTechnology, sizeof thread.m_szTechnology, "%u nm", unsigned(pRow->nProcess));
    else
        thread.m_szTechnology[0] = '\0';
    return true;
}

void vDumpFamily(const char* pszFamily, FIDVID_Control* pControl)
{
    PFN_TRACE pTrace = ORVEXSDK::Instance()->m_pTrace;
    if (!pTrace) return;
    pTrace("Family\t\t\t%s\n", pszFamily);
    if (!pControl) return;
    if (pControl->m_nStartFID != -1) {
        const float fMultiplier = pControl->FIDToMultiplier(pControl->m_nStartFID);
        if (fMultiplier > 0.0f) pTrace("start FID\t\t%.1fx\n", double(fMultiplier));
    }
    if (pControl->m_nStartVID != -1) {
        const float fVoltage = pControl->VIDToVoltage(pControl->m_nStartVID);
        if (fVoltage > 0.0f) pTrace("start VID\t\t%.3fV\n", double(fVoltage));
    }
}

}  // namespace cpufamily
