// The cost of painting a full panel's worth of drawn controls (16 sample columns and the
// global strip, 214 controls) on Qt's offscreen platform, and of one button's press look.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QWindow>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "controls/control_host.h"
#include "controls/mbitmap.h"
#include "controls/mbmp_button.h"
#include "controls/mslider.h"
#include "controls/mtoggle_button.h"

namespace {

struct Panel {
    ControlHost host;
    std::vector<std::unique_ptr<MWnd>> controls;

    template <typename T>
    T& Add() {
        controls.push_back(std::make_unique<T>());
        return static_cast<T&>(*controls.back());
    }

    void Arrows(int x, int y) {
        Add<MBmpButton>().Create(1, "up", x, y, &host, "UPARROWUP", "UPARROWDN");
        Add<MBmpButton>().Create(2, "dn", x, y + 9, &host, "DNARROWUP", "DNARROWDN");
    }

    Panel() {
        host.resize(707, 166);
        Add<MBitmap>().Create(0, "GLOBALBMP", 0, 0, &host, "GLOBALBMP");
        Add<MToggleButton>().Create(1000, "PLAYBTN", 36, 60, &host, "PLAY2UP", "PLAY2DN");
        Add<MToggleButton>().Create(1001, "MUTEBTN", 40, 92, &host, "ONOFFUP", "ONOFFDN");
        for (int x : {2, 10}) {
            Add<MSlider>().Create(1054, "bar", x, 2, 6, 135, &host, false);
        }
        for (int x : {2, 10, 18}) {
            Arrows(x, 146);
        }
        for (int i = 0; i < 3; ++i) {
            const std::string name = i == 0 ? "FILE" : i == 1 ? "EDIT" : "MIDI";
            Add<MBmpButton>().Create(1002 + i, name, 22 + 18 * i, 4, &host, name + "UP",
                                     name + "DN");
        }
        for (int n = 1; n <= 8; ++n) {
            const std::string name = "LOOPSCTRL" + std::to_string(n);
            Add<MToggleButton>().Create(20000 + n, name, 79, 144 - 20 * (n - 1), &host, name + "UP",
                                        name + "DN");
        }
        for (int c = 0; c < 16; ++c) {
            const int x = 94 + 38 * c;
            const int id = 10000 + 100 * c;
            Add<MBitmap>().Create(id, "", x, 2, &host, "NOTEBMP");
            Add<MWnd>().Create(id, std::to_string(c + 1), x + 12, 4, 23, 16, &host);
            Add<MToggleButton>().Create(id + 10, "", x + 12, 32, &host, "ONOFFUP", "ONOFFDN");
            Arrows(x + 1, 65);
            Arrows(x + 1, 98);
            Add<MSlider>().Create(id + 44, "bar", x + 30, 21, 6, 115, &host, false);
            Arrows(x + 30, 136);
            Add<MSlider>().Create(id + 54, "bar", x + 2, 132, 27, 7, &host, true);
            Add<MSlider>().Create(id + 64, "bar", x + 2, 155, 27, 7, &host, true);
        }
    }
};

void BM_PaintFullPanel(benchmark::State& state) {
    Panel panel;
    QImage image(707, 166, QImage::Format_RGB32);
    for (auto _ : state) {
        panel.host.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["controls"] = static_cast<double>(panel.controls.size());
}
BENCHMARK(BM_PaintFullPanel)->Unit(benchmark::kMicrosecond);

void BM_PressAndReleaseButton(benchmark::State& state) {
    Panel panel;
    panel.host.show();
    // Painting starts once the window system has shown the window.
    while (panel.host.windowHandle() == nullptr || !panel.host.windowHandle()->isExposed()) {
        QApplication::processEvents();
    }
    auto& button = static_cast<MButton&>(*panel.controls[1]);
    for (auto _ : state) {
        button.PressNow();
        button.ReleaseNow();
    }
}
BENCHMARK(BM_PressAndReleaseButton)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
