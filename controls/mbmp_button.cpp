#include "controls/mbmp_button.h"

MBmpButton::MBmpButton() {
    className = "MBmpButton";
}

void MBmpButton::Create(int newId, const std::string& newText, int x, int y, HostWindow* host,
                        const std::string& upName, const std::string& downName) {
    upBitmap.SetName(upName);
    downBitmap.SetName(downName);
    upBitmapName = upName;
    downBitmapName = downName;
    const BitmapSize size = upBitmap.GetSize();
    MButton::Create(newId, newText, Rect{x, y, x + size.width, y + size.height}, host);
}

void MBmpButton::DrawLook(DeviceContext& dc, bool down) const {
    if (down) {
        downBitmap.Draw(dc, pressedForeColor, pressedBackColor, rect.left, rect.top);
    } else {
        upBitmap.Draw(dc, foreColor, backColor, rect.left, rect.top);
    }
}

void MBmpButton::Draw(DeviceContext& dc) {
    if (!visible || !dc.RectVisible(rect)) {
        return;
    }
    DrawLook(dc, pressed != 0);
    dc.ExcludeClipRect(rect);
}
