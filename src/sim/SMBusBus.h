// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The board's SMBus: the wire between one host controller and its target devices. A board
// with a multiplexer has several channels, each with devices of its own; which channel the
// host reaches is asked of a channel source (the multiplexer's select line) at the start of
// every transaction. Host controllers put whole transactions on the wire and take the time
// the wire needs from qwWireNs; the bus records every transaction for tests.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace sim {

class CSMBusTarget;  // sim/SMBusTargets.h

// How a transaction ended on the wire.
enum class SMBusStatus : uint8_t {
    Ok,
    NoAnswer,   // nobody acknowledged the address: the host reports a device error
    DataNack,   // the device acknowledged its address but refused a byte: device error too
    Collision,  // the host lost arbitration: bus collision (bus error)
    Hung,       // a device holds the clock low: the transaction never ends
    Failed,     // the device broke the transfer off: the host reports the transaction failed
};

enum class SMBusOp : uint8_t { Quick, ReadByte, WriteByte, ReadWord, WriteWord, BlockRead, BlockWrite };

// What a block read clocks out: the count byte the device sends first, then the data stream
// the device would go on sending while the host keeps acknowledging (a host reads as many as
// it decides to; bytes beyond the stream read 0xFF, the idle bus).
struct SMBusBlock {
    uint8_t nCount = 0;
    std::vector<uint8_t> Data;
    uint8_t bAt(size_t nIndex) const { return nIndex < Data.size() ? Data[nIndex] : 0xFF; }
};

// One transaction as the bus saw it.
struct SMBusTransfer {
    SMBusOp eOp;
    unsigned nChannel;
    uint8_t nAddress;
    uint8_t bCommand;
    std::vector<uint8_t> Data;  // written bytes, or the bytes the device answered (block: count first)
    SMBusStatus eStatus;
};

class CSMBusBus {
public:
    // 100 kHz: one bit every 10 us, nine bits (eight and the acknowledge) a byte.
    static constexpr uint64_t BIT_NS = 10000;
    static constexpr uint64_t BYTE_NS = 9 * BIT_NS;
    static constexpr uint64_t START_STOP_NS = 2 * BIT_NS;  // a start or repeated start and the stop
    static constexpr unsigned MAX_CHANNELS = 8;

    explicit CSMBusBus(unsigned nChannels = 1);

    unsigned nChannels() const { return m_nChannels; }
    // Puts a device at a 7-bit address of a channel. False (with the reason) when the channel
    // does not exist, the address is above 0x7F or already taken there.
    bool bAttach(unsigned nChannel, uint8_t nAddress, std::unique_ptr<CSMBusTarget> pTarget, std::string& strError);
    // The device at an address, null when there is none.
    CSMBusTarget* pTarget(unsigned nChannel, uint8_t nAddress) const;

    // The multiplexer's select line: called at the start of every transaction; a channel the
    // bus does not have reaches no device. Without a source the bus is on channel 0.
    void vSetChannelSource(std::function<unsigned()> fnChannel);
    unsigned nCurrentChannel() const;

    // How the address phase of a transaction to nAddress would end on the current channel
    // (Ok: a device acknowledges), without a transaction; for hosts that must know it before
    // the rest of the transaction is complete.
    SMBusStatus eAddressAnswer(uint8_t nAddress);

    // The transactions, with the 7-bit address. Outputs are set only on Ok.
    SMBusStatus Quick(uint8_t nAddress, bool bRead);
    SMBusStatus ReadByteData(uint8_t nAddress, uint8_t bCommand, uint8_t& bValue);
    SMBusStatus WriteByteData(uint8_t nAddress, uint8_t bCommand, uint8_t bValue);
    SMBusStatus ReadWordData(uint8_t nAddress, uint8_t bCommand, uint8_t& bData0, uint8_t& bData1);
    SMBusStatus WriteWordData(uint8_t nAddress, uint8_t bCommand, uint8_t bData0, uint8_t bData1);
    SMBusStatus BlockRead(uint8_t nAddress, uint8_t bCommand, SMBusBlock& block);
    // nCount data bytes after the count byte (which is nCount).
    SMBusStatus BlockWrite(uint8_t nAddress, uint8_t bCommand, const uint8_t* pData, uint8_t nCount);

    // The quick, byte-data and word-data transactions as every host runs them: a write sends
    // bOut0 (and bOut1), a read fills bIn0 (and bIn1) on Ok. qwWireNs is set to the time the
    // transaction takes on the wire.
    enum class Simple { Quick, ByteData, WordData };
    SMBusStatus SimpleTransfer(Simple eKind, uint8_t nAddress, bool bRead, uint8_t bCommand, uint8_t bOut0,
                               uint8_t bOut1, uint8_t& bIn0, uint8_t& bIn1, uint64_t& qwWireNs);

    // Board time a transaction of nBytes bytes on the wire takes (address bytes, command,
    // count and data), with nStarts starts (2 for the reads that turn the bus round).
    static uint64_t qwWireNs(unsigned nBytes, unsigned nStarts = 1)
    {
        return uint64_t(nBytes) * BYTE_NS + uint64_t(nStarts) * START_STOP_NS;
    }

    // The record of the transactions, for tests.
    std::vector<SMBusTransfer> Transfers() const;
    void vClearTransfers();

private:
    // The device the transaction reaches on the current channel, or the status that ends it
    // at the address (no device, a device that does not answer, a fault).
    CSMBusTarget* pAddressed(uint8_t nAddress, SMBusStatus& eStatus, unsigned& nChannel);
    SMBusStatus vRecord(SMBusOp eOp, unsigned nChannel, uint8_t nAddress, uint8_t bCommand,
                        std::vector<uint8_t> data, SMBusStatus eStatus);

    unsigned m_nChannels;
    std::vector<std::vector<std::unique_ptr<CSMBusTarget>>> m_Targets;  // [channel][address]
    std::function<unsigned()> m_fnChannel;
    mutable std::mutex m_LogMutex;
    std::vector<SMBusTransfer> m_Transfers;
};

}  // namespace sim
