#pragma once

#include <cstdint>

#include "controls/mbmp_button.h"

// A bitmap button that keeps an on/off state and flips it on each click. On shows the down
// look; while held, it shows the look it will change to.
class MToggleButton : public MBmpButton {
public:
    MToggleButton();
    ~MToggleButton() override = default;

    void Draw(DeviceContext& dc) override;
    int OnMouse(int code, int x, int y) override;

    int GetState() const { return state; }
    void SetState(int s);

protected:
    std::uint8_t state = 0;
};
