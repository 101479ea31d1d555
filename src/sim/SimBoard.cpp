// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/SimBoard.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>

#include "sim/BasicDevices.h"
#include "sim/BoardClock.h"
#include "sim/BoardConfig.h"
#include "sim/BoardProcessors.h"
#include "sim/BusHandlers.h"
#include "sim/ClockChip.h"
#include "sim/ICH7GPIO.h"
#include "sim/JsonFields.h"
#include "sim/LocalAPIC.h"
#include "sim/NForcePLL.h"
#include "sim/PCIConfig.h"
#include "sim/SMBusBoard.h"
#include "sim/SMBusBus.h"

#ifndef PENDULON_BOARDS_DIR
#define PENDULON_BOARDS_DIR "boards"
#endif

namespace sim {

// Everything the board is made of. One mutex guards all devices and the processors' state.
class CBoardState {
public:
    std::string strName;
    std::string strDescription;
    std::mutex Mutex;
    CBoardClock Clock;
    std::unique_ptr<CBoardProcessors> pProcessors;
    CAccessLog Log;
    CPCIFunctions Pci;
    CPortMap Ports;
    CMemoryMap Memory;
    uint64_t qwEnhancedBase = 0;
    uint16_t wPMTimerPort = 0;
    std::vector<std::shared_ptr<CSMBusBus>> SMBusBuses;
    std::map<uint32_t, std::string> KernelDrivers;  // by bus << 8 | device << 3 | function

