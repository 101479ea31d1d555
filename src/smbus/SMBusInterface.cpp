// SPDX-License-Identifier: GPL-2.0-or-later
#include "smbus/SMBusInterface.h"

#include <cstdio>

#include "discovery/PCIDevice.h"
#include "discovery/PCIInterface.h"
#include "kit/IOSpace.h"
#include "kit/ORVEXSDK.h"
#include "kit/Trace.h"
#include "smbus/SMBusDevice.h"
#include "smbus/SMBusIOSpace.h"

namespace {

// The ICH7 LPC bridge that carries the GPIO block of the multiplexed board.
constexpr uint16_t ICH7_LPC_VENDOR = 0x8086;
constexpr uint16_t ICH7_LPC_DEVICE = 0x27B8;
constexpr uint32_t GPIO_BASE_REGISTER = 0x48;
constexpr uint32_t GPIO_CONTROL_REGISTER = 0x4C;
constexpr uint32_t GPIO_BLOCK_SIZE = 0x3C;
// The GPIO level register whose bit 0 drives the multiplexer.
constexpr uint32_t GPIO_MUX_LEVEL = 0x38;

bool bIsController(const CIOSpace* pIOSpace)
{
    return pIOSpace && (pIOSpace->m_dwType & IOSPACE_SMBUS_PORTS) == IOSPACE_SMBUS_PORTS;
}

}  // namespace

CSMBusInterface::CSMBusInterface()
    : CInterface(INTERFACE_SMBUS),
      m_hSwitchMutex(nullptr),
      m_pGPIOSpace(nullptr),
      m_dwBoardId(0xFFFFFFFF),
      m_hMuxMutex(nullptr),
      m_nDefaultChannel(0),
      m_nChannelCount(1)
{
}

CSMBusInterface::~CSMBusInterface() { Close(); }

uint32_t CSMBusInterface::Init()
{
    if (!ORVEXSDK::Instance()->m_pPCIInterface) return 0;
    if (!m_hSwitchMutex) m_hSwitchMutex = platform::CreateMutexA(false, "SMB_SW1");
    if (!m_hMuxMutex) m_hMuxMutex = platform::CreateMutexA(false, "SMB_MUX");
    DetectControllers();
    DetectFBDControllers();
    return 1;
}

void CSMBusInterface::Close()
{
    if (m_hSwitchMutex) platform::CloseHandle(m_hSwitchMutex);
    if (m_hMuxMutex) platform::CloseHandle(m_hMuxMutex);
    m_hSwitchMutex = m_hMuxMutex = nullptr;
}

uint32_t CSMBusInterface::dwBoardIdOf(CPCIInterface& pci)
{
    CPCIDevice* pLPC = pci.FindDeviceByID(ICH7_LPC_VENDOR, ICH7_LPC_DEVICE);
    if (!pLPC) return 0xFFFFFFFF;
    const uint32_t dwSubsystem = pci.ReadConfig(pLPC->m_bBus, pLPC->m_bDevice, pLPC->m_bFunction, 0x2C);
    const uint16_t wSubVendor = uint16_t(dwSubsystem & 0xFFFF);
    const uint16_t wSubsystem = uint16_t(dwSubsystem >> 16);
    return (uint32_t(wSubVendor) << 16) + wSubsystem;
}

uint32_t CSMBusInterface::nChannelsOf(CPCIInterface& pci)
{
    return dwBoardIdOf(pci) == SMBUS_MUX_BOARD_ID ? 2 : 1;
}

uint32_t CSMBusInterface::DetectMultiplexer()
{
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    CPCIInterface* pPCI = pKit->m_pPCIInterface;
    CPCIDevice* pLPC = pPCI ? pPCI->FindDeviceByID(ICH7_LPC_VENDOR, ICH7_LPC_DEVICE) : nullptr;
    if (pLPC) {
        const uint32_t dwGPIOBase =
            pPCI->ReadConfig(pLPC->m_bBus, pLPC->m_bDevice, pLPC->m_bFunction, GPIO_BASE_REGISTER) & 0xFFC0;
        const uint32_t dwControl =
            pPCI->ReadConfig(pLPC->m_bBus, pLPC->m_bDevice, pLPC->m_bFunction, GPIO_CONTROL_REGISTER);
        if (!m_pGPIOSpace && (dwControl & 0x10) && dwGPIOBase) {
            m_pGPIOSpace = new CPortIOSpace(uint16_t(dwGPIOBase), GPIO_BLOCK_SIZE);
            pKit->AddIOSpace(m_pGPIOSpace);
        }
        m_dwBoardId = dwBoardIdOf(*pPCI);
        m_nChannelCount = nChannelsOf(*pPCI);
        kit::DebugTrace("SMBus: board %08X, %u channel(s)\n", m_dwBoardId, m_nChannelCount);
    }
    m_nDefaultChannel = uint8_t(ReadChannelState());
    return 1;
}

uint32_t CSMBusInterface::ReadChannelState()
{
    platform::WaitForSingleObject(m_hMuxMutex, platform::INFINITE);
    uint32_t dwState = 0;
    if (m_dwBoardId == SMBUS_MUX_BOARD_ID && m_pGPIOSpace) dwState = m_pGPIOSpace->ReadByte(GPIO_MUX_LEVEL) & 1;
    platform::ReleaseMutex(m_hMuxMutex);
    return dwState;
}

