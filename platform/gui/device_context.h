#pragma once

#include <QBitmap>
#include <QFont>
#include <QPainter>
#include <QRegion>
#include <string_view>

#include "platform/gui/color.h"
#include "platform/gui/rect.h"

namespace platform {

// Text format flags of drawText.
enum TextFormat : unsigned {
    DT_LEFT = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8,
    DT_SINGLELINE = 0x20,
    DT_END_ELLIPSIS = 0x8000,
};

// The drawing surface a host hands to its controls while it paints: a painter on the host
// with the clip region that every control shrinks by what it has painted.
class DeviceContext {
public:
    struct State {
        Color textColor;
        Color backColor;
        QFont font;
    };

    // `clip` is the part of the host that is being painted.
    DeviceContext(QPainter& painter, const QRegion& clip);

    void FillRect(const Rect& r, Color color);
    void SetTextColor(Color c) { textColor_ = c; }
    void SetBkColor(Color c) { backColor_ = c; }
    Color GetTextColor() const { return textColor_; }
    Color GetBkColor() const { return backColor_; }
    void SelectFont(const QFont& font);
    const QFont& GetFont() const { return font_; }

    // Text in the text colour, without a background box: every control fills its rectangle
    // first. Lines are not broken.
    void DrawText(std::string_view text, const Rect& r, unsigned format);

    // 1-bits in the text colour and 0-bits in the background colour, unscaled at (x, y).
    void DrawMonoBitmap(const QBitmap& bitmap, int x, int y);

    void ExcludeClipRect(const Rect& r);
    bool RectVisible(const Rect& r) const;
    const QRegion& ClipRegion() const { return clip_; }

    State Save() const { return {textColor_, backColor_, font_}; }
    void Restore(const State& s);

private:
    QPainter& painter_;
    QRegion clip_;
    Color textColor_ = Rgb(0, 0, 0);
    Color backColor_ = Rgb(255, 255, 255);
    QFont font_;
};

}  // namespace platform