    // Starts serving an access (the lock held): lets its time pass and says where it runs.
    AccessContext Begin(uint64_t qwCostNs)
    {
        return AccessContext{Clock.qwAdvance(qwCostNs), pProcessors->nPinnedProcessor()};
    }
    void vLog(AccessKind eKind, uint64_t qwAddress, uint32_t nWidth, uint64_t qwValue, unsigned nCpu, bool bOk)
    {
        Log.vAppend(AccessRecord{eKind, qwAddress, nWidth, qwValue, uint32_t(nCpu), bOk});
    }
};

namespace {

bool bIsBoardName(const std::string& strName)
{
    if (strName.empty() || strName.size() > 64)
        return false;
    for (unsigned char c : strName)
        if (!(std::isalnum(c) || c == '_' || c == '-'))
            return false;
    return true;
}

bool bEndsWith(const std::string& strText, const char* pszEnd)
{
    size_t nEnd = std::strlen(pszEnd);
    return strText.size() >= nEnd && strText.compare(strText.size() - nEnd, nEnd, pszEnd) == 0;
}

// The file's name without directory and ".json": the board's name when the file gives none.
std::string strStem(const std::string& strPath)
{
    size_t nSlash = strPath.rfind('/');
    std::string strBase = nSlash == std::string::npos ? strPath : strPath.substr(nSlash + 1);
    return bEndsWith(strBase, ".json") ? strBase.substr(0, strBase.size() - 5) : strBase;
}

bool bReadBoardFile(const std::string& strPath, const std::string& strLabel, bool bByName, std::string& strText,
                    std::string& strError)
{
    const std::string strPrefix = "board '" + strLabel + "': ";
    struct stat st {};
    if (::stat(strPath.c_str(), &st) != 0) {
        int nError = errno;
        if (bByName && nError == ENOENT)
            strError = strPrefix + "no such board (looked for " + strPath + ")";
        else
            strError = strPrefix + "cannot open " + strPath + ": " + std::strerror(nError);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        strError = strPrefix + strPath + " is not a regular file";
        return false;
    }
    if (uint64_t(st.st_size) > MAX_BOARD_FILE_BYTES) {
        strError = strPrefix + strPath + " is larger than " + std::to_string(MAX_BOARD_FILE_BYTES >> 20) + " MiB";
        return false;
    }
    std::ifstream file(strPath, std::ios::binary);
    if (!file) {
        strError = strPrefix + "cannot open " + strPath + ": " + std::strerror(errno);
        return false;
    }
    strText.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad() || strText.size() > MAX_BOARD_FILE_BYTES) {
        strError = strPrefix + "cannot read " + strPath;
        return false;
    }
    return true;
}

// Puts the devices the configuration describes on the board's buses.
bool bBuild(BoardConfig& config, CBoardState& state, const std::string& strLabel, std::string& strError)
{
    state.strName = config.strName;
    state.strDescription = config.strDescription;
    state.pProcessors = std::make_unique<CBoardProcessors>(config, state.Clock, state.Mutex);
    std::string strWhy;
    auto fail = [&](const std::string& strField) {
        strError = "board '" + strLabel + "': " + strField + ": " + strWhy;
        return false;
    };
    for (PCIFunctionConfig& function : config.Pci) {
        if (!function.strKernelDriver.empty())
            state.KernelDrivers[uint32_t(function.nBus) << 8 | uint32_t(function.nDevice) << 3 | function.nFunction] =
                function.strKernelDriver;
        state.Pci.bAdd(function.nBus, function.nDevice, function.nFunction,
                       MakePCIFunction(*function.pConfig, function.Visibility, state.Pci));
    }
    if (!state.Ports.bAdd(std::make_unique<CConfigMechanism1>(state.Pci), strWhy))
        return fail("pci");
    if (!bAddICH7GPIO(state.Pci, state.Ports, strWhy))
        return fail("pci 00:1f.0 GPIO block");
    if (config.wPMTimerPort) {
        if (!state.Ports.bAdd(std::make_unique<CPMTimer>(config.wPMTimerPort), strWhy))
            return fail("pm_timer.port");
        state.wPMTimerPort = config.wPMTimerPort;
    }
    if (!bBuildSMBus(config.SMBus, state.Ports, state.Pci, state.SMBusBuses, strWhy))
        return fail("smbus");
    vConnectClockChips(state.SMBusBuses, ClockChipBoardLink{state.pProcessors.get(), &state.Clock,
                                                            config.qwMultiplierNum, config.qwMultiplierDen});
    if (!bAddNForcePLL(state.Pci, state.Ports,
                       NForcePLLBoardLink{state.pProcessors.get(), config.qwMultiplierNum, config.qwMultiplierDen}, strWhy))
        return fail("nVidia chipset PLL");
    for (size_t i = 0; i < config.Memory.size(); ++i) {
        const MemoryRegionConfig& region = config.Memory[i];
        if (!state.Memory.bAdd(std::make_unique<CRamRegion>(region.qwBase, region.qwSize, region.Bytes), strWhy))
            return fail(CFieldReader::strElement("memory", i));
    }
    if (config.nEnhancedBuses) {
        if (!state.Memory.bAdd(
                std::make_unique<CEnhancedConfigWindow>(config.qwEnhancedBase, config.nEnhancedBuses, state.Pci), strWhy))
            return fail("enhanced_config");
        state.qwEnhancedBase = config.qwEnhancedBase;
    }
    if (!state.Memory.bAdd(
            std::make_unique<CLocalAPICPage>(config.qwApicBase, *state.pProcessors, config.bApicTimerRunning), strWhy))
        return fail("apic");
    return true;
}

uint64_t qwLittleEndian(const uint8_t* pBytes, uint32_t nCount)
{
    uint64_t qwValue = 0;
    for (uint32_t i = 0; i < nCount && i < 8; ++i)
        qwValue |= uint64_t(pBytes[i]) << (8 * i);
    return qwValue;
}

}  // namespace

CSimBoard::CSimBoard() = default;
CSimBoard::~CSimBoard() = default;

std::unique_ptr<CSimBoard> CSimBoard::Make(const std::string& strText, const std::string& strLabel,
                                           const std::string& strDefaultName, std::string& strError)
{
    try {
        BoardConfig config;
        if (!bParseBoardFile(strText, strLabel, config, strError))
            return nullptr;
        if (config.strName.empty())
            config.strName = strDefaultName;
        auto pState = std::make_unique<CBoardState>();
        if (!bBuild(config, *pState, strLabel.empty() ? config.strName : strLabel, strError))
            return nullptr;
        std::unique_ptr<CSimBoard> pBoard(new CSimBoard());
        pBoard->m_pState = std::move(pState);
        return pBoard;
    } catch (const std::exception& e) {  // out of memory, or a fault of the board itself
        strError = "board '" + (strLabel.empty() ? std::string("unnamed") : strLabel) + "': cannot be built: " + e.what();
        return nullptr;
    }
}


