#pragma once

#include <QRect>

namespace platform {

// A rectangle in a window's client coordinates; right and bottom lie just outside it.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(int x, int y) const { return left <= x && x < right && top <= y && y < bottom; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    QRect ToQRect() const { return QRect(left, top, right - left, bottom - top); }
    bool operator==(const Rect&) const = default;
};

}  // namespace platform
