#pragma once

#include "platform/gui/host_window.h"

class QCursor;

// A window that owns drawn controls: it paints them through the registry and turns its mouse
// messages into control events. Left press (a double-click counts as a second press), left
// release and moves reach OnControlEvent; the right press only where it is switched on.
class ControlHost : public platform::HostWindow {
public:
    explicit ControlHost(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // The half every host shares: the cursor of the control under the point (else the
    // host's default cursor), then, when id is 0, the id of the control that consumed the
    // event. Hosts that act on (code, id) extend it.
    virtual int OnControlEvent(int code, int x, int y, int id);

    // Shown where no control sets a cursor; null leaves the window's usual arrow.
    void SetDefaultCursor(const QCursor* cursor) { defaultCursor_ = cursor; }
    void SetRightPressForwarded(bool on) { rightPressForwarded_ = on; }

protected:
    // Before a left press reaches the controls: the keyboard focus is taken from every window.
    virtual void PrepareLeftPress();

    void OnLeftButtonDown(int x, int y) override;
    void OnLeftButtonUp(int x, int y) override;
    void OnRightButtonDown(int x, int y) override;
    void OnMouseMove(int x, int y) override;
    void OnPaint(platform::DeviceContext& dc) override;

private:
    const QCursor* defaultCursor_ = nullptr;
    bool rightPressForwarded_ = false;
};