std::unique_ptr<CSimBoard> CSimBoard::Load(const std::string& strNameOrFile, std::string& strError)
{
    strError.clear();
    std::string strLabel = strQuote(strNameOrFile);
    strLabel = strLabel.substr(1, strLabel.size() - 2);  // the name as given, made printable
    bool bIsPath = strNameOrFile.find('/') != std::string::npos || bEndsWith(strNameOrFile, ".json");
    std::string strPath;
    if (bIsPath) {
        strPath = strNameOrFile;
    } else {
        if (!bIsBoardName(strNameOrFile)) {
            strError = "board '" + strLabel +
                       "': not a board name (letters, digits, '_' and '-') nor the path of a board file";
            return nullptr;
        }
        const char* pszDirectory = std::getenv("PENDULON_BOARDS");
        std::string strDirectory = pszDirectory && *pszDirectory ? pszDirectory : PENDULON_BOARDS_DIR;
        strPath = strDirectory + "/" + strNameOrFile + ".json";
    }
    std::string strText;
    try {
        if (!bReadBoardFile(strPath, strLabel, !bIsPath, strText, strError))
            return nullptr;
    } catch (const std::exception& e) {
        strError = "board '" + strLabel + "': cannot read " + strPath + ": " + e.what();
        return nullptr;
    }
    return Make(strText, strLabel, strStem(strNameOrFile), strError);
}

std::unique_ptr<CSimBoard> CSimBoard::FromJson(const std::string& strText, std::string& strError)
{
    strError.clear();
    return Make(strText, "", "unnamed", strError);
}

const std::string& CSimBoard::strName() const { return m_pState->strName; }
const std::string& CSimBoard::strDescription() const { return m_pState->strDescription; }
platform::IClock& CSimBoard::Clock() { return m_pState->Clock; }

void CSimBoard::vSetRealTimeWaits(bool bRealTime) { m_pState->Clock.vSetRealTimeWaits(bRealTime); }
platform::IProcessors& CSimBoard::Processors() { return *m_pState->pProcessors; }
CAccessLog& CSimBoard::Log() { return m_pState->Log; }

bool CSimBoard::bPortIn(uint16_t wPort, unsigned nWidth, uint32_t& dwValue)
{
    CBoardState& state = *m_pState;
    std::lock_guard<std::mutex> lock(state.Mutex);
    AccessContext context = state.Begin(CBoardClock::PORT_ACCESS_NS);
    bool bOk = nWidth == 1 || nWidth == 2 || nWidth == 4;
    dwValue = bOk ? state.Ports.dwIn(wPort, nWidth, context) : 0xFFFFFFFF;
    state.vLog(AccessKind::PortRead, wPort, nWidth, dwValue, 0, bOk);
    return bOk;
}

bool CSimBoard::bPortOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue)
{
    CBoardState& state = *m_pState;
    std::lock_guard<std::mutex> lock(state.Mutex);
    AccessContext context = state.Begin(CBoardClock::PORT_ACCESS_NS);
    bool bOk = nWidth == 1 || nWidth == 2 || nWidth == 4;
    if (bOk) {
        dwValue &= nWidth == 4 ? 0xFFFFFFFF : (uint32_t(1) << (8 * nWidth)) - 1;
        state.Ports.vOut(wPort, nWidth, dwValue, context);
    }
    state.vLog(AccessKind::PortWrite, wPort, nWidth, dwValue, 0, bOk);
    return bOk;
}

