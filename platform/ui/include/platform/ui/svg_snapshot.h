// A picture of a window tree for a person to look at: one SVG rectangle per visible window,
// labelled with its class, id and text. Nothing else about drawing is modelled.
#pragma once

#include <string>

#include "platform/ui/window_types.h"

namespace platform::ui {

// The SVG document (UTF-8) of the window and its visible descendants, in its own coordinates.
std::string RenderSvg(HWND root);

}  // namespace platform::ui
