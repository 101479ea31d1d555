// SPDX-License-Identifier: GPL-2.0-or-later
// VIA host bridges and south bridges by device id.
#include "discovery/ChipsetNames.h"

namespace chipset {

namespace {

const CChipsetModel s_North[] = {
    {0x0597, "Apollo VP3"},
    {0x0598, "Apollo MVP3"},
    {0x0501, "Apollo MVP4 (VT8501)"},
    {0x0691, "Apollo Pro"},
    {0x0693, "Apollo Pro +"},
    {0x0605, "Apollo Pro133Z/PM133"},
    {0x0601, "Apollo PLE133 (VT8601)"},
    {0x3112, "Apollo KLE133 (VT8361)"},
    {0x3091, "Apollo Pro 266 (VT8633)"},
    {0x3101, "Apollo Pro 266T (VT8653)"},
    {0x0391, "KX133"},
    {0x0305, "KT133"},
    {0x3099, "KT266/333"},
    {0x3123, "CLE266 (VT8623)"},
    {0x3189, "KT400 (VT8377)"},
    {0x3205, "KM400"},
    {0x0269, "KT880"},
    {0x3188, "K8T800 (VT8383)"},
    {0x0282, "K8T800 Pro"},
    {0x0238, "K8T890"},
    {0x3128, "P4X266 (VT8753)"},
    {0x3148, "P4M266 (VT8751)"},
    {0x3116, "P4M266/KM266 (VT8375)"},
    {0x3156, "P4N266/KN266 (VT8372)"},
    {0x3168, "PT800 (VT8754)"},
    {0x0296, "P4M800"},
    {0x0314, "P4M800CE"},
    {0x0259, "PM880"},
    {0x0258, "PT880"},
    {0x0308, "PT880 Pro"},
    {0x0208, "PT890"},
};

const CChipsetModel s_South[] = {
    {0x0586, "VT82C586"},
    {0x0596, "VT82C596"},
    {0x0686, "VT82C686"},
    {0x8231, "VT8231"},
    {0x3074, "VT8233"},
    {0x3147, "VT8233A"},
    {0x3109, "VT8233C"},
    {0x3177, "VT8235"},
    {0x3227, "VT8237"},
    {0x3337, "VT8237A"},
    {0x3287, "VT8251"},
};

}  // namespace

const CChipsetModelTable VIANorthBridges = CHIPSET_TABLE(s_North);
const CChipsetModelTable VIASouthBridges = CHIPSET_TABLE(s_South);

}  // namespace chipset
