#pragma once

#include <array>

#include "platform/gui/color.h"

class QWidget;

using platform::Color;

// The seven colours a panel is drawn in, all derived from one base colour. Until the first
// SetBase they are system colours.
class ColorScheme {
public:
    ColorScheme();

    void SetBase(Color a);

    // Each channel moved by direction x step and limited to 0..255. With bounce, a colour
    // that would run out at either end (all three channels, or a green that cannot take the
    // step, or a saturated green beside a saturated red or blue) goes two steps the other way
    // instead.
    static Color Shade(Color colour, int direction, bool bounce = true, int step = 80);
    // Each channel moved halfway round: (c + 128) mod 256.
    static Color Contrast(Color colour);

    Color faceShadow;
    Color face;
    Color faceLight;
    Color baseShade;
    Color baseColor;
    Color baseLight;
    Color baseLighter;
};

// The custom colours of the colour chooser: drawn at random the first time the chooser opens
// (blue, green, red from three draws each) and kept for the rest of the run.
std::array<Color, 16>& customColors();

// The colour chooser, starting at the scheme's base colour; the starting colour again when
// the user cancels.
Color PickColor(const ColorScheme& scheme, QWidget* owner);
