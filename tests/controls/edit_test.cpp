#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QTest>
#include <QWidget>

#include "controls/medit.h"
#include "controls/utilities.h"
#include "platform/gui/window_style.h"

using platform::Rgb;

TEST(Edit, StyleFromSizeAndAlignment) {
    struct Case {
        int cx, cy;
        const char* alignment;
        std::uint32_t style;
        Qt::FocusPolicy focus;
        Qt::Alignment horizontal;
    };
    const Case cases[] = {
        {53, 13, "center", 0x54010181, Qt::StrongFocus, Qt::AlignHCenter},
        {707, 13, "left", 0x54010180, Qt::StrongFocus, Qt::AlignLeft},
        {21, 15, "right", 0x54010182, Qt::StrongFocus, Qt::AlignRight},
        {0, 15, "center", 0x54000181, Qt::ClickFocus, Qt::AlignHCenter},
        {21, 0, "middle", 0x54000180, Qt::ClickFocus, Qt::AlignLeft},
    };
    for (const Case& c : cases) {
        QWidget owner;
        MEdit edit;
        edit.Create(3, &owner, Rgb(1, 1, 1), Rgb(2, 2, 2), 4, 5, c.cx, c.cy, c.alignment);
        EXPECT_EQ(platform::windowStyle(&edit), c.style) << c.cx << c.alignment;
        EXPECT_EQ(edit.focusPolicy(), c.focus);
        EXPECT_EQ(edit.alignment() & Qt::AlignHorizontal_Mask, c.horizontal);
        EXPECT_EQ(edit.GetRect(), (platform::Rect{4, 5, 4 + c.cx, 5 + c.cy}));
        EXPECT_EQ(edit.parentWidget(), &owner);
    }
}

TEST(Edit, ToggleStyleRemovesTheTabStopAndTwiceRestoresIt) {
    QWidget owner;
    MEdit edit;
    edit.Create(3, &owner, 0, 0, 0, 166, 707, 13, "left");
    const std::uint32_t style = platform::windowStyle(&edit);
    EXPECT_EQ(ToggleStyle(&edit, platform::WS_TABSTOP), style & ~platform::WS_TABSTOP);
    EXPECT_EQ(edit.focusPolicy(), Qt::ClickFocus);
    EXPECT_EQ(ToggleStyle(&edit, platform::WS_TABSTOP), style);
    EXPECT_EQ(edit.focusPolicy(), Qt::StrongFocus);
}

TEST(Edit, ColourZeroMeansTheSystemColours) {
    QWidget owner;
    MEdit edit;
    edit.Create(3, &owner, 0, 0, 0, 0, 50, 13, "left");
    EXPECT_EQ(edit.GetTextColor(), platform::sysColor(platform::COLOR_HIGHLIGHT));
    EXPECT_EQ(edit.GetBackColor(), platform::sysColor(platform::COLOR_BTNFACE));
    EXPECT_EQ(edit.palette().color(QPalette::Text),
              platform::ToQColor(platform::sysColor(platform::COLOR_HIGHLIGHT)));
}

TEST(Edit, ExternalBrushSurvivesSetColors) {
    QWidget owner;
    MEdit edit;
    edit.Create(3, &owner, 0, 0, 0, 0, 50, 13, "left");
    edit.SetColors(Rgb(10, 20, 30), Rgb(40, 50, 60));
    EXPECT_EQ(edit.GetBrush().color(), QColor(40, 50, 60));
    edit.SetExternalBrush(QBrush(QColor(7, 8, 9)));
    edit.SetColors(Rgb(11, 21, 31), Rgb(41, 51, 61));
    EXPECT_EQ(edit.GetBrush().color(), QColor(7, 8, 9));
    EXPECT_EQ(edit.GetTextColor(), Rgb(11, 21, 31));
    EXPECT_EQ(edit.palette().color(QPalette::Base), QColor(7, 8, 9));
    EXPECT_EQ(edit.palette().color(QPalette::Text), QColor(11, 21, 31));
}

TEST(Edit, TypingSetsTheModifiedFlagAndSetTextClearsIt) {
    QWidget owner;
    owner.resize(100, 40);
    MEdit edit;
    edit.Create(3, &owner, 0, 0, 0, 0, 50, 13, "left");
    owner.show();
    edit.SetText("126");
    EXPECT_FALSE(edit.isModified());
    QTest::keyClicks(&edit, "4");
    EXPECT_TRUE(edit.isModified());
    EXPECT_EQ(edit.GetText(), "1264");
    edit.SetText("90");
    EXPECT_FALSE(edit.isModified());
    EXPECT_EQ(edit.GetText(), "90");
}

TEST(Edit, NoTextStaysSelectedWhenTheFocusGoes) {
    QWidget owner;
    owner.resize(100, 40);
    MEdit edit;
    edit.Create(3, &owner, 0, 0, 0, 0, 50, 13, "left");
    owner.show();
    edit.SetText("hello");
    edit.selectAll();
    ASSERT_TRUE(edit.hasSelectedText());
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&edit, &out);
    EXPECT_FALSE(edit.hasSelectedText());
}

TEST(Edit, OwnFontUntilACallersFontIsGiven) {
    QWidget owner;
    MEdit edit;
    edit.Create(3, &owner, 0, 0, 0, 0, 50, 13, "left");
    EXPECT_EQ(edit.font().pixelSize(), 9);  // 7 points at 96 dots per inch
    QFont big = edit.font();
    big.setPixelSize(20);
    edit.SetExternalFont(&big);
    EXPECT_TRUE(edit.IsFontExternal());
    EXPECT_EQ(edit.font().pixelSize(), 20);
    EXPECT_FALSE(edit.acceptDrops());
    EXPECT_EQ(edit.cursor().shape(), Qt::BitmapCursor);  // TEXTCUR
}
