#pragma once

#include <QBrush>
#include <QFont>
#include <QLineEdit>
#include <cstdint>
#include <string>

#include "platform/gui/color.h"
#include "platform/gui/rect.h"

using platform::Color;

// The one control that is a real child window: a one-line text field with its own colours,
// font and cursor. "Modified" means typed by the user since the last SetText.
class MEdit : public QLineEdit {
public:
    MEdit();
    ~MEdit() override = default;

    // A colour of 0 stands for the system's highlight (text) or button face (background), so
    // pure black cannot be asked for. A field of zero width or height is no tab stop.
    // alignment: "right", "center", or anything else for left.
    void Create(int id, QWidget* owner, Color textColor, Color backColor, int x, int y, int cx,
                int cy, const std::string& alignment);
    // Also gives the field a brush of the background colour, unless it uses the caller's.
    void SetColors(Color text, Color back);
    void SetExternalBrush(const QBrush& brush);
    // Null puts the inherited font back.
    void SetExternalFont(const QFont* font);
    void SetText(const std::string& s);
    std::string GetText() const;
    const platform::Rect& GetRect() const { return rect; }
    int GetId() const { return id; }
    QWidget* GetOwner() const { return owner; }
    Color GetTextColor() const { return textColor; }
    Color GetBackColor() const { return backColor; }
    const QBrush& GetBrush() const { return brush; }
    bool IsBrushExternal() const { return brushExternal != 0; }
    bool IsFontExternal() const { return fontExternal != 0; }
    void Show();

protected:
    // No text stays selected once the field loses the focus.
    void focusOutEvent(QFocusEvent* event) override;

private:
    void ApplyColors();

    Color textColor = 0;
    Color backColor = 0;
    platform::Rect rect;
    int id = 0;
    QWidget* owner = nullptr;
    QFont ownFont;
    QBrush brush;  // Qt::NoBrush until the first SetColors or SetExternalBrush
    const QCursor* textCursor = nullptr;
    std::uint8_t brushExternal = 0;
    std::uint8_t fontExternal = 0;
};
