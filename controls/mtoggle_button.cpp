#include "controls/mtoggle_button.h"

MToggleButton::MToggleButton() {
    className = "MToggleButton";
}

void MToggleButton::Draw(DeviceContext& dc) {
    if (!visible || !dc.RectVisible(rect)) {
        return;
    }
    DrawLook(dc, (pressed && state == 0) || (!pressed && state == 1));
    dc.ExcludeClipRect(rect);
}

int MToggleButton::OnMouse(int code, int x, int y) {
    if (code != MouseUp || !rect.Contains(x, y) || !pressed) {
        return MBmpButton::OnMouse(code, x, y);
    }
    pressed = 0;
    SetState(state == 0 ? 1 : 0);
    capturedControl = nullptr;
    return ReleaseOrDragTaken;
}

void MToggleButton::SetState(int s) {
    state = s != 0 ? 1 : 0;
    Show();
}
