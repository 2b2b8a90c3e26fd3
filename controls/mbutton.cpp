#include "controls/mbutton.h"

#include "platform/gui/artwork.h"

MButton* capturedControl = nullptr;

MButton::MButton() {
    className = "MButton";
}

MButton::~MButton() {
    if (capturedControl == this) {
        capturedControl = nullptr;
    }
}

void MButton::Create(int newId, const std::string& newText, int x, int y, int cx, int cy,
                     HostWindow* host) {
    MWnd::Create(newId, newText, x, y, cx, cy, host);
    pressedForeColor = foreColor;
    pressedBackColor = backColor;
    cursor = nullptr;
}

void MButton::Create(int newId, const std::string& newText, const Rect& r, HostWindow* host) {
    Create(newId, newText, r.left, r.top, r.Width(), r.Height(), host);
}

void MButton::SetColors(Color fore, Color back) {
    MWnd::SetColors(fore, back);
    pressedForeColor = fore;
    pressedBackColor = back;
}

void MButton::SetPressedColors(Color fore, Color back, Color pressedFore, Color pressedBack) {
    MWnd::SetColors(fore, back);
    pressedForeColor = pressedFore;
    pressedBackColor = pressedBack;
}

void MButton::SetCursorName(const std::string& name) {
    cursor = platform::loadCursorResource(name);
}

void MButton::Draw(DeviceContext& dc) {
    if (!visible || !dc.RectVisible(rect)) {
        return;
    }
    Rect face = rect;
    if (pressed) {
        face.left += 2;
        face.top += 2;
    }
    dc.FillRect(face, backColor);
    dc.SetTextColor(foreColor);
    dc.DrawText(text, face, platform::DT_CENTER | platform::DT_VCENTER | platform::DT_SINGLELINE);
    dc.ExcludeClipRect(face);
    dc.FillRect(rect, foreColor);
    dc.ExcludeClipRect(rect);
}

int MButton::OnMouse(int code, int x, int y) {
    if (!rect.Contains(x, y)) {
        return NotConsumed;
    }
    switch (code) {
        case MouseDown:
            pressed = 1;
            DrawNow();
            capturedControl = this;
            return PressTaken;
        case MouseUp:
            if (!pressed) {
                return NotConsumed;
            }
            pressed = 0;
            DrawNow();
            capturedControl = nullptr;
            return ReleaseOrDragTaken;
        case MouseAlt:
            return AltClickTaken;
        default:
            return NotConsumed;
    }
}

int MButton::DispatchMouse(int code, int x, int y) {
    if (!visible) {
        return NotConsumed;
    }
    switch (code) {
        case MouseDown:
        case MouseAlt:
            tracking = 1;
            return OnMouse(code, x, y);
        case MouseUp:
            // The pointer left the held button: the release belongs to nobody.
            if (capturedControl != nullptr && !capturedControl->IsPressed()) {
                capturedControl = nullptr;
                return NotConsumed;
            }
            tracking = 1;
            return OnMouse(code, x, y);
        case MouseMove:
            if (capturedControl != this) {
                return NotConsumed;
            }
            if (pressed && tracking && !rect.Contains(x, y)) {
                ReleaseNow();
                tracking = 0;
            }
            if (!pressed && !tracking && rect.Contains(x, y)) {
                PressNow();
                tracking = 1;
            }
            return NotConsumed;
        default:
            return NotConsumed;
    }
}

void MButton::PressNow() {
    pressed = 1;
    DrawNow();
}

void MButton::ReleaseNow() {
    pressed = 0;
    DrawNow();
}
