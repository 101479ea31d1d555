// SPDX-License-Identifier: GPL-2.0-or-later
#include "discovery/ChipsetHiding.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "discovery/ChipsetAccess.h"
#include "discovery/ChipsetBridges.h"

namespace chipset {

namespace {

constexpr uint16_t VENDOR_INTEL = 0x8086;
constexpr uint16_t VENDOR_SIS = 0x1039;

// How an LPC bridge hides its SMBus function.
enum HidingKind { HIDING_NONE, HIDING_ICH, HIDING_ICH6, HIDING_SIS };

struct HidingRule {
    uint16_t wVendorID;
    uint16_t wDeviceID;
    HidingKind eKind;
    bool bHideAtClose;  // the function is hidden again at close
};

// ICH to ICH5 and 6300ESB: bit 3 of byte 0xF2 (bit 19 of dword 0xF0) disables the SMBus.
// ICH6 and later: bit 3 of the function disable register in the root complex block. SiS:
// bit 28 of dword 0x74. The ICH3-S, the 6300ESB, the 6321ESB, ICH7-M, ICH8 and ICH9 keep
// the function visible after close.
const HidingRule s_Rules[] = {
    {VENDOR_INTEL, 0x2410, HIDING_ICH, true},   {VENDOR_INTEL, 0x2420, HIDING_ICH, true},
    {VENDOR_INTEL, 0x2440, HIDING_ICH, true},   {VENDOR_INTEL, 0x244C, HIDING_ICH, true},
    {VENDOR_INTEL, 0x2480, HIDING_ICH, false},  {VENDOR_INTEL, 0x248C, HIDING_ICH, true},
    {VENDOR_INTEL, 0x24C0, HIDING_ICH, true},   {VENDOR_INTEL, 0x24CC, HIDING_ICH, true},
    {VENDOR_INTEL, 0x24D0, HIDING_ICH, true},   {VENDOR_INTEL, 0x25A1, HIDING_ICH, false},
    {VENDOR_INTEL, 0x2640, HIDING_ICH6, true},  {VENDOR_INTEL, 0x2641, HIDING_ICH6, true},
    {VENDOR_INTEL, 0x2670, HIDING_ICH6, false}, {VENDOR_INTEL, 0x27B0, HIDING_ICH6, true},
    {VENDOR_INTEL, 0x27B8, HIDING_ICH6, true},  {VENDOR_INTEL, 0x27B9, HIDING_ICH6, false},
    {VENDOR_INTEL, 0x27BD, HIDING_ICH6, true},  {VENDOR_INTEL, 0x2810, HIDING_ICH6, false},
    {VENDOR_INTEL, 0x2812, HIDING_ICH6, false}, {VENDOR_INTEL, 0x2910, HIDING_ICH6, false},
    {VENDOR_SIS, 0x0008, HIDING_SIS, true},     {VENDOR_SIS, 0x0961, HIDING_SIS, true},
    {VENDOR_SIS, 0x0962, HIDING_SIS, true},     {VENDOR_SIS, 0x0963, HIDING_SIS, true},
};

const HidingRule* pFindRule(const CSouthBridge& bridge)
{
    const uint16_t wVendor = bridge.wVendorID(), wDevice = bridge.wDeviceID();
    auto it = std::find_if(std::begin(s_Rules), std::end(s_Rules), [&](const HidingRule& rule) {
        return rule.wVendorID == wVendor && rule.wDeviceID == wDevice;
    });
    return it == std::end(s_Rules) ? nullptr : it;
}

constexpr uint32_t ICH_FUNCTION_DISABLE = 0xF0;  // dword; byte 0xF2 bit 3 is its bit 19
constexpr uint32_t ICH_SMBUS_DISABLE_BIT = 1u << 19;
constexpr uint32_t ICH_WAIT_MS = 5;

constexpr uint32_t ICH6_ROOT_COMPLEX_BASE = 0xF0;
constexpr uint32_t ICH6_RCBA_ENABLE = 1;
constexpr uint32_t ICH6_RCBA_MASK = ~0x3FFFu;
constexpr uint32_t ICH6_FUNCTION_DISABLE = 0x3418;
constexpr uint32_t ICH6_SMBUS_DISABLE_BIT = 1u << 3;
constexpr uint32_t ICH6_WAIT_MS = 10;

constexpr uint32_t SIS_SMBUS_CONTROL = 0x74;
constexpr uint32_t SIS_SMBUS_HIDE_BIT = 1u << 28;
constexpr uint32_t SIS_WAIT_MS = 5;

constexpr uint32_t I865_DEVICE_PRESENT = 0xF4;  // byte; bit 1 makes device 6 visible
constexpr uint32_t I865_DEVICE6_BIT = 1u << 1;
constexpr uint32_t I865_WAIT_MS = 100;

// Clears a bit, waits and tells whether it stayed clear.
bool bClearAndCheck(const CSouthBridge& bridge, uint32_t dwOffset, uint32_t dwBit, uint32_t dwWaitMs)
{
    bridge.WriteConfig(dwOffset, bridge.ReadConfig(dwOffset) & ~dwBit);
    vWait(dwWaitMs);
    return (bridge.ReadConfig(dwOffset) & dwBit) == 0;
}

// The function disable register of an ICH6 or later, with the root complex block enabled
// first; 0 when there is none.
uint32_t dwFunctionDisableAddress(const CSouthBridge& bridge)
{
    uint32_t dwBase = bridge.ReadConfig(ICH6_ROOT_COMPLEX_BASE);
    if (dwBase == 0 || dwBase == 0xFFFFFFFF) return 0;
    if (!(dwBase & ICH6_RCBA_ENABLE)) {
        bridge.WriteConfig(ICH6_ROOT_COMPLEX_BASE, dwBase | ICH6_RCBA_ENABLE);
        vWait(ICH6_WAIT_MS);
        dwBase = bridge.ReadConfig(ICH6_ROOT_COMPLEX_BASE);
        if (!(dwBase & ICH6_RCBA_ENABLE)) return 0;
    }
    // The block is below 4 GiB and is 16 KiB aligned; a base that would put the register
    // beyond the address space is not used.
    const uint32_t dwBlock = dwBase & ICH6_RCBA_MASK;
    if (dwBlock == 0 || dwBlock > 0xFFFFFFFFu - ICH6_FUNCTION_DISABLE - 3) return 0;
    return dwBlock + ICH6_FUNCTION_DISABLE;
}

}  // namespace

void vShowSMBusFunction(CSouthBridge& bridge)
{
    const HidingRule* pRule = pFindRule(bridge);
    if (!pRule) return;
    switch (pRule->eKind) {
    case HIDING_ICH:
        if (bridge.ReadConfig(ICH_FUNCTION_DISABLE) & ICH_SMBUS_DISABLE_BIT)
            bridge.m_nState = bClearAndCheck(bridge, ICH_FUNCTION_DISABLE, ICH_SMBUS_DISABLE_BIT, ICH_WAIT_MS)
                                  ? SOUTH_BRIDGE_UNHIDDEN
                                  : SOUTH_BRIDGE_HIDING_FAILED;
        break;
    case HIDING_ICH6: {
        const uint32_t dwAddress = dwFunctionDisableAddress(bridge);
        if (!dwAddress) break;
        const uint32_t dwDisable = dwReadPhysicalDword(dwAddress);
        if (dwDisable == 0xFFFFFFFF || !(dwDisable & ICH6_SMBUS_DISABLE_BIT)) break;
        bWritePhysicalDword(dwAddress, dwDisable & ~ICH6_SMBUS_DISABLE_BIT);
        bridge.m_nState = SOUTH_BRIDGE_UNHIDDEN;
        break;
    }
    case HIDING_SIS:
        if (bridge.ReadConfig(SIS_SMBUS_CONTROL) & SIS_SMBUS_HIDE_BIT)
            bridge.m_nState = bClearAndCheck(bridge, SIS_SMBUS_CONTROL, SIS_SMBUS_HIDE_BIT, SIS_WAIT_MS)
                                  ? SOUTH_BRIDGE_UNHIDDEN
                                  : SOUTH_BRIDGE_HIDING_FAILED;
        break;
    case HIDING_NONE:
        break;
    }
    if (bridge.m_nState == SOUTH_BRIDGE_UNHIDDEN) vRescanPCI();
}

void vHideSMBusFunction(CSouthBridge& bridge)
{
    const HidingRule* pRule = pFindRule(bridge);
    if (!pRule || !pRule->bHideAtClose || bridge.m_nState != SOUTH_BRIDGE_UNHIDDEN) return;
    switch (pRule->eKind) {
    case HIDING_ICH: {
        const uint32_t dwValue = bridge.ReadConfig(ICH_FUNCTION_DISABLE);
        if (!(dwValue & ICH_SMBUS_DISABLE_BIT)) bridge.WriteConfig(ICH_FUNCTION_DISABLE, dwValue | ICH_SMBUS_DISABLE_BIT);
        break;
    }
    case HIDING_ICH6: {
        const uint32_t dwAddress = dwFunctionDisableAddress(bridge);
        if (!dwAddress) break;
        const uint32_t dwDisable = dwReadPhysicalDword(dwAddress);
        if (dwDisable != 0xFFFFFFFF && !(dwDisable & ICH6_SMBUS_DISABLE_BIT))
            bWritePhysicalDword(dwAddress, dwDisable | ICH6_SMBUS_DISABLE_BIT);
        break;
    }
    case HIDING_SIS: {
        const uint32_t dwValue = bridge.ReadConfig(SIS_SMBUS_CONTROL);
        if (!(dwValue & SIS_SMBUS_HIDE_BIT)) bridge.WriteConfig(SIS_SMBUS_CONTROL, dwValue | SIS_SMBUS_HIDE_BIT);
        break;
    }
    case HIDING_NONE:
        break;
    }
}

bool bShowDevice6(CNorthBridge& bridge)
{
    if (bridge.wVendorID() != VENDOR_INTEL || (bridge.wDeviceID() != 0x2570 && bridge.wDeviceID() != 0x2578))
        return false;
    if (bridge.m_nKeptState != -1) return true;  // done at an earlier identification
    const uint32_t dwValue = bridge.ReadConfig(I865_DEVICE_PRESENT);
    if (dwValue == 0xFFFFFFFF) return true;
    bridge.m_nKeptState = (dwValue & I865_DEVICE6_BIT) ? 1 : 0;
    if (bridge.m_nKeptState) return true;
    bridge.WriteConfig(I865_DEVICE_PRESENT, dwValue | I865_DEVICE6_BIT);
    vWait(I865_WAIT_MS);
    if (bridge.ReadConfig(I865_DEVICE_PRESENT) & I865_DEVICE6_BIT) vRescanPCI();
    return true;
}

void vRestoreDevice6(CNorthBridge& bridge)
{
    if (bridge.m_nKeptState != 0) return;  // untouched, or visible from the start
    const uint32_t dwValue = bridge.ReadConfig(I865_DEVICE_PRESENT);
    if (dwValue == 0xFFFFFFFF) return;
    if (dwValue & I865_DEVICE6_BIT) {
        bridge.WriteConfig(I865_DEVICE_PRESENT, dwValue & ~I865_DEVICE6_BIT);
        vWait(I865_WAIT_MS);
        bridge.ReadConfig(I865_DEVICE_PRESENT);  // the check; nothing more can be done when it stuck
    }
    bridge.m_nKeptState = -1;
}

}  // namespace chipset
