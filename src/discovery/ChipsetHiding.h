// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Functions that firmware hides and the kit needs: the SMBus function of the Intel ICH and
// SiS south bridges, device 6 (the memory controller's register window) of the i865/i875.
// They are made visible during the identification and hidden again at close.
class CNorthBridge;
class CSouthBridge;

namespace chipset {

// Sets the bridge's m_nState to SOUTH_BRIDGE_UNHIDDEN or SOUTH_BRIDGE_HIDING_FAILED when it
// tried; leaves it untouched when nothing was hidden or the bridge is not one of these.
void vShowSMBusFunction(CSouthBridge& bridge);
void vHideSMBusFunction(CSouthBridge& bridge);

// True when the bridge is an i865/i875; makes device 6 visible (once) and keeps what it found.
bool bShowDevice6(CNorthBridge& bridge);
void vRestoreDevice6(CNorthBridge& bridge);

}  // namespace chipset
