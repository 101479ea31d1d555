// The application's side of the profiles: profile n written from what the clock generator's
// driver holds, and applied to the chip (at boot, by "-i").
#include <cstring>

#include "app/AtomicFile.h"
#include "app/PendulonApp.h"
#include "app/ProfileFile.h"
#include "kit/ORVEXSDK.h"
#include "platform/Clock.h"
#include "pll/ClockGenerator.h"
#include "pll/PLLInterface.h"

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
    CPLLInterface* pPLL = PLLInterface();
    bool bOk = true;
    for (const ProfileStep& step : ParseProfile(strText)) {
        if (step.eAction == ProfileAction::WriteDump) {
            const uint32_t dwCount = uint32_t(step.Bytes.size());
            if (dwCount == 0) continue;
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
        } else if (!pPLL || !bApplyClock(*pPLL, step.fClock, step.eAction == ProfileAction::ApplyGSB)) {
            bOk = false;
        }
    }
    return bOk;
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
