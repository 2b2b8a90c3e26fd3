#pragma once

#include <QWidget>

#include "platform/gui/rect.h"

class QCursor;

namespace platform {

class DeviceContext;

// A window that draws its contents itself and hears its mouse as window messages. Mouse
// moves arrive without a button held too; the second press of a double-click arrives as one
// more left press (never twice); and the background is erased to the palette's window colour before
// every paint, so invalidating with and without erasing look the same.
class HostWindow : public QWidget {
public:
    explicit HostWindow(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // Asks for the rectangle to be painted again soon.
    void Invalidate(const Rect& r, bool erase);
    // Paints the rectangle now, before returning. Not from inside a paint.
    void PaintNow(const Rect& r);

    // Every mouse event goes to this window, wherever the pointer is, until released.
    void CaptureMouse();
    void ReleaseMouseCapture();

    // The cursor over the window; asked for at every mouse move, so an unchanged cursor costs
    // nothing. The cursor must outlive its use (artwork cursors live as long as the program).
    void ShowCursor(const QCursor& cursor);
    void ShowDefaultCursor();
    void SetBackgroundColor(const QColor& color);

protected:
    // Points are in client coordinates.
    virtual void OnLeftButtonDown(int x, int y);
    virtual void OnLeftButtonUp(int x, int y);
    virtual void OnRightButtonDown(int x, int y);
    virtual void OnMouseMove(int x, int y);
    virtual void OnPaint(DeviceContext& dc);

    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool captured_ = false;
    quint64 lastPressTime_ = 0;
    const QCursor* shownCursor_ = nullptr;
};

}  // namespace platform
