// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/ButtonIcons.h"

#include <QImage>
#include <array>
#include <cstdint>
#include <string_view>

namespace ui {

namespace {

struct IconColour {
    char cKey;
    uint32_t dwRGB;  // 0xRRGGBB
};

// 'M' is the transparent key (magenta); the others are opaque.
constexpr char TRANSPARENT_KEY = 'M';
constexpr std::array<IconColour, 12> ICON_PALETTE = {{
    {'M', 0xFF00FF},  // transparent
    {'K', 0x000000},  // black outline
    {'W', 0xFFFFFF},  // white
    {'L', 0xC0C0C0},  // light grey
    {'G', 0x808080},  // grey
    {'D', 0x404040},  // dark grey
    {'R', 0xE00000},  // red
    {'B', 0x0000C0},  // blue
    {'g', 0x007800},  // board green
    {'h', 0x30B030},  // light board green
    {'Y', 0xE8B800},  // gold
    {'y', 0x9C7800},  // dark gold
}};

constexpr int ICON_MAX_ROWS = 16;

struct IconArt {
    EMainButton eButton;
    int nWidth;
    int nHeight;
    std::array<std::string_view, ICON_MAX_ROWS> rows;
};

// One entry per button, in the order of EMainButton.
constexpr std::array<IconArt, MAIN_BUTTONS> ICON_ART = {{
    // A stopwatch: the crown on top, the face with its four marks, the hands at three o'clock.
    {BUTTON_CLOCKS, 14, 16, {
        "MMMMMDDDDMMMMM",
        "MMMMMMDDMMMMMM",
        "MMMMKKKKKKMMMM",
        "MMKKWWWWWWKKMM",
        "MKWWWWKKWWWWKM",
        "MKWWWWWWWWWWKM",
        "KWWWWWKWWWWWWK",
        "KWWWWWKWWWWWWK",
        "KKWWWWKKKKWWKK",
        "KWWWWRWWWWWWWK",
        "KWWWRWWWWWWWWK",
        "KWWWWWWWWWWWWK",
        "MKWWWWWWWWWWKM",
        "MKWWWWKKWWWWKM",
        "MMKKWWWWWWKKMM",
        "MMMMKKKKKKMMMM",
    }},
    // A slider: the groove with its scale on both sides, the knob with its blue mark.
    {BUTTON_PLL_CONTROL, 13, 16, {
        "KKMMMDKWMMMKK",
        "MMMMMDKWMMMMM",
        "MMMMMDKWMMMMM",
        "KKMMMDKWMMMKK",
        "MMMMMDKWMMMMM",
        "MMMMMDKWMMMMM",
        "KKMMMDKWMMMKK",
        "MMWWWWWWWWKMM",
        "MMWLLLLLLGKMM",
        "KKWBBBBBBGKKK",
        "MMWLLLLLLGKMM",
        "MMKKKKKKKKKMM",
        "KKMMMDKWMMMKK",
        "MMMMMDKWMMMMM",
        "MMMMMDKWMMMMM",
        "KKMMMDKWMMMKK",
    }},
    // A chip: a black body with its pin-1 mark, three legs above and three below.
    {BUTTON_PLL_SETUP, 16, 11, {
        "MMMLLMMLLMMLLMMM",
        "MMMGGMMGGMMGGMMM",
        "MDDDDDDDDDDDDDDM",
        "MDKKKKKKKKKKKKKM",
        "MDKWKKKKKKKKKKKM",
        "MMKKKKKKKKKKKKKM",
        "MDKKKKKKKKKKKKKM",
        "MDKKKKKKKKKKKKKM",
        "MKKKKKKKKKKKKKKM",
        "MMMGGMMGGMMGGMMM",
        "MMMLLMMLLMMLLMMM",
    }},
    // A memory module: a green board with three chips, the gold contacts and the key notch.
    {BUTTON_MEMORY_BUFFER, 16, 13, {
        "MhhhhhhhhhhhhhhM",
        "hggggggggggggggh",
        "gDDDDgDDDDgDDDDg",
        "gKKKKgKKKKgKKKKg",
        "MKKKKgKKKKgKKKKM",
        "MKKKKgKKKKgKKKKM",
        "gKKKKgKKKKgKKKKg",
        "gggggggggggggggg",
        "gggggggggggggggg",
        "gYYgYYgYYgYYgYYg",
        "gYYgYYgYYgYYgYYg",
        "gYYgYYgYYMYYgYYg",
        "gyygyygyyMyygyyg",
    }},
    // A gear: eight teeth round a ring with a hole in the middle.
    {BUTTON_OPTIONS, 14, 14, {
        "MMMMMKKKKMMMMM",
        "MMKKMKLLKMKKMM",
        "MKLLKKLLKKLLKM",
        "MKLLLLLLLLLGKM",
        "MMKLLLKKLLGKMM",
        "KKKLLKMMKLGKKK",
        "KLLLKMMMMKGGGK",
        "KLLLKMMMMKGGGK",
        "KKKLLKMMKGGKKK",
        "MMKLLGKKGGGKMM",
        "MKLGGGGGGGGGKM",
        "MKGGKKGGKKGGKM",
        "MMKKMKGGKMKKMM",
        "MMMMMKKKKMMMMM",
    }},
}};

constexpr const IconColour* pPaletteColour(char cKey)
{
    for (const IconColour& colour : ICON_PALETTE)
        if (colour.cKey == cKey) return &colour;
    return nullptr;
}

// Every row of a picture is as wide as the picture, there are as many rows as it is high,
// and every character is in the palette.
constexpr bool bArtWellFormed(const IconArt& art)
{
    if (art.nWidth <= 0 || art.nHeight <= 0 || art.nHeight > ICON_MAX_ROWS) return false;
    for (int nRow = 0; nRow < ICON_MAX_ROWS; ++nRow) {
        const std::string_view& row = art.rows[static_cast<size_t>(nRow)];
        if (nRow >= art.nHeight) {
            if (!row.empty()) return false;
            continue;
        }
        if (row.size() != static_cast<size_t>(art.nWidth)) return false;
        for (const char c : row)
            if (pPaletteColour(c) == nullptr) return false;
    }
    return true;
}

constexpr bool bAllArtWellFormed()
{
    for (size_t n = 0; n < ICON_ART.size(); ++n)
        if (ICON_ART[n].eButton != static_cast<EMainButton>(n) || !bArtWellFormed(ICON_ART[n])) return false;
    return true;
}

static_assert(bAllArtWellFormed(), "a button picture has a row of the wrong length, an unknown colour or is out of order");

}  // namespace

QSize ButtonIconSize(EMainButton eButton)
{
    if (eButton >= MAIN_BUTTONS) return {};
    const IconArt& art = ICON_ART[eButton];
    return {art.nWidth, art.nHeight};
}

QPixmap ButtonIcon(EMainButton eButton)
{
    if (eButton >= MAIN_BUTTONS) return {};
    const IconArt& art = ICON_ART[eButton];
    QImage image(art.nWidth, art.nHeight, QImage::Format_ARGB32);
    for (int y = 0; y < art.nHeight; ++y) {
        const std::string_view row = art.rows[static_cast<size_t>(y)];
        for (int x = 0; x < art.nWidth; ++x) {
            const char c = row[static_cast<size_t>(x)];
            const uint32_t dwRGB = pPaletteColour(c)->dwRGB;
            image.setPixel(x, y, c == TRANSPARENT_KEY ? 0u : (0xFF000000u | dwRGB));
        }
    }
    return QPixmap::fromImage(image);
}

}  // namespace ui
