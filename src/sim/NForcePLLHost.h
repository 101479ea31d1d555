// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The nForce2 PLLs in the host bridge's configuration space (see sim/NForcePLL.h). Each
// takes the place of the function it lives in and keeps it for every other register.
#include <memory>

#include "sim/NForcePLL.h"
#include "sim/PCIConfig.h"

namespace sim {

// 00:00.0: the FSB PLL.
class CNForce2HostFunction : public CPCIFunction {
public:
    static constexpr unsigned CONTROL = 0xA0, FSB_PLL = 0xA4, ENABLE = 0xA8;
    static constexpr double REFERENCE_MHZ = 25.06067;

    CNForce2HostFunction(std::unique_ptr<CPCIFunction> pHost, const NForcePLLBoardLink& link);

    uint32_t dwRead(unsigned nOffset, const AccessContext& context) override;
    void vWrite(unsigned nOffset, uint32_t dwValue, unsigned nByteEnables, const AccessContext& context) override;

private:
    bool bDriving() const { return m_pHost->dwPeek(ENABLE) & 1; }
    // The PLL takes the setting in 0xA4 and the bus follows its output.
    void vLoad(uint64_t qwNow);

    std::unique_ptr<CPCIFunction> m_pHost;
    NForcePLLBoardLink m_Link;
};

// 00:00.3: the AGP PLL beside a sanity register that no write changes.
class CNForce2AgpFunction : public CPCIFunction {
public:
    CNForce2AgpFunction(std::unique_ptr<CPCIFunction> pFunction, unsigned nSanityRegister);

    uint32_t dwRead(unsigned nOffset, const AccessContext& context) override;
    void vWrite(unsigned nOffset, uint32_t dwValue, unsigned nByteEnables, const AccessContext& context) override;

private:
    std::unique_ptr<CPCIFunction> m_pFunction;
    unsigned m_nSanityRegister;
};

}  // namespace sim
