#include <gtest/gtest.h>

#include <QWidget>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "controls/utilities.h"
#include "platform/gui/dialogs.h"

using platform::Color;

namespace {

class FakeDialogs : public platform::Dialogs {
public:
    int messageBox(QWidget* owner, const std::string& text, const std::string& caption) override {
        lastOwner = owner;
        lastText = text;
        lastCaption = caption;
        return platform::IDOK;
    }
    std::optional<Color> chooseColor(QWidget*, Color, std::array<Color, 16>&) override {
        return std::nullopt;
    }
    QWidget* lastOwner = reinterpret_cast<QWidget*>(1);
    std::string lastText, lastCaption;
};

}  // namespace

TEST(Utilities, InRangeComparesUnsigned) {
    EXPECT_FALSE(InRange(1020, 1019, 1025));
    EXPECT_TRUE(InRange(1020, 1020, 1025));
    EXPECT_TRUE(InRange(1020, 1025, 1025));
    EXPECT_FALSE(InRange(1020, 1026, 1025));
    EXPECT_FALSE(InRange(0, static_cast<std::uint32_t>(-1), 0x7FFFFFFF));
}

TEST(Utilities, FloatToString) {
    EXPECT_EQ(FloatToString(126.0f), "126");
    EXPECT_EQ(FloatToString(126.5f), "126.500");
    EXPECT_EQ(FloatToString(-0.25f), "-0.250");
    EXPECT_EQ(FloatToString(0.0f), "0");
    EXPECT_EQ(FloatToString(1e30f), "1000000015047466219876688855040");
    EXPECT_EQ(FloatToString(std::numeric_limits<float>::quiet_NaN()), "nan");
    EXPECT_EQ(FloatToString(std::numeric_limits<float>::infinity()), "inf");
}

TEST(Utilities, RoundHalfUpRoundsNegativesTowardZero) {
    struct Case {
        double in;
        int out;
    };
    const Case cases[] = {
        {2.5, 3},
        {2.4999, 2},
        {-2.5, -2},
        {-2.7, -2},
        {0.5, 1},
        {1e12, INT_MAX},
        {-1e12, INT_MIN},
        {std::numeric_limits<double>::quiet_NaN(), 0},
        {std::numeric_limits<double>::infinity(), INT_MAX},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RoundHalfUp(c.in), c.out) << c.in;
    }
}

TEST(Utilities, StringToIntFollowsAtoiAndSaturates) {
    struct Case {
        const char* in;
        int out;
    };
    const Case cases[] = {
        {"42", 42},
        {"  -17xyz", -17},
        {"+8", 8},
        {"abc", 0},
        {"", 0},
        {"- 5", 0},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"99999999999999999999", INT_MAX},
        {"-99999999999999999999", INT_MIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StringToInt(c.in), c.out) << c.in;
    }
}

TEST(Utilities, StringToFloatStaysFinite) {
    EXPECT_FLOAT_EQ(StringToFloat("126.5bpm"), 126.5f);
    EXPECT_FLOAT_EQ(StringToFloat("  -3"), -3.0f);
    EXPECT_EQ(StringToFloat("x"), 0.0f);
    EXPECT_EQ(StringToFloat("1e300"), FLT_MAX);
    EXPECT_EQ(StringToFloat("-inf"), -FLT_MAX);
    EXPECT_EQ(StringToFloat("nan"), 0.0f);
}

TEST(Utilities, IntToStringAndRandomBelow) {
    EXPECT_EQ(IntToString(-59), "-59");
    std::srand(3);
    const int first = std::rand() % 256;
    std::srand(3);
    EXPECT_EQ(RandomBelow(256), first);
    EXPECT_EQ(RandomBelow(0), 0);
    EXPECT_EQ(RandomBelow(-4), 0);
}

TEST(Utilities, ShowNoteIsTitledNoteAndHasNoOwner) {
    FakeDialogs fake;
    platform::setDialogs(&fake);
    EXPECT_EQ(ShowNote("Path not found."), platform::IDOK);
    platform::setDialogs(nullptr);
    EXPECT_EQ(fake.lastCaption, "NOTE!");
    EXPECT_EQ(fake.lastText, "Path not found.");
    EXPECT_EQ(fake.lastOwner, nullptr);
}

TEST(Utilities, WindowPlacement) {
    QWidget parent;
    QWidget child(&parent);
    child.setGeometry(10, 20, 30, 40);

    EXPECT_TRUE(MoveWindowTo(&child, 5, 6));
    EXPECT_EQ(child.geometry(), QRect(5, 6, 30, 40));
    MoveWindowBy(&child, 3, -4);
    EXPECT_EQ(child.pos(), QPoint(8, 2));
    MoveWindowBy(&child, 65536 + 2, 0);  // taken as a 16-bit number: 2
    EXPECT_EQ(child.pos(), QPoint(10, 2));
    ResizeToClient(&child, platform::Rect{100, 100, 150, 170});
    EXPECT_EQ(child.geometry(), QRect(10, 2, 50, 70));

    EXPECT_FALSE(MoveWindowTo(nullptr, 1, 1));
    MoveWindowBy(nullptr, 1, 1);
}

TEST(Utilities, NoButtonOrKeyIsDownWhenNoneIsPressed) {
    EXPECT_TRUE(IsWindowsNT());
    EXPECT_FALSE(IsLeftButtonDown());
    EXPECT_FALSE(IsShiftDown());
    EXPECT_FALSE(IsCtrlDown());
    EXPECT_FALSE(IsAltDown());
}
