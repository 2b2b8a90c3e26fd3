#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <string>
#include <vector>

#include "controls/mbmp_button.h"
#include "controls/mbutton.h"
#include "controls/mtoggle_button.h"
#include "test_host.h"

using platform::Rgb;

namespace {

constexpr Color ink = Rgb(200, 0, 0);
constexpr Color paper = Rgb(0, 0, 200);
constexpr Color pressedInk = Rgb(0, 200, 0);
constexpr Color pressedPaper = Rgb(200, 200, 0);

// Points around a button at (10, 10)-(50, 30).
constexpr int inX = 20, inY = 15, outX = 150, outY = 100;

struct Step {
    int code;
    bool inside;
    int expectedId;
};

struct ClickCase {
    const char* name;
    std::vector<Step> steps;
    bool toggleFlips;  // whether a toggle ends in the other state
};

const std::vector<ClickCase> clickCases = {
    {"click", {{MouseDown, true, 4}, {MouseUp, true, 4}}, true},
    {"drag out and release outside",
     {{MouseDown, true, 4}, {MouseMove, false, 0}, {MouseUp, false, 0}},
     false},
    {"drag out, back in, release inside",
     {{MouseDown, true, 4}, {MouseMove, false, 0}, {MouseMove, true, 0}, {MouseUp, true, 4}},
     true},
    {"drag out, then release over it without coming back",
     {{MouseDown, true, 4}, {MouseMove, false, 0}, {MouseUp, true, 0}},
     false},
    {"press elsewhere, release inside", {{MouseDown, false, 0}, {MouseUp, true, 0}}, false},
    {"double-click is a second press",
     {{MouseDown, true, 4}, {MouseUp, true, 4}, {MouseDown, true, 4}, {MouseUp, true, 4}},
     false},
    {"right press inside and outside", {{MouseAlt, true, 4}, {MouseAlt, false, 0}}, false},
    {"moves without a press", {{MouseMove, true, 0}, {MouseMove, false, 0}}, false},
};

void RunClickCase(TestHost& host, const ClickCase& c) {
    for (const Step& s : c.steps) {
        const int x = s.inside ? inX : outX;
        const int y = s.inside ? inY : outY;
        EXPECT_EQ(host.OnControlEvent(s.code, x, y, 0), s.expectedId) << c.name;
    }
}

}  // namespace

TEST(ClickProtocol, TextButton) {
    for (const ClickCase& c : clickCases) {
        TestHost host;
        MButton button;
        button.Create(4, "", 10, 10, 40, 20, &host);
        RunClickCase(host, c);
        EXPECT_FALSE(button.IsPressed()) << c.name;
        EXPECT_EQ(capturedControl, nullptr) << c.name;
    }
}

TEST(ClickProtocol, ToggleFlipsOncePerClickReleasedInside) {
    for (const ClickCase& c : clickCases) {
        for (int start : {0, 1}) {
            TestHost host;
            MToggleButton toggle;
            toggle.Create(4, "", 10, 10, &host, "PLAY2UP", "PLAY2DN");
            toggle.SetState(start);
            RunClickCase(host, c);
            EXPECT_EQ(toggle.GetState(), c.toggleFlips ? 1 - start : start) << c.name;
            EXPECT_EQ(capturedControl, nullptr) << c.name;
        }
    }
}

TEST(ClickProtocol, DoubleClickFromTheWindowSystemFlipsAToggleTwice) {
    TestHost host;
    MToggleButton toggle;
    toggle.Create(4, "", 10, 10, &host, "PLAY2UP", "PLAY2DN");
    const QPoint p(inX, inY);
    // What Qt delivers for a double-click: the second press, then a double-click event of the
    // same time, then the release.
    QTest::mouseClick(&host, Qt::LeftButton, {}, p);
    QTest::mousePress(&host, Qt::LeftButton, {}, p);
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, p, host.mapToGlobal(p), Qt::LeftButton,
                            Qt::LeftButton, {});
    doubleClick.setTimestamp(static_cast<quint64>(QTest::lastMouseTimestamp));
    QApplication::sendEvent(&host, &doubleClick);
    QTest::mouseRelease(&host, Qt::LeftButton, {}, p);
    EXPECT_EQ(toggle.GetState(), 0);
    int presses = 0;
    for (const auto& [code, id] : host.reports) {
        presses += code == MouseDown ? 1 : 0;
    }
    EXPECT_EQ(presses, 2);

    // A double-click event alone (its press went elsewhere) still counts as a press.
    host.reports.clear();
    QTest::mouseDClick(&host, Qt::LeftButton, {}, p);
    QTest::mouseRelease(&host, Qt::LeftButton, {}, p);
    EXPECT_EQ(toggle.GetState(), 1);
}

TEST(PressedLook, TextButtonShiftsItsFaceAndShowsABandOfForeground) {
    TestHost host;
    MButton button;
    button.Create(4, "", 10, 10, 40, 20, &host);
    button.SetColors(ink, paper);
    EXPECT_EQ(host.At(10, 10), paper);

    button.PressNow();
    const QImage pressed = host.Picture();
    EXPECT_EQ(ColorAt(pressed, 10, 10), ink);
    EXPECT_EQ(ColorAt(pressed, 11, 20), ink);
    EXPECT_EQ(ColorAt(pressed, 30, 11), ink);
    EXPECT_EQ(ColorAt(pressed, 12, 12), paper);
    EXPECT_EQ(ColorAt(pressed, 49, 29), paper);
    EXPECT_EQ(ColorAt(pressed, 50, 30), TestHost::background);
}

TEST(PressedLook, ToggleShowsTheLookItWillChangeTo) {
    // ONOFFDN has ink in its middle, ONOFFUP paper.
    struct Case {
        int state;
        bool held;
        Color middle;
    };
    const Case cases[] = {
        {0, false, paper},
        {0, true, pressedInk},
        {1, false, pressedInk},
        {1, true, paper},
    };
    for (const Case& c : cases) {
        TestHost host;
        MToggleButton toggle;
        toggle.Create(4, "", 10, 10, &host, "ONOFFUP", "ONOFFDN");
        toggle.SetPressedColors(ink, paper, pressedInk, pressedPaper);
        toggle.SetState(c.state);
        if (c.held) {
            host.OnControlEvent(MouseDown, 18, 18, 0);
        }
        EXPECT_EQ(host.At(18, 18), c.middle) << c.state << c.held;
        EXPECT_EQ(host.At(10, 10), c.middle == paper ? paper : pressedPaper);
        host.OnControlEvent(MouseUp, outX, outY, 0);
    }
}

TEST(BitmapButton, IsTheSizeOfItsUpBitmapWhateverTheDownBitmap) {
    TestHost host;
    MBmpButton button;
    button.Create(4, "caption", 5, 6, &host, "PLAY2UP", "ONOFFDN");
    EXPECT_EQ(button.GetRect(), (Rect{5, 6, 29, 30}));
    EXPECT_EQ(button.GetText(), "caption");
    EXPECT_EQ(button.GetClassName(), "MBmpButton");
}
