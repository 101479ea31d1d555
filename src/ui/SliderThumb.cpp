// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/SliderThumb.h"

#include <QImage>
#include <array>
#include <cstdint>
#include <string_view>

namespace ui {

namespace {

struct ThumbColour {
    char cKey;
    uint32_t dwRGB;  // 0xRRGGBB
};

constexpr char TRANSPARENT_KEY = 'M';
constexpr std::array<ThumbColour, 5> THUMB_PALETTE = {{
    {'M', 0xFF00FF},            // transparent
    {'W', 0xFFFFFF},            // highlight, top and left
    {'L', SLIDER_THUMB_FACE},   // face
    {'G', 0x808080},            // shadow, inside the bottom and right edge; the centre line
    {'K', 0x000000},            // dark shadow, the bottom and right edge
}};

// The body across the top, narrowing in steps of two pixels to a tip under the centre
// column (11), which is the thumb's position.
constexpr std::array<std::string_view, SLIDER_THUMB_HEIGHT> THUMB_ART = {{
    "WWWWWWWWWWWWWWWWWWWWWWK",
    "WLLLLLLLLLLLLLLLLLLLLGK",
    "WLLLLLLLLLLGLLLLLLLLLGK",
    "WLLLLLLLLLLGLLLLLLLLLGK",
    "WGLLLLLLLLLGLLLLLLLLLGK",
    "MMWWLLLLLLLGLLLLLLLGKMM",
    "MMMMWWLLLLLGLLLLLGKMMMM",
    "MMMMMMWWLLLGLLLGKMMMMMM",
    "MMMMMMMMWWLGLGKMMMMMMMM",
    "MMMMMMMMMMGKKMMMMMMMMMM",
}};

constexpr const ThumbColour* pThumbColour(char cKey)
{
    for (const ThumbColour& colour : THUMB_PALETTE)
        if (colour.cKey == cKey) return &colour;
    return nullptr;
}

// Every row is as wide as the thumb, every character is in the palette, and the centre
// column is opaque from top to bottom (the pointer reaches its tip).
constexpr bool bThumbWellFormed()
{
    for (const std::string_view row : THUMB_ART) {
        if (row.size() != static_cast<size_t>(SLIDER_THUMB_WIDTH)) return false;
        for (const char c : row)
            if (pThumbColour(c) == nullptr) return false;
        if (row[SLIDER_THUMB_WIDTH / 2] == TRANSPARENT_KEY) return false;
    }
    return true;
}

static_assert(bThumbWellFormed(), "the slider's thumb has a row of the wrong length, an unknown colour or a gap at its centre");

}  // namespace

QPixmap SliderThumb()
{
    QImage image(SLIDER_THUMB_WIDTH, SLIDER_THUMB_HEIGHT, QImage::Format_ARGB32);
    for (int y = 0; y < SLIDER_THUMB_HEIGHT; ++y) {
        const std::string_view row = THUMB_ART[static_cast<size_t>(y)];
        for (int x = 0; x < SLIDER_THUMB_WIDTH; ++x) {
            const char c = row[static_cast<size_t>(x)];
            image.setPixel(x, y, c == TRANSPARENT_KEY ? 0u : (0xFF000000u | pThumbColour(c)->dwRGB));
        }
    }
    return QPixmap::fromImage(image);
}

}  // namespace ui
