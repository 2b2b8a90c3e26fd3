#pragma once

#include <QColor>
#include <QImage>
#include <utility>
#include <vector>

#include "controls/control_host.h"
#include "platform/gui/color.h"

// A shown host that remembers what its controls reported.
class TestHost : public ControlHost {
public:
    static constexpr platform::Color background = platform::Rgb(1, 2, 3);

    explicit TestHost(int width = 200, int height = 120) {
        SetBackgroundColor(platform::ToQColor(background));
        resize(width, height);
        show();
    }

    int OnControlEvent(int code, int x, int y, int id) override {
        const int result = ControlHost::OnControlEvent(code, x, y, id);
        reports.emplace_back(code, result);
        return result;
    }

    QImage Picture() { return grab().toImage(); }
    platform::Color At(int x, int y) { return platform::FromQColor(Picture().pixelColor(x, y)); }

    std::vector<std::pair<int, int>> reports;  // (code, id) for every event
};

inline platform::Color ColorAt(const QImage& image, int x, int y) {
    return platform::FromQColor(image.pixelColor(x, y));
}
