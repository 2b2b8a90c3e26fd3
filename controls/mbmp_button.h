#pragma once

#include <string>

#include "controls/bitmap_resource.h"
#include "controls/mbutton.h"

// A button drawn as one of two monochrome bitmaps: up in the normal colours, down in the
// pressed colours. Its rectangle is the up bitmap's size.
class MBmpButton : public MButton {
public:
    MBmpButton();
    ~MBmpButton() override = default;

    using MButton::Create;
    // The caption is kept but never drawn.
    void Create(int id, const std::string& text, int x, int y, HostWindow* parent,
                const std::string& upName, const std::string& downName);
    void Draw(DeviceContext& dc) override;

protected:
    void DrawLook(DeviceContext& dc, bool down) const;

    BitmapResource upBitmap;
    BitmapResource downBitmap;
    std::string upBitmapName;
    std::string downBitmapName;
};
