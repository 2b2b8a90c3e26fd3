#pragma once

#include <cstdint>

#include "controls/mbutton.h"

// A two-colour bar with a thumb line, set by pressing and dragging along it. Vertical bars
// fill from the bottom up. While it is dragged it holds the mouse, so moves and the release
// outside the host still reach it.
class MSlider : public MButton {
public:
    MSlider();
    ~MSlider() override = default;

    using MButton::Create;
    void Create(int id, const std::string& text, int x, int y, int cx, int cy, HostWindow* parent,
                bool horizontal);
    // A vertical bar leaves a part whose colour is NoColor unpainted.
    void Draw(DeviceContext& dc) override;
    int OnMouse(int code, int x, int y) override;
    int DispatchMouse(int code, int x, int y) override;
    using MButton::SetColors;
    virtual void SetColors(Color fore, Color back, Color thumb);

    void SetRange(int min, int max);
    void SetThumbWidth(int w) { thumbWidth = w; }
    int GetValue() const { return value; }
    void SetValue(int v);
    // Points beyond either end give the end's value.
    void SetValueFromPoint(int x, int y);

    bool IsHorizontal() const { return horizontal != 0; }
    int GetMin() const { return minValue; }
    int GetMax() const { return maxValue; }

protected:
    std::uint8_t horizontal = 0;
    std::int32_t value = 25;
    std::int32_t minValue = 0;
    std::int32_t maxValue = 100;
    std::int32_t thumbWidth = 2;
    Color thumbColor = 0;
};
