#pragma once

#include <QFont>
#include <string_view>

namespace platform {

// A font of the given face at a size in tenths of a point, measured at 96 dots per inch so
// that sizes are the same logical pixels on every screen. "Arial" goes to fontconfig (which
// gives Liberation Sans); "System", Verdana, "MS Sans Serif" and unknown faces are mapped to
// installed sans faces.
QFont pointFont(std::string_view face, int tenthsOfPoint);

}  // namespace platform
