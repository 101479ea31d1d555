// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The SMBus host controllers. Every controller the kit finds is a port space over its
// register block with six SMBus transactions (byte, word and block, read and write). Clients
// use only the locked transactions: they hold the controller lock "Access_SMBUS.HTP.Method"
// for the whole of the multiplexer switch, the transaction and the switch back. Beside its
// results, each transaction leaves the cause of a failure (SMBusFailure.h), and each
// controller tells what it can do (SMBusFunctions.h) and what it is called.
#include <cstdint>
#include <string>

#include "kit/IOSpace.h"
#include "smbus/SMBusFailure.h"
#include "smbus/SMBusFunctions.h"

namespace smbus {
template <typename TController>
class CTemporaryController;
}

// The controller lock every controller object opens; all of them share it.
inline constexpr const char* SMBUS_CONTROLLER_MUTEX = "Access_SMBUS.HTP.Method";

// Request operations taken by CSMBusIOSpace::Execute (kind in bits 4..15, direction in 0..3).
enum : uint32_t {
    SMBUSREQUEST_READ_BYTE = 0x11,
    SMBUSREQUEST_WRITE_BYTE = 0x12,
    SMBUSREQUEST_BLOCK_READ = 0x101,
    SMBUSREQUEST_BLOCK_WRITE = 0x102,
};

// One SMBus transaction as a request record. The command is the low byte of m_dwOffset; a
// byte read leaves the byte in the low byte of m_dwValue, block transfers leave their count
// there. Block buffers hold 32 bytes.
struct CSMBusRequest : CIORequest {
    uint8_t* m_pBuffer = nullptr;
    uint8_t m_nChannel = 0;
    uint8_t m_nAddress = 0;
};

class CSMBusIOSpace : public CPortIOSpace {
public:
    // A port space at wBase without size bound, type 0x1000004, the controller lock opened
    // (unowned), the given poll budget and the functions the class runs.
    CSMBusIOSpace(uint16_t wBase, int32_t nTimeout, uint32_t dwFunctions = 0);
    // Releases and closes the controller lock.
    ~CSMBusIOSpace() override;
    CSMBusIOSpace(const CSMBusIOSpace&) = delete;
    CSMBusIOSpace& operator=(const CSMBusIOSpace&) = delete;

    // Carries out a CSMBusRequest (the operations above); 0 for any other operation.
    uint32_t Execute(CIORequest* pRequest) override;

    // The controller's own transactions, without lock or channel switch. The address is the
    // 7-bit SMBus address, the command the chip's register index, data0/data1 the two bytes
    // of a word in bus order. The base fails them all (0; -1 for blocks) as not supported. A
    // transaction that fails (or ends a block early) records why.
    virtual uint32_t HostReadByte(uint8_t nAddress, uint8_t bCommand, uint8_t& bValue);
    virtual uint32_t HostReadWord(uint8_t nAddress, uint8_t bCommand, uint8_t& bData0, uint8_t& bData1);
    // Bytes stored in pBuffer (which must hold 32).
    virtual int32_t HostBlockRead(uint8_t nAddress, uint8_t bCommand, uint8_t* pBuffer);
    virtual uint32_t HostWriteByte(uint8_t nAddress, uint8_t bCommand, uint8_t bValue);
    virtual uint32_t HostWriteWord(uint8_t nAddress, uint8_t bCommand, uint8_t bData0, uint8_t bData1);
    // Bytes written.
    virtual int32_t HostBlockWrite(uint8_t nAddress, uint8_t bCommand, const uint8_t* pBuffer, int32_t nCount);

    // The board's SMBus multiplexer, switched through the kit's SMBus interface: to the
    // channel, and back to its default channel. 0 when the kit has no SMBus interface.
    virtual uint32_t SelectChannel(uint8_t nChannel);
    virtual uint32_t RestoreChannel();

    // How the write trace names the controller: its I/O base ("0x0400").
    virtual std::string strTraceName() const;

    // The locked transactions: wait for the controller lock (no time-out), select the
    // channel, run the Host... transaction, restore the channel, release the lock. With
    // tracing on, the controller's register writes inside the transaction are not listed;
    // a transaction that writes to a device is listed once, as it ends.
    uint32_t SMBusReadByte(uint8_t nChannel, uint8_t nAddress, uint8_t bCommand, uint8_t& bValue);
    uint32_t SMBusReadWord(uint8_t nChannel, uint8_t nAddress, uint8_t bCommand, uint8_t& bData0, uint8_t& bData1);
    int32_t SMBusBlockRead(uint8_t nChannel, uint8_t nAddress, uint8_t bCommand, uint8_t* pBuffer);
    uint32_t SMBusWriteByte(uint8_t nChannel, uint8_t nAddress, uint8_t bCommand, uint8_t bValue);
    uint32_t SMBusWriteWord(uint8_t nChannel, uint8_t nAddress, uint8_t bCommand, uint8_t bData0, uint8_t bData1);
    int32_t SMBusBlockWrite(uint8_t nChannel, uint8_t nAddress, uint8_t bCommand, const uint8_t* pBuffer,
                            int32_t nCount);

    // Why the last transaction this thread ran on this controller failed, or ended a block
    // early; None after one that completed. Every locked transaction sets it.
    ESMBusFailure eLastFailure() const;
    // The same in words, naming the device at nAddress where it is the device's doing.
    std::string strLastFailure(uint8_t nAddress) const;

    // Poll budget of every wait loop (status polls, about 1 ms each).
    int32_t m_nTimeout;
    // What the controller runs (SMBUS_FUNC_...): its class's, unless detection says otherwise.
    uint32_t m_dwFunctions;
    // What the controller is, as the kernel names its adapters ("Intel ICH8 SMBus"); given by
    // detection, empty for a controller made directly.
    std::string m_strName;

protected:
    // Records the cause of the transaction under way. dwFail and nFail return the failed
    // result (0), so that a transaction can end with "return dwFail(ESMBusFailure::Busy);".
    void vSetFailure(ESMBusFailure eFailure) const;
    uint32_t dwFail(ESMBusFailure eFailure) const;
    int32_t nFail(ESMBusFailure eFailure, int32_t nResult = 0) const;

private:
    template <typename TController>
    friend class smbus::CTemporaryController;

    // Holds the controller lock and the selected channel for one transaction.
    class CTransaction;
    // Starts a transaction's record: nothing has failed yet.
    void vBeginTransaction() const;
    // A byte or word transaction that failed without naming a cause is a bus error all the same.
    uint32_t dwEndTransaction(uint32_t dwResult) const;

    uint64_t m_qwSerial;  // the controller's key in the per-thread failure records
};
