#pragma once
// The SMBus host controllers. Every controller the kit finds is a port space over its
// register block with six SMBus transactions (byte, word and block, read and write). Clients
// use only the locked transactions: they hold the controller lock "Access_SMBUS.HTP.Method"
// for the whole of the multiplexer switch, the transaction and the switch back.
#include <cstdint>
#include <string>

#include "kit/IOSpace.h"

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
    // (unowned) and the given poll budget.
    CSMBusIOSpace(uint16_t wBase, int32_t nTimeout);
    // Releases and closes the controller lock.
    ~CSMBusIOSpace() override;

    // Carries out a CSMBusRequest (the operations above); 0 for any other operation.
    uint32_t Execute(CIORequest* pRequest) override;

    // The controller's own transactions, without lock or channel switch. The address is the
    // 7-bit SMBus address, the command the chip's register index, data0/data1 the two bytes
    // of a word in bus order. The base fails them all (0; -1 for blocks).
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

    // Poll budget of every wait loop (status polls, about 1 ms each).
    int32_t m_nTimeout;

private:
    // Holds the controller lock and the selected channel for one transaction.
    class CTransaction;
};
