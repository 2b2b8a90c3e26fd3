#include "controls/medit.h"

#include <QFocusEvent>
#include <QPalette>

#include "platform/gui/artwork.h"
#include "platform/gui/font.h"
#include "platform/gui/window_style.h"

MEdit::MEdit() : QLineEdit(nullptr) {}

void MEdit::Create(int newId, QWidget* newOwner, Color text, Color back, int x, int y, int cx,
                   int cy, const std::string& alignment) {
    id = newId;
    owner = newOwner;
    textColor = text != 0 ? text : platform::sysColor(platform::COLOR_HIGHLIGHT);
    backColor = back != 0 ? back : platform::sysColor(platform::COLOR_BTNFACE);
    rect = platform::Rect{x, y, x + cx, y + cy};

    std::uint32_t style = platform::WS_CHILD | platform::WS_VISIBLE | platform::WS_CLIPSIBLINGS |
                          platform::ES_AUTOHSCROLL | platform::ES_NOHIDESEL;
    if (cx > 0 && cy > 0) {
        style |= platform::WS_TABSTOP;
    }
    if (alignment == "right") {
        style |= platform::ES_RIGHT;
    } else if (alignment == "center") {
        style |= platform::ES_CENTER;
    }

    setParent(owner);
    setFrame(false);
    setAcceptDrops(false);
    setGeometry(rect.ToQRect());
    platform::setWindowStyle(this, style);
    ownFont = platform::pointFont("Arial", 70);
    setFont(ownFont);
    textCursor = platform::loadCursorResource("TEXTCUR");
    if (textCursor != nullptr) {
        setCursor(*textCursor);
    }
    ApplyColors();
    show();
}

void MEdit::ApplyColors() {
    QPalette p = palette();
    const QBrush background =
        brush.style() == Qt::NoBrush ? QBrush(platform::ToQColor(backColor)) : brush;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Text, platform::ToQColor(textColor));
        p.setBrush(group, QPalette::Base, background);
        p.setBrush(group, QPalette::Window, background);
    }
    setPalette(p);
}

void MEdit::SetColors(Color text, Color back) {
    textColor = text;
    backColor = back;
    if (!brushExternal) {
        brush = QBrush(platform::ToQColor(backColor));
    }
    ApplyColors();
}

void MEdit::SetExternalBrush(const QBrush& external) {
    brush = external;
    brushExternal = 1;
    ApplyColors();
}

void MEdit::SetExternalFont(const QFont* font) {
    fontExternal = 1;
    ownFont = QFont();
    setFont(font != nullptr ? *font : QFont());
}

void MEdit::SetText(const std::string& s) {
    setText(QString::fromStdString(s));
    setModified(false);
}

std::string MEdit::GetText() const {
    return text().toStdString();
}

void MEdit::Show() {
    show();
}

void MEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    deselect();
}
