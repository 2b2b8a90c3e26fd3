#pragma once

#include <QCursor>
#include <cstdint>
#include <string>

#include "controls/mwnd.h"

class MButton;

// The interactive control that took the last press and has not been released; shared by all
// hosts. A control that is destroyed while it holds it clears it.
extern MButton* capturedControl;

// A flat text button with press, drag-out and drag-in feedback and an optional cursor.
class MButton : public MWnd {
public:
    MButton();
    ~MButton() override;

    using MWnd::Create;
    void Create(int id, const std::string& text, int x, int y, int cx, int cy,
                HostWindow* parent) override;
    void Create(int id, const std::string& text, const Rect& r, HostWindow* parent) override;
    // The pressed colours follow.
    void SetColors(Color fore, Color back) override;
    // Pressed: the face moves one pixel down and right, leaving a two-pixel band of the
    // foreground colour along the top and left edges.
    void Draw(DeviceContext& dc) override;

    // The control's answer to one event at a point inside or outside it.
    virtual int OnMouse(int code, int x, int y);
    // What the registry calls: the click protocol with drag-out and drag-in feedback.
    virtual int DispatchMouse(int code, int x, int y);

    void SetPressedColors(Color fore, Color back, Color pressedFore, Color pressedBack);
    // A cursor of the program's artwork; none when the name has no cursor.
    void SetCursorName(const std::string& name);
    void PressNow();
    void ReleaseNow();

    bool IsPressed() const { return pressed != 0; }
    const QCursor* GetCursor() const { return cursor; }

protected:
    std::int32_t pressed = 0;
    std::uint8_t tracking = 0;
    Color pressedForeColor = 0;
    Color pressedBackColor = 0;
    const QCursor* cursor = nullptr;
};
