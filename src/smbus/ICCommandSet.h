// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The register access of one chip. CICCommandSet answers every operation with failure;
// CSMBusICCommandSet reaches a chip on the SMBus through the locked transactions of its
// controller, bound to one (controller, channel, address).
#include <cstdint>
#include <string>

class CIOSpace;

class CICCommandSet {
public:
    virtual ~CICCommandSet() {}

    // Reads give all ones and block transfers -1 when they fail; writes give non-zero on
    // success. Block buffers must hold 32 bytes.
    virtual uint8_t ReadByte(uint8_t bCommand);
    virtual uint16_t ReadWord(uint8_t bCommand);
    virtual uint32_t ReadDword(uint8_t bCommand);
    virtual int32_t ReadBlock(uint8_t bCommand, int32_t nCount, uint8_t* pBuffer);
    virtual uint32_t WriteByte(uint8_t bCommand, uint8_t bValue);
    virtual uint32_t WriteWord(uint8_t bCommand, uint16_t wValue);
    virtual uint32_t WriteDword(uint8_t bCommand, uint32_t dwValue);
    virtual int32_t WriteBlock(uint8_t bCommand, int32_t nCount, const uint8_t* pBuffer);

    // Why the last operation failed, in words ("the controller timed out"); empty when it did
    // not fail or the command set cannot tell.
    virtual std::string strLastFailure() const;
};

class CSMBusICCommandSet : public CICCommandSet {
public:
    // pIOSpace must be an SMBus controller (a CSMBusIOSpace); it is not owned.
    CSMBusICCommandSet(CIOSpace* pIOSpace, uint8_t nChannel, uint8_t nAddress);

    uint8_t ReadByte(uint8_t bCommand) override;
    // The first byte on the bus is the high byte of the word.
    uint16_t ReadWord(uint8_t bCommand) override;
    // The device gives the length: nCount is not passed on.
    int32_t ReadBlock(uint8_t bCommand, int32_t nCount, uint8_t* pBuffer) override;
    uint32_t WriteByte(uint8_t bCommand, uint8_t bValue) override;
    // Sends bits 8 to 15 first, then bits 0 to 7.
    uint32_t WriteWord(uint8_t bCommand, uint16_t wValue) override;
    int32_t WriteBlock(uint8_t bCommand, int32_t nCount, const uint8_t* pBuffer) override;
    // The controller's cause of the last transaction this thread ran on it.
    std::string strLastFailure() const override;

    CIOSpace* m_pIOSpace;
    uint8_t m_nAddress;
    uint8_t m_nChannel;
};
