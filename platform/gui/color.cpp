#include "platform/gui/color.h"

#include <QGuiApplication>
#include <QPalette>

namespace platform {

namespace {

struct SysColorEntry {
    SysColor which;
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
    Color fallback;
};

constexpr SysColorEntry sysColorTable[] = {
    {COLOR_BACKGROUND, QPalette::Active, QPalette::Mid, Rgb(0, 128, 128)},
    {COLOR_WINDOW, QPalette::Active, QPalette::Base, Rgb(255, 255, 255)},
    {COLOR_WINDOWTEXT, QPalette::Active, QPalette::Text, Rgb(0, 0, 0)},
    {COLOR_HIGHLIGHT, QPalette::Active, QPalette::Highlight, Rgb(0, 0, 128)},
    {COLOR_HIGHLIGHTTEXT, QPalette::Active, QPalette::HighlightedText, Rgb(255, 255, 255)},
    {COLOR_BTNFACE, QPalette::Active, QPalette::Button, Rgb(192, 192, 192)},
    {COLOR_BTNSHADOW, QPalette::Active, QPalette::Dark, Rgb(128, 128, 128)},
    {COLOR_BTNTEXT, QPalette::Active, QPalette::ButtonText, Rgb(0, 0, 0)},
    {COLOR_INACTIVECAPTIONTEXT, QPalette::Inactive, QPalette::WindowText, Rgb(192, 192, 192)},
    {COLOR_BTNHIGHLIGHT, QPalette::Active, QPalette::Light, Rgb(255, 255, 255)},
};

}  // namespace

Color sysColor(SysColor which) {
    for (const SysColorEntry& e : sysColorTable) {
        if (e.which != which) {
            continue;
        }
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
            return e.fallback;
        }
        return FromQColor(QGuiApplication::palette().color(e.group, e.role));
    }
    return 0;
}

}  // namespace platform
