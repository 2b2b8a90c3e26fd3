#pragma once

#include <cstdint>

class QWidget;

namespace platform {

// Window style bits. A window keeps its style word; the bits that have a meaning for a Qt
// widget are carried over to it whenever the word is set: WS_TABSTOP gives the widget the
// tab-and-click focus policy (without it, click focus only), and on a line edit ES_CENTER and
// ES_RIGHT set the alignment. The other bits are kept but change nothing.
enum WindowStyle : std::uint32_t {
    ES_LEFT = 0x0000,
    ES_CENTER = 0x0001,
    ES_RIGHT = 0x0002,
    ES_AUTOHSCROLL = 0x0080,
    ES_NOHIDESEL = 0x0100,
    WS_TABSTOP = 0x00010000,
    WS_CLIPSIBLINGS = 0x04000000,
    WS_VISIBLE = 0x10000000,
    WS_CHILD = 0x40000000,
};

std::uint32_t windowStyle(const QWidget* window);
void setWindowStyle(QWidget* window, std::uint32_t style);

}  // namespace platform
