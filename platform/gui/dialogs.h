#pragma once

#include <array>
#include <optional>
#include <string>

#include "platform/gui/color.h"

class QWidget;

namespace platform {

inline constexpr int IDOK = 1;

// The standard dialogs, behind an interface so that tests can answer them.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A message box with one OK button; returns the button pressed.
    virtual int messageBox(QWidget* owner, const std::string& text, const std::string& caption) = 0;

    // The colour chooser with its custom-colour part open, starting at `initial`. The user may
    // change the custom colours; they are written back. Nothing when the user cancels.
    virtual std::optional<Color> chooseColor(QWidget* owner, Color initial,
                                             std::array<Color, 16>& customColors) = 0;
};

// The dialogs in use: the window system's, unless a test has put its own in place.
Dialogs& dialogs();

// Puts `d` in place of the window system's dialogs; null puts those back.
void setDialogs(Dialogs* d);

}  // namespace platform
