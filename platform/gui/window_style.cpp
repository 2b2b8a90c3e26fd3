#include "platform/gui/window_style.h"

#include <QLineEdit>
#include <QVariant>
#include <QWidget>

namespace platform {

namespace {

constexpr const char* styleProperty = "thrumbleworxWindowStyle";

}  // namespace

std::uint32_t windowStyle(const QWidget* window) {
    if (window == nullptr) {
        return 0;
    }
    return window->property(styleProperty).toUInt();
}

void setWindowStyle(QWidget* window, std::uint32_t style) {
    if (window == nullptr) {
        return;
    }
    window->setProperty(styleProperty, QVariant::fromValue<uint>(style));
    window->setFocusPolicy((style & WS_TABSTOP) != 0 ? Qt::StrongFocus : Qt::ClickFocus);
    if (auto* edit = qobject_cast<QLineEdit*>(window)) {
        Qt::Alignment horizontal = Qt::AlignLeft;
        if (style & ES_CENTER) {
            horizontal = Qt::AlignHCenter;
        } else if (style & ES_RIGHT) {
            horizontal = Qt::AlignRight;
        }
        edit->setAlignment(horizontal | Qt::AlignVCenter);
    }
}

}  // namespace platform
