#include <gtest/gtest.h>

#include <QTest>
#include <memory>

#include "controls/control_registry.h"
#include "controls/mbitmap.h"
#include "controls/mbutton.h"
#include "platform/gui/artwork.h"
#include "test_host.h"

using platform::Rgb;

namespace {

constexpr Color red = Rgb(200, 0, 0);
constexpr Color green = Rgb(0, 200, 0);
constexpr Color blue = Rgb(0, 0, 200);

bool SameCursor(const QCursor& a, const QCursor* b) {
    return b != nullptr && a.shape() == Qt::BitmapCursor && a.hotSpot() == b->hotSpot() &&
           a.bitmap().toImage() == b->bitmap().toImage();
}

}  // namespace

TEST(Registry, NewerControlIsPaintedAndHitFirstWhereControlsOverlap) {
    TestHost host;
    MButton older;
    MButton newer;
    older.Create(1, "", 10, 10, 40, 20, &host);
    newer.Create(2, "", 30, 10, 40, 20, &host);
    older.SetColors(red, red);
    newer.SetColors(green, green);

    const QImage picture = host.Picture();
    EXPECT_EQ(ColorAt(picture, 15, 15), red);
    EXPECT_EQ(ColorAt(picture, 40, 15), green);  // overlap
    EXPECT_EQ(ColorAt(picture, 60, 15), green);
    EXPECT_EQ(ControlRegistry::DispatchToControls(MouseDown, 40, 15, &host), 2);
    EXPECT_EQ(ControlRegistry::DispatchToControls(MouseUp, 40, 15, &host), 2);
    EXPECT_EQ(ControlRegistry::DispatchToControls(MouseDown, 15, 15, &host), 1);
    EXPECT_EQ(ControlRegistry::DispatchToControls(MouseUp, 15, 15, &host), 1);
}

TEST(Registry, ControlsOfOneHostAreNeverReachedThroughAnother) {
    TestHost first;
    TestHost second;
    MButton button;
    button.Create(5, "", 10, 10, 40, 20, &first);
    button.SetColors(red, red);

    EXPECT_EQ(second.At(20, 15), TestHost::background);
    EXPECT_EQ(second.OnControlEvent(MouseDown, 20, 15, 0), 0);
    EXPECT_FALSE(button.IsPressed());
    EXPECT_EQ(first.At(20, 15), red);
}

TEST(Registry, HiddenControlsAreNeitherPaintedNorHit) {
    TestHost host;
    MButton button;
    button.Create(5, "", 10, 10, 40, 20, &host);
    button.SetColors(red, red);
    button.Hide();

    EXPECT_FALSE(button.IsVisible());
    EXPECT_EQ(host.At(20, 15), TestHost::background);
    EXPECT_EQ(host.OnControlEvent(MouseDown, 20, 15, 0), 0);

    // Colours given to a hidden control wait for Show.
    button.SetColors(blue, blue);
    EXPECT_FALSE(button.IsVisible());
    button.Show();
    EXPECT_EQ(host.At(20, 15), blue);
}

TEST(Registry, ShowAndHideChangeNothingWhileRedrawIsOff) {
    TestHost host;
    MButton button;
    button.Create(5, "", 10, 10, 40, 20, &host);
    button.SetColors(red, red);

    button.EnableRedraw(false);
    button.Hide();
    EXPECT_TRUE(button.IsVisible());
    EXPECT_EQ(host.At(20, 15), red);
    button.EnableRedraw(true);
    button.Hide();
    button.EnableRedraw(false);
    button.Show();
    EXPECT_FALSE(button.IsVisible());
    EXPECT_EQ(host.At(20, 15), TestHost::background);
}

