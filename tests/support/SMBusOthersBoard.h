// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A board with one controller of each non-Intel family, each on a bus of its own carrying
// the devices of the Intel test board (SMBusTestBoard.h), and the two SPD controllers of an
// Intel 5000X FB-DIMM branch device with an EEPROM per slot (and a device holding the clock
// in slot 3 of channel 1).
#include <string>

#include "SMBusTestBoard.h"

namespace smbustest {

constexpr uint16_t VIA_BASE = 0x700;
constexpr uint16_t ATI_BASE = 0x720;
constexpr uint16_t SIS_BASE = 0x740;
constexpr uint16_t M1563_BASE = 0x760;
constexpr uint16_t M7101_BASE = 0x780;
constexpr uint16_t NFORCE_BASE = 0x800;
constexpr uint16_t AMD_BASE = 0x860;
constexpr size_t FBD_BUS_0 = 7;  // index of the 5000X channel 0 bus among the board's buses
constexpr size_t FBD_BUS_1 = 8;

inline std::string strOthersBoardText()
{
    const std::string strDevs = strDevices();
    auto controller = [&](const char* pszKind, const char* pszBase) {
        return std::string("{\"controller\": \"") + pszKind + "\", \"base\": \"" + pszBase + "\", \"devices\": " + strDevs +
               "}";
    };
    const std::string strSpd = "\"type\": \"spd\", \"ddr2\": {\"size_mib\": 1024, \"mts\": 667, \"ranks\": 2}";
    return "{\"name\": \"smbus-others\", \"clock\": {\"bus_mhz\": 200, \"multiplier\": 10}, \"cpus\": {\"count\": 1},"
           " \"pci\": [{\"at\": \"00:15.0\", \"id\": \"8086:25f5\", \"class\": \"060000\"}],"
           " \"smbus\": [" +
           controller("via", "0x700") + "," + controller("via", "0x720") + "," + controller("sis", "0x740") + "," +
           controller("ali-m1563", "0x760") + "," + controller("ali-m7101", "0x780") + "," +
           controller("nforce", "0x800") + "," + controller("amd756", "0x860") + "," +
           " {\"controller\": \"intel-5000x-spd\", \"base\": 0, \"function\": \"00:15.0\", \"options\": {\"channel\": 0},"
           "  \"devices\": [{\"address\": \"0x50\", " + strSpd + "}, {\"address\": \"0x51\", " + strSpd +
           ", \"writable\": true}]},"
           " {\"controller\": \"intel-5000x-spd\", \"base\": 0, \"function\": \"00:15.0\", \"options\": {\"channel\": 1},"
           "  \"devices\": [{\"address\": \"0x52\", " + strSpd +
           "}, {\"address\": \"0x53\", \"type\": \"registers\", \"fault\": \"hold_clock\"}]}]}";
}

}  // namespace smbustest
