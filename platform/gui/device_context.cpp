#include "platform/gui/device_context.h"

#include <QFontMetrics>
#include <QString>

namespace platform {

DeviceContext::DeviceContext(QPainter& painter, const QRegion& clip)
    : painter_(painter), clip_(clip), font_(painter.font()) {
    painter_.setClipRegion(clip_);
}

void DeviceContext::FillRect(const Rect& r, Color color) {
    if (r.IsEmpty()) {
        return;
    }
    painter_.fillRect(r.ToQRect(), ToQColor(color));
}

void DeviceContext::SelectFont(const QFont& font) {
    font_ = font;
    painter_.setFont(font_);
}

void DeviceContext::DrawText(std::string_view text, const Rect& r, unsigned format) {
    if (text.empty() || r.IsEmpty()) {
        return;
    }
    int flags = Qt::TextSingleLine;
    if (format & DT_CENTER) {
        flags |= Qt::AlignHCenter;
    } else if (format & DT_RIGHT) {
        flags |= Qt::AlignRight;
    } else {
        flags |= Qt::AlignLeft;
    }
    if (format & DT_VCENTER) {
        flags |= Qt::AlignVCenter;
    } else if (format & DT_BOTTOM) {
        flags |= Qt::AlignBottom;
    } else {
        flags |= Qt::AlignTop;
    }
    QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (format & DT_END_ELLIPSIS) {
        s = QFontMetrics(font_).elidedText(s, Qt::ElideRight, r.Width());
    }
    painter_.setPen(ToQColor(textColor_));
    painter_.drawText(r.ToQRect(), flags, s);
}

void DeviceContext::DrawMonoBitmap(const QBitmap& bitmap, int x, int y) {
    // A QBitmap is drawn with its set bits in the pen colour and, in opaque mode, its unset
    // bits in the background brush; no smoothing, so it stays sharp at any device-pixel ratio.
    const Qt::BGMode mode = painter_.backgroundMode();
    const QBrush background = painter_.background();
    painter_.setPen(ToQColor(textColor_));
    painter_.setBackground(ToQColor(backColor_));
    painter_.setBackgroundMode(Qt::OpaqueMode);
    painter_.drawPixmap(x, y, bitmap);
    painter_.setBackgroundMode(mode);
    painter_.setBackground(background);
}

void DeviceContext::ExcludeClipRect(const Rect& r) {
    if (r.IsEmpty()) {
        return;
    }
    clip_ -= QRegion(r.ToQRect());
    painter_.setClipRegion(clip_);
}

bool DeviceContext::RectVisible(const Rect& r) const {
    return !r.IsEmpty() && clip_.intersects(r.ToQRect());
}

void DeviceContext::Restore(const State& s) {
    textColor_ = s.textColor;
    backColor_ = s.backColor;
    SelectFont(s.font);
}

}  // namespace platform