TEST(Registry, PlainControlsAndBitmapsTakeNoMouseAndSetNoCursor) {
    TestHost host;
    const QCursor* fallback = platform::loadCursorResource("NOCUR");
    const QCursor* push = platform::loadCursorResource("PUSHCUR");
    ASSERT_NE(fallback, nullptr);
    ASSERT_NE(push, nullptr);
    host.SetDefaultCursor(fallback);

    MButton button;
    button.Create(3, "", 0, 0, 100, 100, &host);
    button.SetCursorName("PUSHCUR");
    MWnd plain;
    plain.Create(7, "label", 0, 0, 50, 50, &host);
    MBitmap bitmap;
    bitmap.Create(8, "", 60, 0, &host, "ONOFFUP");

    // Over the button the button's cursor, even where an older one lies under the plain ones.
    EXPECT_EQ(host.OnControlEvent(MouseMove, 70, 70, 0), 0);
    EXPECT_TRUE(SameCursor(host.cursor(), push));

    button.Hide();
    EXPECT_EQ(ControlRegistry::SetCursorForPoint(MouseMove, 10, 10, &host), 0);
    EXPECT_EQ(host.OnControlEvent(MouseDown, 10, 10, 0), 0);
    EXPECT_EQ(host.OnControlEvent(MouseDown, 65, 5, 0), 0);
    EXPECT_TRUE(SameCursor(host.cursor(), fallback));
}

TEST(Registry, DestroyedControlLeavesTheRegistryAndTheCapture) {
    TestHost host;
    const std::size_t before = ControlRegistry::Instance().Size();
    {
        MButton button;
        button.Create(5, "", 10, 10, 40, 20, &host);
        EXPECT_EQ(ControlRegistry::Instance().Size(), before + 1);
        EXPECT_EQ(host.OnControlEvent(MouseDown, 20, 15, 0), 5);
        EXPECT_EQ(capturedControl, &button);
    }
    EXPECT_EQ(ControlRegistry::Instance().Size(), before);
    EXPECT_EQ(capturedControl, nullptr);
    EXPECT_EQ(host.OnControlEvent(MouseUp, 20, 15, 0), 0);
    EXPECT_EQ(host.At(20, 15), TestHost::background);
}

TEST(Registry, ControlOutlivingItsHostIsSafe) {
    MButton button;
    {
        TestHost host;
        button.Create(5, "", 10, 10, 40, 20, &host);
    }
    EXPECT_EQ(button.GetParent(), nullptr);
    button.SetColors(red, blue);
    button.Hide();
    button.Show();
    button.PressNow();
}

TEST(Registry, PlainControlFillsItsRectangleAndWritesItsTextInTheForeground) {
    TestHost host;
    MWnd label;
    label.Create(1, "", 10, 10, 30, 20, &host);
    label.SetColors(red, blue);
    EXPECT_EQ(host.At(10, 10), blue);
    EXPECT_EQ(host.At(39, 29), blue);
    EXPECT_EQ(host.At(40, 30), TestHost::background);

    MWnd text;
    text.Create(2, "WWWW", 50, 10, 60, 30, &host);
    text.SetColors(red, blue);
    const QImage picture = host.Picture();
    int inked = 0;
    for (int y = 10; y < 40; ++y) {
        for (int x = 50; x < 110; ++x) {
            inked += ColorAt(picture, x, y) != blue ? 1 : 0;
        }
    }
    EXPECT_GT(inked, 20);
}

TEST(HostProtocol, RealMouseEventsReachTheControlsAsEventCodes) {
    TestHost host;
    MButton button;
    button.Create(9, "", 10, 10, 40, 20, &host);

    QTest::mousePress(&host, Qt::LeftButton, {}, QPoint(20, 15));
    QTest::mouseRelease(&host, Qt::LeftButton, {}, QPoint(20, 15));
    QTest::mouseClick(&host, Qt::RightButton, {}, QPoint(20, 15));
    host.SetRightPressForwarded(true);
    QTest::mouseClick(&host, Qt::RightButton, {}, QPoint(20, 15));
    const std::vector<std::pair<int, int>> expected = {{MouseDown, 9}, {MouseUp, 9}, {MouseAlt, 9}};
    EXPECT_EQ(host.reports, expected);
}
