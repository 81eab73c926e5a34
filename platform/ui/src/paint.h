// The paint of one window: a device context handle whose drawing is kept as the window's last paint.
#pragma once

#include "platform/ui/window_types.h"

namespace platform::ui {

HDC BeginPaintDc(HWND hwnd);
void EndPaintDc(HWND hwnd, HDC dc);

}  // namespace platform::ui
