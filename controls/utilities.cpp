#include "controls/utilities.h"

#include <QWidget>
#include <cctype>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "model/setup_doc.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/input_state.h"
#include "platform/gui/window_style.h"

bool IsWindowsNT() {
    return true;
}

bool InRange(std::uint32_t lo, std::uint32_t v, std::uint32_t hi) {
    return lo <= v && v <= hi;
}

int ShowNote(const std::string& text) {
    return platform::dialogs().messageBox(nullptr, text, "NOTE!");
}

std::uint32_t ToggleStyle(QWidget* window, std::uint32_t bits) {
    const std::uint32_t style = platform::windowStyle(window) ^ bits;
    platform::setWindowStyle(window, style);
    return style;
}

// Qt sizes a top-level window by its client area and the window manager adds the frame.
void ResizeToClient(QWidget* window, const platform::Rect& client) {
    if (window == nullptr) {
        return;
    }
    window->resize(client.Width(), client.Height());
    window->raise();
}

bool MoveWindowTo(QWidget* window, int x, int y) {
    if (window == nullptr) {
        return false;
    }
    window->move(x, y);
    return true;
}

void MoveWindowBy(QWidget* window, int dx, int dy) {
    if (window == nullptr) {
        return;
    }
    const QPoint corner = window->pos();
    window->move(corner.x() + static_cast<std::int16_t>(dx),
                 corner.y() + static_cast<std::int16_t>(dy));
}

bool IsLeftButtonDown() {
    return platform::isLeftButtonDown();
}
bool IsAltDown() {
    return platform::isModifierDown(platform::ModifierKey::Alt);
}
bool IsCtrlDown() {
    return platform::isModifierDown(platform::ModifierKey::Control);
}
bool IsShiftDown() {
    return platform::isModifierDown(platform::ModifierKey::Shift);
}

std::string IntToString(int v) {
    return std::to_string(v);
}

int StringToInt(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    // Accumulated as a negative number, which reaches INT_MIN without overflowing.
    long long n = 0;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
        n = n * 10 - (s[i] - '0');
        if (n < INT_MIN) {
            return negative ? INT_MIN : INT_MAX;
        }
    }
    if (negative) {
        return static_cast<int>(n);
    }
    return n < -static_cast<long long>(INT_MAX) ? INT_MAX : static_cast<int>(-n);
}

std::string FloatToString(float v) {
    char buffer[64];
    const char* format = v != std::trunc(v) ? "%.3f" : "%.0f";
    // Wide values are printed into a buffer of the length they need.
    const int length = std::snprintf(buffer, sizeof buffer, format, static_cast<double>(v));
    if (length < 0) {
        return {};
    }
    if (static_cast<std::size_t>(length) < sizeof buffer) {
        return std::string(buffer, static_cast<std::size_t>(length));
    }
    std::string wide(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(wide.data(), wide.size(), format, static_cast<double>(v));
    wide.resize(static_cast<std::size_t>(length));
    return wide;
}

float StringToFloat(const std::string& s) {
    const double d = std::atof(s.c_str());
    if (std::isnan(d)) {
        return 0.0f;
    }
    if (d > FLT_MAX) {
        return FLT_MAX;
    }
    if (d < -FLT_MAX) {
        return -FLT_MAX;
    }
    return static_cast<float>(d);
}

int RandomBelow(int n) {
    return n > 0 ? randomBelow(n) : 0;
}

int RoundHalfUp(double v) {
    if (std::isnan(v)) {
        return 0;
    }
    const double t = std::trunc(v);
    const double r = v - t >= 0.5 ? t + 1.0 : t;
    if (r <= static_cast<double>(INT_MIN)) {
        return INT_MIN;
    }
    if (r >= static_cast<double>(INT_MAX)) {
        return INT_MAX;
    }
    return static_cast<int>(r);
}
