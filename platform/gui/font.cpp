#include "platform/gui/font.h"

#include <QStringList>
#include <cmath>

namespace platform {

namespace {

struct FaceMapping {
    std::string_view face;
    const char* family;
    bool bold;
};

// "System" was a bold sans face; Verdana's wide letters are closest to DejaVu Sans.
constexpr FaceMapping faceMappings[] = {
    {"Arial", "Arial", false},
    {"System", "Liberation Sans", true},
    {"Verdana", "DejaVu Sans", false},
    {"MS Sans Serif", "Liberation Sans", false},
};

}  // namespace

QFont pointFont(std::string_view face, int tenthsOfPoint) {
    const char* family = "Liberation Sans";
    bool bold = false;
    for (const FaceMapping& m : faceMappings) {
        if (m.face == face) {
            family = m.family;
            bold = m.bold;
        }
    }
    QFont font;
    font.setFamilies({QString::fromLatin1(family), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setBold(bold);
    const int pixels = static_cast<int>(std::lround(tenthsOfPoint * 96.0 / 720.0));
    font.setPixelSize(pixels > 0 ? pixels : 1);
    return font;
}

}  // namespace platform
