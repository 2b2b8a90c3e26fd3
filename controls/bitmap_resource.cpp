#include "controls/bitmap_resource.h"

#include "platform/gui/artwork.h"

BitmapResource::BitmapResource(bool keep) : keepLoaded(keep ? 1 : 0) {}

QBitmap BitmapResource::Load() const {
    if (std::optional<QBitmap> b = platform::loadBitmapResource(name)) {
        return *b;
    }
    QBitmap empty(1, 1);
    empty.clear();
    return empty;
}

void BitmapResource::SetName(const std::string& newName) {
    name = newName;
    if (keepLoaded) {
        bitmap = Load();
    }
}

BitmapSize BitmapResource::GetSize() const {
    const QBitmap b = keepLoaded ? bitmap : Load();
    if (b.isNull()) {
        return {1, 1};
    }
    return {b.width(), b.height()};
}

void BitmapResource::Draw(DeviceContext& dc, Color textColour, Color backColour, int x,
                          int y) const {
    const DeviceContext::State saved = dc.Save();
    const QBitmap b = keepLoaded && !bitmap.isNull() ? bitmap : Load();
    dc.SetTextColor(textColour);
    dc.SetBkColor(backColour);
    dc.DrawMonoBitmap(b, x, y);
    dc.Restore(saved);
}
