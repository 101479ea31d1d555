// SPDX-License-Identifier: GPL-2.0-or-later
#include "smbus/SMBusIOSpace.h"

#include "kit/MachineFacts.h"
#include "kit/WriteTrace.h"

namespace {

constexpr uint32_t NO_SIZE_BOUND = 0xFFFFFFFF;

}  // namespace

// The controller lock is held from the channel switch to the switch back. An abandoned lock
// is owned all the same: the transaction runs.
class CSMBusIOSpace::CTransaction {
public:
    CTransaction(CSMBusIOSpace& space, uint8_t nChannel) : m_Space(space)
    {
        platform::WaitForSingleObject(m_Space.m_hMutex, platform::INFINITE);
        m_Space.vBeginTransaction();
        m_Space.SelectChannel(nChannel);
    }
    ~CTransaction()
    {
        m_Space.RestoreChannel();
        platform::ReleaseMutex(m_Space.m_hMutex);
    }
    CTransaction(const CTransaction&) = delete;
    CTransaction& operator=(const CTransaction&) = delete;

private:
    CSMBusIOSpace& m_Space;
};

CSMBusIOSpace::CSMBusIOSpace(uint16_t wBase, int32_t nTimeout, uint32_t dwFunctions)
    : CPortIOSpace(wBase, NO_SIZE_BOUND),
      m_nTimeout(nTimeout),
      m_dwFunctions(dwFunctions),
      m_qwSerial(smbus::qwNewControllerSerial())
{
    m_dwType = IOSPACE_SMBUS_PORTS;
    m_hMutex = platform::CreateMutexA(false, SMBUS_CONTROLLER_MUTEX);
}

CSMBusIOSpace::~CSMBusIOSpace()
{
    smbus::vForgetController(m_qwSerial);
    if (m_hMutex) {
        platform::ReleaseMutex(m_hMutex);  // fails harmlessly when this thread does not own it
        platform::CloseHandle(m_hMutex);
        m_hMutex = nullptr;
    }
}

uint32_t CSMBusIOSpace::Execute(CIORequest* pRequest)
{
    if (!pRequest)
        return 0;
    CSMBusRequest& request = *static_cast<CSMBusRequest*>(pRequest);
    uint8_t bCommand = uint8_t(request.m_dwOffset);
    switch (request.m_dwOperation) {
    case SMBUSREQUEST_READ_BYTE: {
        uint8_t bValue = 0;
        uint32_t dwResult = SMBusReadByte(request.m_nChannel, request.m_nAddress, bCommand, bValue);
        if (dwResult)
            request.m_dwValue = (request.m_dwValue & 0xFFFFFF00u) | bValue;
        return dwResult;
    }
    case SMBUSREQUEST_WRITE_BYTE:
        return SMBusWriteByte(request.m_nChannel, request.m_nAddress, bCommand, uint8_t(request.m_dwValue));
    case SMBUSREQUEST_BLOCK_READ:
        // A request without a buffer transfers nothing rather than writing through null.
        request.m_dwValue = request.m_pBuffer
                                ? uint32_t(SMBusBlockRead(request.m_nChannel, request.m_nAddress, bCommand,
                                                          request.m_pBuffer))
                                : uint32_t(-1);
        return 1;
    case SMBUSREQUEST_BLOCK_WRITE:
        request.m_dwValue = request.m_pBuffer
                                ? uint32_t(SMBusBlockWrite(request.m_nChannel, request.m_nAddress, bCommand,
                                                           request.m_pBuffer, int32_t(request.m_dwValue)))
                                : uint32_t(-1);
        return 1;
    default:
        return 0;
    }
}

uint32_t CSMBusIOSpace::HostReadByte(uint8_t, uint8_t, uint8_t&) { return dwFail(ESMBusFailure::NotSupported); }
uint32_t CSMBusIOSpace::HostReadWord(uint8_t, uint8_t, uint8_t&, uint8_t&)
{
    return dwFail(ESMBusFailure::NotSupported);
}
int32_t CSMBusIOSpace::HostBlockRead(uint8_t, uint8_t, uint8_t*) { return nFail(ESMBusFailure::NotSupported, -1); }
uint32_t CSMBusIOSpace::HostWriteByte(uint8_t, uint8_t, uint8_t) { return dwFail(ESMBusFailure::NotSupported); }
uint32_t CSMBusIOSpace::HostWriteWord(uint8_t, uint8_t, uint8_t, uint8_t)
{
    return dwFail(ESMBusFailure::NotSupported);
}
int32_t CSMBusIOSpace::HostBlockWrite(uint8_t, uint8_t, const uint8_t*, int32_t)
{
    return nFail(ESMBusFailure::NotSupported, -1);
}

