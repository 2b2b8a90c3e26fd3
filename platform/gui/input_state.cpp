#include "platform/gui/input_state.h"

#include <QGuiApplication>

namespace platform {

namespace {

bool haveGui() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

}  // namespace

bool isModifierDown(ModifierKey key) {
    if (!haveGui()) {
        return false;
    }
    const Qt::KeyboardModifiers mods = QGuiApplication::queryKeyboardModifiers();
    switch (key) {
        case ModifierKey::Shift:
            return mods.testFlag(Qt::ShiftModifier);
        case ModifierKey::Control:
            return mods.testFlag(Qt::ControlModifier);
        case ModifierKey::Alt:
            return mods.testFlag(Qt::AltModifier);
    }
    return false;
}

bool isLeftButtonDown() {
    return haveGui() && QGuiApplication::mouseButtons().testFlag(Qt::LeftButton);
}

}  // namespace platform
