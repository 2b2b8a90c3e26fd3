#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <vector>

#include "controls/color_scheme.h"
#include "platform/gui/dialogs.h"

using platform::Rgb;

namespace {

Color G(int v) {
    return Rgb(v, v, v);
}

class ChooserAnswers : public platform::Dialogs {
public:
    int messageBox(QWidget*, const std::string&, const std::string&) override {
        return platform::IDOK;
    }
    std::optional<Color> chooseColor(QWidget*, Color initial,
                                     std::array<Color, 16>& custom) override {
        starts.push_back(initial);
        shown.push_back(custom);
        return answer;
    }
    std::optional<Color> answer;
    std::vector<Color> starts;
    std::vector<std::array<Color, 16>> shown;
};

}  // namespace

TEST(ColorScheme, SetBaseAtTheEnds) {
    struct Case {
        Color base;
        Color faceShadow, face, faceLight, baseShade, baseLight, baseLighter;
    };
    const Case cases[] = {
        {G(255), G(47), G(127), G(207), G(175), G(95), G(175)},
        {G(0), G(48), G(128), G(208), G(160), G(80), G(160)},
    };
    for (const Case& c : cases) {
        ColorScheme s;
        s.SetBase(c.base);
        EXPECT_EQ(s.baseColor, c.base);
        EXPECT_EQ(s.faceShadow, c.faceShadow);
        EXPECT_EQ(s.face, c.face);
        EXPECT_EQ(s.faceLight, c.faceLight);
        EXPECT_EQ(s.baseShade, c.baseShade);
        EXPECT_EQ(s.baseLight, c.baseLight);
        EXPECT_EQ(s.baseLighter, c.baseLighter);
    }
}

TEST(ColorScheme, ShadeBouncesBackWhenAColourRunsOut) {
    struct Case {
        Color in;
        int direction;
        bool bounce;
        Color out;
    };
    const Case cases[] = {
        {Rgb(0, 255, 0), +1, true, Rgb(0, 95, 0)},  // green cannot take the step
        {Rgb(0, 255, 0), +1, false, Rgb(80, 255, 80)},
        {Rgb(200, 200, 10), +1, true, Rgb(40, 40, 0)},     // saturated green beside red
        {Rgb(200, 100, 10), +1, true, Rgb(255, 180, 90)},  // one channel limited only
        {Rgb(10, 20, 30), -1, true, Rgb(170, 180, 190)},   // all three run out
        {Rgb(10, 100, 30), -1, true, Rgb(0, 20, 0)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ColorScheme::Shade(c.in, c.direction, c.bounce), c.out)
            << std::hex << c.in << " " << c.direction;
    }
    EXPECT_EQ(ColorScheme::Contrast(Rgb(0, 128, 200)), Rgb(128, 0, 72));
}

TEST(ColorScheme, PickColorKeepsItsCustomColoursAndReturnsTheStartOnCancel) {
    ChooserAnswers chooser;
    platform::setDialogs(&chooser);
    ColorScheme scheme;
    scheme.SetBase(Rgb(10, 20, 30));

    std::srand(11);
    const int b = std::rand() % 256;
    const int g = std::rand() % 256;
    const int r = std::rand() % 256;
    std::srand(11);
    EXPECT_EQ(PickColor(scheme, nullptr), Rgb(10, 20, 30));  // cancelled
    chooser.answer = Rgb(1, 2, 3);
    EXPECT_EQ(PickColor(scheme, nullptr), Rgb(1, 2, 3));
    platform::setDialogs(nullptr);

    ASSERT_EQ(chooser.shown.size(), 2u);
    EXPECT_EQ(chooser.shown[0], chooser.shown[1]);
    EXPECT_EQ(chooser.shown[0][0], Rgb(r, g, b));
    EXPECT_EQ(chooser.starts[0], Rgb(10, 20, 30));
}