bool CSimBoard::bReadPhysical(uint64_t qwAddress, uint32_t nCount, void* pBuffer)
{
    CBoardState& state = *m_pState;
    std::lock_guard<std::mutex> lock(state.Mutex);
    AccessContext context =
        state.Begin(CBoardClock::MEMORY_ACCESS_NS + CBoardClock::MEMORY_BYTE_NS * uint64_t(nCount));
    bool bOk = nCount == 0 || pBuffer != nullptr;
    uint8_t* pBytes = static_cast<uint8_t*>(pBuffer);
    if (bOk && nCount)
        state.Memory.vRead(qwAddress, nCount, pBytes, context);
    uint64_t qwValue = bOk && nCount <= 8 ? qwLittleEndian(pBytes, nCount) : 0;
    state.vLog(AccessKind::MemoryRead, qwAddress, nCount, qwValue, 0, bOk);
    return bOk;
}

bool CSimBoard::bWritePhysicalDword(uint64_t qwAddress, uint32_t dwValue)
{
    CBoardState& state = *m_pState;
    std::lock_guard<std::mutex> lock(state.Mutex);
    AccessContext context = state.Begin(CBoardClock::MEMORY_ACCESS_NS + 4 * CBoardClock::MEMORY_BYTE_NS);
    const uint8_t bytes[4] = {uint8_t(dwValue), uint8_t(dwValue >> 8), uint8_t(dwValue >> 16), uint8_t(dwValue >> 24)};
    state.Memory.vWrite(qwAddress, 4, bytes, context);
    state.vLog(AccessKind::MemoryWrite, qwAddress, 4, dwValue, 0, true);
    return true;
}

bool CSimBoard::bReadMsr(unsigned nCpu, uint32_t dwIndex, uint64_t& qwValue)
{
    CBoardState& state = *m_pState;
    std::lock_guard<std::mutex> lock(state.Mutex);
    uint64_t qwNs = state.Clock.qwAdvance(CBoardClock::MSR_ACCESS_NS);
    qwValue = 0;
    bool bOk = state.pProcessors->bReadMsrLocked(nCpu, dwIndex, qwNs, qwValue);
    state.vLog(AccessKind::MsrRead, dwIndex, 8, qwValue, nCpu, bOk);
    return bOk;
}

bool CSimBoard::bWriteMsr(unsigned nCpu, uint32_t dwIndex, uint64_t qwValue)
{
    CBoardState& state = *m_pState;
    std::lock_guard<std::mutex> lock(state.Mutex);
    uint64_t qwNs = state.Clock.qwAdvance(CBoardClock::MSR_ACCESS_NS);
    bool bOk = state.pProcessors->bWriteMsrLocked(nCpu, dwIndex, qwValue, qwNs);
    state.vLog(AccessKind::MsrWrite, dwIndex, 8, qwValue, nCpu, bOk);
    return bOk;
}

bool CSimBoard::bHasFunction(unsigned nBus, unsigned nDevice, unsigned nFunction) const
{
    std::lock_guard<std::mutex> lock(m_pState->Mutex);
    return m_pState->Pci.pFind(nBus, nDevice, nFunction) != nullptr;
}

uint32_t CSimBoard::dwPeekConfig(unsigned nBus, unsigned nDevice, unsigned nFunction, unsigned nOffset) const
{
    std::lock_guard<std::mutex> lock(m_pState->Mutex);
    const CPCIFunction* pFunction = m_pState->Pci.pFind(nBus, nDevice, nFunction);
    return pFunction && nOffset < 4096 ? pFunction->dwPeek(nOffset) : 0xFFFFFFFF;
}

uint64_t CSimBoard::qwEnhancedConfigBase() const { return m_pState->qwEnhancedBase; }
uint16_t CSimBoard::wPMTimerPort() const { return m_pState->wPMTimerPort; }

std::string CSimBoard::strKernelDriver(unsigned nBus, unsigned nDevice, unsigned nFunction) const
{
    const auto it = m_pState->KernelDrivers.find((nBus & 0xFF) << 8 | (nDevice & 0x1F) << 3 | (nFunction & 7));
    return it == m_pState->KernelDrivers.end() ? std::string() : it->second;
}

CSMBusBus* CSimBoard::pSMBus(size_t nIndex) const
{
    return nIndex < m_pState->SMBusBuses.size() ? m_pState->SMBusBuses[nIndex].get() : nullptr;
}

std::mutex& CSimBoard::AccessMutex() { return m_pState->Mutex; }

}  // namespace sim
