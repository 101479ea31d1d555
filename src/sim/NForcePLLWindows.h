// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The nForce4 / MCP55 PLL behind its two I/O port windows (see sim/NForcePLL.h).
#include <array>
#include <cstdint>
#include <memory>

#include "sim/BusHandlers.h"
#include "sim/NForcePLL.h"

namespace sim {

class CPCIFunction;

// The PLL's registers and its update, shared by the handlers of the two windows.
class CNForcePLLRegisters {
public:
    static constexpr uint32_t WINDOW_SIZE = 256;
    static constexpr unsigned UPDATE_REGISTER = 0xA4;  // in window A
    static constexpr unsigned FSB_PLL = 0x08;          // in window B
    static constexpr uint64_t UPDATE_NS = 25000000;    // the PLL locks 25 ms after an update starts
    static constexpr double REFERENCE_MHZ = 387.5;

    // bridge: the function whose registers 0x60 and 0x68 place the windows. The reset
    // setting of the FSB PLL is the firmware's for the board's bus clock.
    CNForcePLLRegisters(const CPCIFunction& bridge, uint16_t wBaseA, uint16_t wBaseB, const NForcePLLBoardLink& link,
                        uint64_t qwBusHz);

    // The windows answer while the bridge still places them at their bases.
    bool bDecodedA() const;
    bool bDecodedB() const;
    uint8_t bReadB(unsigned nOffset, uint64_t qwNow);
    void vWriteB(unsigned nOffset, uint8_t bValue, uint64_t qwNow);
    // A byte of A[0xA4].
    uint8_t bReadUpdate(unsigned nByte, uint64_t qwNow);
    void vWriteUpdate(unsigned nByte, uint8_t bValue, uint64_t qwNow);

    uint16_t wBaseA() const { return m_wBaseA; }
    uint16_t wBaseB() const { return m_wBaseB; }

private:
    uint32_t dwB(unsigned nOffset) const;
    // Completes an update whose time has come: the bus runs at the PLL's new output.
    void vProgress(uint64_t qwNow);

    const CPCIFunction& m_Bridge;
    uint16_t m_wBaseA, m_wBaseB;
    NForcePLLBoardLink m_Link;
    std::array<uint8_t, WINDOW_SIZE> m_B{};
    std::array<uint8_t, 4> m_Update{};
    bool m_bUpdating = false;
    uint64_t m_qwLockedAt = 0;
    uint32_t m_dwLoading = 0;  // the setting the update loads
};

// Window B, all of it.
class CNForcePLLWindowB : public CPortHandler {
public:
    explicit CNForcePLLWindowB(std::shared_ptr<CNForcePLLRegisters> pRegisters);
    uint32_t dwIn(uint16_t wPort, unsigned nWidth, const AccessContext& context) override;
    void vOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue, const AccessContext& context) override;

private:
    std::shared_ptr<CNForcePLLRegisters> m_pRegisters;
    CNForcePLLRegisters& m_Registers;
};

// The update register of window A; the rest of window A belongs to other devices.
class CNForcePLLUpdatePort : public CPortHandler {
public:
    explicit CNForcePLLUpdatePort(std::shared_ptr<CNForcePLLRegisters> pRegisters);
    uint32_t dwIn(uint16_t wPort, unsigned nWidth, const AccessContext& context) override;
    void vOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue, const AccessContext& context) override;

private:
    std::shared_ptr<CNForcePLLRegisters> m_pRegisters;
    CNForcePLLRegisters& m_Registers;
};

}  // namespace sim
