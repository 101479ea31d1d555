// SPDX-License-Identifier: GPL-2.0-or-later
// The clock chip models a board file can name ("type": "clock", "model": NAME). A new family:
// declare its creator here and add its row to the table.
#include "sim/ClockChip.h"

namespace sim {

std::unique_ptr<CClockChip> pCreateICS951462Chip(const std::array<uint8_t, 256>& initial);
std::unique_ptr<CClockChip> pCreateICS9P932Chip(const std::array<uint8_t, 256>& initial);
std::unique_ptr<CClockChip> pCreateICS951412Chip(const std::array<uint8_t, 256>& initial);
std::unique_ptr<CClockChip> pCreateICS94228Chip(const std::array<uint8_t, 256>& initial);
std::unique_ptr<CClockChip> pCreateICS950405Chip(const std::array<uint8_t, 256>& initial);
std::unique_ptr<CClockChip> pCreateICS954119Chip(const std::array<uint8_t, 256>& initial);
std::unique_ptr<CClockChip> pCreateICS954123Chip(const std::array<uint8_t, 256>& initial);
std::unique_ptr<CClockChip> pCreateICS954148Chip(const std::array<uint8_t, 256>& initial);
std::unique_ptr<CClockChip> pCreateICS954519Chip(const std::array<uint8_t, 256>& initial);
std::unique_ptr<CClockChip> pCreateICS9PLRSChip(const std::array<uint8_t, 256>& initial);
std::unique_ptr<CClockChip> pCreateW83194Chip(const std::array<uint8_t, 256>& initial);
std::unique_ptr<CClockChip> pCreateW83195Chip(const std::array<uint8_t, 256>& initial);
std::unique_ptr<CClockChip> pCreateCY28346Chip(const std::array<uint8_t, 256>& initial);
std::unique_ptr<CClockChip> pCreateCY28551Chip(const std::array<uint8_t, 256>& initial);
std::unique_ptr<CClockChip> pCreateCV107Chip(const std::array<uint8_t, 256>& initial);
std::unique_ptr<CClockChip> pCreateCV174CChip(const std::array<uint8_t, 256>& initial);
std::unique_ptr<CClockChip> pCreateSLG505Chip(const std::array<uint8_t, 256>& initial);
std::unique_ptr<CClockChip> pCreateRTM862Chip(const std::array<uint8_t, 256>& initial);

const std::vector<ClockChipModel>& ClockChipModels()
{
    static const std::vector<ClockChipModel> models = {
        {"ics951462", pCreateICS951462Chip},
        {"ics9p932", pCreateICS9P932Chip},
        {"ics951412", pCreateICS951412Chip},
        {"ics94228", pCreateICS94228Chip},
        {"ics950405", pCreateICS950405Chip},
        {"ics954119", pCreateICS954119Chip},
        {"ics954123", pCreateICS954123Chip},
        {"ics954148", pCreateICS954148Chip},
        {"ics954519", pCreateICS954519Chip},
        {"ics9plrs509", pCreateICS9PLRSChip},
        {"ics9plrs587", pCreateICS9PLRSChip},
        {"w83194bg-sd", pCreateW83194Chip},
        {"w83195bg-101", pCreateW83195Chip},
        {"cy28346", pCreateCY28346Chip},
        {"cy28551", pCreateCY28551Chip},
        {"idtcv107", pCreateCV107Chip},
        {"idtcv174c", pCreateCV174CChip},
        {"slg505yc56d", pCreateSLG505Chip},
        {"rtm862-410", pCreateRTM862Chip},
    };
    return models;
}

}  // namespace sim
