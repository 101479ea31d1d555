// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/PendulonApp.h"

#include <cstdio>
#include <cstdlib>

#include "app/AccessDeviceChoice.h"
#include "app/AtomicFile.h"
#include "app/BootGuard.h"
#include "app/DumpReport.h"
#include "app/KitBuilder.h"
#include "app/ProfileFile.h"
#include "app/RunAtStartup.h"
#include "kit/DeviceDriver.h"
#include "kit/ORVEXSDK.h"
#include "app/RunNamespace.h"
#include "pll/ClockGenerator.h"
#include "pll/MemoryBuffer.h"
#include "pll/MemoryBufferInterface.h"
#include "platform/LockDirectory.h"
#include "pll/PLLInterface.h"

#ifndef PENDULON_VERSION
#define PENDULON_VERSION ""
#endif

namespace app {

namespace {

constexpr const char* CAPTION_DRIVER = "Driver Error";

// The version record from "major.minor.build.revision" (missing parts 0); all -1 when the
// program carries no version.
std::array<int32_t, 4> ReadVersion(const char* pszVersion)
{
    std::array<int32_t, 4> version{-1, -1, -1, -1};
    if (!pszVersion || !*pszVersion) return version;
    version = {0, 0, 0, 0};
    const char* p = pszVersion;
    for (int i = 0; i < 4 && *p; ++i) {
        char* pEnd = nullptr;
        const long n = std::strtol(p, &pEnd, 10);
        if (pEnd == p) break;
        version[i] = static_cast<int32_t>(n & 0xFFFF);
        p = *pEnd == '.' ? pEnd + 1 : pEnd;
    }
    return version;
}

}  // namespace

void vReadSwitches(const std::vector<std::string>& args, bool& bReset, bool& bApplyAndExit)
{
    for (const std::string& strArg : args) {
        if (strArg == "-u") bReset = true;
        if (strArg == "-i") bApplyAndExit = true;
    }
}

CPendulonApp::CPendulonApp(const AppOptions& options) : m_Options(options)
{
    m_bReset = options.bReset;
    m_bApplyAndExit = options.bApplyAndExit;
    m_pfnMessageBox = [](const char* pszText, const char* pszCaption) {
        std::fprintf(stderr, "pendulon: %s: %s\n", pszCaption, pszText);
    };
}

CPendulonApp::~CPendulonApp()
{
    ExitInstance();
}

std::string CPendulonApp::FormatVersion(const std::array<int32_t, 4>& version)
{
    char szText[255];
    if (version[2] != 0 || version[3] != 0)
        std::snprintf(szText, sizeof(szText), "%d.%d.%d.%d", version[0], version[1], version[2], version[3]);
    else if (version[0] != 0 || version[1] != 0)
        std::snprintf(szText, sizeof(szText), "%d.%d", version[0], version[1]);
    else
        szText[0] = '\0';
    return szText;
}

void CPendulonApp::vMessageBox(const std::string& strText, const char* pszCaption)
{
    if (m_pfnMessageBox) m_pfnMessageBox(strText.c_str(), pszCaption);
}

std::string CPendulonApp::strWorkFile(const std::string& strName) const
{
    return m_strWorkDir.empty() ? std::string() : m_strWorkDir + strName;
}

CPLLInterface* CPendulonApp::PLLInterface() const
{
    return m_pKit ? static_cast<CPLLInterface*>(m_pKit->FindInterface(INTERFACE_PLL)) : nullptr;
}

CClockGenerator* CPendulonApp::ClockGenerator() const
{
    CPLLInterface* pPLL = PLLInterface();
    return pPLL ? pPLL->m_pPLL : nullptr;
}

const WindowPlacement* CPendulonApp::pStoredPlacement(EToolWindow eWindow) const
{
    return eWindow >= 0 && eWindow < TOOL_WINDOW_COUNT ? m_apPlacement[eWindow].get() : nullptr;
}

void CPendulonApp::vStorePlacement(EToolWindow eWindow, const WindowPlacement& placement)
{
    if (eWindow < 0 || eWindow >= TOOL_WINDOW_COUNT) return;
    if (m_apPlacement[eWindow])
        *m_apPlacement[eWindow] = placement;
    else
        m_apPlacement[eWindow] = std::make_unique<WindowPlacement>(placement);
    m_abOpenAtStart[eWindow] = false;
}

void CPendulonApp::OpenToolWindow(EToolWindow eWindow)
{
    if (eWindow < 0 || eWindow >= TOOL_WINDOW_COUNT) return;
    if (m_pHost) m_pHost->vOpenToolWindow(eWindow, m_apPlacement[eWindow].get());
    else m_abOpenAtStart[eWindow] = true;
}

bool CPendulonApp::IsRunAtStartup()
{
    return app::IsRunAtStartup();
}

bool CPendulonApp::SetRunAtStartup()
{
    if (!m_Options.strBoard.empty()) return false;
    const std::string strProgram = m_Options.strProgram.empty() ? strProgramPath() : m_Options.strProgram;
    return app::SetRunAtStartup(strProgram);
}

bool CPendulonApp::RemoveRunAtStartup()
{
    if (!m_Options.strBoard.empty()) return false;  // the unit there is this machine's own
    return app::RemoveRunAtStartup();
}

bool CPendulonApp::bRearmBootApply(bool& bWasHeld, std::string& strWhy)
{
    bWasHeld = false;
    if (m_strWorkDir.empty()) {
        strWhy = "there is no work directory";
        return false;
    }
    return app::bRearmBootApply(m_strWorkDir, bWasHeld, strWhy);
}

// "-i" before the kit is built: a profile to apply is guarded by the mark; after a boot that
// did not survive its apply nothing is written and the start ends with the reason.
bool CPendulonApp::bGuardBootApply()
{
    if (!m_Options.bBootGuard || m_strWorkDir.empty() ||
        !bFileExists(strWorkFile(strProfileFileName(m_Options.nApplyProfile))))
        return true;
    std::string strWhy;
    if (bEnterBootApply(m_strWorkDir, strRearmHint(m_Options.strBoard), strWhy)) return true;
    vMessageBox(strWhy, CAPTION_ERROR);
    return false;
}

// Steps 7 to 9 of the start: the driver object, the kit root, the driver prepared in the
// work directory and its version checked.
bool CPendulonApp::bStartDriver()
{
    std::string strError;
    std::unique_ptr<CAccessDevice> pAccess = m_Options.pfnAccessDevice
                                                 ? m_Options.pfnAccessDevice()
                                                 : CreateAccessDevice(m_Options.strBoard, strError);
    if (!pAccess) {
        vMessageBox("Unable to init the driver: " + strError, CAPTION_ERROR);
        m_nExitCode = 2;
        return false;
    }
    pAccess->vSetForce(m_Options.bForce);
    m_pDriver = std::make_unique<CDeviceDriver>(std::move(pAccess));
    m_pKit = ORVEXSDK::Instance();
    m_pKit->m_pDriver = m_pDriver.get();

    if (bGetRunWorkDirectory(m_Options.strBoard, m_strWorkDir, strError)) {
        if (m_strWorkDir.empty() || m_strWorkDir.back() != '/') m_strWorkDir += '/';
    } else {
        // Settings and profiles are then skipped, as files that cannot be opened are.
        vMessageBox("no work directory for the settings: " + strError, CAPTION_ERROR);
        m_strWorkDir.clear();
    }
    if (!m_pDriver->bInitDriver(m_strWorkDir.empty() ? nullptr : m_strWorkDir.c_str(), "vexa", "vexa", 1)) {
        vMessageBox("Unable to init the driver: " + m_pDriver->strLastError(), CAPTION_ERROR);
        m_nExitCode = 1;
        return false;
    }
    uint32_t dwError = 0, dwVersion = 0;
    if (m_pDriver->bOpenDevice(dwError)) {
        const bool bOk = m_pDriver->dwGetVersion(dwVersion) && dwVersion == DRIVER_VERSION_EXPECTED;
        m_pDriver->vCloseDevice();
        if (!bOk) {
            vMessageBox("A previous version of the device driver is already running.", CAPTION_DRIVER);
            m_pDriver->vUnloadDriver();
            m_nExitCode = 1;
            return false;
        }
    }
    return true;
}

// Steps 10 to 14: the kit built under the kit lock with the device open; with "-i" profile
// 0 applied there (once the boot guard lets it) and the start ends.
bool CPendulonApp::bBuildKit()
{
    if (m_bApplyAndExit && !bGuardBootApply()) {
        m_nExitCode = 1;
        return false;
    }
    if (!m_pKit->Lock(KIT_LOCK_START_MS)) {
        m_nExitCode = 1;
        return false;
    }
    uint32_t dwError = 0;
    if (!m_pDriver->bOpenDevice(dwError)) {
        m_pKit->Unlock();
        vMessageBox("Unable to open the driver device", CAPTION_ERROR);
        m_nExitCode = 1;
        return false;
    }
    vBuildKit(m_pKit);
    if (m_bApplyAndExit) {
        // LoadProfile says what could not be applied.
        const bool bApplied = LoadProfile(m_Options.nApplyProfile);
        m_pDriver->vCloseDevice();
        m_pKit->Unlock();
        m_nExitCode = bApplied ? 0 : 1;
        return false;
    }
    m_pDriver->vCloseDevice();
    m_pKit->Unlock();
    return true;
}

// Step 21: the clock generator's current clocks, copied into the requested set.
void CPendulonApp::vReadCurrentClocks()
{
    CPLLInterface* pPLL = PLLInterface();
    uint32_t dwError = 0;
    if (!pPLL || !pPLL->m_pPLL) return;
    const std::string strWrites = pPLL->m_pPLL->strWritesOnRead();
    if (!strWrites.empty() && m_Options.pfnMayWriteOnRead && !m_Options.pfnMayWriteOnRead(strWrites)) return;
    if (!m_pDriver->bOpenDevice(dwError)) return;
    pPLL->m_pPLL->m_Current.Clear();
    if (pPLL->Lock(INTERFACE_LOCK_MS)) {
        pPLL->m_pPLL->bReadClocks(pPLL->m_pPLL->m_Current);
        pPLL->m_Requested.Copy(pPLL->m_pPLL->m_Current);
        pPLL->Unlock();
    }
    m_pDriver->vCloseDevice();
}

// Step 23: the memory buffer's registers.
void CPendulonApp::vReadMemoryBuffer()
{
    auto* pBuffer = static_cast<CMemoryBufferInterface*>(m_pKit->FindInterface(INTERFACE_MEMORY_BUFFER));
    uint32_t dwError = 0;
    if (!pBuffer || !pBuffer->m_pMemoryBuffer || !m_pDriver->bOpenDevice(dwError)) return;
    if (pBuffer->Lock(INTERFACE_LOCK_MS)) {
        pBuffer->m_pMemoryBuffer->bReadRegisters();
        pBuffer->Unlock();
    }
    m_pDriver->vCloseDevice();
    m_Messages.bSend(TOOL_MEMORY_BUFFER, WM_MEMBUF_CHANGED);
}

bool CPendulonApp::InitInstance()
{
    m_nExitCode = 0;
    std::string strError;
    // One instance per board: a simulated board's instance lock is not the real machine's.
    platform::SetLockNamespace(strBoardNamespace(m_Options.strBoard));
    if (m_Options.bSingleInstance && !m_Instance.bAcquire(SINGLE_INSTANCE_NAME, strError)) {
        // Another instance runs: end without touching the hardware (the program says so). A
        // lock that cannot be had for another reason is said here.
        if (!strError.empty()) vMessageBox(strError, CAPTION_ERROR);
        m_bAnotherInstance = strError.empty();
        m_nExitCode = 1;
        return false;
    }
    m_Version = ReadVersion(PENDULON_VERSION);
    m_bRunAtStartup = IsRunAtStartup();
    if (!bStartDriver() || !bBuildKit()) return false;
    if (m_pHost) m_pHost->vCreateMainWindow();

    if (m_Options.bStartMonitor) m_Monitor.bStart(m_pKit, m_Options.pfnAfterRefresh);
    if (!m_pKit->Lock(KIT_LOCK_MS)) {  // settings not read, nothing refreshed
        if (m_pHost) m_pHost->vShowMainWindow();
        return true;
    }
    LoadSettings();
    vReadCurrentClocks();
    m_Messages.bSend(TOOL_CLOCKS, WM_CLOCKS_REFRESH);
    m_Messages.bSend(TOOL_SELECTION, WM_CLOCKS_REFRESH);
    NotifyWindows(WM_PLL_CHANGED);
    m_Messages.bSend(TOOL_CLOCKS, WM_FIT_FRAME);
    vReadMemoryBuffer();
    m_pKit->Unlock();
    if (m_pHost) m_pHost->vShowMainWindow();
    return true;
}

void CPendulonApp::vCloseMainWindow()
{
    SaveSettings();
    if (m_bRunAtStartup) SaveProfile(0);
}

void CPendulonApp::ExitInstance()
{
    if (m_bExited) return;
    m_bExited = true;
    m_Monitor.vStop();
    if (m_pDriver) {
        uint32_t dwError = 0;
        if (m_pDriver->bOpenDevice(dwError)) {
            if (m_pKit) m_pKit->CloseInterfaces();
            m_pDriver->vCloseDevice();
        }
        m_pDriver->vUnloadDriver();
    }
    if (m_pKit) {
        ORVEXSDK::Destroy();
        m_pKit = nullptr;
    }
    m_pDriver.reset();
    for (auto& pPlacement : m_apPlacement) pPlacement.reset();
    m_Instance.vRelease();
}

bool CPendulonApp::bMayWrite(const std::string& strWhat)
{
    // A simulated board is there to be written; this machine's clocks are changed only when
    // the user agreed once in this run, or said not to be asked again.
    if (bSimulatedBoard() || m_bWriteConfirmed || !m_bAskWrite) return true;
    if (!m_pfnConfirmWrite) return false;
    bool bDontAskAgain = false;
    if (!m_pfnConfirmWrite(strWhat, bDontAskAgain)) return false;
    m_bWriteConfirmed = true;
    if (bDontAskAgain) m_bAskWrite = 0;
    return true;
}

bool CPendulonApp::bSaveOutput(const std::string& strPath, std::string& strWhy)
{
    CClockGenerator* pGenerator = ClockGenerator();
    if (!pGenerator || pGenerator->m_nRegisterCount <= 0) {
        strWhy = "the clock generator has no register image";
        return false;
    }
    return bSaveDumpReport(strPath, strVersion(), pGenerator->m_abRegisters, pGenerator->m_nRegisterCount, strWhy);
}

}  // namespace app
