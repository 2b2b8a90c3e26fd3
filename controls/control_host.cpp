#include "controls/control_host.h"

#include <QApplication>
#include <QCursor>

#include "controls/control_registry.h"

ControlHost::ControlHost(QWidget* parent, Qt::WindowFlags flags) : HostWindow(parent, flags) {}

int ControlHost::OnControlEvent(int code, int x, int y, int id) {
    if (ControlRegistry::SetCursorForPoint(code, x, y, this) == 0) {
        if (defaultCursor_ != nullptr) {
            ShowCursor(*defaultCursor_);
        } else {
            ShowDefaultCursor();
        }
    }
    if (id == 0) {
        id = ControlRegistry::DispatchToControls(code, x, y, this);
    }
    return id;
}

void ControlHost::PrepareLeftPress() {
    if (QWidget* focused = QApplication::focusWidget()) {
        focused->clearFocus();
    }
}

void ControlHost::OnLeftButtonDown(int x, int y) {
    PrepareLeftPress();
    OnControlEvent(MouseDown, x, y, 0);
}

void ControlHost::OnLeftButtonUp(int x, int y) {
    OnControlEvent(MouseUp, x, y, 0);
}

void ControlHost::OnRightButtonDown(int x, int y) {
    if (rightPressForwarded_) {
        OnControlEvent(MouseAlt, x, y, 0);
    }
}

void ControlHost::OnMouseMove(int x, int y) {
    OnControlEvent(MouseMove, x, y, 0);
}

void ControlHost::OnPaint(platform::DeviceContext& dc) {
    ControlRegistry::PaintControls(dc, this);
}
