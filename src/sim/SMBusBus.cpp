// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/SMBusBus.h"

#include "sim/SMBusTargets.h"

namespace sim {

namespace {

constexpr unsigned ADDRESS_COUNT = 128;

}  // namespace

CSMBusBus::CSMBusBus(unsigned nChannels)
    : m_nChannels(nChannels == 0 ? 1 : (nChannels > MAX_CHANNELS ? MAX_CHANNELS : nChannels))
{
    m_Targets.resize(m_nChannels);
    for (auto& channel : m_Targets)
        channel.resize(ADDRESS_COUNT);
}

bool CSMBusBus::bAttach(unsigned nChannel, uint8_t nAddress, std::unique_ptr<CSMBusTarget> pTarget,
                        std::string& strError)
{
    if (nChannel >= m_nChannels) {
        strError = "channel " + std::to_string(nChannel) + " does not exist (the bus has " +
                   std::to_string(m_nChannels) + ")";
        return false;
    }
    if (nAddress >= ADDRESS_COUNT) {
        strError = "address " + std::to_string(nAddress) + " is not a 7-bit address";
        return false;
    }
    if (!pTarget) {
        strError = "no device";
        return false;
    }
    if (m_Targets[nChannel][nAddress]) {
        strError = "address " + std::to_string(nAddress) + " of channel " + std::to_string(nChannel) +
                   " is already taken";
        return false;
    }
    m_Targets[nChannel][nAddress] = std::move(pTarget);
    return true;
}

CSMBusTarget* CSMBusBus::pTarget(unsigned nChannel, uint8_t nAddress) const
{
    if (nChannel >= m_nChannels || nAddress >= ADDRESS_COUNT)
        return nullptr;
    return m_Targets[nChannel][nAddress].get();
}

void CSMBusBus::vSetChannelSource(std::function<unsigned()> fnChannel) { m_fnChannel = std::move(fnChannel); }

unsigned CSMBusBus::nCurrentChannel() const { return m_fnChannel ? m_fnChannel() : 0; }

CSMBusTarget* CSMBusBus::pAddressed(uint8_t nAddress, SMBusStatus& eStatus, unsigned& nChannel)
{
    nChannel = nCurrentChannel();
    CSMBusTarget* pDevice = pTarget(nChannel, nAddress);
    eStatus = SMBusStatus::Ok;
    if (!pDevice) {
        eStatus = SMBusStatus::NoAnswer;
        return nullptr;
    }
    switch (pDevice->m_eFault) {
    case SMBusFault::None:
        return pDevice;
    case SMBusFault::NoAnswer:
        eStatus = SMBusStatus::NoAnswer;
        break;
    case SMBusFault::HoldClock:
        eStatus = SMBusStatus::Hung;
        break;
    case SMBusFault::Collision:
        eStatus = SMBusStatus::Collision;
        break;
    case SMBusFault::BusError:
        eStatus = SMBusStatus::Failed;
        break;
    }
    return nullptr;
}

SMBusStatus CSMBusBus::eAddressAnswer(uint8_t nAddress)
{
    SMBusStatus eStatus;
    unsigned nChannel;
    pAddressed(nAddress, eStatus, nChannel);
    return eStatus;
}

SMBusStatus CSMBusBus::vRecord(SMBusOp eOp, unsigned nChannel, uint8_t nAddress, uint8_t bCommand,
                               std::vector<uint8_t> data, SMBusStatus eStatus)
{
    std::lock_guard<std::mutex> lock(m_LogMutex);
    m_Transfers.push_back(SMBusTransfer{eOp, nChannel, nAddress, bCommand, std::move(data), eStatus});
    return eStatus;
}

SMBusStatus CSMBusBus::Quick(uint8_t nAddress, bool bRead)
{
    SMBusStatus eStatus;
    unsigned nChannel;
    CSMBusTarget* pDevice = pAddressed(nAddress, eStatus, nChannel);
    if (pDevice && !pDevice->bQuick(bRead))
        eStatus = SMBusStatus::DataNack;
    return vRecord(SMBusOp::Quick, nChannel, nAddress, 0, {}, eStatus);
}

SMBusStatus CSMBusBus::ReadByteData(uint8_t nAddress, uint8_t bCommand, uint8_t& bValue)
{
    SMBusStatus eStatus;
    unsigned nChannel;
    CSMBusTarget* pDevice = pAddressed(nAddress, eStatus, nChannel);
    uint8_t b = 0;
    if (pDevice && !pDevice->bReadByteData(bCommand, b))
        eStatus = SMBusStatus::DataNack;
    if (eStatus == SMBusStatus::Ok)
        bValue = b;
    return vRecord(SMBusOp::ReadByte, nChannel, nAddress, bCommand,
                   eStatus == SMBusStatus::Ok ? std::vector<uint8_t>{b} : std::vector<uint8_t>{}, eStatus);
}

SMBusStatus CSMBusBus::WriteByteData(uint8_t nAddress, uint8_t bCommand, uint8_t bValue)
{
    SMBusStatus eStatus;
    unsigned nChannel;
    CSMBusTarget* pDevice = pAddressed(nAddress, eStatus, nChannel);
    if (pDevice && !pDevice->bWriteByteData(bCommand, bValue))
        eStatus = SMBusStatus::DataNack;
    return vRecord(SMBusOp::WriteByte, nChannel, nAddress, bCommand, {bValue}, eStatus);
}

SMBusStatus CSMBusBus::ReadWordData(uint8_t nAddress, uint8_t bCommand, uint8_t& bData0, uint8_t& bData1)
{
    SMBusStatus eStatus;
    unsigned nChannel;
    CSMBusTarget* pDevice = pAddressed(nAddress, eStatus, nChannel);
    uint8_t b0 = 0, b1 = 0;
    if (pDevice && !pDevice->bReadWordData(bCommand, b0, b1))
        eStatus = SMBusStatus::DataNack;
    if (eStatus == SMBusStatus::Ok) {
        bData0 = b0;
        bData1 = b1;
    }
    return vRecord(SMBusOp::ReadWord, nChannel, nAddress, bCommand,
                   eStatus == SMBusStatus::Ok ? std::vector<uint8_t>{b0, b1} : std::vector<uint8_t>{}, eStatus);
}

SMBusStatus CSMBusBus::WriteWordData(uint8_t nAddress, uint8_t bCommand, uint8_t bData0, uint8_t bData1)
{
    SMBusStatus eStatus;
    unsigned nChannel;
    CSMBusTarget* pDevice = pAddressed(nAddress, eStatus, nChannel);
    if (pDevice && !pDevice->bWriteWordData(bCommand, bData0, bData1))
        eStatus = SMBusStatus::DataNack;
    return vRecord(SMBusOp::WriteWord, nChannel, nAddress, bCommand, {bData0, bData1}, eStatus);
}

SMBusStatus CSMBusBus::SimpleTransfer(Simple eKind, uint8_t nAddress, bool bRead, uint8_t bCommand, uint8_t bOut0,
                                      uint8_t bOut1, uint8_t& bIn0, uint8_t& bIn1, uint64_t& qwWire)
{
    switch (eKind) {
    case Simple::Quick:
        qwWire = qwWireNs(1);
        return Quick(nAddress, bRead);
    case Simple::ByteData:
        qwWire = bRead ? qwWireNs(4, 2) : qwWireNs(3);
        return bRead ? ReadByteData(nAddress, bCommand, bIn0) : WriteByteData(nAddress, bCommand, bOut0);
    case Simple::WordData:
        break;
    }
    qwWire = bRead ? qwWireNs(5, 2) : qwWireNs(4);
    return bRead ? ReadWordData(nAddress, bCommand, bIn0, bIn1) : WriteWordData(nAddress, bCommand, bOut0, bOut1);
}

SMBusStatus CSMBusBus::BlockRead(uint8_t nAddress, uint8_t bCommand, SMBusBlock& block)
{
    SMBusStatus eStatus;
    unsigned nChannel;
    CSMBusTarget* pDevice = pAddressed(nAddress, eStatus, nChannel);
    SMBusBlock answer;
    if (pDevice && !pDevice->bBlockRead(bCommand, answer.nCount, answer.Data))
        eStatus = SMBusStatus::DataNack;
    if (pDevice && pDevice->m_nForcedBlockCount >= 0)
        answer.nCount = uint8_t(pDevice->m_nForcedBlockCount);
    std::vector<uint8_t> logged;
    if (eStatus == SMBusStatus::Ok) {
        logged.push_back(answer.nCount);
        logged.insert(logged.end(), answer.Data.begin(), answer.Data.end());
        block = std::move(answer);
    }
    return vRecord(SMBusOp::BlockRead, nChannel, nAddress, bCommand, std::move(logged), eStatus);
}

SMBusStatus CSMBusBus::BlockWrite(uint8_t nAddress, uint8_t bCommand, const uint8_t* pData, uint8_t nCount)
{
    SMBusStatus eStatus;
    unsigned nChannel;
    if (!pData)
        nCount = 0;
    CSMBusTarget* pDevice = pAddressed(nAddress, eStatus, nChannel);
    std::vector<uint8_t> data;
    data.push_back(nCount);
    if (pData)
        data.insert(data.end(), pData, pData + nCount);
    if (pDevice && !pDevice->bBlockWrite(bCommand, data.data() + 1, nCount))
        eStatus = SMBusStatus::DataNack;
    return vRecord(SMBusOp::BlockWrite, nChannel, nAddress, bCommand, std::move(data), eStatus);
}

std::vector<SMBusTransfer> CSMBusBus::Transfers() const
{
    std::lock_guard<std::mutex> lock(m_LogMutex);
    return m_Transfers;
}

void CSMBusBus::vClearTransfers()
{
    std::lock_guard<std::mutex> lock(m_LogMutex);
    m_Transfers.clear();
}

}  // namespace sim
