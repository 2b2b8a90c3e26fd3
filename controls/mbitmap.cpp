#include "controls/mbitmap.h"

void MBitmap::Create(int newId, const std::string& newText, int x, int y, HostWindow* host,
                     const std::string& bitmapName) {
    image.SetName(bitmapName);
    const BitmapSize size = image.GetSize();
    MWnd::Create(newId, newText, Rect{x, y, x + size.width, y + size.height}, host);
}

void MBitmap::Draw(DeviceContext& dc) {
    if (!visible || !dc.RectVisible(rect)) {
        return;
    }
    image.Draw(dc, foreColor, backColor, rect.left, rect.top);
    dc.ExcludeClipRect(rect);
}
