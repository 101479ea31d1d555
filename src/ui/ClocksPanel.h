// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Clocks panel's five gauges as data (title, range, where each sits in dialog units with
// its label under it). Its frame fits its client area to the panel.
#include <array>
#include <cstdint>


namespace ui {

enum EClocksGauge : uint8_t { GAUGE_CPU, GAUGE_FSB, GAUGE_RAM, GAUGE_GSB, GAUGE_PCI, CLOCKS_GAUGES };

struct GaugeRow {
    const char* pszTitle;  // the CPU, FSB and RAM titles are fixed; GSB and PCI get theirs from the chip
    int32_t nMinimum;
    int32_t nMaximum;
    int32_t nX;  // the gauge's left in dialog units; its label sits under it, as wide
};

// The panel is 218 × 51 dialog units; gauges 34 × 31 at y 4, labels 34 × 8 at y 37.
inline constexpr int32_t CLOCKS_PANEL_WIDTH = 218, CLOCKS_PANEL_HEIGHT = 51;
inline constexpr int32_t GAUGE_Y = 4, GAUGE_WIDTH = 34, GAUGE_HEIGHT = 31;
inline constexpr int32_t GAUGE_LABEL_Y = 37, GAUGE_LABEL_HEIGHT = 8;

inline constexpr std::array<GaugeRow, CLOCKS_GAUGES> CLOCKS_GAUGE_ROWS = {{
    {"CPU", 0, 7000, 9},
    {"FSB", 0, 600, 48},
    {"RAM", 0, 600, 87},
    {"", 0, 500, 134},
    {"", 0, 500, 173},
}};

// The title of the second bus clock's gauge for the driver's GSB type: "AGP" (0), "PCIE" (1),
// none for any other.
const char* pszGSBTitle(int32_t nGSBType);

}  // namespace ui
