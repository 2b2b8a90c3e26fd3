#include "controls/mwnd.h"

#include "controls/control_registry.h"

MWnd::~MWnd() {
    ControlRegistry::Instance().Remove(this);
}

void MWnd::Create(int newId, const std::string& newText, int x, int y, int cx, int cy,
                  HostWindow* host) {
    id = newId;
    parent = host;
    text = newText;
    rect = Rect{x, y, x + cx, y + cy};
    ControlRegistry::Instance().Append(this);
    SetColors(platform::sysColor(platform::COLOR_HIGHLIGHT),
              platform::sysColor(platform::COLOR_BTNFACE));
    EnableRedraw(true);
    Show();
}

void MWnd::Create(int newId, const std::string& newText, const Rect& r, HostWindow* host) {
    Create(newId, newText, r.left, r.top, r.Width(), r.Height(), host);
}

void MWnd::SetColors(Color fore, Color back) {
    foreColor = fore;
    backColor = back;
    if (visible) {
        Show();
    }
}

void MWnd::Draw(DeviceContext& dc) {
    if (!visible || !dc.RectVisible(rect)) {
        return;
    }
    dc.FillRect(rect, backColor);
    dc.SetTextColor(foreColor);
    dc.DrawText(text, rect, platform::DT_CENTER | platform::DT_VCENTER | platform::DT_SINGLELINE);
    dc.ExcludeClipRect(rect);
}

void MWnd::Show() {
    if (!redrawEnabled) {
        return;
    }
    visible = 1;
    if (parent) {
        parent->Invalidate(rect, false);
    }
}

void MWnd::Hide() {
    if (!redrawEnabled) {
        return;
    }
    visible = 0;
    if (parent) {
        parent->Invalidate(rect, true);
    }
}

void MWnd::EnableRedraw(bool flag) {
    redrawEnabled = flag ? 1 : 0;
}

void MWnd::SetForeColor(Color c) {
    foreColor = c;
    if (visible) {
        Show();
    }
}

void MWnd::SetBackColor(Color c) {
    backColor = c;
    if (visible) {
        Show();
    }
}

void MWnd::DrawNow() {
    if (visible && parent) {
        parent->PaintNow(rect);
    }
}
