#pragma once

#include <cstddef>
#include <vector>

#include "controls/mwnd.h"

// Every control of the program, in the order of their Create. Each walk goes from the newest
// to the oldest, so a control created later lies above one created earlier: it is painted
// first (and clips the older ones away) and is offered the mouse first.
class ControlRegistry {
public:
    static ControlRegistry& Instance();

    void Append(MWnd* control);
    void Remove(MWnd* control);
    std::size_t Size() const { return entries.size(); }

    // Draws every control of `host`, newest first.
    static void PaintControls(DeviceContext& dc, const HostWindow* host);
    // Offers the event to the interactive controls of `host`, newest first; returns the id of
    // the first that consumes it, or 0.
    static int DispatchToControls(int code, int x, int y, const HostWindow* host);
    // Shows the cursor of the newest visible interactive control of `host` that has one and
    // contains the point; returns its id, or 0 when there is none (the cursor is left alone).
    static int SetCursorForPoint(int code, int x, int y, HostWindow* host);

private:
    struct Entry {
        MWnd* control;
        unsigned sequence;
    };
    std::vector<Entry> entries;
    unsigned nextSequence = 1;
};
