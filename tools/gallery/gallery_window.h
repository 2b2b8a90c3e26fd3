#pragma once

#include <QPoint>
#include <memory>
#include <vector>

#include "controls/color_scheme.h"
#include "controls/control_host.h"
#include "controls/medit.h"
#include "controls/mwnd.h"

// One window with the controls laid out as the panel and the measure popup use them, then
// every bitmap, every cursor with its mask and hot spot, and the program icon.
class GalleryWindow : public ControlHost {
public:
    explicit GalleryWindow(Color base);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    template <typename T>
    T& Make() {
        auto owned = std::make_unique<T>();
        T& ref = *owned;
        controls_.push_back(std::move(owned));
        return ref;
    }
    MEdit& MakeEdit();
    void BuildGlobalStrip();
    void BuildStrip(int column);
    void BuildPopup();
    void BuildCatalogue();

    ColorScheme scheme_;
    // Before the fields: its own fields must go before it does.
    std::unique_ptr<ControlHost> popup_;
    std::vector<std::unique_ptr<MWnd>> controls_;
    std::vector<std::unique_ptr<MEdit>> edits_;
    std::vector<QPoint> hotSpots_;  // in window coordinates
};
