#pragma once

#include <QBitmap>
#include <QCursor>
#include <QIcon>
#include <optional>
#include <string_view>

namespace platform {

// The program's monochrome bitmap of that name, or nothing when there is no such artwork.
std::optional<QBitmap> loadBitmapResource(std::string_view name);

// The program's cursor of that name with its hot spot; loaded once and kept for the life of
// the program, so the pointer stays valid. Null when there is no such cursor or no display.
const QCursor* loadCursorResource(std::string_view name);

// The program icon (resource 128) at every size it is drawn in.
QIcon programIcon();

}  // namespace platform
