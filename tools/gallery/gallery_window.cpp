#include "tools/gallery/gallery_window.h"

#include <QPaintEvent>
#include <QPainter>
#include <string>

#include "controls/mbitmap.h"
#include "controls/mbmp_button.h"
#include "controls/mslider.h"
#include "controls/mtoggle_button.h"
#include "platform/gui/artwork.h"
#include "platform/gui/font.h"
#include "resources/artwork_list.h"

namespace {

constexpr int windowWidth = 860;
constexpr int windowHeight = 440;
constexpr int popupTop = 190;
constexpr int catalogueTop = 222;

// A caption in a chosen font, as the strips' number labels draw theirs.
class Label : public MWnd {
public:
    void SetFont(const QFont& f) { font_ = f; }
    void Draw(DeviceContext& dc) override {
        if (!visible || !dc.RectVisible(rect)) {
            return;
        }
        const DeviceContext::State saved = dc.Save();
        dc.SelectFont(font_);
        dc.FillRect(rect, backColor);
        dc.SetTextColor(foreColor);
        dc.DrawText(text, rect,
                    platform::DT_CENTER | platform::DT_VCENTER | platform::DT_SINGLELINE);
        dc.Restore(saved);
        dc.ExcludeClipRect(rect);
    }

private:
    QFont font_ = platform::pointFont("Arial", 70);
};

}  // namespace

GalleryWindow::GalleryWindow(Color base) {
    scheme_.SetBase(base);
    setWindowTitle(QStringLiteral("Thrumbleworx gallery"));
    setWindowIcon(platform::programIcon());
    setFixedSize(windowWidth, windowHeight);
    SetBackgroundColor(platform::ToQColor(scheme_.face));
    SetDefaultCursor(platform::loadCursorResource("NOCUR"));
    SetRightPressForwarded(true);
    BuildGlobalStrip();
    for (int column = 1; column <= 4; ++column) {
        BuildStrip(column);
    }
    BuildPopup();
    BuildCatalogue();
}

MEdit& GalleryWindow::MakeEdit() {
    edits_.push_back(std::make_unique<MEdit>());
    return *edits_.back();
}

void GalleryWindow::BuildGlobalStrip() {
    const ColorScheme& s = scheme_;
    auto& background = Make<MBitmap>();
    background.Create(0, "GLOBALBMP", 0, 0, this, "GLOBALBMP");
    background.SetColors(s.baseColor, s.baseLighter);

    auto& play = Make<MToggleButton>();
    play.Create(1000, "PLAYBTN", 36, 60, this, "PLAY2UP", "PLAY2DN");
    play.SetCursorName("PUSHCUR");
    play.SetPressedColors(s.faceShadow, s.face, s.baseShade, s.baseLight);
    auto& sound = Make<MToggleButton>();
    sound.Create(1001, "MUTEBTN", 40, 92, this, "ONOFFUP", "ONOFFDN");
    sound.SetCursorName("PUSHCUR");
    sound.SetPressedColors(s.baseLight, s.baseColor, s.baseShade, s.baseLight);
    sound.SetState(1);

    const int bars[] = {2, 10};
    for (int i = 0; i < 2; ++i) {
        auto& bar = Make<MSlider>();
        bar.Create(1054 + 10 * i, "bar", bars[i], 2, 6, 135, this, false);
        bar.SetCursorName("BARVCUR");
        bar.SetColors(s.baseLight, s.baseShade, s.face);
        bar.SetValue(i == 0 ? 80 : 60);
    }
    for (int x : {2, 10, 18}) {
        auto& up = Make<MBmpButton>();
        up.Create(1, "up", x, 146, this, "UPARROWUP", "UPARROWDN");
        up.SetCursorName("UPCUR");
        up.SetColors(s.baseLight, s.baseShade);
        auto& down = Make<MBmpButton>();
        down.Create(2, "dn", x, 155, this, "DNARROWUP", "DNARROWDN");
        down.SetCursorName("DNCUR");
        down.SetColors(s.baseLight, s.baseShade);
    }
    MEdit& tempo = MakeEdit();
    tempo.Create(1008, this, s.baseShade, s.baseLight, 25, 149, 53, 13, "center");
    tempo.SetColors(s.baseShade, s.baseLight);
    tempo.SetText("126");

    struct Menu {
        const char* name;
        const char* cursor;
        Color fore, back;
    };
    const Menu menus[] = {{"FILE", "FCUR", s.baseLight, s.baseShade},
                          {"EDIT", "ECUR", s.face, s.faceShadow},
                          {"MIDI", "MCUR", s.baseShade, s.baseLight}};
    for (int i = 0; i < 3; ++i) {
        auto& menu = Make<MBmpButton>();
        const std::string name = menus[i].name;
        menu.Create(1002 + i, name, 22 + 18 * i, 4, this, name + "UP", name + "DN");
        menu.SetCursorName(menus[i].cursor);
        menu.SetColors(menus[i].fore, menus[i].back);
    }

    for (int n = 1; n <= 8; ++n) {
        auto& measure = Make<MToggleButton>();
        const std::string name = "LOOPSCTRL" + std::to_string(n);
        measure.Create(20000 + n, "LOOPSCTRL", 79, 144 - 20 * (n - 1), this, name + "UP",
                       name + "DN");
        measure.SetCursorName("GENCUR");
        measure.SetPressedColors(s.baseColor, s.baseLighter, s.baseColor, s.face);
        measure.SetState(n == 1 ? 1 : 0);
    }

    MEdit& status = MakeEdit();
    status.Create(3, this, s.faceShadow, s.face, 0, 166, 707, 13, "left");
    status.SetColors(s.faceShadow, s.face);
    status.SetText("velocity 100");
}

