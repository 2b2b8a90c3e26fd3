#include <gtest/gtest.h>

#include <QTest>

#include "controls/mslider.h"
#include "test_host.h"

using platform::NoColor;
using platform::Rgb;

namespace {

constexpr Color fill = Rgb(200, 0, 0);
constexpr Color empty = Rgb(0, 0, 200);
constexpr Color thumb = Rgb(0, 200, 0);

}  // namespace

TEST(Slider, ValueFromPointsAlongAndBeyondTheBar) {
    struct Case {
        bool horizontal;
        int x, y;
        int expected;
    };
    // Vertical bar (10, 10)-(16, 110), horizontal bar (10, 10)-(110, 16); range 0..100.
    const Case cases[] = {
        {false, 12, 20, 90}, {false, 12, 10, 100}, {false, 12, 110, 0},  {false, 12, 0, 100},
        {false, 12, 500, 0}, {false, 90, 60, 50},  {true, 20, 12, 10},   {true, 110, 12, 100},
        {true, 10, 12, 0},   {true, -40, 12, 0},   {true, 400, 12, 100}, {true, 60, 90, 50},
    };
    for (const Case& c : cases) {
        TestHost host;
        MSlider slider;
        if (c.horizontal) {
            slider.Create(6, "", 10, 10, 100, 6, &host, true);
        } else {
            slider.Create(6, "", 10, 10, 6, 100, &host, false);
        }
        slider.SetValueFromPoint(c.x, c.y);
        EXPECT_EQ(slider.GetValue(), c.expected) << c.horizontal << " " << c.x << "," << c.y;
    }
}

TEST(Slider, ValuesTruncateTowardZeroInAnOffsetRange) {
    TestHost host;
    MSlider slider;
    slider.Create(6, "", 0, 0, 27, 7, &host, true);
    slider.SetRange(-59, 67);
    slider.SetValueFromPoint(5, 3);  // 5 / 27 * 126 - 59 = -35.67
    EXPECT_EQ(slider.GetValue(), -35);
}

TEST(Slider, EmptyBarOrEmptyRangeNeverDividesByZero) {
    TestHost host;
    MSlider flat;
    flat.Create(6, "", 10, 10, 0, 0, &host, false);
    flat.SetValueFromPoint(10, 10);
    EXPECT_EQ(flat.GetValue(), 0);
    MSlider narrow;
    narrow.Create(7, "", 10, 10, 0, 5, &host, true);
    narrow.SetValueFromPoint(10, 12);
    EXPECT_EQ(narrow.GetValue(), 0);

    MSlider stuck;
    stuck.Create(8, "", 30, 10, 6, 100, &host, false);
    stuck.SetRange(5, 5);
    stuck.SetValue(5);
    stuck.SetColors(fill, empty, thumb);
    const QImage picture = host.Picture();
    EXPECT_EQ(ColorAt(picture, 32, 50), empty);
    EXPECT_EQ(ColorAt(picture, 32, 108), empty);
    EXPECT_EQ(ColorAt(picture, 32, 109), thumb);
}

TEST(Slider, PressDragOutsideTheHostAndReleaseReportEveryStep) {
    TestHost host(100, 120);
    MSlider slider;
    slider.Create(6, "", 10, 10, 6, 100, &host, false);

    QTest::mousePress(&host, Qt::LeftButton, {}, QPoint(12, 20));
    EXPECT_EQ(slider.GetValue(), 90);
    EXPECT_EQ(capturedControl, &slider);
    QTest::mouseMove(&host, QPoint(300, -50));
    EXPECT_EQ(slider.GetValue(), 100);
    QTest::mouseMove(&host, QPoint(-20, 400));
    EXPECT_EQ(slider.GetValue(), 0);
    QTest::mouseMove(&host, QPoint(12, 60));
    EXPECT_EQ(slider.GetValue(), 50);
    QTest::mouseRelease(&host, Qt::LeftButton, {}, QPoint(500, -5));
    EXPECT_EQ(slider.GetValue(), 100);
    EXPECT_EQ(capturedControl, nullptr);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);

    const std::vector<std::pair<int, int>> expected = {
        {MouseDown, 6}, {MouseMove, 6}, {MouseMove, 6}, {MouseMove, 6}, {MouseUp, 6}};
    EXPECT_EQ(host.reports, expected);
    // Once released, moves no longer change it.
    host.OnControlEvent(MouseMove, 12, 100, 0);
    EXPECT_EQ(slider.GetValue(), 100);
    // A right press reports the slider without changing it.
    EXPECT_EQ(host.OnControlEvent(MouseAlt, 12, 100, 0), 6);
    EXPECT_EQ(host.OnControlEvent(MouseAlt, 50, 100, 0), 0);
    EXPECT_EQ(slider.GetValue(), 100);
}

TEST(Slider, VerticalFillThumbAndUnpaintedParts) {
    struct Case {
        Color fore, back;
        Color below, above;
    };
    const Case cases[] = {
        {fill, empty, fill, empty},
        {NoColor, empty, TestHost::background, empty},
        {fill, NoColor, fill, TestHost::background},
    };
    for (const Case& c : cases) {
        TestHost host;
        MSlider slider;
        slider.Create(6, "", 10, 10, 6, 100, &host, false);
        slider.SetColors(c.fore, c.back, thumb);
        slider.SetValue(50);  // level at y 60, thumb rows 59 and 60
        const QImage picture = host.Picture();
        EXPECT_EQ(ColorAt(picture, 12, 20), c.above);
        EXPECT_EQ(ColorAt(picture, 12, 58), c.above);
        EXPECT_EQ(ColorAt(picture, 12, 59), thumb);
        EXPECT_EQ(ColorAt(picture, 12, 60), thumb);
        EXPECT_EQ(ColorAt(picture, 12, 61), c.below);
        EXPECT_EQ(ColorAt(picture, 12, 109), c.below);
    }
}

TEST(Slider, HorizontalFillAndThumb) {
    TestHost host;
    MSlider slider;
    slider.Create(6, "", 10, 10, 100, 6, &host, true);
    slider.SetColors(fill, empty, thumb);
    slider.SetThumbWidth(4);
    slider.SetValue(25);  // d = 25, thumb x 33..36
    const QImage picture = host.Picture();
    EXPECT_EQ(ColorAt(picture, 10, 12), fill);
    EXPECT_EQ(ColorAt(picture, 32, 12), fill);
    EXPECT_EQ(ColorAt(picture, 33, 12), thumb);
    EXPECT_EQ(ColorAt(picture, 36, 12), thumb);
    EXPECT_EQ(ColorAt(picture, 37, 12), empty);
    EXPECT_EQ(ColorAt(picture, 109, 12), empty);

    // A value beyond the range fills the bar and no more.
    slider.SetValue(400);
    const QImage full = host.Picture();
    EXPECT_EQ(ColorAt(full, 105, 12), fill);
    EXPECT_EQ(ColorAt(full, 112, 12), TestHost::background);
}
