#pragma once

namespace platform {

enum class ModifierKey { Shift, Control, Alt };

// Whether the key is held now, asked of the window system at the moment of the call rather
// than taken from the last input event. Without a display, no key is down.
bool isModifierDown(ModifierKey key);

// Whether the left mouse button is down, in the freshest state the window system gives.
bool isLeftButtonDown();

}  // namespace platform
