#pragma once

#include <string>

#include "controls/bitmap_resource.h"
#include "controls/mwnd.h"

// A monochrome bitmap at its own size, in the control's two colours. It never takes the
// mouse (its class name stays "MWnd").
class MBitmap : public MWnd {
public:
    MBitmap() = default;
    ~MBitmap() override = default;

    using MWnd::Create;
    void Create(int id, const std::string& text, int x, int y, HostWindow* parent,
                const std::string& bitmapName);
    void Draw(DeviceContext& dc) override;

protected:
    BitmapResource image;
};