ESMBusFailure CSMBusIOSpace::eLastFailure() const { return smbus::eLastFailure(m_qwSerial); }

std::string CSMBusIOSpace::strLastFailure(uint8_t nAddress) const
{
    return strSMBusFailure(eLastFailure(), nAddress);
}

void CSMBusIOSpace::vSetFailure(ESMBusFailure eFailure) const { smbus::vSetLastFailure(m_qwSerial, eFailure); }

uint32_t CSMBusIOSpace::dwFail(ESMBusFailure eFailure) const
{
    vSetFailure(eFailure);
    return 0;
}

int32_t CSMBusIOSpace::nFail(ESMBusFailure eFailure, int32_t nResult) const
{
    vSetFailure(eFailure);
    return nResult;
}

void CSMBusIOSpace::vBeginTransaction() const { vSetFailure(ESMBusFailure::None); }

uint32_t CSMBusIOSpace::dwEndTransaction(uint32_t dwResult) const
{
    if (!dwResult && eLastFailure() == ESMBusFailure::None)
        vSetFailure(ESMBusFailure::BusError);
    return dwResult;
}

uint32_t CSMBusIOSpace::SelectChannel(uint8_t nChannel) { return kit::MachineFacts().bSelectSMBusChannel(nChannel); }

uint32_t CSMBusIOSpace::RestoreChannel() { return kit::MachineFacts().bRestoreSMBusChannel(); }

std::string CSMBusIOSpace::strTraceName() const { return kit::strSMBusController(m_dwBase); }

uint32_t CSMBusIOSpace::SMBusReadByte(uint8_t nChannel, uint8_t nAddress, uint8_t bCommand, uint8_t& bValue)
{
    CTransaction transaction(*this, nChannel);
    kit::CTransactionWrites mechanics;
    return dwEndTransaction(HostReadByte(nAddress, bCommand, bValue));
}

uint32_t CSMBusIOSpace::SMBusReadWord(uint8_t nChannel, uint8_t nAddress, uint8_t bCommand, uint8_t& bData0,
                                      uint8_t& bData1)
{
    CTransaction transaction(*this, nChannel);
    kit::CTransactionWrites mechanics;
    return dwEndTransaction(HostReadWord(nAddress, bCommand, bData0, bData1));
}

int32_t CSMBusIOSpace::SMBusBlockRead(uint8_t nChannel, uint8_t nAddress, uint8_t bCommand, uint8_t* pBuffer)
{
    CTransaction transaction(*this, nChannel);
    kit::CTransactionWrites mechanics;
    return HostBlockRead(nAddress, bCommand, pBuffer);
}

// A write is listed after its transaction, before the channel is switched back: the
// trace shows them in the order the machine saw them.
uint32_t CSMBusIOSpace::SMBusWriteByte(uint8_t nChannel, uint8_t nAddress, uint8_t bCommand, uint8_t bValue)
{
    CTransaction transaction(*this, nChannel);
    uint32_t dwResult;
    {
        kit::CTransactionWrites mechanics;
        dwResult = dwEndTransaction(HostWriteByte(nAddress, bCommand, bValue));
    }
    if (kit::bListWrites())
        kit::vTraceWrite(kit::strSMBusByteWriteLine(strTraceName(), nAddress, bCommand, bValue), dwResult != 0);
    return dwResult;
}

uint32_t CSMBusIOSpace::SMBusWriteWord(uint8_t nChannel, uint8_t nAddress, uint8_t bCommand, uint8_t bData0,
                                       uint8_t bData1)
{
    CTransaction transaction(*this, nChannel);
    uint32_t dwResult;
    {
        kit::CTransactionWrites mechanics;
        dwResult = dwEndTransaction(HostWriteWord(nAddress, bCommand, bData0, bData1));
    }
    if (kit::bListWrites())
        kit::vTraceWrite(kit::strSMBusWordWriteLine(strTraceName(), nAddress, bCommand, bData0, bData1), dwResult != 0);
    return dwResult;
}

int32_t CSMBusIOSpace::SMBusBlockWrite(uint8_t nChannel, uint8_t nAddress, uint8_t bCommand, const uint8_t* pBuffer,
                                       int32_t nCount)
{
    CTransaction transaction(*this, nChannel);
    int32_t nResult;
    {
        kit::CTransactionWrites mechanics;
        nResult = HostBlockWrite(nAddress, bCommand, pBuffer, nCount);
    }
    // Fewer bytes written than asked for (or none, -1) is a failed write.
    if (kit::bListWrites())
        kit::vTraceWrite(kit::strSMBusBlockWriteLine(strTraceName(), nAddress, bCommand, pBuffer, nCount),
                         nResult == nCount);
    return nResult;
}
