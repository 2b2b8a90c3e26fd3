#pragma once

#include <QColor>
#include <cstdint>

namespace platform {

// A colour as the settings file and the colour scheme keep it: 0x00BBGGRR.
using Color = std::uint32_t;

// All 32 bits set: "no colour", which leaves a part unpainted.
inline constexpr Color NoColor = 0xFFFFFFFFu;

constexpr Color Rgb(int r, int g, int b) {
    return static_cast<Color>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(Color c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(Color c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(Color c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

inline QColor ToQColor(Color c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}
inline Color FromQColor(const QColor& q) {
    return Rgb(q.red(), q.green(), q.blue());
}

// The system colours the program asks for, by their classic numbers.
enum SysColor : int {
    COLOR_BACKGROUND = 1,
    COLOR_WINDOW = 5,
    COLOR_WINDOWTEXT = 8,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_BTNTEXT = 18,
    COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_BTNHIGHLIGHT = 20,
};

// The colour from the application palette (one palette role per system colour); without a
// running GUI application, the classic default of that colour.
Color sysColor(SysColor which);

}  // namespace platform
