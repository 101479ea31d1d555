// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The SMBus host controller of the Intel I/O controller hubs, as the silicon behaves behind
// its 32 I/O ports: a transaction runs on the board's SMBus for the time the wire takes
// (host busy until then), ends with completion, device error or bus collision; block
// transfers go byte by byte with the byte-done hand-shake (the host holds the clock until
// the byte-done bit is cleared, and ends after the byte that follows a write of the last-byte
// bit) or, on the ICH4 class with the block buffer switched on in the auxiliary control
// register, through the 32-byte buffer. The kill bit ends a transaction with "failed". The
// ports answer only while the PCI function decodes them (visible, I/O enabled, base register
// at the block), and a start is taken only while the host enable bit (0x40 bit 0) is set.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "sim/BusHandlers.h"
#include "sim/SMBusIntelLayout.h"
#include "sim/SMBusBus.h"

namespace sim {

class CPCIFunctions;

class CIntelSMBusHost : public CPortHandler {
public:
    static constexpr uint32_t PORT_COUNT = 32;

    // The PCI function the controller is; without one the ports always answer and the host
    // is always enabled.
    struct Function {
        bool bPresent = false;
        uint8_t nBus = 0, nDevice = 0, nFunction = 0;
        uint8_t nBarOffset = 0x20;
    };

    // bICH4: the auxiliary registers and the 32-byte block buffer exist.
    CIntelSMBusHost(uint16_t wBase, bool bICH4, std::shared_ptr<CSMBusBus> pBus, const CPCIFunctions* pPci,
                    const Function& function);

    uint32_t dwIn(uint16_t wPort, unsigned nWidth, const AccessContext& context) override;
    void vOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue, const AccessContext& context) override;

private:
    enum class EPhase : uint8_t {
        Idle,
        Running,      // a transaction or one block byte is on the wire until m_qwDueNs
        HoldingByte,  // byte done is set; the host holds the clock until it is cleared
        Hung,         // a device holds the clock: busy until killed
    };
    enum class EJob : uint8_t { Simple, ByteRead, ByteWrite, BufferedRead, BufferedWrite };

    bool bDecodes() const;
    bool bHostEnabled() const;
    uint8_t bRead(unsigned nRegister, uint64_t qwNow);
    void vWrite(unsigned nRegister, uint8_t bValue, uint64_t qwNow);
    // Completes what the wire finished by qwNow.
    void vCatchUp(uint64_t qwNow);
    void vStart(uint64_t qwNow);
    void vStartBlock(uint64_t qwNow);
    void vRun(EJob eJob, uint64_t qwNow, uint64_t qwWireNs);
    // A transaction that ended at its address or command (no device, refused, collision,
    // hung): takes the wire time of the bytes sent and then reports the error.
    void vFailAt(SMBusStatus eStatus, uint64_t qwNow, unsigned nBytes);
    void vComplete();
    void vByteFinished();
    void vReleaseByte(uint64_t qwNow);

    bool m_bICH4;
    std::shared_ptr<CSMBusBus> m_pBus;
    const CPCIFunctions* m_pPci;
    Function m_Function;

    // Registers.
    uint8_t m_bStatus = 0;  // bits 1..7; bit 0 (busy) comes from the phase
    uint8_t m_bControl = 0;
    intel_layout::CTransferRegisters m_Transfer;
    uint8_t m_bBlockData = 0;
    uint8_t m_bAuxControl = 0;

    // The transaction under way.
    EPhase m_ePhase = EPhase::Idle;
    EJob m_eJob = EJob::Simple;
    uint64_t m_qwDueNs = 0;
    uint8_t m_bEndStatus = 0;                   // status bits set when the transaction ends
    uint8_t m_bEndData0 = 0, m_bEndData1 = 0;  // data registers when it ends
    bool m_bSetData0 = false, m_bSetData1 = false;
    SMBusBlock m_Block;                // block read: what the device clocks out
    size_t m_nNextByte = 0;            // next byte of the block
    std::vector<uint8_t> m_WriteBytes;  // block write: the bytes handed over so far
    uint8_t m_nWriteCount = 0;

    // The 32-byte block buffer and its index (reset by a read of the control register).
    std::array<uint8_t, 32> m_Buffer{};
    unsigned m_nBufferIndex = 0;
};

}  // namespace sim