void GalleryWindow::BuildStrip(int column) {
    const ColorScheme& s = scheme_;
    const int x = 94 + 38 * (column - 1);
    const int y = 2;
    const int id = 10000 + 100 * (column - 1);
    const QBrush brush(platform::ToQColor(s.baseColor));
    const QFont panelFont = platform::pointFont("Arial", 70);

    auto& background = Make<MBitmap>();
    background.Create(id, std::to_string(column), x, y, this, "NOTEBMP");
    background.SetColors(s.baseColor, s.face);
    auto& label = Make<Label>();
    label.Create(id, std::to_string(column), x + 12, y + 2, 23, 16, this);
    label.SetFont(platform::pointFont("System", 90));
    label.SetColors(s.baseLight, s.baseColor);

    auto& toggle = Make<MToggleButton>();
    toggle.Create(id + 10, "", x + 12, y + 30, this, "ONOFFUP", "ONOFFDN");
    toggle.SetCursorName("PUSHCUR");
    toggle.SetPressedColors(s.faceShadow, s.face, s.faceShadow, s.faceLight);
    toggle.SetState(column % 3 != 0 ? 1 : 0);

    const int fields[] = {63, 96};
    const char* values[] = {"C4", "64"};
    for (int i = 0; i < 2; ++i) {
        const int top = y + fields[i];
        auto& up = Make<MBmpButton>();
        up.Create(id + 21 + 10 * i, "up", x + 1, top, this, "UPARROWUP", "UPARROWDN");
        up.SetCursorName("UPCUR");
        up.SetColors(s.faceShadow, s.faceLight);
        auto& down = Make<MBmpButton>();
        down.Create(id + 22 + 10 * i, "dn", x + 1, top + 9, this, "DNARROWUP", "DNARROWDN");
        down.SetCursorName("DNCUR");
        down.SetColors(s.faceShadow, s.faceLight);
        MEdit& field = MakeEdit();
        field.Create(id + 23 + 10 * i, this, s.baseLighter, s.baseColor, x + 8, top + 2, 21, 15,
                     "center");
        field.SetColors(s.baseLighter, s.baseColor);
        field.SetExternalFont(&panelFont);
        field.SetExternalBrush(brush);
        field.SetText(i == 0 ? (column == 2 ? "G3" : values[i]) : std::to_string(10 * column));
    }

    auto& velocity = Make<MSlider>();
    velocity.Create(id + 44, "bar", x + 30, y + 19, 6, 115, this, false);
    velocity.SetCursorName("BARVCUR");
    velocity.SetRange(0, 127);
    velocity.SetColors(s.faceShadow, platform::NoColor, s.baseLight);
    velocity.SetValue(40 + 25 * column);
    auto& up = Make<MBmpButton>();
    up.Create(id + 41, "up", x + 30, y + 134, this, "UPARROWUP", "UPARROWDN");
    up.SetCursorName("UPCUR");
    up.SetColors(s.faceShadow, s.faceLight);
    auto& down = Make<MBmpButton>();
    down.Create(id + 42, "dn", x + 30, y + 143, this, "DNARROWUP", "DNARROWDN");
    down.SetCursorName("DNCUR");
    down.SetColors(s.faceShadow, s.faceLight);

    auto& pan = Make<MSlider>();
    pan.Create(id + 54, "bar", x + 2, y + 130, 27, 7, this, true);
    pan.SetCursorName("BARHCUR");
    pan.SetRange(0, 127);
    pan.SetThumbWidth(5);
    pan.SetColors(s.faceShadow, s.faceShadow, s.faceLight);
    pan.SetValue(32 * column - 16);
    auto& duration = Make<MSlider>();
    duration.Create(id + 64, "bar", x + 2, y + 153, 27, 7, this, true);
    duration.SetCursorName("BARHCUR");
    duration.SetRange(0, 17);
    duration.SetColors(s.faceShadow, s.face, s.baseLight);
    duration.SetValue(4 * column);
}

