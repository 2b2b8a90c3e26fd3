#include "platform/gui/host_window.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

#include "platform/gui/device_context.h"

namespace platform {

namespace {

int floorToInt(qreal v) {
    return static_cast<int>(std::floor(v));
}

}  // namespace

HostWindow::HostWindow(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags) {
    setMouseTracking(true);
    setAutoFillBackground(true);
}

void HostWindow::Invalidate(const Rect& r, bool /*erase*/) {
    if (!r.IsEmpty()) {
        update(r.ToQRect());
    }
}

void HostWindow::PaintNow(const Rect& r) {
    if (!r.IsEmpty()) {
        repaint(r.ToQRect());
    }
}

void HostWindow::CaptureMouse() {
    if (!captured_ && isVisible()) {
        grabMouse();
        captured_ = true;
    }
}

void HostWindow::ReleaseMouseCapture() {
    if (captured_) {
        releaseMouse();
        captured_ = false;
    }
}

void HostWindow::ShowCursor(const QCursor& cursor) {
    if (shownCursor_ != &cursor) {
        setCursor(cursor);
        shownCursor_ = &cursor;
    }
}

void HostWindow::ShowDefaultCursor() {
    if (shownCursor_ != nullptr) {
        unsetCursor();
        shownCursor_ = nullptr;
    }
}

void HostWindow::SetBackgroundColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
}

void HostWindow::OnLeftButtonDown(int, int) {}
void HostWindow::OnLeftButtonUp(int, int) {}
void HostWindow::OnRightButtonDown(int, int) {}
void HostWindow::OnMouseMove(int, int) {}
void HostWindow::OnPaint(DeviceContext&) {}

// The events are taken here and not passed on: a host inside another window must not make
// that window act on the same press.
void HostWindow::mousePressEvent(QMouseEvent* event) {
    const int x = floorToInt(event->position().x());
    const int y = floorToInt(event->position().y());
    if (event->button() == Qt::LeftButton) {
        lastPressTime_ = event->timestamp();
        OnLeftButtonDown(x, y);
    } else if (event->button() == Qt::RightButton) {
        OnRightButtonDown(x, y);
    }
    event->accept();
}

// Qt follows the second press of a double-click with a double-click event of the same time;
// that press has already been handed on. A double-click without its press (the press went to
// a window that has since gone) counts as the press.
void HostWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && event->timestamp() != lastPressTime_) {
        lastPressTime_ = event->timestamp();
        OnLeftButtonDown(floorToInt(event->position().x()), floorToInt(event->position().y()));
    }
    event->accept();
}

void HostWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        OnLeftButtonUp(floorToInt(event->position().x()), floorToInt(event->position().y()));
    }
    event->accept();
}

void HostWindow::mouseMoveEvent(QMouseEvent* event) {
    OnMouseMove(floorToInt(event->position().x()), floorToInt(event->position().y()));
    event->accept();
}

void HostWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    DeviceContext dc(painter, event->region());
    OnPaint(dc);
}

}  // namespace platform
