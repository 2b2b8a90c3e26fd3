#include "controls/mslider.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Truncates toward zero into the int range; NaN becomes 0.
int truncateToInt(double v) {
    if (std::isnan(v)) {
        return 0;
    }
    v = std::trunc(v);
    if (v <= static_cast<double>(INT_MIN)) {
        return INT_MIN;
    }
    if (v >= static_cast<double>(INT_MAX)) {
        return INT_MAX;
    }
    return static_cast<int>(v);
}

}  // namespace

MSlider::MSlider() = default;

void MSlider::Create(int newId, const std::string& newText, int x, int y, int cx, int cy,
                     HostWindow* host, bool isHorizontal) {
    MButton::Create(newId, newText, x, y, cx, cy, host);
    horizontal = isHorizontal ? 1 : 0;
}

void MSlider::SetColors(Color fore, Color back, Color thumb) {
    thumbColor = thumb;
    MWnd::SetColors(fore, back);
}

void MSlider::SetRange(int min, int max) {
    minValue = min;
    maxValue = max;
}

void MSlider::SetValue(int v) {
    value = v;
    if (visible) {
        Show();
    }
}

void MSlider::SetValueFromPoint(int x, int y) {
    const double range = static_cast<double>(maxValue) - minValue;
    double v;
    if (horizontal) {
        const int width = rect.Width();
        if (x < rect.left) {
            v = minValue;
        } else if (x > rect.right) {
            v = maxValue;
        } else if (width <= 0) {
            v = minValue;  // an empty bar has no positions between its ends
        } else {
            v = static_cast<double>(x - rect.left) / width * range + minValue;
        }
    } else {
        const int height = rect.Height();
        if (y < rect.top) {
            v = maxValue;
        } else if (y > rect.bottom) {
            v = minValue;
        } else if (height <= 0) {
            v = minValue;
        } else {
            v = static_cast<double>(rect.bottom - y) / height * range + minValue;
        }
    }
    SetValue(truncateToInt(v));
}

void MSlider::Draw(DeviceContext& dc) {
    if (!visible || !dc.RectVisible(rect)) {
        return;
    }
    // An empty range draws as empty, and a value outside the range as the nearer end, so the
    // bar never paints beyond its own rectangle.
    double f = 0.0;
    if (maxValue > minValue) {
        f = (static_cast<double>(value) - minValue) / (static_cast<double>(maxValue) - minValue);
        f = std::clamp(f, 0.0, 1.0);
    }
    const int width = rect.Width();
    const int height = rect.Height();
    if (horizontal) {
        const int d = static_cast<std::int16_t>(truncateToInt(f * width));
        dc.FillRect(Rect{rect.left, rect.top, rect.left + d, rect.bottom}, foreColor);
        dc.FillRect(Rect{rect.left + d, rect.top, rect.right, rect.bottom}, backColor);
        if (thumbWidth != 0) {
            const int thumbLeft = rect.left + d - thumbWidth / 2;
            dc.FillRect(Rect{thumbLeft, rect.top, thumbLeft + thumbWidth, rect.bottom}, thumbColor);
        }
        dc.ExcludeClipRect(rect);
        return;
    }
    const int h = static_cast<std::int16_t>(truncateToInt(f * height));
    const int level = rect.bottom - h;
    if (thumbWidth != -1) {
        const int thumbTop = level - thumbWidth / 2;
        const Rect thumb{rect.left, thumbTop, rect.right, thumbTop + thumbWidth};
        dc.FillRect(thumb, thumbColor);
        dc.ExcludeClipRect(Rect{thumb.left, std::max(thumb.top, rect.top), thumb.right,
                                std::min(thumb.bottom, rect.bottom)});
    }
    if (backColor != platform::NoColor) {
        const Rect above{rect.left, rect.top, rect.right, level};
        dc.FillRect(above, backColor);
        dc.ExcludeClipRect(above);
    }
    if (foreColor != platform::NoColor) {
        const Rect below{rect.left, level, rect.right, rect.bottom};
        dc.FillRect(below, foreColor);
        dc.ExcludeClipRect(below);
    }
}

int MSlider::OnMouse(int code, int x, int y) {
    switch (code) {
        case MouseDown:
            if (!rect.Contains(x, y)) {
                return NotConsumed;
            }
            SetValueFromPoint(x, y);
            pressed = 1;
            capturedControl = this;
            return ReleaseOrDragTaken;
        case MouseUp:
            if (!pressed) {
                return NotConsumed;
            }
            SetValueFromPoint(x, y);
            pressed = 0;
            capturedControl = nullptr;
            if (parent) {
                parent->ReleaseMouseCapture();
            }
            return ReleaseOrDragTaken;
        case MouseAlt:
            return rect.Contains(x, y) ? AltClickTaken : NotConsumed;
        default:
            return NotConsumed;
    }
}

int MSlider::DispatchMouse(int code, int x, int y) {
    if (!visible) {
        return NotConsumed;
    }
    if (rect.Contains(x, y) && cursor != nullptr && parent) {
        parent->ShowCursor(*cursor);
    }
    switch (code) {
        case MouseDown:
        case MouseUp:
        case MouseAlt:
            tracking = 1;
            return OnMouse(code, x, y);
        case MouseMove:
            if (capturedControl != this || !pressed) {
                return NotConsumed;
            }
            if (parent) {
                if (cursor != nullptr) {
                    parent->ShowCursor(*cursor);
                }
                parent->CaptureMouse();
            }
            SetValueFromPoint(x, y);
            return ReleaseOrDragTaken;
        default:
            return NotConsumed;
    }
}
