#pragma once

#include <QPointer>
#include <cstdint>
#include <string>

#include "platform/gui/color.h"
#include "platform/gui/device_context.h"
#include "platform/gui/host_window.h"
#include "platform/gui/rect.h"

using platform::Color;
using platform::DeviceContext;
using platform::HostWindow;
using platform::Rect;

// What a host passes to its controls and to OnControlEvent.
enum MouseEventCode : int {
    MouseDown = 1,  // left button down, and left double-click
    MouseUp = 2,
    MouseAlt = 4,  // right button down
    MouseMove = 64,
};

// What OnMouse and DispatchMouse report (`Consumed`).
enum ConsumedCode : int {
    NotConsumed = 0,
    PressTaken = 1,
    ReleaseOrDragTaken = 16,
    AltClickTaken = 32,
};

// The base of every drawn control: a rectangle inside a host window that the control paints
// into the host's device context. Controls are not windows; the host forwards its mouse to
// them through the ControlRegistry.
class MWnd {
public:
    MWnd() = default;
    MWnd(const MWnd&) = delete;
    MWnd& operator=(const MWnd&) = delete;
    // Leaves the registry, so a control may die before its host.
    virtual ~MWnd();

    // Registers the control, colours it in the system's highlight on button face and shows it.
    virtual void Create(int id, const std::string& text, int x, int y, int cx, int cy,
                        HostWindow* parent);
    virtual void Create(int id, const std::string& text, const Rect& r, HostWindow* parent);
    virtual void SetColors(Color fore, Color back);
    virtual void Draw(DeviceContext& dc);
    // Also the repaint request of every setter. Does nothing while redraw is off.
    virtual void Show();
    virtual void Hide();
    virtual void EnableRedraw(bool flag);

    int GetId() const { return id; }
    HostWindow* GetParent() const { return parent; }
    const Rect& GetRect() const { return rect; }
    const std::string& GetText() const { return text; }
    const std::string& GetClassName() const { return className; }
    Color GetForeColor() const { return foreColor; }
    Color GetBackColor() const { return backColor; }
    bool IsVisible() const { return visible != 0; }
    bool IsRedrawEnabled() const { return redrawEnabled != 0; }
    void SetForeColor(Color c);
    void SetBackColor(Color c);

    // Paints the control on screen before returning (a synchronous repaint of its rectangle
    // in the host, which draws it through the host's paint); nothing while it is hidden.
    void DrawNow();

protected:
    Rect rect;
    std::string text;
    Color foreColor = 0;
    Color backColor = 0;
    std::uint8_t visible = 0;
    std::uint8_t redrawEnabled = 0;
    int id = 0;
    // Becomes null by itself if the host goes first.
    QPointer<HostWindow> parent;
    // "MWnd" keeps a control out of mouse dispatch and cursor selection.
    std::string className = "MWnd";
};
