#include "controls/color_scheme.h"

#include "controls/utilities.h"
#include "platform/gui/dialogs.h"

using platform::BlueOf;
using platform::GreenOf;
using platform::RedOf;
using platform::Rgb;

ColorScheme::ColorScheme()
    : faceShadow(platform::sysColor(platform::COLOR_BTNSHADOW)),
      face(platform::sysColor(platform::COLOR_BTNFACE)),
      faceLight(platform::sysColor(platform::COLOR_BTNHIGHLIGHT)),
      baseShade(platform::sysColor(platform::COLOR_HIGHLIGHT)),
      baseColor(platform::sysColor(platform::COLOR_HIGHLIGHT)),
      baseLight(platform::sysColor(platform::COLOR_HIGHLIGHTTEXT)),
      baseLighter(platform::sysColor(platform::COLOR_BACKGROUND)) {}

void ColorScheme::SetBase(Color a) {
    face = Contrast(a);
    faceShadow = Shade(face, -1);
    faceLight = Shade(face, +1);
    baseShade = Shade(a, -1);
    baseColor = a;
    baseLight = Shade(a, +1);
    baseLighter = Shade(baseLight, +1);
}

Color ColorScheme::Shade(Color colour, int direction, bool bounce, int step) {
    const int delta = direction * step;
    int overflows = 0;
    int underflows = 0;
    auto limit = [&](int channel) {
        const int v = channel + delta;
        if (v > 255) {
            ++overflows;
            return 255;
        }
        if (v < 0) {
            ++underflows;
            return 0;
        }
        return v;
    };
    const int r = limit(RedOf(colour));
    const int g = limit(GreenOf(colour));
    const int b = limit(BlueOf(colour));
    const bool saturated = GreenOf(colour) + delta > 305 || (g == 255 && (r == 255 || b == 255));
    if (bounce && (overflows == 3 || underflows == 3 || saturated)) {
        return Shade(Shade(colour, -direction, false, step), -direction, false, step);
    }
    return Rgb(r, g, b);
}

Color ColorScheme::Contrast(Color colour) {
    return Rgb((RedOf(colour) + 128) % 256, (GreenOf(colour) + 128) % 256,
               (BlueOf(colour) + 128) % 256);
}

std::array<Color, 16>& customColors() {
    static std::array<Color, 16> colors{};
    return colors;
}

Color PickColor(const ColorScheme& scheme, QWidget* owner) {
    static bool drawn = false;
    std::array<Color, 16>& custom = customColors();
    if (!drawn) {
        for (Color& c : custom) {
            const int blue = RandomBelow(256);
            const int green = RandomBelow(256);
            const int red = RandomBelow(256);
            c = Rgb(red, green, blue);
        }
        drawn = true;
    }
    return platform::dialogs()
        .chooseColor(owner, scheme.baseColor, custom)
        .value_or(scheme.baseColor);
}
