// SPDX-License-Identifier: GPL-2.0-or-later
// The M/N PLL clock chip driver shared by the ICS and Winbond models.
#include "pll/smbus/MNPLLChip.h"

#include "pll/PLLSearch.h"

CMNPLLClockGenerator::CMNPLLClockGenerator(uint32_t dwID, const MN_CHIP_MODEL& model)
    : CSMBusChipGenerator(dwID, model.Read, model.Limits), m_Model(model)
{
}

void CMNPLLClockGenerator::vDecode()
{
    const uint8_t* pRegisters = m_abRegisters;

    vDecodeReference();
    vDecodeMN(pRegisters, m_Model.CPUPLL.Fields, m_nCPUM, m_nCPUN);
    m_fCPUVCO = fPLLOutput(m_fCPUReference, m_Model.CPUPLL, m_nCPUM, m_nCPUN);
    m_bPLLEnabled = bEnableState(pRegisters, m_Model.Enable) ? 1 : 0;
    if (m_Model.CPUDivider.nTable >= 0)
        m_nCPUDivider = nFieldDivider(pRegisters, m_Model.CPUDivider);
    else if (m_Model.CPUDivider.nTable == DIV_MEASURED)
        vLearnDivider(m_nCPUDivider, m_fCPUVCO);
    if (m_Model.bSecondPLL) {
        vDecodeMN(pRegisters, m_Model.SecondPLL.Fields, m_nGSBM, m_nGSBN);
        m_fGSBVCO = fPLLOutput(m_fGSBReference, m_Model.SecondPLL, m_nGSBM, m_nGSBN);
    }
    vDecodeModel();
}

void CMNPLLClockGenerator::vFill(CFrequencySet& set)
{
    set.m_fFSB = fDivideClock(m_fCPUVCO, float(m_nCPUDivider));
    if (m_bGSBEnabled || m_Model.bOutputsAlways) vFillOutputs(set);
}

bool CMNPLLClockGenerator::bSearchFSB(float fFSB)
{
    fFSB = fClampClock(fFSB, m_Min.m_fFSB, m_Max.m_fFSB);
    if (m_nCPUDivider <= 0) return false;
    int32_t nM = 0, nN = 0;
    if (!bFindMN(float(m_nCPUDivider) * fFSB, m_fCPUReference, m_Model.CPUPLL, nM, nN)) return false;
    if (!bFitsMN(m_Model.CPUPLL.Fields, nM, nN)) return false;
    m_nCPUM = nM;
    m_nCPUN = nN;
    m_fCPUVCO = fPLLOutput(m_fCPUReference, m_Model.CPUPLL, nM, nN);
    return true;
}

bool CMNPLLClockGenerator::bSearchGSB(float fGSB)
{
    if (!m_Model.bSecondPLL) return false;
    fGSB = fClampClock(fGSB, m_Min.m_fGSB, m_Max.m_fGSB);
    int32_t nDivider = nGSBSearchDivider();
    if (nDivider <= 0) return false;
    int32_t nM = 0, nN = 0;
    if (!bFindMN(float(nDivider) * fGSB, m_fGSBReference, m_Model.SecondPLL, nM, nN)) return false;
    if (!bFitsMN(m_Model.SecondPLL.Fields, nM, nN)) return false;
    m_nGSBM = nM;
    m_nGSBN = nN;
    m_fGSBVCO = fPLLOutput(m_fGSBReference, m_Model.SecondPLL, nM, nN);
    return true;
}

void CMNPLLClockGenerator::vEncodeGSB()
{
    bEncodeMN(m_abRegisters, m_Model.SecondPLL.Fields, m_nGSBM, m_nGSBN);
}

void CMNPLLClockGenerator::vEncodeFSB()
{
    if (!m_bPLLEnabled) vEnable(m_abRegisters, m_Model.Enable);
    if (m_Model.Strobe.nRegister >= 0) m_abRegisters[m_Model.Strobe.nRegister] |= m_Model.Strobe.bMask;
    bEncodeMN(m_abRegisters, m_Model.CPUPLL.Fields, m_nCPUM, m_nCPUN);
    vEncodeFSBExtra();
}
