#include "controls/control_registry.h"

#include <algorithm>

#include "controls/mbutton.h"

namespace {

// The controls that take the mouse: not "MWnd" by class name, and built on MButton.
MButton* interactive(MWnd* control) {
    if (control->GetClassName() == "MWnd") {
        return nullptr;
    }
    return dynamic_cast<MButton*>(control);
}

}  // namespace

ControlRegistry& ControlRegistry::Instance() {
    static ControlRegistry registry;
    return registry;
}

void ControlRegistry::Append(MWnd* control) {
    // A second Create of the same control keeps its place.
    if (std::any_of(entries.begin(), entries.end(),
                    [control](const Entry& e) { return e.control == control; })) {
        return;
    }
    entries.push_back({control, nextSequence++});
}

void ControlRegistry::Remove(MWnd* control) {
    std::erase_if(entries, [control](const Entry& e) { return e.control == control; });
}

// The walks index from the end and re-check the size at every step, so a control that comes
// or goes during a walk cannot make it read past the list.
void ControlRegistry::PaintControls(DeviceContext& dc, const HostWindow* host) {
    const std::vector<Entry>& list = Instance().entries;
    for (std::size_t i = list.size(); i-- > 0;) {
        if (i < list.size() && list[i].control->GetParent() == host) {
            list[i].control->Draw(dc);
        }
    }
}

int ControlRegistry::DispatchToControls(int code, int x, int y, const HostWindow* host) {
    const std::vector<Entry>& list = Instance().entries;
    for (std::size_t i = list.size(); i-- > 0;) {
        if (i >= list.size() || list[i].control->GetParent() != host) {
            continue;
        }
        MButton* button = interactive(list[i].control);
        if (button != nullptr && button->DispatchMouse(code, x, y) != NotConsumed) {
            return button->GetId();
        }
    }
    return 0;
}

int ControlRegistry::SetCursorForPoint(int /*code*/, int x, int y, HostWindow* host) {
    const std::vector<Entry>& list = Instance().entries;
    for (std::size_t i = list.size(); i-- > 0;) {
        if (list[i].control->GetParent() != host) {
            continue;
        }
        MButton* button = interactive(list[i].control);
        if (button != nullptr && button->GetRect().Contains(x, y) &&
            button->GetCursor() != nullptr && button->IsVisible()) {
            if (host != nullptr) {
                host->ShowCursor(*button->GetCursor());
            }
            return button->GetId();
        }
    }
    return 0;
}
