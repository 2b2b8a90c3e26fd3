#pragma once

#include <QBitmap>
#include <cstdint>
#include <string>

#include "controls/mwnd.h"
#include "controls/utilities.h"

struct BitmapSize {
    int width;
    int height;
    bool operator==(const BitmapSize&) const = default;
};

// One named monochrome bitmap of the program's artwork. A name without artwork stands for
// an empty 1 x 1 bitmap. Drawn unscaled, black pixels in the text colour and white pixels in
// the background colour.
class BitmapResource {
public:
    // Without `keepLoaded` the bitmap is loaded for each use and dropped at once.
    explicit BitmapResource(bool keepLoaded = IsWindowsNT());

    void SetName(const std::string& name);
    const std::string& GetName() const { return name; }
    BitmapSize GetSize() const;
    void Draw(DeviceContext& dc, Color textColour, Color backColour, int x, int y) const;

private:
    QBitmap Load() const;

    std::string name;
    QBitmap bitmap;
    std::int32_t keepLoaded;
};