void GalleryWindow::BuildPopup() {
    const ColorScheme& s = scheme_;
    popup_ = std::make_unique<ControlHost>(this);
    popup_->setGeometry(94, popupTop, 125, 20);
    popup_->SetBackgroundColor(platform::ToQColor(s.faceShadow));
    popup_->SetDefaultCursor(platform::loadCursorResource("NOCUR"));
    ControlHost* host = popup_.get();

    auto& background = Make<MBitmap>();
    background.Create(0, "LOOPBKGBMP", 0, 0, host, "LOOPBKGBMP");
    background.SetColors(s.baseColor, s.baseLighter);
    struct Dial {
        int id, x, arrowDx, fieldDx;
        const char* value;
    };
    const Dial dials[] = {{1020, 1, 21, 0, "2"}, {1040, 96, 0, 7, "4"}};
    for (const Dial& d : dials) {
        auto& up = Make<MBmpButton>();
        up.Create(d.id + 1, "up", d.x + d.arrowDx, 1, host, "UPARROWUP", "UPARROWDN");
        up.SetCursorName("UPCUR");
        up.SetColors(s.baseLight, s.baseShade);
        auto& down = Make<MBmpButton>();
        down.Create(d.id + 2, "dn", d.x + d.arrowDx, 10, host, "DNARROWUP", "DNARROWDN");
        down.SetCursorName("DNCUR");
        down.SetColors(s.baseLight, s.baseShade);
        auto field = std::make_unique<MEdit>();
        field->Create(d.id + 3, host, s.baseShade, s.baseLight, d.x + d.fieldDx, 4, 21, 15,
                      "center");
        field->SetColors(s.baseShade, s.baseLight);
        field->SetText(d.value);
        edits_.push_back(std::move(field));
    }
}

void GalleryWindow::BuildCatalogue() {
    const ColorScheme& s = scheme_;
    int x = 8;
    int y = catalogueTop;
    int rowHeight = 0;
    for (const ArtworkEntry& e : bitmapArtwork()) {
        if (e.height > 40 || e.width > 40) {
            continue;  // the strips and the popup above show the large ones
        }
        const int cell = 84;
        if (x + cell > windowWidth) {
            x = 8;
            y += rowHeight + 18;
            rowHeight = 0;
        }
        auto& bitmap = Make<MBitmap>();
        bitmap.Create(0, e.name, x, y, this, e.name);
        bitmap.SetColors(s.baseColor, s.face);
        auto& name = Make<Label>();
        name.Create(0, e.name, x - 4, y + e.height + 1, cell, 11, this);
        name.SetColors(s.faceShadow, s.face);
        x += cell;
        rowHeight = std::max(rowHeight, e.height);
    }
    y += rowHeight + 22;
    x = 8;
    for (const char* c : cursorArtwork()) {
        const std::string name = c;
        auto& image = Make<MBitmap>();
        image.Create(0, name, x, y, this, name);
        image.SetColors(platform::Rgb(0, 0, 0), platform::Rgb(255, 255, 255));
        if (const QCursor* cursor = platform::loadCursorResource(name)) {
            hotSpots_.push_back(QPoint(x, y) + cursor->hotSpot());
        }
        auto& mask = Make<MBitmap>();
        mask.Create(0, name, x + 33, y, this, name + "_mask");
        mask.SetColors(platform::Rgb(0, 0, 0), platform::Rgb(255, 255, 255));
        auto& label = Make<Label>();
        label.Create(0, name, x, y + 33, 65, 11, this);
        label.SetColors(s.faceShadow, s.face);
        x += 70;
        if (x + 66 > windowWidth) {
            x = 8;
            y += 48;
        }
    }
}

void GalleryWindow::paintEvent(QPaintEvent* event) {
    ControlHost::paintEvent(event);
    // The hot spots over the cursor pictures, and the icon at the sizes it is drawn in.
    QPainter painter(this);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 0, 0));
    for (const QPoint& p : hotSpots_) {
        painter.drawRect(p.x(), p.y(), 1, 1);
    }
    const QIcon icon = platform::programIcon();
    int x = 330;
    for (int size : {16, 24, 32, 48, 64, 128}) {
        icon.paint(&painter, QRect(x, 8 + 128 - size, size, size));
        x += size + 12;
    }
}
