// SPDX-License-Identifier: GPL-2.0-or-later
// The application's side of the profiles: profile n written from what the clock generator's
// driver holds, and applied to the chip (at boot, by "-i").
#include <cstdio>
#include <cstring>

#include "app/AtomicFile.h"
#include "app/PendulonApp.h"
#include "app/ProfileFile.h"
#include "kit/ORVEXSDK.h"
#include "platform/Clock.h"
#include "pll/ClockGenerator.h"
#include "pll/PLLInterface.h"
#include "pll/PLLModels.h"
#include "smbus/SMBusInterface.h"

namespace app {

namespace {

// Walks one clock of the chip to fClock: the chip is read first, then after a wait the walk
// starts from what was read. False when the lock was not taken, the chip could not be read or
// the driver knows no present value of that clock to walk from (nothing is then written).
bool bApplyClock(CPLLInterface& pll, float fClock, bool bGSB)
{
    CClockGenerator* pGenerator = pll.m_pPLL;
    if (!pGenerator) return false;
    CFrequencySet target;
    pGenerator->m_Current.Clear();
    if (!pll.Lock(INTERFACE_LOCK_MS)) return false;
    const bool bRead = pGenerator->bReadClocks(pGenerator->m_Current) != 0;
    const bool bKnown = bGSB ? pGenerator->m_bGSBEnabled && pGenerator->m_Current.m_fGSB > 0
                             : pGenerator->m_Current.m_fFSB > 0;
    if (bRead) {
        platform::Sleep(PROFILE_APPLY_WAIT_MS);
        (bGSB ? target.m_fGSB : target.m_fFSB) = fClock;
        pGenerator->bApplyClocks(target, nullptr);
    }
    pll.Unlock();
    return bRead && bKnown;
}

// The clock lies within the model's limits (a limit not above 0 is not known). Otherwise
// strWhy names the clock and the model's range.
bool bWithinLimits(const CClockGenerator& generator, float fClock, bool bGSB, std::string& strWhy)
{
    const float fMin = bGSB ? generator.m_Min.m_fGSB : generator.m_Min.m_fFSB;
    const float fMax = bGSB ? generator.m_Max.m_fGSB : generator.m_Max.m_fFSB;
    if (!(fMin > 0 && fClock < fMin) && !(fMax > 0 && fClock > fMax)) return true;
    const char* pszName = pszPLLName(generator.m_dwPLLID);
    char szRange[64], szWhy[256];
    if (fMin > 0 && fMax > 0) std::snprintf(szRange, sizeof(szRange), "%.2f to %.2f MHz", double(fMin), double(fMax));
    else if (fMin > 0) std::snprintf(szRange, sizeof(szRange), "%.2f MHz and above", double(fMin));
    else std::snprintf(szRange, sizeof(szRange), "up to %.2f MHz", double(fMax));
    std::snprintf(szWhy, sizeof(szWhy), "the %s of %.2f MHz is outside the range of the %s (%08X), %s",
                  bGSB ? "GSB" : "FSB", double(fClock), pszName ? pszName : "clock generator", generator.m_dwPLLID,
                  szRange);
    strWhy = szWhy;
    return false;
}

}  // namespace

bool CPendulonApp::LoadProfile(int nProfile)
{
    const std::string strPath = strWorkFile(strProfileFileName(nProfile));
    std::string strText, strWhy;
    if (strPath.empty()) return true;
    if (!bReadTextFile(strPath, strText, strWhy)) {
        // A missing profile asks for nothing; one that is refused is a failure, and said.
        if (strWhy.empty()) return true;
        vMessageBox("profile " + std::to_string(nProfile) + " is not read: " + strWhy, CAPTION_ERROR);
        return false;
    }
    const ProfileReading reading = ReadProfile(strText);
    const std::string strName = "profile " + std::to_string(nProfile);
    for (const ProfileWarning& warning : reading.Warnings)
        vMessageBox(strName + ", " + strDescribeWarning(warning), CAPTION_WARNING);
    CPLLInterface* pPLL = PLLInterface();
    bool bOk = true;        // every step asked for was carried out
    bool bRefused = false;  // a step was refused for its values
    bool bAsked = false;    // a step asked the hardware for something
    for (const ProfileStep& step : reading.Steps) {
        if (step.eAction == ProfileAction::WriteDump) {
            const uint32_t dwCount = uint32_t(step.Bytes.size());
            if (dwCount == 0) continue;
            bAsked = true;
            std::memcpy(m_abProfileDump, step.Bytes.data(), dwCount);
            if (!pPLL) {
                bOk = false;
                continue;
            }
            if (!pPLL->Lock(INTERFACE_LOCK_MS)) {
                bOk = false;
                continue;
            }
            // The bare "Not specified" driver can write a raw image.
            if (!pPLL->m_pPLL) pPLL->SelectPLL(0);
            if (!pPLL->bWriteDump(m_abProfileDump, dwCount)) bOk = false;
            pPLL->Unlock();
            continue;
        }
        const bool bGSB = step.eAction == ProfileAction::ApplyGSB;
        std::string strWhy;
        // A clock the model cannot run at is not walked at all (the driver would clamp it and
        // walk to its limit instead).
        if (pPLL && pPLL->m_pPLL && !bWithinLimits(*pPLL->m_pPLL, step.fClock, bGSB, strWhy)) {
            vMessageBox(strName + ": " + strWhy + ": it is not applied", CAPTION_ERROR);
            bRefused = true;
            continue;
        }
        bAsked = true;
        if (!pPLL || !bApplyClock(*pPLL, step.fClock, bGSB)) bOk = false;
    }
    if (!bOk) {
        // Without a clock generator the reason is most often a kernel driver on the SMBus.
        const std::string strRefusal = pPLL ? std::string() : strSMBusRefusal();
        vMessageBox(strName + " could not be applied to the clock generator" +
                        (strRefusal.empty() ? std::string() : ": " + strRefusal),
                    CAPTION_ERROR);
    }
    if (bOk && !bRefused && !bAsked && reading.bHoldsLines) {
        vMessageBox(strName + " holds nothing that can be applied", CAPTION_ERROR);
        return false;
    }
    return bOk && !bRefused;
}

bool CPendulonApp::SaveProfile(int nProfile)
{
    const std::string strPath = strWorkFile(strProfileFileName(nProfile));
    if (strPath.empty()) return false;
    ProfileContent content;
    if (CClockGenerator* pGenerator = ClockGenerator()) {
        content.bHasDriver = true;
        content.pImage = pGenerator->m_abRegisters;
        content.nRegisterCount = pGenerator->m_nRegisterCount;
        content.fFSB = pGenerator->m_Current.m_fFSB;
        content.fGSB = pGenerator->m_Current.m_fGSB;
        content.bGSBEnabled = pGenerator->m_bGSBEnabled != 0;
    }
    std::string strWhy;
    return bWriteFileAtomically(strPath, strFormatProfile(content), strWhy);
}

}  // namespace app