uint32_t CSMBusInterface::SetChannel(uint8_t nChannel)
{
    platform::WaitForSingleObject(m_hMuxMutex, platform::INFINITE);
    int nWanted = nChannel;
    const int nLast = int(m_nChannelCount) - 1;
    if (nWanted > nLast) nWanted = nLast;
    if (m_dwBoardId == SMBUS_MUX_BOARD_ID && m_pGPIOSpace) {
        const uint8_t bLevel = m_pGPIOSpace->ReadByte(GPIO_MUX_LEVEL);
        if ((bLevel & 1) != (nWanted & 1))
            m_pGPIOSpace->WriteByte(GPIO_MUX_LEVEL, uint8_t((bLevel & 0xFE) | (nWanted & 1)));
    }
    platform::ReleaseMutex(m_hMuxMutex);
    return 1;
}

uint32_t CSMBusInterface::SetDefaultChannel() { return SetChannel(m_nDefaultChannel); }

CSMBusDevice* CSMBusInterface::FindSMBusDevice(uint8_t nAddress)
{
    for (unsigned nChannel = 0; nChannel < m_nChannelCount; ++nChannel)
        if (CSMBusDevice* pDevice = ProbeDevice(uint8_t(nChannel), nAddress)) return pDevice;
    return nullptr;
}

CSMBusDevice* CSMBusInterface::ProbeDevice(uint8_t nChannel, uint8_t nAddress)
{
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    CSMBusIOSpace* pAnswering = nullptr;
    ESMBusFailure eFailure = ESMBusFailure::NoAnswer;
    for (CTListItem<CIOSpace>* pItem = pKit->m_pIOSpaceList->m_pHead; pItem && !pAnswering; pItem = pItem->m_pNext) {
        if (!bIsController(pItem->m_pObject)) continue;
        CSMBusIOSpace* pController = static_cast<CSMBusIOSpace*>(pItem->m_pObject);
        uint8_t bByte = 0;
        if (pController->SMBusReadByte(nChannel, nAddress, 0, bByte)) {
            pAnswering = pController;
        } else if (const ESMBusFailure eCause = pController->eLastFailure();
                   eCause != ESMBusFailure::None && eCause != ESMBusFailure::NoAnswer) {
            eFailure = eCause;  // a controller that knows more than "nobody answered"
        }
    }
    m_ProbeFailures[nAddress & 0x7F] = pAnswering ? ESMBusFailure::None : eFailure;
    if (!pAnswering) return nullptr;
    if (CSMBusDevice* pKnown = FindKnownDevice(nChannel, nAddress)) return pKnown;
    CSMBusDevice* pDevice = new CSMBusDevice(pAnswering, nChannel, nAddress);
    pKit->AddDevice(pDevice);
    return pDevice;
}

CSMBusDevice* CSMBusInterface::FindKnownDevice(uint8_t nChannel, uint8_t nAddress)
{
    CDevice* pFound = ORVEXSDK::Instance()->m_pDeviceList->Find([nChannel, nAddress](CDevice* pDevice) {
        if (!(pDevice->m_dwType & DEVICE_SMBUS)) return false;
        const CSMBusDevice* pSMBus = static_cast<const CSMBusDevice*>(pDevice);
        return pSMBus->m_nChannel == nChannel && pSMBus->m_nAddress == nAddress;
    });
    return static_cast<CSMBusDevice*>(pFound);
}

void CSMBusInterface::Scan()
{
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    for (CTListItem<CIOSpace>* pItem = pKit->m_pIOSpaceList->m_pHead; pItem; pItem = pItem->m_pNext) {
        if (!bIsController(pItem->m_pObject)) continue;
        CSMBusIOSpace* pController = static_cast<CSMBusIOSpace*>(pItem->m_pObject);
        for (unsigned nChannel = 0; nChannel < m_nChannelCount; ++nChannel) {
            for (unsigned nAddress = 0; nAddress < 0x7F; ++nAddress) {
                uint8_t bByte = 0;
                if (!pController->SMBusReadByte(uint8_t(nChannel), uint8_t(nAddress), 0, bByte)) continue;
                if (ProbeDevice(uint8_t(nChannel), uint8_t(nAddress))) continue;
                pKit->AddDevice(new CSMBusDevice(pController, uint8_t(nChannel), uint8_t(nAddress)));
            }
        }
    }
}

ESMBusFailure CSMBusInterface::eProbeFailure(uint8_t nAddress) const { return m_ProbeFailures[nAddress & 0x7F]; }

std::string CSMBusInterface::strProbeFailure(uint8_t nAddress) const
{
    const ESMBusFailure eFailure = eProbeFailure(nAddress);
    if (eFailure == ESMBusFailure::None || eFailure == ESMBusFailure::NoAnswer)
        return strSMBusFailure(ESMBusFailure::NoAnswer, nAddress);
    char sz[32];
    std::snprintf(sz, sizeof sz, "the probe of 0x%02x failed: ", nAddress);
    return sz + strSMBusFailure(eFailure, nAddress);
}

std::string strSMBusNotFound(uint8_t nAddress)
{
    const CSMBusInterface* pSMBus = ORVEXSDK::Instance()->m_pSMBusInterface;
    if (!pSMBus) return strSMBusFailure(ESMBusFailure::NoAnswer, nAddress);
    if (!pSMBus->m_strRefusal.empty()) return pSMBus->m_strRefusal;
    return pSMBus->strProbeFailure(nAddress);
}

std::string strSMBusRefusal()
{
    const CSMBusInterface* pSMBus = ORVEXSDK::Instance()->m_pSMBusInterface;
    return pSMBus ? pSMBus->m_strRefusal : std::string();
}
