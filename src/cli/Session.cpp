// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/Session.h"

#include <cstdarg>
#include <cstdio>

#include "app/AccessDeviceChoice.h"
#include "app/KitBuilder.h"
#include "kit/DeviceDriver.h"
#include "kit/DriverProtocol.h"
#include "kit/IOSpace.h"
#include "kit/ORVEXSDK.h"
#include "kit/PCIConfig.h"
#include "kit/Trace.h"
#include "platform/NamedMutex.h"
#include "app/RunNamespace.h"

namespace cli {

namespace {

constexpr uint32_t KIT_LOCK_MS = 2000;

int TraceToStderr(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    const int n = std::vfprintf(stderr, pszFormat, args);
    va_end(args);
    return n;
}

}  // namespace

void vError(const char* pszFormat, ...)
{
    std::fputs("pendulon-cli: ", stderr);
    va_list args;
    va_start(args, pszFormat);
    std::vfprintf(stderr, pszFormat, args);
    va_end(args);
    std::fputc('\n', stderr);
}

CSession::CSession(const GlobalOptions& options) : m_Options(options) {}

CSession::~CSession()
{
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    if (m_pDriver) {
        uint32_t dwError = 0;
        if (pKit->Lock(KIT_LOCK_MS)) {
            if (m_pDriver->bOpenDevice(dwError)) {
                pKit->CloseInterfaces();
                m_pDriver->vCloseDevice();
            }
            pKit->Unlock();
        }
        m_pDriver->vUnloadDriver();
    }
    ORVEXSDK::Destroy();
    m_pDriver.reset();
}

int CSession::nStart()
{
    if (m_Options.bTrace) kit::SetTraceEnabled(true);
    std::string strError;
    std::unique_ptr<CAccessDevice> pAccess = app::CreateAccessDevice(m_Options.strBoard, strError);
    if (!pAccess) {
        vError("%s", strError.c_str());
        return EXIT_USAGE;
    }
    pAccess->vSetForce(m_Options.bForce);
    m_pDriver = std::make_unique<CDeviceDriver>(std::move(pAccess));
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    pKit->m_pDriver = m_pDriver.get();
    if (kit::bTraceEnabled()) pKit->m_pTrace = TraceToStderr;

    std::string strWorkDir;
    if (!app::bGetRunWorkDirectory(m_Options.strBoard, strWorkDir, strError)) strWorkDir.clear();  // nothing is extracted there
    if (!m_pDriver->bInitDriver(strWorkDir.empty() ? nullptr : strWorkDir.c_str(), "vexa", "vexa", 1)) {
        vError("Unable to init the driver: %s", m_pDriver->strLastError().c_str());
        return EXIT_FAILED;
    }
    uint32_t dwError = 0, dwVersion = 0;
    if (m_pDriver->bOpenDevice(dwError)) {
        const bool bVersionOk = m_pDriver->dwGetVersion(dwVersion) && dwVersion == driver::DRIVER_VERSION;
        m_pDriver->vCloseDevice();
        if (!bVersionOk) {
            vError("A previous version of the device driver is already running.");
            return EXIT_FAILED;
        }
    }
    return EXIT_OK;
}

int nRunOnWholeKit(const GlobalOptions& options, const std::function<int()>& fnRun)
{
    CSession session(options);
    if (int n = session.nStart()) return n;
    if (!session.bBegin()) return EXIT_FAILED;
    session.vBuildKit();
    const int nResult = fnRun();
    session.vEnd();
    return nResult;
}

int nLookAtPCI(const GlobalOptions& options, const std::function<int(CPCIInterface&)>& fnLook)
{
    CSession session(options);
    if (int n = session.nStart()) return n;
    if (!session.bBegin()) return EXIT_FAILED;
    session.vBuildPCI();
    CPCIInterface* pPCI = ORVEXSDK::Instance()->m_pPCIInterface;
    int nResult = EXIT_FAILED;
    if (pPCI)
        nResult = fnLook(*pPCI);
    else
        vError("the PCI functions cannot be read on this machine");
    session.vEnd();
    return nResult;
}

void CSession::vBuildKit()
{
    app::vBuildKit(ORVEXSDK::Instance());
}

void CSession::vBuildPCI()
{
    app::vBuildPCI(ORVEXSDK::Instance());
}

void CSession::vEnsurePCISpace()
{
    // The configuration space through ports 0xCF8/0xCFC, as the PCI interface registers it.
    if (!kit::FindPCIConfigSpace()) ORVEXSDK::Instance()->AddIOSpace(new CPCIIOSpace);
}

bool CSession::bBegin()
{
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    if (!pKit->Lock(KIT_LOCK_MS)) {
        const std::string strWhy = platform::strLastLockError();
        if (strWhy.empty()) vError("the hardware is busy (another program holds the kit lock)");
        else vError("the kit lock cannot be taken: %s", strWhy.c_str());
        return false;
    }
    uint32_t dwError = 0;
    if (!m_pDriver->bOpenDevice(dwError)) {
        pKit->Unlock();
        vError("Unable to open the driver device (error %u)", dwError);
        return false;
    }
    m_bLocked = true;
    return true;
}

void CSession::vEnd()
{
    if (!m_bLocked) return;
    m_pDriver->vCloseDevice();
    ORVEXSDK::Instance()->Unlock();
    m_bLocked = false;
}

std::string CSession::strFault() const
{
    CAccessDevice* pAccess = m_pDriver ? m_pDriver->pAccessDevice() : nullptr;
    return pAccess ? pAccess->strLastFault() : std::string();
}

}  // namespace cli
